// The source modifier: places, formats and writes declarations and
// implementations of members into a unit's lines.
#include "project/VelmoricPascalCoco.h"

#include <cstdio>
#include <exception>
#include <unordered_set>
#include <vector>

#include "ide/VelmoricEditorStrings.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricProjectSettings.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

bool IsClass(const TOrvikSymbol* Sym) { return Sym && Sym->Typ == typClass; }

std::string ScopeText(TBereichTokenType Bereich) {
  std::string S;
  BereichTokenTypeToString(Bereich, S);
  return S;
}

std::string ProcText(TProcTokenType Kind) {
  std::string S;
  ProcTypToString(Kind, S);
  return S;
}

// A comment's lines: each piece between CR LF becomes "// " + piece.
std::vector<std::string> CommentLines(const std::string& Comment) {
  std::vector<std::string> Result;
  if (Comment.empty()) return Result;
  size_t Start = 0;
  for (;;) {
    const size_t End = Comment.find("\r\n", Start);
    Result.push_back("// " + Comment.substr(Start, End == std::string::npos ? End : End - Start));
    if (End == std::string::npos) break;
    Start = End + 2;
  }
  return Result;
}

bool IsBlankOrLineComment(const std::string& Line) {
  const std::string T = Trim(Line);
  return T.empty() || T.starts_with("//");
}

// Directives a heading may carry after its ";", each closed by its own ";".
bool IsHeadingDirective(const std::string& Lower) {
  static const char* const Words[] = {
      "virtual", "override", "abstract", "dynamic", "overload", "reintroduce", "message",
      "cdecl", "stdcall", "register", "pascal", "safecall", "inline", "static", "final",
      "export", "far", "near", "assembler", "platform", "deprecated", "experimental",
      "library", "forward", "external", "varargs"};
  for (const char* W : Words)
    if (Lower == W) return true;
  return false;
}

// What the declaration writes itself: these directives are not kept from an
// old heading.
bool IsGeneratedDirective(const std::string& Lower) {
  return Lower == "virtual" || Lower == "override" || Lower == "abstract" || Lower == "message";
}

}  // namespace

TBereichTokenType ClassScope(TBereichTokenType Bereich) {
  return Bereich == tGlobal || Bereich == tLocal ? tPublic : Bereich;
}

TPascalCoco::TPascalCoco(TPascalSource* ASource) : source(ASource) {
  TTraceProc Trace("TPascalCoco.Create");
  project = source->Project;
  if (!source->Token) source->LoadFileForEdit();
  if (!source->Token) throw Exception("No text to change for " + source->FileName);
  lines = source->Token->Lines;
  // The lines are the text the model was parsed from; they go back into the
  // unit's buffer only while the buffer still holds that text.
  if (!dynamic_cast<TUpdateEditorStrings*>(lines)) {
    FEditor = OpenEditor();
    if (FEditor) {
      TEditorStrings Now(FEditor);
      bool Same = Now.Count() == lines->Count();
      for (int I = 0; Same && I < Now.Count(); ++I) Same = Now.Get(I) == lines->Get(I);
      if (!Same) {
        ReleaseInterface(FEditor);
        throw Exception(Format("%s has changed since it was parsed; parse it again and repeat the command",
                               ExtractFileName(source->FileName)));
      }
    }
  }
  scanner = new TToken(lines);
  FUncaught = std::uncaught_exceptions();
}

TPascalCoco::~TPascalCoco() {
  TTraceProc Trace("TPascalCoco.Destroy");
  delete scanner;
  // A change cut short by an exception is not written.
  if (std::uncaught_exceptions() > FUncaught) {
    if (FChanged) Write("TPascalCoco: change abandoned");
  } else if (FEditor && FChanged) {
    try {
      // Written through an editor of the buffer as it is now: the lines'
      // own editor may be gone with the command that parsed them.
      TEditorStrings Out(FEditor);
      Out.Clear();
      for (int I = 0; I < lines->Count(); ++I) Out.Add(lines->Get(I));
      Out.SaveToEditor();
    } catch (const std::exception& E) {
      Write(std::string("TPascalCoco: write back failed: ") + E.what());
      std::fprintf(stderr, "velmoric: the changed text could not be written back: %s\n", E.what());
    }
  } else if (FChanged && !dynamic_cast<TUpdateEditorStrings*>(lines) && ToolServices) {
    std::fprintf(stderr, "velmoric: %s is not open in the IDE; the change was not written\n",
                 source->FileName.c_str());
  }
  ReleaseInterface(FEditor);
}

