// Parsing Pascal text held in a string, and finding symbols in the result.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/VelmoricPascalScanner.h"

inline std::unique_ptr<TPascalSource> ParseText(
    const std::string& Text, TCompilerOptionsSet Options = {oCompileImplementation},
    const std::string& FileName = "C:\\Src\\Unit1.pas") {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Text);
  auto Source = std::make_unique<TPascalSource>(new TToken(Lines));
  Source->FileName = FileName;
  Source->CreateSymbols(Options);
  return Source;
}

// The child of Owner named Name (any kind, first in list order), or null.
inline TOrvikSymbol* Child(const TOrvikSymbol* Owner, const std::string& Name) {
  return Owner && Owner->symbols ? Owner->symbols->FindAnyFlatSymbol(Name) : nullptr;
}

inline TOrvikSymbol* Top(const TPascalSource& Source, const std::string& Name) {
  return Child(&Source.symbols, Name);
}

inline int ChildCount(const TOrvikSymbol* Owner) {
  return Owner && Owner->symbols ? Owner->symbols->Count() : 0;
}

inline std::vector<std::string> ChildNames(const TOrvikSymbol* Owner) {
  std::vector<std::string> Names;
  for (int I = 0; I < ChildCount(Owner); ++I) Names.push_back(Owner->symbols->GetSymbol(I)->name);
  return Names;
}

inline std::vector<std::string> Errors(const TPascalSource& Source) {
  std::vector<std::string> Result;
  for (int I = 0; I < Source.errors->Count(); ++I) Result.push_back(Source.errors->Get(I));
  return Result;
}

inline std::vector<std::string> Uses(const TPascalSource& Source) {
  std::vector<std::string> Result;
  for (int I = 0; I < Source.usesList->Count(); ++I) Result.push_back(Source.usesList->Get(I));
  return Result;
}

// 0-based line of the first occurrence of Needle in Text (at or after line From).
inline int LineOf(const std::string& Text, const std::string& Needle, int From = 0) {
  int Line = 0;
  size_t Start = 0;
  for (;;) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos) End = Text.size();
    if (Line >= From && std::string_view(Text).substr(Start, End - Start).find(Needle) != std::string_view::npos)
      return Line;
    if (End == Text.size()) return -1;
    Start = End + 1;
    ++Line;
  }
}
