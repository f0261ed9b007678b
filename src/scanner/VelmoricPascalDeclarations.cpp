// TPascalSource: constants, variables, fields, properties and the comment on
// a declaration's line.
#include <string_view>

#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalSource.h"
#include "trace/traceletVelmoric.h"

namespace {
// The text after Open up to Close (or the end of S when there is no Close).
std::string TextBetween(const std::string& S, size_t OpenAt, size_t OpenLength,
                        const char* Close) {
  TTraceProc Trace("TextBetween");
  std::string Rest = S.substr(OpenAt + OpenLength);
  if (const size_t CloseAt = Rest.find(Close); CloseAt != std::string::npos) Rest.erase(CloseAt);
  return Rest;
}

// Hints that may follow a declaration's ";".
bool IsHintDirective(const std::string& Lower) {
  return Lower == "deprecated" || Lower == "platform" || Lower == "experimental" || Lower == "library" ||
         Lower == "unimplemented";
}

// Directives after a unit-level variable: "X: T; cvar; external name 'x';".
bool IsVariableDirective(const std::string& Lower) {
  return Lower == "cvar" || Lower == "external" || Lower == "public" || Lower == "export" ||
         IsHintDirective(Lower);
}

// Sections the parser does not record, which end a const or var section.
bool IsUnrecordedSection(const std::string& Lower) { return Lower == "resourcestring"; }

}  // namespace

// Whether the tokens after the current one are "; DIRECTIVE" closing a
// procedural type (TypeText so far) rather than "; NAME :" of a next variable.
bool TPascalSource::CallingConventionFollows(const std::string& TypeText) {
  TTraceProc Trace("TPascalSource.CallingConventionFollows");
  // Asked after every token of a type: no copies of the text.
  const std::string_view Start = std::string_view(TypeText).substr(0, 9);
  const bool Function = Start.size() >= 8 && SameText(Start.substr(0, 8), "function");
  if (!Function && !SameText(Start, "procedure")) return false;
  const std::vector<std::string> Next = Peek(3);
  if (Next[0] != ";") return false;
  static constexpr std::string_view Words[] = {"cdecl", "stdcall", "pascal",  "register", "safecall",
                                               "far",   "near",    "varargs", "winapi",   "mwpascal"};
  for (const std::string_view W : Words)
    if (Next[1] == W) return Next[2] != ":" && Next[2] != ",";
  // A macro standing for one ("{$define extdecl:=cdecl}" ... "; extdecl;").
  static constexpr std::string_view Ends[] = {
      "end",       "begin",     "private",        "protected",     "public",
      "published", "implementation", "initialization", "finalization"};
  if (Next[2] != ";" || Next[1].empty() || !isalpha(Next[1][0])) return false;
  for (const std::string_view W : Ends)
    if (Next[1] == W) return false;
  return true;
}

void TPascalSource::GetComment(std::string& Comment) {
  TTraceProc Trace("TPascalSource.GetComment");
  const std::string& S = Token->LineText;
  if (const size_t At = S.find("//"); At != std::string::npos) Comment = S.substr(At + 2);
  else if (const size_t At = S.find("(*"); At != std::string::npos) Comment = TextBetween(S, At, 2, "*)");
  else if (const size_t At = S.find('{'); At != std::string::npos) Comment = TextBetween(S, At, 1, "}");
  else Comment.clear();
}

void TPascalSource::ScanConst(TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanConst");
  ScanConstSection(Owner, tPrivate, false);
}