TIEditorInterface* TPascalCoco::OpenEditor() {
  if (!ToolServices || source->FileName.empty()) return nullptr;
  if (!ToolServices->IsFileOpen(source->FileName) && !ToolServices->OpenFile(source->FileName)) return nullptr;
  TIModuleInterface* Module = ToolServices->GetModuleInterface(source->FileName);
  if (!Module) return nullptr;
  TIEditorInterface* Editor = Module->GetEditorInterface();
  Module->Release();
  return Editor;
}

// ------------------------------------------------------------- line edits

void TPascalCoco::InsertLine(int Index, const std::string& S) {
  lines->Insert(Index, S);
  FChanged = true;
}

void TPascalCoco::ReplaceLine(int Index, const std::string& S) {
  if (auto* Update = dynamic_cast<TUpdateEditorStrings*>(lines))
    Update->ChangeLine(Index, S);
  else
    lines->Put(Index, S);
  FChanged = true;
}

void TPascalCoco::DeleteLines(int From, int To) {
  if (To <= From) return;
  if (auto* Update = dynamic_cast<TUpdateEditorStrings*>(lines)) {
    Update->DeleteLines(From, To);
  } else {
    for (int I = To - 1; I >= From; --I) lines->Delete(I);
  }
  FChanged = true;
}

void TPascalCoco::SaveTest() {
  if (!RunTest) return;
  // The test copy goes to the data directory, never to the root.
  try {
    lines->SaveToFile(VelmoricPath + "test.pas");
  } catch (const std::exception& E) {
    Write(std::string("test.pas: ") + E.what());
  }
}

void TPascalCoco::AddClassLines(TOrvikSymbol* Cls, int von, int anz) {
  // A class whose header ends with "class" has the line after the header as
  // its Line: what is inserted there becomes that line.
  const bool Keep = Cls && Cls->Line == von;
  AddLine(von, anz);
  if (Keep) Cls->Line = von;
}

void TPascalCoco::AddLine(int von, int anz) {
  TTraceProc Trace("TPascalCoco.AddLine");
  // A record held by two lists of the tree moves once.
  std::unordered_set<TOrvikSymbol*> Seen;
  auto Shift = [&](int& Pos) {
    if (Pos >= von) Pos += anz;
  };
  auto Walk = [&](auto& Self, TOrvikSymbol* Owner) -> void {
    if (!Owner->symbols) return;
    for (int I = 0; I < Owner->symbols->Count(); ++I) {
      TOrvikSymbol* Sym = Owner->symbols->GetSymbol(I);
      if (!Sym || !Seen.insert(Sym).second) continue;
      Shift(Sym->Line);
      Shift(Sym->defbegin);
      Shift(Sym->defend);
      Shift(Sym->DeclLine);
      Shift(Sym->DeclEndLine);
      Self(Self, Sym);
    }
  };
  Walk(Walk, &source->symbols);
}

// --------------------------------------------------------------- scanning

void TPascalCoco::StartScan(TToken* Scanner, int Line) {
  Scanner->EofCount = 0;
  Scanner->TokenPushedBack = false;
  Scanner->CharPushedBack = false;
  Scanner->SetLine(std::max(Line, 0));
}

namespace {

// Tokens of a class body with the nesting of records and inner types, so
// that only the class's own "end" and sections count.
class TClassBodyScan {
 public:
  explicit TClassBodyScan(TToken* AScanner) : Scanner(AScanner) {}

