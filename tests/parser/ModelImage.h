// A canonical text image of a parsed unit: its uses list, its errors and every
// symbol of its tree with every field the parser sets, one symbol a line,
// indented by depth. Two parses give the same image exactly when they give
// the same model.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "scanner/VelmoricPascalScanner.h"

namespace model_image {

// Texts with control characters, backslashes and bytes above 127 escaped,
// so that an image is one line per entry and plain ASCII.
inline std::string Escaped(const std::string& S) {
  std::string R;
  for (const char Ch : S) {
    const auto C = static_cast<unsigned char>(Ch);
    if (C == '\\') R += "\\\\";
    else if (C < 32 || C >= 127) {
      char Buf[8];
      std::snprintf(Buf, sizeof Buf, "\\x%02x", C);
      R += Buf;
    } else {
      R += Ch;
    }
  }
  return R;
}

inline uint64_t Fnv1a(const std::string& S) {
  uint64_t H = 1469598103934665603ull;
  for (const char Ch : S) {
    H ^= static_cast<unsigned char>(Ch);
    H *= 1099511628211ull;
  }
  return H;
}

inline void Symbol(const TOrvikSymbol& Sym, int Depth, std::string& Out) {
  auto Num = [&](const char* Key, long long V) { Out += std::string(" ") + Key + "=" + std::to_string(V); };
  auto Text = [&](const char* Key, const std::string& V) {
    if (!V.empty()) Out += std::string(" ") + Key + "=\"" + Escaped(V) + "\"";
  };
  Out += std::string(2 * Depth, ' ') + std::to_string(Sym.Typ) + " " + Escaped(Sym.name);
  Num("ProcTyp", Sym.ProcTyp);
  Num("Bereich", Sym.Bereich);
  Num("RefCount", Sym.RefCount);
  Num("Line", Sym.Line);
  Num("DeclLine", Sym.DeclLine);
  Num("defbegin", Sym.defbegin);
  Num("defend", Sym.defend);
  Num("DeclEndLine", Sym.DeclEndLine);
  Num("Options", Sym.Options.Bits());
  Text("Parent", Sym.Parent ? Sym.Parent->name : std::string());
  Text("TypeName", Sym.TypeName);
  Text("Comment", Sym.Comment);
  Text("Ancestor", Sym.Ancestor());
  Text("Params", Sym.Params);
  Text("MessageId", Sym.MessageId());
  Text("ResultType", Sym.ResultType);
  Text("ReadAccess", Sym.ReadAccess());
  Text("WriteAccess", Sym.WriteAccess());
  Text("IndexName", Sym.IndexName());
  Text("IndexType", Sym.IndexType());
  Text("ConstType", Sym.ConstType());
  Text("Reserved", Sym.Reserved());
  Text("DefaultValue", Sym.DefaultValue());
  Out += '\n';
  if (Sym.symbols)
    for (int I = 0; I < Sym.symbols->Count(); ++I)
      Symbol(*static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I)), Depth + 1, Out);
}

// The image of Source's model: its uses list, its errors and its tree.
inline std::string Model(const TPascalSource& Source) {
  std::string Out;
  for (int I = 0; I < Source.usesList->Count(); ++I) Out += "uses " + Escaped(Source.usesList->Get(I)) + "\n";
  for (int I = 0; I < Source.errors->Count(); ++I) Out += "error " + Escaped(Source.errors->Get(I)) + "\n";
  Symbol(Source.symbols, 0, Out);
  return Out;
}

// The image of Text parsed as the unit FileName with Options; Reached, when
// given, receives the lines up to where the parse stopped.
inline std::string Of(const std::string& FileName, const std::string& Text, TCompilerOptionsSet Options,
                      int* Reached = nullptr) {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Text);
  TPascalSource Source(new TToken(Lines));
  Source.FileName = FileName;
  std::string Out = "file " + Escaped(FileName) + "\n";
  char Hash[40];
  std::snprintf(Hash, sizeof Hash, "%016llx", static_cast<unsigned long long>(Fnv1a(Text)));
  Out += "source " + std::to_string(Text.size()) + " bytes, hash " + Hash + "\n";
  try {
    Source.CreateSymbols(Options);
  } catch (const Exception& E) {
    Out += "gave up " + Escaped(E.Message()) + "\n";
  }
  Out += Model(Source);
  if (Reached) *Reached = std::min(Source.Token->Line + 1, Source.Token->Lines->Count());
  return Out;
}

}  // namespace model_image