// A const section of a unit or procedure, or (InMembers) one nested in a
// class or record, which the next member ends; its constants get Bereich.
void TPascalSource::ScanConstSection(TOrvikSymbol* Owner, TBereichTokenType Bereich, bool InMembers) {
  TTraceProc Trace("TPascalSource.ScanConstSection");
  EnterParse("Const");
  NextToken();
  int Previous = Token->TokenLine;  // where the last constant ended
  while (!FEof) {
    TDefType Section;
    if (InMembers && !TokenIs("const") && AtMemberKeyword()) break;
    if (Token->IsDefBereich(Section)) {
      if (Section != tConst) break;
      NextToken();
      continue;
    }
    // A program's or unit's statements end the section too, and so do the
    // headings that start with no section keyword.
    if (TokenIs("begin") || TokenIs("asm") || TokenIs("end")) break;
    if (AtOtherProcStart() || IsUnrecordedSection(Token->LowerText)) break;
    // A second value that conditional directives offer for the constant
    // before ("X: T = {$ifdef A} (...); {$else} (...); {$endif}"): read over.
    if (TokenIs("(") && ConditionalSince(Previous)) {
      for (int Depth = 0; !FEof && !(Depth == 0 && TokenIs(";"));) {
        if (TokenIs("(")) ++Depth;
        else if (TokenIs(")")) --Depth;
        NextToken();
      }
      NextToken();
      continue;
    }

    std::string Comment;
    GetComment(Comment);
    const std::string Name = Token->TokenText;
    std::string TypeText;
    std::string Value;
    NextToken();
    const char First = Token->TokenText.empty() ? '\0' : Token->TokenText[0];
    bool ReadValue = false;
    if (First == ':') {  // a typed constant
      while (NextToken() && !TokenIs("=")) ConCatTo(TypeText, Token->TokenText);
      ReadValue = true;
    } else if (First == '=') {
      ReadValue = true;
    } else if (First == ';') {
      AddError(Token->TokenLine, "Erwarte = ");
    } else {
      AddError(Token->TokenLine, Format("Unexpected %s", Token->TokenText));
    }
    if (ReadValue && !FEof) {
      int Depth = 0;
      for (;;) {
        if (!Token->Next()) {
          FEof = true;
          AddError(Token->TokenLine, "End of file in const");
          break;
        }
        if (TokenIs("(")) ++Depth;
        else if (TokenIs(")")) --Depth;
        else if (Depth == 0 && TokenIs(";")) break;
        ConCatTo(Value, Token->TokenText);
      }
    }
    TOrvikSymbol* Sym = NewSymbol(typConst, Name);
    Sym->Bereich = Bereich;
    Sym->TypeName = Value;
    if (!TypeText.empty()) Sym->Extra().ConstType = TypeText;
    Sym->Comment = Comment;
    Sym->Line = Token->TokenLine;
    Sym->defbegin = Token->TokenLine;
    Sym->defend = Token->TokenLine;
    AddOrvikSymbol(Owner, Sym);
    Previous = Token->TokenLine;
    NextToken();
  }
  ExitParse();
}

void TPascalSource::ScanVariable(TOrvikSymbol* Owner, TBereichTokenType Bereich,
                                 const std::string& FirstName) {
  TTraceProc Trace("TPascalSource.ScanVariable");
  EnterParse("Variable");
  TSaveStringList Names("list", "TPascalSource.ScanVariable");
  if (!FirstName.empty()) Names.Add(FirstName);
  while (NextToken()) {
    if (TokenIs(";")) {
      std::string List;
      for (int I = 0; I < Names.Count(); ++I) {
        if (I > 0) List += ',';
        List += Names.GetItems(I);
      }
      AddError(Token->TokenLine, "Variable(n) haben keinen Typ: " + List);
      break;
    }
    if (TokenIs(":")) {
      std::string Comment;
      GetComment(Comment);
      // The type: up to ";" or a ")" closing an enclosing variant, at
      // parenthesis depth 0. The parser stays on the stopping token.
      // An inline record type ("R: record A: Integer; end;") runs to its
      // own "end": its ";" and fields belong to the type text.
      std::string TypeText;
      int Depth = 0;
      int Records = 0;
      while (NextToken()) {
        if (Depth == 0 && Records == 0 && (TokenIs(";") || TokenIs(")"))) break;
        // The last field of a record or class may go without its ";": the
        // "end" is given back to the caller, whose next token it is.
        if (Depth == 0 && Records == 0 && TokenIs("end")) {
          Token->UngetToken();
          break;
        }
        // A record never holds a body or a unit part: one left open ends here.
        if (Records > 0 && (TokenIs("begin") || TokenIs("implementation"))) break;
        if (TokenIs("(")) ++Depth;
        else if (TokenIs(")")) Depth = Depth > 0 ? Depth - 1 : Depth;
        else if (TokenIs("record")) ++Records;
        else if (TokenIs("end") && Records > 0) --Records;
        (TypeText += Token->TokenText) += ' ';
        // A procedural type's calling convention ("F: procedure; cdecl;")
        // belongs to the type, not to a next variable named "cdecl".
        if (Depth == 0 && Records == 0 && CallingConventionFollows(TypeText)) {
          NextToken();
          TypeText += "; ";
        }
      }
      TypeText = TrimRight(TypeText);
      if (Owner) {
        for (int I = 0; I < Names.Count(); ++I) {
          TOrvikSymbol* Sym = NewSymbol(typVar, Names.GetItems(I));
          Sym->Bereich = Bereich;
          Sym->TypeName = TypeText;
          Sym->Line = Token->TokenLine;
          Sym->Comment = Comment;
          AddOrvikSymbol(Owner, Sym);
        }
      }
      break;
    }
    if (TokenIs(",")) {
      if (!NextToken()) break;
    }
    Names.Add(Token->TokenText);
  }
  ExitParse();
}

