// TPascalSource: procedure prototypes, headings, implementations with their
// local declarations and bodies, parameter lists and comment blocks.
#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalSource.h"
#include "trace/traceletVelmoric.h"

namespace {
constexpr int MaxNesting = 100;  // nested procedures followed at most

// Directives of a heading that are not procedure options: skipped before a
// body, so that the body is still found.
bool IsOtherDirective(const std::string& Lower) {
  TTraceProc Trace("IsOtherDirective");
  static constexpr std::string_view Words[] = {
      "cdecl",     "pascal",       "register",   "safecall",  "export",   "overload",
      "inline",    "reintroduce",  "platform",   "deprecated", "library", "experimental",
      "varargs",   "local",        "near",       "nostackframe", "interrupt", "noreturn",
      "public",    "alias",        "compilerproc", "internproc", "iocheck", "winapi",
      "static",    "final",        "unimplemented", "mwpascal", "saveregisters", "vectorcall",
      "ms_abi_default", "ms_abi_cdecl", "sysv_abi_default", "sysv_abi_cdecl", "hardfloat",
      "softfloat", "syscall",      "rtlproc",    "oldfpccall", "internconst", "cppdecl",
      "weakexternal", "enumerator", "dispid",    "section"};
  for (const std::string_view W : Words)
    if (Lower == W) return true;
  return false;
}

// Directives of later compilers after a prototype (the compilers this parser
// was first made for knew none of them): read over like the options.
bool IsNewDirective(const std::string& Lower) {
  TTraceProc Trace("IsNewDirective");
  static constexpr std::string_view Words[] = {
      "overload",      "reintroduce", "inline",  "static",   "final",     "deprecated",
      "experimental",  "platform",    "unimplemented", "enumerator", "winapi", "noreturn",
      "hardfloat",     "mwpascal",    "vectorcall",    "varargs"};
  for (const std::string_view W : Words)
    if (Lower == W) return true;
  return false;
}

// The first procedure named Name in List, in list order. In a sorted list
// the names equal to Name stand together from the place Find gives.
TOrvikSymbol* FindProcedure(TOrvikSymbols* List, const std::string& Name) {
  TTraceProc Trace("FindProcedure");
  int I = 0;
  if (List->Sorted() && !List->Find(Name, I)) return nullptr;
  for (; I < List->Count(); ++I) {
    auto* Child = static_cast<TOrvikSymbol*>(List->GetObject(I));
    const bool Same = Child && SameText(Child->name, Name);
    if (Same && Child->Typ == typProcedure) return Child;
    if (!Same && List->Sorted()) break;
  }
  return nullptr;
}

// Frees a procedure record that went into no list. A class or interface
// declared inside it hangs in Root with it (or a procedure nested in it) as
// Parent: such a record gets Root back, so that no Parent points at freed memory.
void DiscardProcedure(TOrvikSymbol& Root, TOrvikSymbol* Sym) {
  if (TOrvikSymbols* List = Root.symbols) {
    for (int I = 0; I < List->Count(); ++I) {
      auto* C = static_cast<TOrvikSymbol*>(List->GetObject(I));
      for (const TOrvikSymbol* P = C ? C->Parent : nullptr; P && P != &Root; P = P->Parent) {
        if (P == Sym) {
          C->Parent = &Root;
          break;
        }
      }
    }
  }
  delete Sym;
}

// Whether the token starts a label declaration ("label 10, Again;"), not a
// variable so named ("Label: TLabel;"). The scanner stays where it is.
bool AtLabelSection(TToken& Token) {
  if (Token.LowerText != "label") return false;
  const TToken Saved = Token;
  const bool Name = Token.Next() && (Token.TokenText == ":" || Token.TokenText == ",");
  Token = Saved;
  return !Name;
}

// S without the characters up to blank at both ends, as Trim has it.
std::string_view TrimView(std::string_view S) {
  while (!S.empty() && static_cast<unsigned char>(S.front()) <= ' ') S.remove_prefix(1);
  while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ') S.remove_suffix(1);
  return S;
}
}  // namespace

