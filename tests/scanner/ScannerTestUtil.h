// Helpers shared by the scanner tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "scanner/VelmoricPascalScanner.h"

// A line list and a scanner over it.
struct ScannedText {
  explicit ScannedText(const std::vector<std::string>& Text) {
    for (const std::string& L : Text) Lines.Add(L);
    Token = std::make_unique<TToken>(&Lines);
  }
  TStringList Lines;
  std::unique_ptr<TToken> Token;
};

// Every token Next delivers until it answers false; strings are shown quoted.
inline std::vector<std::string> TokensOf(const std::vector<std::string>& Text) {
  ScannedText S(Text);
  std::vector<std::string> Out;
  while (S.Token->Next())
    Out.push_back(S.Token->IsString ? "'" + S.Token->TokenText + "'" : S.Token->TokenText);
  return Out;
}