  // Next token at depth 0 that is a visibility keyword or the class "end".
  // false when the text ends.
  bool Next(bool& AtEnd, TBereichTokenType& Scope) {
    std::string Prev;
    while (Scanner->Next()) {
      const std::string& T = Scanner->LowerText;
      if (T == "record" || ((T == "class" || T == "object" || T == "interface") && Prev == "=")) {
        bool Opens = true;
        if (T != "record") {
          // "= class;" and "= class of X" have no body.
          std::string Kind = T;
          if (Scanner->Next()) {
            if (Scanner->LowerText == ";" || Scanner->LowerText == "of") Opens = false;
            Scanner->UngetToken();
          }
        }
        if (Opens) ++Depth;
      } else if (T == "end") {
        if (Depth == 0) {
          AtEnd = true;
          return true;
        }
        --Depth;
      } else if (Depth == 0 && Scanner->IsScope(Scope)) {
        AtEnd = false;
        return true;
      }
      Prev = T;
    }
    return false;
  }

  TToken* Scanner;
  int Depth = 0;
};

// Positions Scanner behind the header "Name = class(TBar)" (the scanner
// starts at or above it). false when it is not found or the class has no body.
bool SkipClassHeader(TToken* Scanner, const std::string& Name) {
  const std::string Lower = LowerCase(Name);
  std::string Prev2, Prev;
  while (Scanner->Next()) {
    const std::string T = Scanner->LowerText;
    const bool Named = (Prev == "=" && Prev2 == Lower) || (Prev == "packed" && Prev2 == "=");
    if (Named && (T == "class" || T == "object" || T == "interface" || T == "record")) {
      if (!Scanner->Next()) return false;
      if (Scanner->LowerText == "(") {
        while (Scanner->Next() && Scanner->LowerText != ")") {
        }
        if (!Scanner->Next()) return false;
      }
      // "= class;", "= class(TBar);" and "= class of TBar;" have no body.
      if (Scanner->LowerText == ";" || Scanner->LowerText == "of") return false;
      Scanner->UngetToken();
      return true;
    }
    Prev2 = Prev;
    Prev = T;
  }
  return false;
}

}  // namespace

bool TPascalCoco::ScanClassFor(TOrvikSymbol* Cls, TBereichTokenType Bereich, bool& AtEnd, int& TL) {
  if (Cls->Line < 0) return false;
  // A class's Line is its header's line or, when "class" ends the header's
  // line, the line after it.
  StartScan(scanner, std::max(Cls->Line - 1, 0));
  if (!SkipClassHeader(scanner, Cls->name)) return false;
  TClassBodyScan Body(scanner);
  TBereichTokenType Scope;
  while (Body.Next(AtEnd, Scope)) {
    if (AtEnd || Scope == Bereich) {
      TL = scanner->TokenLine;
      return true;
    }
  }
  return false;
}

std::vector<TPascalCoco::TClassSection> TPascalCoco::ClassSections(TOrvikSymbol* Cls) {
  std::vector<TClassSection> Sections;
  if (Cls->Line < 0) return Sections;
  StartScan(scanner, std::max(Cls->Line - 1, 0));
  if (!SkipClassHeader(scanner, Cls->name)) return Sections;
  TClassSection Current{false, tPublished, scanner->TokenLine, -1};
  TClassBodyScan Body(scanner);
  bool AtEnd = false;
  TBereichTokenType Scope;
  while (Body.Next(AtEnd, Scope)) {
    Current.End = scanner->TokenLine;
    Sections.push_back(Current);
    if (AtEnd) return Sections;
    Current = TClassSection{true, Scope, scanner->TokenLine, -1};
  }
  return {};  // the class's end was not found
}

int TPascalCoco::SectionEnd() {
  TClassBodyScan Body(scanner);
  bool AtEnd = false;
  TBereichTokenType Scope;
  if (Body.Next(AtEnd, Scope)) return scanner->TokenLine;
  return -1;
}