// ------------------------------------------------------------- prototypes

bool TPascalSource::ScanProcedure(TOrvikSymbol* Owner, TProcTokenType Kind,
                                  TBereichTokenType Bereich) {
  TTraceProc Trace("TPascalSource.ScanProcedure");
  ScanPrototype(Owner, Kind, Bereich, false);
  return true;
}

// A prototype in a class, interface or record, positioned on its procedure
// word (or, IsOperator, on "operator": the record is named by the operator).
void TPascalSource::ScanPrototype(TOrvikSymbol* Owner, TProcTokenType Kind, TBereichTokenType Bereich,
                                  bool IsOperator) {
  TTraceProc Trace("TPascalSource.ScanPrototype");
  EnterParse("Procedure prototype");
  TOrvikSymbol* Sym = NewSymbol(typProcedure, "");
  if (IsOperator) {
    Sym->DeclLine = Token->TokenLine;
    Sym->name = ReadOperatorName();
  } else {
    NextToken();
    Sym->name = Token->TokenText;
    Sym->DeclLine = Token->TokenLine;
    NextToken();
  }
  Sym->Bereich = Bereich;
  Sym->Line = -1;
  TOrvikSymbol* Target = Owner ? Owner : &symbols;

  if (TokenIs("<")) {  // a generic method's type parameters
    SkipAngles();
    NextToken();
  }
  if (TokenIs("(")) {
    std::string Text;
    // A default value may hold parentheses: "A: Integer = Ord(X)".
    for (int Depth = 0; NextToken() && (Depth > 0 || !TokenIs(")"));) {
      if (TokenIs("(")) ++Depth;
      else if (TokenIs(")")) --Depth;
      (Text += Token->TokenText) += ' ';
    }
    NextToken();
    if (Sym->Params.empty()) Sym->Params = Text;
  }
  if (Kind == tFunction) {
    if (!TokenIs(":")) {
      AddError(Token->TokenLine, "Erwarte ':'");
      AddSymbol(Sym);
      if (Owner) AddOrvikSymbol(Owner, Sym);
      NextToken();
      ExitParse();
      return;
    }
    std::string Text;
    while (NextToken() && !TokenIs(";")) (Text += Token->TokenText) += ' ';
    if (Sym->ResultType.empty()) Sym->ResultType = Text;
  }
  if (TokenIs(";")) {
    NextToken();
    // In records, objects and helpers (read only since classes were) every
    // directive is read over; in classes and interfaces those of later
    // compilers only.
    const bool AllDirectives = FAllDirectives || (Owner && Owner->Typ == typRecord);
    TProcOptionsType Option;
    for (;;) {
      if (FEof) break;
      if (Token->IsProcOption(Option)) {
        Sym->Options += Option;
        if (Option == tMessage) {
          NextToken();
          Sym->Extra().MessageId = Token->TokenText;
        }
      } else if (TBereichTokenType Scope; Token->IsScope(Scope) ||  // "public" starts a section here
                 (!IsNewDirective(Token->LowerText) &&
                  !(AllDirectives && IsOtherDirective(Token->LowerText)))) {
        break;
      }
      SkipTo(";");
      NextToken();
    }
    AddOrvikSymbol(Target, Sym);
  } else {
    AddError(Token->TokenLine, "Erwarte ';'");
    AddOrvikSymbol(Target, Sym);
    NextToken();
  }
  ExitParse();
}

// --------------------------------------------------------- implementations

void TPascalSource::ScanProcImplementation(TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanProcImplementation");
  ScanProcImplementation2(Owner, tGlobal);
}