void TPascalSource::ScanGlobalVar() {
  TTraceProc Trace("TPascalSource.ScanGlobalVar");
  EnterParse("Scan Global Var");
  std::string FirstName;
  for (;;) {
    ScanVariable(&symbols, tGlobal, FirstName);
    if (!NextToken()) break;
    while (IsVariableDirective(Token->LowerText) && Peek(1)[0] != ":" && Peek(1)[0] != ",") {
      SkipTo(";");
      if (!NextToken()) break;
    }
    if (FEof) break;
    FirstName = Token->TokenText;
    TDefType Section;
    if (Token->IsDefBereich(Section)) break;
    // A program's or unit's statements end the section too, and so do the
    // headings that start with no section keyword.
    if (TokenIs("begin") || TokenIs("asm") || TokenIs("end")) break;
    if (AtOtherProcStart() || IsUnrecordedSection(Token->LowerText)) break;
  }
  ExitParse();
}

void TPascalSource::ScanProperty(TOrvikSymbol* Owner, TBereichTokenType Bereich) {
  TTraceProc Trace("TPascalSource.ScanProperty");
  EnterParse("Property");
  TOrvikSymbol* Sym = NewSymbol(typProperty, "");
  Sym->Bereich = Bereich;
  NextToken();
  Sym->name = Token->TokenText;
  NextToken();
  Sym->Line = Token->TokenLine;
  if (TokenIs("[")) {  // an array property
    NextToken();
    if (!TokenIs("]")) {
      Sym->Extra().IndexName = Token->TokenText;
      NextToken();  // the ":"
      while (NextToken() && !TokenIs("]")) Sym->Extra().IndexType += Token->TokenText + " ";
    }
    NextToken();
  }
  if (TokenIs(":")) {
    NextToken();
    Sym->TypeName = Token->TokenText;
    NextToken();
  }
  if (!TokenIs(";")) {
    if (TokenIs("read")) {
      NextToken();
      Sym->Extra().ReadAccess = Token->TokenText;
      NextToken();
    }
    if (TokenIs("write")) {
      NextToken();
      Sym->Extra().WriteAccess = Token->TokenText;
      NextToken();
    }
    if (TokenIs(";")) {
      const std::string Rest = LowerCase(Copy(Token->LineText, Token->Column, Token->LineLength));
      if (Rest.find("default") != std::string::npos) NextToken();
    }
    if (TokenIs("default")) {
      NextToken();
      if (!TokenIs(";")) {
        Sym->Extra().DefaultValue = Token->LowerText;
        NextToken();
      }
    }
    SkipTo(";");
  }
  // Hints after the ";": "property P: T read F; deprecated 'use Q';".
  for (;;) {
    const std::vector<std::string> Next = Peek(2);
    if (!IsHintDirective(Next[0]) || Next[1] == ":" || Next[1] == ",") break;
    NextToken();
    NextToken();
    SkipTo(";");
  }
  if (Owner) AddOrvikSymbol(Owner, Sym);
  else delete Sym;
  ExitParse();
}