void TPascalCoco::InsertSection(TOrvikSymbol* Cls, int TL, TBereichTokenType Bereich) {
  InsertLine(TL, "    " + ScopeText(Bereich));
  AddClassLines(Cls, TL, 1);
}

int TPascalCoco::FindImplementation() {
  TTraceProc Trace("TPascalCoco.FindImplementation");
  StartScan(scanner, 0);
  std::string Prev;
  int PrevLine = -1;
  int TL = -1;
  while (scanner->Next()) {
    const std::string& T = scanner->LowerText;
    if (T == "initialization" || T == "finalization") {
      TL = scanner->TokenLine;
      break;
    }
    if (T == "." && Prev == "end") {
      TL = PrevLine;
      break;
    }
    Prev = T;
    PrevLine = scanner->TokenLine;
  }
  if (TL < 0) return -1;
  // The line above stays between the block and the keyword, unless it is
  // code that the block would split from its procedure.
  if (TL > 0 && IsBlankOrLineComment(lines->Get(TL - 1))) return TL - 1;
  return TL;
}

// ------------------------------------------------------------ entry points

void TPascalCoco::InsertSymbol(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.InsertSymbol");
  const std::string Stars(68, '*');
  Write(Stars);
  Write(Format("InsertSymbol: %s line=%d,prototyp=%d", Symbol->name, Symbol->Line, Symbol->DeclLine));
  Write(Stars);
  if (Symbol->Line > 0)
    ChangeSymbol(Symbol);
  else
    InsertNewSymbol(Symbol);
  SaveTest();
}

void TPascalCoco::ChangeSymbol(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.ChangeSymbol");
  if (Symbol->Typ == typProcedure)
    ChangeProcedure(Symbol, false, false);
  else if (Symbol->Typ == typVar)
    ChangeVariable(Symbol);
}

void TPascalCoco::InsertNewSymbol(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.InsertNewSymbol");
  TFormVelmoricCompiling* Status = FormVelmoricCompiling;
  if (Status) Status->ShowStatus("Insert Symbol " + Symbol->name);
  struct THide {
    TFormVelmoricCompiling* Status;
    ~THide() {
      if (Status) Status->HideStatus(0);
    }
  } Hide{Status};

  if (TOrvikSymbol* Parent = Symbol->Parent) {
    TOrvikSymbol* Same =
        Parent->symbols ? Parent->symbols->FindSymbol(TSymTypSet{Symbol->Typ}, Symbol->name) : nullptr;
    if (Same) {
      if (Same != Symbol) {
        Symbol->Line = Same->Line;
        Symbol->DeclLine = Same->DeclLine;
        Symbol->defbegin = Same->defbegin;
        Symbol->defend = Same->defend;
        Symbol->DeclEndLine = Same->DeclEndLine;
      }
    } else {
      AddOrvikSymbol(Parent, Symbol);
    }
  }

  switch (Symbol->Typ) {
    case typProcedure: {
      bool D = false, I = false;
      FindLineForProcedure(Symbol, D, I);
      ChangeProcedure(Symbol, I, D);
      break;
    }
    case typVar:
      FindLineForVariable(Symbol);
      ChangeVariable(Symbol);
      break;
    case typProperty:
      FindLineForProperty(Symbol);
      ChangeProperty(Symbol);
      break;
    default:
      break;
  }
}

// -------------------------------------------------------------- variables

void TPascalCoco::ChangeVariable(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.ChangeVariable");
  std::string Text = "      " + Symbol->name + ":" + Symbol->TypeName + ";";
  if (!Symbol->Comment.empty()) Text = Format("%-80s//%s", Text, Symbol->Comment);
  if (Symbol->Line < 0 || Symbol->Line >= lines->Count()) return;
  const std::string Old = lines->Get(Symbol->Line);
  // A line declaring several names, or more than one declaration, stays.
  const std::string Code = Old.substr(0, Old.find("//"));
  if (Code.find(',') != std::string::npos) return;
  if (std::count(Code.begin(), Code.end(), ';') > 1) return;
  ReplaceLine(Symbol->Line, Text);
}

