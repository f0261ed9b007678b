// TPascalSource: the constructs of today's Pascal (Free Pascal and Lazarus,
// later Delphi) that the parser reads into the same symbol kinds: nested
// sections and strict visibility in classes and records, class variables
// and properties, generics, helpers, operators.
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalSource.h"
#include "trace/traceletVelmoric.h"

namespace {

bool IsProcWord(const std::string& Lower) {
  return Lower == "procedure" || Lower == "function" || Lower == "constructor" || Lower == "destructor";
}

// Operators named by a word: "operator and (...)", "class operator Add(...)".
bool IsWordStart(const std::string& Lower) { return !Lower.empty() && isalnum(Lower[0]); }

bool IsOperatorSymbol(const std::string& Lower) {
  return Lower == "+" || Lower == "-" || Lower == "*" || Lower == "/" || Lower == "=" || Lower == "<" ||
         Lower == ">" || Lower == ":";
}

}  // namespace

std::vector<std::string> TPascalSource::Peek(int N) {
  TTraceProc Trace("TPascalSource.Peek");
  const TToken Saved = *Token;
  std::vector<std::string> Texts;
  for (int I = 0; I < N; ++I) {
    if (!Token->Next()) {
      Texts.emplace_back();
      continue;
    }
    Texts.push_back(Token->IsString ? std::string("'") : Token->LowerText);
  }
  *Token = Saved;
  return Texts;
}

std::string TPascalSource::SkipAngles() {
  TTraceProc Trace("TPascalSource.SkipAngles");
  std::string Text = "<";
  int Depth = 1;
  while (Depth > 0 && NextToken()) {
    if (TokenIs("<")) ++Depth;
    else if (TokenIs(">")) --Depth;
    // A list never holds these (constraints may hold ";"): a "<" that opened
    // none ends here.
    else if (TokenIs("=") || TokenIs("begin") || TokenIs("end")) {
      Token->UngetToken();
      return Text;
    }
    if (TokenIs(",")) Text += ", ";
    else {
      if (isalnum(Text.back()) && isalnum(Token->TokenText[0])) Text += ' ';
      Text += Token->TokenText;
    }
  }
  return Text;
}

bool TPascalSource::AtMemberKeyword() {
  TTraceProc Trace("TPascalSource.AtMemberKeyword");
  TDefType Section;
  TBereichTokenType Scope;
  if (TokenIs("end") || TokenIs("case") || TokenIs("property") || TokenIs("class") || TokenIs("threadvar"))
    return true;
  if (Token->IsDefBereich(Section)) return true;
  if (TokenIs("strict") || TokenIs("generic") || Token->IsScope(Scope)) {
    const std::string After = Peek(1)[0];
    return After != ":" && After != "," && After != "=";
  }
  return false;
}

bool TPascalSource::ScanDialectMember(TOrvikSymbol* Owner, TBereichTokenType& Visibility) {
  TTraceProc Trace("TPascalSource.ScanDialectMember");
  if (TokenIs("strict")) {  // "strict private", "strict protected"
    const std::string After = Peek(1)[0];
    if (After != "private" && After != "protected") return false;
    NextToken();
    Visibility = TokenIs("private") ? tPrivate : tProtected;
    NextToken();
    return true;
  }
  if (TokenIs("generic")) {  // "generic procedure Foo<T>(...)"
    const std::string After = Peek(1)[0];
    if (!IsProcWord(After) && After != "class") return false;
    NextToken();
    return true;  // the method itself is the next member
  }
  bool ClassMember = false;
  if (TokenIs("class")) {
    const std::string After = Peek(1)[0];
    if (After != "var" && After != "threadvar" && After != "property" && After != "operator") return false;
    NextToken();
    ClassMember = true;
  }
  if (ClassMember && TokenIs("property")) {
    ScanProperty(Owner, Visibility);
    NextToken();
    return true;
  }
  if (ClassMember && TokenIs("operator")) {
    ScanOperatorPrototype(Owner, Visibility);
    return true;
  }
  if (TokenIs("type")) {  // nested types: children of Owner
    EnterParse("Scan type");
    NextToken();
    while (!FEof && !AtMemberKeyword()) {
      FNestedIn = Owner;
      FNestedScope = Visibility;
      const bool Declared = ScanTypeDeclaration(Owner);
      FNestedIn = nullptr;
      if (Declared) NextToken();
    }
    ExitParse();
    return true;
  }
  if (TokenIs("const")) {
    ScanConstSection(Owner, Visibility, true);
    return true;
  }
  if (TokenIs("var") || TokenIs("threadvar")) {  // fields, also "class var"
    NextToken();
    while (!FEof && !AtMemberKeyword()) {
      ScanVariable(Owner, Visibility, Token->TokenText);
      NextToken();
    }
    return true;
  }
  return false;
}

