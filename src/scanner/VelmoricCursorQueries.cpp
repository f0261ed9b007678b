// TPascalSource: which procedure holds a line, which symbol stands under the
// editor cursor, and bringing a line of the unit into view.
#include <algorithm>
#include <vector>

#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricPascalSource.h"
#include "trace/traceletVelmoric.h"

bool bFindPosDebug = false;

namespace {

// Ancestor chains are followed at most this far, so that classes deriving
// from each other cannot hold a lookup forever.
constexpr int MaxAncestorSteps = 100;

void FindPosWrite(const std::string& Text) {
  if (bFindPosDebug && tracelet) tracelet->StrWrite("findpos1", Text);
}

void FindPosExamine(const TOrvikSymbol* Sym, int Line) {
  if (bFindPosDebug)
    FindPosWrite(Format("line=%d defbegin=%d defend=%d Symbol = %s ", Line, Sym->defbegin,
                        Sym->defend, Sym->name));
}

void FindPosMatch(TOrvikSymbol*& Best, TOrvikSymbol* Sym) {
  Best = Sym;
  FindPosWrite("Found symbol " + Sym->name);
}

TOrvikSymbol* ChildAt(const TOrvikSymbols* List, int I) {
  return static_cast<TOrvikSymbol*>(List->GetObject(I));
}

// The nested procedures of Proc that hold Line become the best match, the
// innermost last.
void FindNested(const TOrvikSymbol* Proc, int Line, TOrvikSymbol*& Best) {
  if (!Proc->symbols) return;
  for (int I = 0; I < Proc->symbols->Count(); ++I) {
    TOrvikSymbol* Child = ChildAt(Proc->symbols, I);
    if (!Child || Child->Typ != typProcedure) continue;
    FindPosExamine(Child, Line);
    if (Child->defbegin <= Line && Line <= Child->defend) {
      FindPosMatch(Best, Child);
      FindNested(Child, Line, Best);
    }
  }
}

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

// The dotted expression around the 1-based column C of Text ("Self.Edit1.Text"):
// left over blanks, right to the end of the word, then left over word
// characters and points. B is its first column (1-based). False when the
// cursor stands beyond the end of the line or on no word.
bool IsolateExpression(const std::string& Text, int C, int& B, std::string& Expr) {
  const int N = static_cast<int>(Text.size());
  if (N == 0 || C < 1 || C > N + 1) return false;
  int P = std::min(C - 1, N - 1);
  while (P > 0 && IsBlank(Text[P])) --P;
  int E = P;
  while (E < N && isalnum(Text[E])) ++E;
  int S = E;
  while (S > 0 && (isalnum(Text[S - 1]) || Text[S - 1] == '.')) --S;
  Expr = Text.substr(S, E - S);
  B = S + 1;
  return !Expr.empty();
}

// The editor cursor of Source's unit as a text position: 1-based line and
// 1-based column. False without an editor.
bool ReadCursor(TPascalSource& Source, int& L, int& C) {
  TIEditorInterface* Editor = Source.GetEditor();
  if (!Editor) return false;
  TIEditView* View = Editor->GetView(0);
  if (View) {
    TEditPos EditPos = View->GetPos(0);
    TCharPos CharPos;
    View->ConvertPos(true, EditPos, CharPos);
    L = CharPos.Line;
    C = CharPos.CharIndex + 1;
    View->Release();
  }
  Editor->Release();
  return View != nullptr;
}

void PlaceToken(TToken* Token, int Line, int Column) {
  Token->SetLine(Line);
  Token->Column = Column;
  Token->TokenPushedBack = false;
  Token->CharPushedBack = false;
  Token->EofCount = 0;
}

// A child of Proc of kind typVar or typParameter named Name.
TOrvikSymbol* FindLocal(const TOrvikSymbol* Proc, const std::string& Name) {
  if (!Proc->symbols) return nullptr;
  for (int I = 0; I < Proc->symbols->Count(); ++I) {
    TOrvikSymbol* Child = ChildAt(Proc->symbols, I);
    if (Child && (Child->Typ == typVar || Child->Typ == typParameter) && SameText(Child->name, Name))
      return Child;
  }
  return nullptr;
}

std::vector<std::string> SplitAtPoints(const std::string& Expr) {
  std::vector<std::string> Parts(1);
  for (char Ch : Expr) {
    if (Ch == '.') Parts.emplace_back();
    else Parts.back() += Ch;
  }
  return Parts;
}

}  // namespace