void TPascalSource::ScanProcImplementation2(TOrvikSymbol* Owner, TBereichTokenType Bereich) {
  TTraceProc Trace("TPascalSource.ScanProcImplementation2");
  EnterParse("Procedure");
  ++FNesting;
  std::string ClassName;
  std::string Name;
  auto Finish = [&] {
    --FNesting;
    if (ProcDebug && tracelet)
      tracelet->write(Format("Exit ScanProcInformation line %d %s %s", Token->TokenLine, ClassName, Name));
    ExitParse();
  };

  // The comment block above the heading.
  const int H = Token->TokenLine;
  int CommentLine = H - 1;
  int CommentCount = 0;
  std::string Comment;
  ReadLongComment(CommentLine, CommentCount, Comment);

  TProcTokenType Kind = tProcedure;
  const bool IsOperator = TokenIs("operator");
  if (IsOperator) Kind = tFunction;  // "operator + (A, B: T) R: T": named by the operator
  else Token->IsProcToken(Kind);

  if (IsOperator) {
    Name = ReadOperatorName();
  } else {
    NextToken();
    Name = Token->TokenText;
    NextToken();
  }
  if (TokenIs("<")) {  // "TList<T>.Add", "Swap<T>": type parameters
    SkipAngles();
    NextToken();
  }
  int N = H;
  TBereichTokenType Scope = Bereich;
  std::vector<std::string> ClassPath;
  while (TokenIs(".")) {  // Class.Method, Outer.Inner.Method
    ClassPath.push_back(Name);
    ClassName = Name;
    if (IsOperator) {
      Name = ReadOperatorName();
      N = Token->TokenLine;
    } else {
      NextToken();
      Name = Token->TokenText;
      N = Token->TokenLine;
      NextToken();
    }
    if (TokenIs("<")) {
      SkipAngles();
      NextToken();
    }
    Scope = tPublic;
  }
  if (ClassPath.size() > 1) {
    ClassName.clear();
    for (const std::string& Part : ClassPath) ClassName += (ClassName.empty() ? "" : ".") + Part;
  }

  TOrvikSymbol* Sym = ClassPath.size() > 1 ? FindSymbolInClassPath(ClassPath, Name)
                                           : FindSymbolInClass(ClassName, Name);
  if (!Sym && Owner && Owner->symbols) Sym = FindProcedure(Owner->symbols, Name);
  const bool IsNew = !Sym;
  if (Sym) {
    Sym->defbegin = H;
  } else {
    Sym = NewSymbol(typProcedure, Name);
    if (!ClassName.empty())
      AddError(Token->TokenLine, Format("Prozedure %s.%s hat keinen Prototyp", ClassName, Name));
    Sym->Bereich = Scope;
    Sym->defbegin = H;
    Sym->defend = N;
    if (!InImplementation) Sym->DeclLine = Token->TokenLine;
  }
  Sym->Comment = Comment;
  Sym->Line = Token->TokenLine;
  Sym->ProcTyp = Kind;
  // Adds a new record to Owner (or the unit root); a found one stays where it is.
  auto Place = [&](TOrvikSymbol* Into) {
    if (IsNew) AddOrvikSymbol(Into, Sym);
  };

  // Parameters.
  if (TokenIs("(")) {
    std::string Text;
    std::string LastName;
    while (NextToken()) {
      if (TokenIs(")")) {
        N = Token->TokenLine;
        NextToken();
        break;
      }
      if (TokenIs(":")) {
        TOrvikSymbol* Param = nullptr;
        if (Options.Contains(oCompileLocalVar)) {
          Param = Sym->symbols ? Sym->symbols->FindAnyFlatSymbol(LastName) : nullptr;
          if (!Param) {
            Param = NewSymbol(typParameter, LastName);
            AddOrvikSymbol(Sym, Param);
          }
          Param->Typ = typParameter;
          Param->Parent = Sym;
          Param->TypeName.clear();
        }
        for (int Depth = 0; NextToken() && (Depth > 0 || (!TokenIs(";") && !TokenIs(")")));) {
          if (TokenIs("(")) ++Depth;
          else if (TokenIs(")")) --Depth;
          if (Param) {
            if (!Param->TypeName.empty()) Param->TypeName += " ";
            Param->TypeName += Token->TokenText;
          }
        }
        if (FEof) break;
        if (TokenIs(";")) Text += "; ";
        else {
          N = Token->TokenLine;
          NextToken();
          break;
        }
        continue;
      }
      (Text += Token->TokenText) += ' ';
      LastName = Token->TokenText;
    }
    if (Sym->Params.empty()) Sym->Params = Text;
  }

  // An operator's result may be named: "operator + (A, B: T) R: T".
  if (IsOperator && !Token->TokenText.empty() && isalnum(Token->TokenText[0])) NextToken();

  // Result type.
  if (TokenIs(":")) {
    std::string Text;
    while (NextToken()) {
      N = Token->TokenLine;
      if (TokenIs(";")) break;
      (Text += Token->TokenText) += ' ';
    }
    if (Sym->ResultType.empty()) Sym->ResultType = Text;
  }

  if (!TokenIs(";")) AddError(Token->TokenLine, "Erwarte ';'");
  else NextToken();

  if (TokenIs("forward")) {
    Sym->DeclLine = Token->TokenLine;
    NextToken();
    if (TokenIs(";")) NextToken();
    if (Owner) Place(Owner);
    else if (IsNew) DiscardProcedure(symbols, Sym);
    Finish();
    return;
  }

  if (TokenIs(";")) NextToken();
  SkipDirectives(Sym);

  const int E = Token->TokenLine;
  if (!InImplementation || Sym->Options.Contains(tExternal)) {
    Sym->DeclLine = H;
    Sym->DeclEndLine = N;
    Place(Owner ? Owner : &symbols);
    Finish();
    return;
  }

  // Local declarations: nested procedures and var, type and const sections.
  bool Deeper = true;
  for (;;) {
    TProcTokenType NestedKind;
    if (Token->IsProcToken(NestedKind)) {
      if (FNesting >= MaxNesting) {
        AddError(Token->TokenLine, "Nesting too deep");
        Deeper = false;
        break;
      }
      ScanProcImplementation2(Sym, tLocal);
    } else if (TokenIs("var") || TokenIs("type") || TokenIs("const") || AtLabelSection(*Token)) {
      ScanLocalSections(Sym);
    } else {
      break;
    }
    if (FEof) break;
  }

  if (Deeper && (TokenIs("begin") || TokenIs("asm"))) {
    if (Owner) Place(Owner);
    Sym->Line = Token->TokenLine;
    Sym->defbegin = H;
    Sym->defend = N;
    SkipBody();
    Sym->defend = Token->TokenLine;
    if (!Owner && IsNew) DiscardProcedure(symbols, Sym);
  } else {
    // No body: the heading was a declaration after all.
    Sym->DeclLine = E;
    Sym->DeclEndLine = N;
    Sym->Line = -1;
    if (IsNew) DiscardProcedure(symbols, Sym);
  }
  Finish();
}