void TPascalCoco::FindLineForVariable(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.FindLineForVariable");
  TOrvikSymbol* Parent = Symbol->Parent;
  if (!Parent) return;
  if (Parent->Typ == typProcedure) {
    if (Parent->defbegin < 0) return;
    StartScan(scanner, Parent->defbegin);
    if (!scanner->Next()) return;
    if (scanner->LowerText == "class" && !scanner->Next()) return;  // class method
    bool InVar = false;
    int Depth = 0;  // parentheses of the heading
    int TL = -1;
    TProcTokenType Kind;
    while (scanner->Next()) {
      const std::string& T = scanner->LowerText;
      if (T == "(") ++Depth;
      else if (T == ")") --Depth;
      if (Depth > 0) continue;
      if (T == "var") {
        InVar = true;
      } else if (T == "const" || T == "type" || T == "label" || T == "resourcestring") {
        InVar = false;  // the variable must not land in another section
      } else if (scanner->IsProcToken(Kind)) {
        Write("is proc token");
        TL = scanner->TokenLine;
        break;
      } else if (T == "begin" || T == "asm") {
        TL = scanner->TokenLine;
        break;
      }
    }
    if (TL < 0) return;
    if (InVar) {
      InsertLine(TL, "// inserted here");
      AddLine(TL, 1);
      Symbol->Line = TL;
    } else {
      InsertLine(TL, "var");
      InsertLine(TL + 1, "// inserted here");
      AddLine(TL, 2);
      Symbol->Line = TL + 1;
    }
  } else if (IsClass(Parent)) {
    Symbol->Bereich = ClassScope(Symbol->Bereich);
    bool AtEnd = false;
    int TL = -1;
    if (!ScanClassFor(Parent, Symbol->Bereich, AtEnd, TL)) return;
    if (AtEnd) {
      InsertLine(TL, "    " + ScopeText(Symbol->Bereich));
      InsertLine(TL + 1, " // inserted here");
      AddClassLines(Parent, TL, 2);
      Symbol->Line = TL + 1;
    } else {
      InsertLine(TL + 1, "// inserted here");
      AddClassLines(Parent, TL + 1, 1);
      Symbol->Line = TL + 1;
    }
  }
}

// ------------------------------------------------------------- properties

void TPascalCoco::FindLineForProperty(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.FindLineForProperty");
  TOrvikSymbol* Parent = Symbol->Parent;
  if (!IsClass(Parent)) {
    Write("Fatal: Property must be in class");
    return;
  }
  Symbol->Bereich = ClassScope(Symbol->Bereich);
  bool AtEnd = false;
  int TL = -1;
  if (!ScanClassFor(Parent, Symbol->Bereich, AtEnd, TL)) return;
  if (AtEnd) {
    InsertLine(TL, "    " + ScopeText(Symbol->Bereich));
    InsertLine(TL + 1, " // inserted here");
    AddClassLines(Parent, TL, 2);
    Symbol->Line = TL + 1;
    return;
  }
  // Properties go to the end of their section: fields must come first.
  const int End = SectionEnd();
  if (End < 0) return;
  InsertLine(End, "// inserted here");
  AddClassLines(Parent, End, 1);
  Symbol->Line = End;
}

void TPascalCoco::ChangeProperty(TOrvikSymbol* Symbol) {
  TTraceProc Trace("TPascalCoco.ChangeProperty");
  std::string Text = "    property " + Symbol->name;
  if (!Symbol->IndexName().empty()) Text += " [" + Symbol->IndexName() + ":" + Symbol->IndexType() + "]";
  Text += " : " + Symbol->TypeName;
  if (!Symbol->ReadAccess().empty()) Text += " read " + Symbol->ReadAccess();
  if (!Symbol->WriteAccess().empty()) Text += " write " + Symbol->WriteAccess();
  Text += ";";
  if (Symbol->Line < 0 || Symbol->Line >= lines->Count()) return;
  ReplaceLine(Symbol->Line, Text);
}

