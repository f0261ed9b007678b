// Code generation over real editor buffers of the in-process IDE: a unit is
// opened into a buffer and compiled from it as the expert does; after a
// change the buffer's lines, the symbol tree against a fresh parse of the
// buffer, and one undo are checked.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricEditorStrings.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricPascalCoco.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricPascalScanner.h"

using TWizardScratch = TScratchDir;

// Lines of a text split at CR LF, LF or CR (no empty last line for a final
// line end).
inline std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  std::string Cur;
  for (size_t I = 0; I < Text.size(); ++I) {
    const char C = Text[I];
    if (C == '\r' || C == '\n') {
      Lines.push_back(Cur);
      Cur.clear();
      if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    } else {
      Cur += C;
    }
  }
  if (!Cur.empty()) Lines.push_back(Cur);
  return Lines;
}

// Every symbol of a tree as "Parent.Name kind Line DeclLine defbegin defend"
// (procedures) or "... Line" (others), once each.
inline std::multiset<std::string> Positions(const TOrvikSymbol& Root) {
  std::multiset<std::string> Result;
  std::set<const TOrvikSymbol*> Seen;
  auto Walk = [&](auto& Self, const TOrvikSymbol* Owner, const std::string& Prefix) -> void {
    if (!Owner->symbols) return;
    for (int I = 0; I < Owner->symbols->Count(); ++I) {
      const TOrvikSymbol* C = Owner->symbols->GetSymbol(I);
      if (!Seen.insert(C).second) continue;
      // Locals are in the tree only when parsed with them.
      if (Owner->Typ == typProcedure && (C->Typ == typVar || C->Typ == typParameter)) continue;
      const std::string Name = Prefix + LowerCase(C->name);
      if (C->Typ == typProcedure)
        Result.insert(Format("%s %d line=%d decl=%d begin=%d end=%d", Name, int(C->Typ), C->Line,
                             C->DeclLine, C->defbegin, C->defend));
      else if (C->Typ == typClass)
        Result.insert(Format("%s %d line=%d end=%d", Name, int(C->Typ), C->Line, C->defend));
      else
        Result.insert(Format("%s %d line=%d", Name, int(C->Typ), C->Line));
      Self(Self, C, Name + ".");
    }
  };
  Walk(Walk, &Root, "");
  return Result;
}

inline std::unique_ptr<TPascalSource> ParseFresh(const std::string& Text, const std::string& FileName) {
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Text);
  auto Source = std::make_unique<TPascalSource>(new TToken(Lines));
  Source->FileName = FileName;
  Source->CreateSymbols({oCompileImplementation});
  return Source;
}

// The parse errors without their line numbers.
inline std::vector<std::string> ErrorList(const TPascalSource& S) {
  std::vector<std::string> R;
  for (int I = 0; I < S.errors->Count(); ++I) {
    std::string E = S.errors->Get(I);
    const size_t Open = E.find("(");
    const size_t Close = E.find("):");
    if (Open != std::string::npos && Close != std::string::npos && Open < Close) E.erase(Open, Close - Open + 1);
    R.push_back(E);
  }
  return R;
}

// The in-process IDE with one unit open and compiled from its buffer.
class WizardTest : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    IDE = std::make_unique<TMemoryIDE>();
  }
  void TearDown() override {
    Project.reset();
    if (Editor) Editor->Release();
    IDE.reset();
  }

  // Opens Text as Name and compiles it from the buffer.
  TPascalSource* Load(const std::string& Text, const std::string& Name = "Unit1.pas") {
    FileName = Dir.Write(Name, Text);
    EXPECT_TRUE(ToolServices->OpenFile(FileName));
    TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
    EXPECT_NE(Module, nullptr);
    if (Editor) Editor->Release();
    Editor = Module->GetEditorInterface();
    Module->Release();
    Original = BufferText();
    Project = std::make_unique<TPascalProject>();
    Source = Project->CompileEditor(Editor);
    return Source;
  }

  std::string BufferText() const { return IDE->Buffer(FileName).Text(); }
  std::vector<std::string> BufferLines() const { return SplitLines(BufferText()); }

  // The tree kept by the modifier equals a fresh parse of the buffer, and
  // the fresh parse has no errors the original had not.
  void ExpectTreeMatchesBuffer() {
    auto Fresh = ParseFresh(BufferText(), FileName);
    EXPECT_EQ(Positions(Source->symbols), Positions(Fresh->symbols));
    auto Before = ParseFresh(Original, FileName);
    EXPECT_EQ(ErrorList(*Fresh), ErrorList(*Before));
  }
  // One undo gives the original buffer back byte for byte.
  void ExpectOneUndoRestores() {
    ASSERT_TRUE(IDE->Undo(FileName));
    EXPECT_EQ(BufferText(), Original);
  }

  // A fresh symbol of kind Typ below Parent (entered into its children).
  TOrvikSymbol* NewSymbol(TOrvikSymbol* Parent, TSymTyp Typ, const std::string& Name) {
    auto* Sym = new TOrvikSymbol;
    Sym->Source = Source;
    Sym->Typ = Typ;
    Sym->name = Name;
    Sym->Line = -1;
    Sym->DeclLine = -1;
    Sym->defbegin = -1;
    Sym->defend = -1;
    if (Parent) AddOrvikSymbol(Parent, Sym);
    else Loose.emplace_back(Sym);
    return Sym;
  }
  TOrvikSymbol* Find(const std::string& Name, TSymTypSet Types = {typClass, typProcedure, typVar,
                                                                   typProperty}) {
    return Source->symbols.symbols->FindSymbol(Types, Name);
  }

  TWizardScratch Dir;
  std::unique_ptr<TMemoryIDE> IDE;
  std::unique_ptr<TPascalProject> Project;
  TIEditorInterface* Editor = nullptr;
  TPascalSource* Source = nullptr;
  std::string FileName;
  std::string Original;
  std::vector<std::unique_ptr<TOrvikSymbol>> Loose;
};