// The options after a heading, from the token after its ";": each procedure
// option is recorded (with the message number read over), other directives
// are read over, each up to the ";" that closes it.
void TPascalSource::SkipDirectives(TOrvikSymbol* Sym) {
  TTraceProc Trace("TPascalSource.SkipDirectives");
  for (;;) {
    TProcOptionsType Option;
    if (Token->IsProcOption(Option)) {
      Sym->Options += Option;
      if (Option == tMessage) NextToken();
    } else if (TokenIs("[")) {  // "[public, alias: 'NAME']"
      SkipTo("]");
    } else if (!IsOtherDirective(Token->LowerText)) {
      break;
    }
    SkipTo(";");
    NextToken();
    if (FEof) break;
  }
}

// The var, type, const and label sections of a procedure, from a section word to
// the "begin" or "asm" of its body (or a token that starts none of them).
void TPascalSource::ScanLocalSections(TOrvikSymbol* Proc) {
  TTraceProc Trace("TPascalSource.ScanLocalSections");
  std::string Section = Token->LowerText;
  NextToken();
  TOrvikSymbol* VarOwner = Options.Contains(oCompileLocalVar) ? Proc : nullptr;
  while (!FEof && !TokenIs("begin") && !TokenIs("asm")) {
    TDefType Kind;
    const bool Label = AtLabelSection(*Token);
    if (Label || Token->IsDefBereich(Kind)) {
      if (Label) Kind = tConst;  // read over like constants
      if (Kind != tVar && Kind != tType && Kind != tConst)
        return;  // a nested procedure (the caller scans it), or the end of the unit part
      Section = Token->LowerText;
      NextToken();
      continue;
    }
    if (Section == "var") {
      ScanVariable(VarOwner, tLocal, Token->TokenText);
      NextToken();
    } else if (Section == "type") {
      Token->UngetToken();
      ScanType(Proc);
    } else {
      SkipTo(";");  // local constants and labels are not recorded
      NextToken();
    }
  }
}