// ------------------------------------------------------------- positioning

void TPascalSource::GotoLine(int Line, int Col) {
  TTraceProc Trace([&] { return Format("TPascalSource.GotoLine(Line=%d,Col=%d)", Line, Col); });
  if (!ToolServices) return;
  TIEditView* View = nullptr;
  TIEditorInterface* Editor = nullptr;
  auto Release = [&] {
    ReleaseInterface(View);
    ReleaseInterface(Editor);
  };
  if (EditModule) {
    if (Line <= 0) return;
    Editor = EditModule->GetEditorInterface();
    View = Editor ? Editor->GetView(0) : nullptr;
    if (View) {
      View->SetPos(0, TEditPos{static_cast<int16_t>(Col), Line});
      View->SetPos(1, TEditPos{1, Line > 7 ? Line - 5 : Line});
    }
    EditModule->ShowSource();
    Release();
    return;
  }
  const std::string Lower = LowerCase(FileName);
  if (!ToolServices->IsFileOpen(Lower)) ToolServices->OpenFile(Lower);
  EditModule = ToolServices->GetModuleInterface(FileName);
  if (!EditModule || Line <= 0) return;
  Editor = EditModule->GetEditorInterface();
  EditModule->ShowSource();
  View = Editor ? Editor->GetView(0) : nullptr;
  if (View) {
    View->SetPos(0, TEditPos{static_cast<int16_t>(Col), Line});
    View->SetPos(1, TEditPos{static_cast<int16_t>(Col), Line > 10 ? Line - 5 : Line});
  }
  Release();
}

// ------------------------------------------------------- procedure search

TOrvikSymbol* TPascalSource::GetProcedureFromCursor(int Line) {
  TTraceProc Trace([&] { return Format("TPascalSource.GetProcedureFromCursor(Line=%d)", Line); });
  TOrvikSymbol* Best = nullptr;
  const TOrvikSymbols* List = symbols.symbols;
  if (!List) return nullptr;
  for (int I = 0; I < List->Count(); ++I) {
    TOrvikSymbol* S = ChildAt(List, I);
    if (!S) continue;
    FindPosExamine(S, Line);
    const int Start = S->defbegin > 0 ? S->defbegin : S->Line;
    const bool Contains = Start <= Line && Line <= S->defend;
    if (S->Typ == typClass) {
      if (Contains && !Best) FindPosMatch(Best, S);
      if (!S->symbols) continue;
      for (int J = 0; J < S->symbols->Count(); ++J) {
        TOrvikSymbol* M = ChildAt(S->symbols, J);
        if (!M) continue;
        FindPosExamine(M, Line);
        if (M->Typ == typProcedure && M->Line <= Line && Line <= M->defend &&
            (!Best || M->Line > Best->Line))
          FindPosMatch(Best, M);
        FindNested(M, Line, Best);
      }
    } else if (S->Typ == typProcedure && Contains) {
      if (!Best || S->Line > Best->Line) FindPosMatch(Best, S);
      FindNested(S, Line, Best);
    }
  }
  return Best;
}

// ----------------------------------------------------------- cursor words