// ------------------------------------------------------------- procedures

void TPascalCoco::FindLineForProcedure(TOrvikSymbol* Symbol, bool& NewDeclaration,
                                       bool& NewImplementation) {
  TTraceProc Trace("TPascalCoco.FindLineForProcedure");
  TOrvikSymbol* Parent = Symbol->Parent;
  if (IsClass(Parent)) {
    Symbol->Bereich = ClassScope(Symbol->Bereich);
    // The last member of the same scope (in list order) marks its section.
    int L = -1;
    if (Parent->symbols) {
      for (int I = 0; I < Parent->symbols->Count(); ++I) {
        TOrvikSymbol* C = Parent->symbols->GetSymbol(I);
        if (!C || C == Symbol || C->Bereich != Symbol->Bereich) continue;
        const int At = C->Typ == typProcedure ? C->DeclLine : C->Line;
        if (At >= Parent->Line && (Parent->defend <= Parent->Line || At < Parent->defend)) L = At;
      }
    }
    if (Symbol->DeclLine == -1) {
      // The class's sections as the text has them: the member's section
      // ends where the next one (or the class) begins.
      std::vector<TClassSection> Sections = ClassSections(Parent);
      int End = -1;
      if (L != -1)
        for (const TClassSection& Sec : Sections)
          if (Sec.Start <= L && L < Sec.End && (!Sec.Keyword || Sec.Scope == Symbol->Bereich)) End = Sec.End;
      if (End < 0)
        for (const TClassSection& Sec : Sections)
          if (Sec.Keyword && Sec.Scope == Symbol->Bereich) {
            End = Sec.End;
            break;
          }
      if (End >= 0) {
        Symbol->DeclLine = End;
        NewDeclaration = true;
      } else if (!Sections.empty()) {
        // A new section: the heading goes below its keyword.
        const int ClassEnd = Sections.back().End;
        InsertSection(Parent, ClassEnd, Symbol->Bereich);
        Symbol->DeclLine = ClassEnd + 1;
        NewDeclaration = true;
      }
    }
    Symbol->defbegin = Symbol->defend = FindImplementation();
    NewImplementation = true;
  } else if (!Parent || Parent->Typ == typUnit) {
    // A global procedure: heading at the end of the interface part, body at
    // the end of the implementation part.
    int Impl = -1;
    StartScan(scanner, 0);
    while (scanner->Next()) {
      if (scanner->LowerText == "implementation") {
        Impl = scanner->TokenLine;
        break;
      }
    }
    if (Impl < 0) return;  // no unit: nowhere to declare it
    if (Symbol->DeclLine == -1) {
      Symbol->DeclLine = Impl;
      NewDeclaration = true;
    }
    Symbol->DeclEndLine = Symbol->DeclLine;
    Symbol->defbegin = FindImplementation();
    Symbol->defend = Symbol->DeclLine + 1;
    NewImplementation = Symbol->defbegin > Impl;
  } else if (Parent->Typ == typProcedure) {
    // A local procedure: implemented inside its parent, before its "begin".
    if (Parent->Line < 0) return;
    Symbol->defbegin = Symbol->defend = Parent->Line;
    NewImplementation = true;
    return;
  } else {
    return;
  }

  // Above a comment that ends the part, so that it stays with what follows.
  if (Symbol->defbegin > 0) {
    TSaveStringList Found("comment", "TPascalCoco");
    int Line = Symbol->defbegin;
    gReadLongComment(Line, lines, &Found);
    if (Found.Count() == 0) {
      Line = Symbol->defbegin - 1;
      gReadLongComment(Line, lines, &Found);
    }
    if (Found.Count() > 0) Symbol->defbegin = Line;
  }
}