// From the body's "begin" or "asm" to the first token after its "end;".
void TPascalSource::SkipBody() {
  TTraceProc Trace("TPascalSource.SkipBody");
  int Depth = 1;
  NextToken();
  while (!FEof) {
    if (TokenIs("begin") || TokenIs("asm") || TokenIs("try") || TokenIs("case")) {
      ++Depth;
    } else if (TokenIs("end") && --Depth == 0) {
      break;
    }
    NextToken();
  }
  if (FEof) return;
  NextToken();
  if (TokenIs(";")) NextToken();
}

TOrvikSymbol* TPascalSource::FindSymbolInClass(const std::string& ClassName,
                                                const std::string& Name) {
  TTraceProc Trace([&] { return Format("TPascalSource.FindSymbolInClass(%s,%s)", ClassName, Name); });
  TOrvikSymbols* List = symbols.symbols;
  if (!List) return nullptr;
  if (!ClassName.empty()) {
    const int I = List->IndexOf(LowerCase(ClassName));
    if (I < 0) return nullptr;
    auto* Cls = static_cast<TOrvikSymbol*>(List->GetObjects(I));
    // A record's methods (advanced records, helpers) are found as a class's.
    const bool Record = Cls && Cls->Typ == typRecord;
    if (!Cls || (Cls->Typ != typClass && !Record) || !Cls->symbols) return nullptr;
    List = Cls->symbols;
    const int J = List->IndexOf(LowerCase(Name));
    auto* Sym = J < 0 ? nullptr : static_cast<TOrvikSymbol*>(List->GetObjects(J));
    return Record && Sym && Sym->Typ != typProcedure ? nullptr : Sym;
  }
  const int I = List->IndexOf(LowerCase(Name));
  return I < 0 ? nullptr : static_cast<TOrvikSymbol*>(List->GetObjects(I));
}

// -------------------------------------------------------------- parameters

void TPascalSource::ParseProcParameters(TOrvikSymbol* Sym) {
  TTraceProc Trace("TPascalSource.ParseProcParameters");
  TSaveStringList Names("parList", "TPascalSource");
  std::string Text;
  while (NextToken()) {
    if (TokenIs(":")) {
      Text += ": ";
      std::string TypeText;
      while (NextToken() && !TokenIs(")") && !TokenIs(";")) (TypeText += Token->TokenText) += ' ';
      for (int I = 0; I < Names.Count(); ++I) {
        const std::string ParamName = Names.GetItems(I);
        TOrvikSymbol* Param = Sym->symbols ? Sym->symbols->FindAnyFlatSymbol(ParamName) : nullptr;
        if (!Param) {
          Param = NewSymbol(typParameter, ParamName);
          // The record belongs to Sym's tree, which may outlive this source.
          Param->Source = Sym->Source;
          AddOrvikSymbol(Sym, Param);
        }
        Param->TypeName = Trim(TypeText);
        Param->Typ = typParameter;
        Param->name = ParamName;
        Param->Parent = Sym;
      }
      Names.Clear();
      if (FEof) break;
      (Text += Token->TokenText) += ' ';
      if (TokenIs(")")) {
        NextToken();
        break;
      }
      continue;
    }
    (Text += Token->TokenText) += ' ';
    if (TokenIs(")")) {
      NextToken();
      break;
    }
    if (!TokenIs(",") && !TokenIs("const") && !TokenIs("var")) Names.Add(Token->TokenText);
  }
  if (Sym->Params.empty()) Sym->Params = Text;
}