void TPascalSource::GetSymbolFromCursor(TFindSymbol* Find, std::string& Word) {
  TTraceProc Trace("TPascalSource.GetSymbolFromCursor");
  Word.clear();
  int L = Find->CursorLine;
  int C = Find->CursorCol;
  if (ToolServices && !ReadCursor(*this, L, C)) return;
  Find->CursorLine = L;
  Find->CursorCol = C;
  if (!Token || L < 1 || L > Token->Lines->Count()) return;
  const std::string Text = Token->Lines->Get(L - 1);

  // The model's lines are 0-based, the editor's 1-based.
  TOrvikSymbol* P = GetProcedureFromCursor(L - 1);
  Find->Proc = P;
  Find->ProcAgain = P;
  TOrvikSymbol* CurrentOwner = P ? P->Parent : nullptr;

  int B = 1;
  std::string Expr;
  if (!IsolateExpression(Text, C, B, Expr)) return;
  PlaceToken(Token, L - 1, B);

  const std::vector<std::string> Parts = SplitAtPoints(Expr);
  TOrvikSymbol* Current = nullptr;

  // A member of Sym: the type of Sym first, then its children and those of
  // its ancestors. Sets Find->Owner as the search goes.
  auto FindMember = [&](TOrvikSymbol* Sym, const std::string& Part) -> TOrvikSymbol* {
    const std::string TypeName = Trim(Sym->TypeName);
    if (Project && !TypeName.empty()) {
      TOrvikSymbol* Type = Project->FindFlatSymbol(TypeName);
      if (Type && Type->TypeName.rfind('^', 0) == 0) {
        if (TOrvikSymbol* Target = Project->FindFlatSymbol(Trim(Type->TypeName.substr(1))))
          Type = Target;
      }
      if (Type) {
        Sym = Type;
        Find->Owner = Type;
      }
    }
    TOrvikSymbol* Searched = Sym;
    for (int Step = 0; Searched && Step < MaxAncestorSteps; ++Step) {
      if (Searched->symbols) {
        if (TOrvikSymbol* Hit = Searched->symbols->FindAnyFlatSymbol(Part)) return Hit;
      }
      Find->Owner = Searched;
      if (!Project || Searched->Ancestor().empty()) break;
      Searched = Project->FindSymbol(Searched->Ancestor(), typClass);
    }
    return nullptr;
  };

  for (size_t I = 0; I < Parts.size(); ++I) {
    const std::string& Part = Parts[I];
    Find->Word = Part;
    if (I > 0) {
      Current = Current && !Part.empty() ? FindMember(Current, Part) : nullptr;
      continue;
    }
    if (Part.empty()) break;
    // "Self" inside a method is the method's class.
    if (SameText(Part, "self") && CurrentOwner && CurrentOwner->Typ == typClass) {
      Current = CurrentOwner;
      continue;
    }
    if (P && P->Typ == typProcedure) {
      // Parameters and local variables are recorded by parsing the outermost
      // enclosing procedure again.
      TOrvikSymbol* Outer = P;
      while (Outer->Parent && Outer->Parent->Typ == typProcedure) Outer = Outer->Parent;
      if (Outer->Line >= 0) {
        Options += oCompileLocalVar;
        const bool WasInImplementation = InImplementation;
        InImplementation = true;
        PlaceToken(Token, Outer->defbegin, 1);
        bool AtHeading = NextToken();
        if (AtHeading && Token->LowerText == "class") AtHeading = NextToken();  // a class method
        if (AtHeading) ScanProcImplementation2(Outer->Parent ? Outer->Parent : &symbols, Outer->Bereich);
        InImplementation = WasInImplementation;
      }
      for (TOrvikSymbol* Proc = P; Proc && Proc->Typ == typProcedure && !Current; Proc = Proc->Parent)
        Current = FindLocal(Proc, Part);
      if (Current) Find->Owner = Current;
    }
    if (!Current && CurrentOwner) Current = FindMember(CurrentOwner, Part);
    if (!Current && Project) Current = Project->FindFlatSymbol(Part);
  }

  Find->Symbol = Current;
  Word = Parts.back();
  PlaceToken(Token, L - 1, B);
}

std::string TPascalSource::GetWordFromCursor() {
  TTraceProc Trace("TPascalSource.GetWordFromCursor");
  int L = 0;
  int C = 0;
  if (!ToolServices || !ReadCursor(*this, L, C)) return {};
  if (!Token || L < 1 || L > Token->Lines->Count()) return {};
  int B = 1;
  std::string Expr;
  IsolateExpression(Token->Lines->Get(L - 1), C, B, Expr);
  return Expr;
}