bool TPascalSource::PlaceType(TOrvikSymbol* Sym, TOrvikSymbol* Into, TBereichTokenType Scope) {
  TTraceProc Trace("TPascalSource.PlaceType");
  if (!Into) {
    AddSymbol(Sym);
    return false;
  }
  Sym->Bereich = Scope;
  AddOrvikSymbol(Into, Sym);
  return true;
}

void TPascalSource::SkipHelperHead(TOrvikSymbol* Sym) {
  TTraceProc Trace("TPascalSource.SkipHelperHead");
  NextToken();
  if (TokenIs("(")) {
    NextToken();
    Sym->Extra().Ancestor = Token->TokenText;
    SkipTo(")");
    NextToken();
  }
  if (!TokenIs("for")) return;
  NextToken();  // the extended type: a name, dotted, or specialized
  if (TokenIs("specialize")) NextToken();
  NextToken();
  while (!FEof && (TokenIs(".") || TokenIs("<"))) {
    if (TokenIs("<")) SkipAngles();
    else NextToken();
    NextToken();
  }
}

std::string TPascalSource::ReadOperatorName() {
  TTraceProc Trace("TPascalSource.ReadOperatorName");
  NextToken();
  if (IsWordStart(Token->LowerText)) {
    std::string Name = Token->TokenText;
    NextToken();
    return Name;
  }
  std::string Name;
  while (!FEof && IsOperatorSymbol(Token->LowerText) && Name.size() < 2) {
    Name += Token->TokenText;
    NextToken();
  }
  return Name;
}

bool TPascalSource::AtOperatorHeading() {
  TTraceProc Trace("TPascalSource.AtOperatorHeading");
  if (!TokenIs("operator")) return false;
  // "operator NAME ( [const|var|out|constref] A [, B] : ..." : anything else
  // is an identifier named "operator".
  const std::vector<std::string> Next = Peek(16);
  size_t I = 0;
  auto Name = [&] {  // a word, or one or two operator symbols
    if (IsWordStart(Next[I])) {
      ++I;
      return true;
    }
    const size_t From = I;
    while (I < From + 2 && IsOperatorSymbol(Next[I])) ++I;
    return I > From;
  };
  if (!Name()) return false;
  while (I + 2 < Next.size() && Next[I] == ".") {  // "operator TPoint.+ (...)"
    ++I;
    if (!Name()) return false;
  }
  if (I + 4 >= Next.size() || Next[I++] != "(") return false;
  if (Next[I] == "const" || Next[I] == "var" || Next[I] == "out" || Next[I] == "constref") ++I;
  while (I + 1 < Next.size() && IsWordStart(Next[I])) {
    if (Next[I + 1] == ":") return true;
    if (Next[I + 1] != ",") return false;
    I += 2;
  }
  return false;
}

bool TPascalSource::AtOtherProcStart() {
  TTraceProc Trace("TPascalSource.AtOtherProcStart");
  if (TokenIs("class") || TokenIs("generic")) return IsProcWord(Peek(1)[0]);
  return AtOperatorHeading();
}

void TPascalSource::ScanOperatorPrototype(TOrvikSymbol* Owner, TBereichTokenType Bereich) {
  TTraceProc Trace("TPascalSource.ScanOperatorPrototype");
  ScanPrototype(Owner, tFunction, Bereich, true);
}

TOrvikSymbol* TPascalSource::FindSymbolInClassPath(const std::vector<std::string>& Path,
                                                    const std::string& Name) {
  TTraceProc Trace("TPascalSource.FindSymbolInClassPath");
  if (Path.size() <= 1) return FindSymbolInClass(Path.empty() ? std::string() : Path.front(), Name);
  // "TOuter.TInner.Method": each part a nested type of the one before.
  TOrvikSymbol* Container = &symbols;
  for (const std::string& Part : Path) {
    TOrvikSymbols* List = Container->symbols;
    const int I = List ? List->IndexOf(LowerCase(Part)) : -1;
    if (I < 0) return nullptr;
    Container = static_cast<TOrvikSymbol*>(List->GetObjects(I));
    if (!Container || (Container->Typ != typClass && Container->Typ != typRecord)) return nullptr;
  }
  TOrvikSymbols* List = Container->symbols;
  const int I = List ? List->IndexOf(LowerCase(Name)) : -1;
  auto* Sym = I < 0 ? nullptr : static_cast<TOrvikSymbol*>(List->GetObjects(I));
  return Sym && Sym->Typ == typProcedure ? Sym : nullptr;
}