void ReParseProcParamters(TOrvikSymbol* Sym) {
  TTraceProc Trace("ReParseProcParamters");
  auto* Lines = new TSaveStringList("str", "ReParseProcParameters");
  Lines->Add(Sym->Params + ");");
  TPascalSource Temp(new TToken(Lines));  // frees the token source and the list
  Temp.ParseProcParameters(Sym);
}

// ---------------------------------------------------------- comment blocks

void gReadLongComment(int& Line, TStrings* Lines, TStrings* Comment) {
  TTraceProc Trace("gReadLongComment");
  int I = std::min(Line, Lines->Count() - 1);
  std::string Whole;  // reused from line to line
  while (I > 0) {
    Lines->GetTo(I, Whole);
    const std::string_view Text = TrimView(Whole);
    if (Text.empty()) {
      --I;
      continue;
    }
    if (Text.starts_with("//")) {
      while (I > 0) {
        const std::string Raw = Lines->Get(I);
        if (!TrimView(Raw).starts_with("//")) break;
        Comment->Insert(0, Raw.substr(Raw.find("//") + 2));
        Line = I;
        --I;
      }
      continue;
    }
    const bool Braces = Text.ends_with("}");
    if (!Braces && !Text.ends_with("*)")) break;

    // A "{ }" or "(* *)" block: its lines up to the opening delimiter,
    // without the delimiters.
    const std::string Open = Braces ? "{" : "(*";
    const std::string Close = Braces ? "}" : "*)";
    std::string Raw = Whole;
    const size_t CloseAt = Raw.rfind(Close);
    Raw.erase(CloseAt);
    int J = I;
    size_t OpenAt = std::string::npos;
    std::vector<std::string> Block;  // bottom line first
    for (;;) {
      OpenAt = Braces ? Raw.rfind('{') : Raw.rfind("(*");
      if (OpenAt != std::string::npos || J == 0 || I - J >= MaxCommentBlockLines) break;
      Block.push_back(Raw);
      --J;
      Raw = Lines->Get(J);
    }
    // A compiler directive ("{$R *.DFM}") is code to this search: it ends it,
    // and is never taken into a comment that may be rewritten.
    if (OpenAt != std::string::npos && Raw.compare(OpenAt + Open.size(), 1, "$") == 0) break;
    if (OpenAt == std::string::npos) {
      // No opening delimiter: only the closing line counts, and the search ends.
      Comment->Insert(0, Block.front());
      Line = I;
      break;
    }
    Block.push_back(Raw.substr(OpenAt + Open.size()));
    for (const std::string& Part : Block) Comment->Insert(0, Part);
    Line = J;
    // Code before the opening delimiter ends the search.
    if (!TrimView(std::string_view(Raw).substr(0, OpenAt)).empty()) break;
    I = J - 1;
  }
}

void TPascalSource::ReadLongComment(int& Line, int& Count, std::string& Comment) {
  TTraceProc Trace("TPascalSource.ReadLongComment");
  TSaveStringList Lines("comment", "TPascalSource");
  gReadLongComment(Line, Token->Lines, &Lines);
  Count = Lines.Count();
  Comment.clear();
  for (int I = 0; I < Lines.Count(); ++I) {
    if (I > 0) Comment += "\r\n";
    Comment += Lines.GetItems(I);
  }
}