int TPascalCoco::HeadingEndLine(int Line) {
  StartScan(scanner, Line);
  int End = Line;
  int Depth = 0;
  while (scanner->Next()) {
    const std::string& T = scanner->LowerText;
    if (T == "(") ++Depth;
    else if (T == ")") --Depth;
    else if (T == ";" && Depth <= 0) {
      End = scanner->TokenLine;
      break;
    }
  }
  while (scanner->Next() && IsHeadingDirective(scanner->LowerText)) {
    while (scanner->Next() && scanner->LowerText != ";") {
    }
    End = scanner->TokenLine;
  }
  return End;
}

void TPascalCoco::ChangeProcedure(TOrvikSymbol* Symbol, bool NewImplementation, bool NewDeclaration) {
  TTraceProc Trace("TPascalCoco.ChangeProcedure");
  TOrvikSymbol* Parent = Symbol->Parent;
  const bool Method = IsClass(Parent);

  // 1. The comment block above the implementation.
  if (Symbol->defbegin == 0) Symbol->defbegin = Symbol->Line - 1;
  int S = Symbol->defbegin;
  if (RunTest)
    for (int I = 0; I <= S && I < lines->Count(); ++I) Write(Format("** %d %s", I, lines->Get(I)));
  if (S >= 0) {
    TSaveStringList Found("comment", "TPascalCoco");
    int Line = S;
    gReadLongComment(Line, lines, &Found);
    if (Found.Count() == 0) {
      Line = S - 1;
      gReadLongComment(Line, lines, &Found);
    }
    if (Found.Count() > 0 && Line < S) S = Line;
  }
  // Procedures whose range reached the insertion point end at the new heading.
  std::vector<TOrvikSymbol*> Before;
  if (NewImplementation && S >= 0) {
    std::unordered_set<TOrvikSymbol*> Seen;
    auto Walk = [&](auto& Self, TOrvikSymbol* Owner) -> void {
      if (!Owner->symbols) return;
      for (int I = 0; I < Owner->symbols->Count(); ++I) {
        TOrvikSymbol* C = Owner->symbols->GetSymbol(I);
        if (!C || !Seen.insert(C).second) continue;
        if (C != Symbol && C->Typ == typProcedure && C->Line >= 0 && C->Line < S && C->defend >= S)
          Before.push_back(C);
        Self(Self, C);
      }
    };
    Walk(Walk, &source->symbols);
  }
  // An old comment of an existing implementation is replaced as a whole.
  if (!NewImplementation && Symbol->defbegin > 0 && S >= 0 && S < Symbol->defbegin) {
    const int Count = Symbol->defbegin - S;
    DeleteLines(S, Symbol->defbegin);
    AddLine(S, -Count);
    SaveTest();
  }
  Symbol->defbegin = S;
  const std::vector<std::string> Comment = CommentLines(Symbol->Comment);
  if (S > 0 && !Comment.empty()) {
    for (size_t I = 0; I < Comment.size(); ++I) InsertLine(S + int(I), Comment[I]);
    AddLine(S, int(Comment.size()));
    S += int(Comment.size());
    SaveTest();
  }

  // 2. Headings.
  std::string H = "    " + ProcText(Symbol->ProcTyp) + " " + Symbol->name;
  std::string M = Method ? ProcText(Symbol->ProcTyp) + " " + Parent->name + "." + Symbol->name : H;
  std::string Tail;
  if (!Symbol->Params.empty()) Tail += "(" + Symbol->Params + ")";
  if (!Symbol->ResultType.empty()) Tail += ":" + Symbol->ResultType;
  Tail += ";";
  H += Tail;
  M += Tail;
  if (Symbol->Options.Contains(tVirtual)) H += " virtual; ";
  if (Symbol->Options.Contains(tOverride)) H += " override; ";
  if (Symbol->Options.Contains(tAbstract)) H += " abstract; ";
  if (!Symbol->MessageId().empty()) H += " message " + Symbol->MessageId() + "; ";

  // 3. A method without declaration gets one in its class.
  if (Symbol->DeclLine < 1 && Method) {
    if (Parent->symbols)
      for (int I = 0; I < Parent->symbols->Count(); ++I) {
        TOrvikSymbol* C = Parent->symbols->GetSymbol(I);
        if (C && C != Symbol && LowerCase(C->name) == LowerCase(Symbol->name) && C->DeclLine >= 1) {
          Symbol->DeclLine = C->DeclLine;
          break;
        }
      }
    if (Symbol->DeclLine < 1) {
      bool AtEnd = false;
      int TL = -1;
      int X = -1;
      if (ScanClassFor(Parent, ClassScope(Symbol->Bereich), AtEnd, TL)) {
        if (AtEnd) {
          InsertSection(Parent, TL, ClassScope(Symbol->Bereich));
          X = TL + 1;
        } else {
          X = SectionEnd();
        }
      }
      if (X >= 0) {
        InsertLine(X, H);
        AddClassLines(Parent, X, 1);
        if (S >= X) ++S;
        Symbol->DeclLine = X;
      }
    }
  }

  // 4. The declaration line.
  if (Symbol->DeclLine >= 0 && Symbol->DeclLine <= lines->Count()) {
    const int D = Symbol->DeclLine;
    if (NewDeclaration) {
      InsertLine(D, H);
      AddClassLines(Method ? Parent : nullptr, D, 1);
      Symbol->DeclLine = D;
      if (D <= S) ++S;
    } else if (D < lines->Count()) {
      // The old heading may run over several lines and carry directives of
      // its own ("overload;", "stdcall;") and a "class" prefix: those stay.
      const int End = HeadingEndLine(D);
      StartScan(scanner, D);
      bool ClassMethod = false;
      std::string Keep;
      if (scanner->Next() && scanner->LowerText == "class") ClassMethod = true;
      {
        int Depth = 0;
        while (scanner->Next()) {
          const std::string& T = scanner->LowerText;
          if (T == "(") ++Depth;
          else if (T == ")") --Depth;
          else if (T == ";" && Depth <= 0) break;
        }
        while (scanner->Next() && IsHeadingDirective(scanner->LowerText)) {
          std::string Directive = scanner->TokenText;
          const bool Generated = IsGeneratedDirective(scanner->LowerText);
          while (scanner->Next() && scanner->LowerText != ";") Directive += " " + scanner->TokenText;
          if (!Generated) Keep += " " + Directive + ";";
        }
      }
      std::string Heading = H;
      if (ClassMethod) Heading.insert(4, "class ");
      Heading += Keep;
      ReplaceLine(D, Heading);
      if (End > D) {
        DeleteLines(D + 1, End + 1);
        AddLine(D + 1, -(End - D));
        if (S > End) S -= End - D;
      }
    }
  }

  // 5. The implementation block.
  if (Symbol->defbegin != -1 && NewImplementation && !Symbol->Options.Contains(tAbstract) && S >= 0 &&
      S <= lines->Count()) {
    const int P = S;
    std::vector<std::string> Block = {"", "", M, "begin"};
    const bool Inherited = Method && Symbol->Options.Contains(tOverride);
    if (Inherited) Block.push_back("  inherited;");
    if (Symbol->code()) {
      for (int I = 0; I < Symbol->code()->Count(); ++I) Block.push_back(Symbol->code()->Get(I));
    } else {
      Block.push_back("  // Velmoric: Insert your code here");
    }
    const int EndAt = P + int(Block.size());
    Block.push_back("end;");
    Block.push_back("");
    for (size_t I = 0; I < Block.size(); ++I) InsertLine(P + int(I), Block[I]);
    AddLine(P, int(Block.size()));
    Symbol->defbegin = P + 2;
    Symbol->Line = P + 3;
    // The range ends at the first token after "end;".
    StartScan(scanner, EndAt);
    scanner->Next();  // end
    scanner->Next();  // ;
    Symbol->defend = scanner->Next() ? scanner->TokenLine : lines->Count();
    for (TOrvikSymbol* C : Before) C->defend = Symbol->defbegin;
    SaveTest();
  }
}
