// TPascalSource: the object, the top-level loop, uses and errors, and the
// scanning of type declarations (plain types, classes, interfaces, records).
#include "scanner/VelmoricPascalSource.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"

bool ProcDebug = false;
bool DisplayCompilerProcess = true;
TCompileUnitProc CompileUnitProc = nullptr;

namespace {
// Nested procedures and variant parts deeper than this are not followed, so
// that crafted input cannot exhaust the stack.
constexpr int MaxNesting = 100;

void TraceWrite(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

bool IsProcWord(const std::string& Lower) {
  return Lower == "procedure" || Lower == "function" || Lower == "constructor" || Lower == "destructor";
}

// Classes of Objective-Pascal and of C++ imports: read as classes.
bool IsObjectiveClass(const std::string& Lower) {
  return Lower == "objcclass" || Lower == "objccategory" || Lower == "objcprotocol" || Lower == "cppclass";
}
}  // namespace

TPascalSource::TPascalSource(TToken* AToken) {
  TTraceProc Trace("TPascalSource.Create");
  ModuleIntf = nullptr;
  Notifier = nullptr;
  ParseContext.clear();
  ParseStartLine = 0;
  EditModule = nullptr;
  RefCount = 0;
  Project = nullptr;
  Options = {};
  State = stEditorLoaded;
  Found = true;
  usesList = new TSaveStringList("usesList", "TPascalSource");
  errors = new TSaveStringList("errors", "TPascalSource");
  symbols.symbols = new TOrvikSymbols("symbols.symbols", "TPascalSource");
  symbols.symbols->SetDuplicates(dupAccept);
  symbols.symbols->SetSorted(true);
  Store = new TOrvikSymbolstore;
  symbols.Typ = typUnit;
  Token = AToken;
}

TPascalSource::~TPascalSource() {
  TTraceProc Trace("TPascalSource.Destroy");
  RemoveNotifier();
  ReleaseInterface(EditModule);
  if (LoadedTexts) OwnHeldTexts(symbols);
  if (TOrvikSymbols* List = symbols.symbols) {
    symbols.symbols = nullptr;
    for (int I = 0; I < List->Count(); ++I) {
      auto* Sym = static_cast<TOrvikSymbol*>(List->GetObject(I));
      // A symbol still held elsewhere must not point at the root that goes.
      if (Sym && Sym->RefCount > 1 && Sym->Parent == &symbols) Sym->Parent = nullptr;
      FreeSymbols(Sym);
    }
    delete List;
  }
  if (Token) {
    delete Token->Lines;
    delete Token;
  }
  delete usesList;
  delete errors;
  delete Store;
}

bool TPascalSource::NextToken() {
  TTraceProc Trace("TPascalSource.NextToken");
  FEof = !Token->Next();
  if (FEof) AddError(ParseStartLine, Format("End of file during parse of %s", ParseContext));
  return !FEof;
}

void TPascalSource::EnterParse(const std::string& Text) {
  TTraceProc Trace("TPascalSource.EnterParse");
  ParseStartLine = Token->Line;
  ParseContext = Text;
}

void TPascalSource::ExitParse() {
  TTraceProc Trace("TPascalSource.ExitParse");
  ParseStartLine = 0;
  ParseContext.clear();
}

void TPascalSource::AddSymbol(TOrvikSymbol* Sym) {
  TTraceProc Trace("TPascalSource.AddSymbol");
  AddOrvikSymbol(&symbols, Sym);
}

void TPascalSource::AddError(int Line, const std::string& Text) {
  TTraceProc Trace("TPascalSource.AddError");
  errors->Add(Format("Error %s(%d): %s", FileName, Line, Text));
  if (!tracelet) return;
  auto LineText = [this](int I) {
    TStrings* Lines = Token ? Token->Lines : nullptr;
    return (Lines && I >= 0 && I < Lines->Count()) ? Lines->Get(I) : std::string();
  };
  tracelet->write(Format("********* Error %s(%d) %s", FileName, Line, Text));
  tracelet->write(Format("********* %s", LineText(Line)));
  tracelet->write(Format("********* --> Starting at %d : %s", ParseStartLine, ParseContext));
  tracelet->write(Format("********* --> Starting at %s", LineText(ParseStartLine)));
}

void TPascalSource::FreeSymbols(TOrvikSymbol* Sym) {
  TTraceProc Trace("TPascalSource.FreeSymbols");
  // Drops one reference; at none the record goes, its children released first.
  ReleaseOrvikSymbol(Sym);
}

void TPascalSource::AddUses(const std::string& Name) {
  TTraceProc Trace("TPascalSource.AddUses");
  const std::string Lower = LowerCase(Name);
  for (int I = 0; I < usesList->Count(); ++I) {
    if (usesList->Get(I) == Lower) {
      AddError(Token->TokenLine, "Uses doppelt: '" + Lower + "'");
      return;
    }
  }
  usesList->Add(Lower);
}

TOrvikSymbol* TPascalSource::NewSymbol(TSymTyp Typ, const std::string& Name) {
  TTraceProc Trace("TPascalSource.NewSymbol");
  TOrvikSymbol* Sym = Store->Allocate(this);
  Sym->Typ = Typ;
  Sym->name = Name;
  return Sym;
}


// ------------------------------------------------------------ CreateSymbols

void TPascalSource::CreateSymbols(TCompilerOptionsSet AOptions) {
  TTraceProc Trace("TPascalSource.CreateSymbols");
  if (!Token) {
    Modified = false;
    return;
  }
  TFormVelmoricCompiling* Status = DisplayCompilerProcess ? FormVelmoricCompiling : nullptr;
  if (Status) Status->ShowStatus(FileName);
  auto Finish = [&] {
    if (Status) Status->HideStatus(Token->Lines->Count());
    Modified = false;
  };
  try {
    ParseUnit(AOptions);
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
}

// The top-level loop: sections, uses clauses and the closing "end.".
void TPascalSource::ParseUnit(TCompilerOptionsSet AOptions) {
  TTraceProc Trace("TPascalSource.ParseUnit");
  Options = AOptions;
  std::string Name = ExtractFileName(FileName);
  if (const size_t Dot = Name.find('.'); Dot != std::string::npos) Name.erase(Dot);
  symbols.name = Name;
  symbols.TypeName = FileName;

  const uint32_t Start = GetTickCount();
  Token->SetLine(0);
  InImplementation = false;
  FEof = false;

  if (NextToken()) {
    // A program's or library's routines are implementations, with bodies.
    if ((TokenIs("program") || TokenIs("library")) && Options.Contains(oCompileImplementation))
      InImplementation = true;
    for (;;) {
      if (TokenIs("initialization") || TokenIs("finalization")) break;
      // An "end" in the implementation part that ends no unit closes what
      // the parser did not see opened (conditional directives that open a
      // block twice, "{$ifdef X} finally ... end; {$else} except ... end;
      // {$endif}", or a body it took for a declaration): read over.
      if (TokenIs("end")) {
        const std::string After = Peek(1)[0];
        if (After == "." || After.empty() || !InImplementation) break;
        NextToken();
        continue;
      }
      TDefType Kind;
      bool StopDispatch = false;
      while (!StopDispatch) {
        if (AtOperatorHeading()) {  // "operator + (A, B: T): T" at unit level
          ScanProcImplementation(&symbols);
          continue;
        }
        if (!Token->IsDefBereich(Kind)) break;
        switch (Kind) {
          case tType: ScanType(&symbols); break;
          case tVar: ScanGlobalVar(); break;
          case tConst: ScanConst(&symbols); break;
          case tProcedures:
            ScanProcImplementation(&symbols);
            break;
          case tImplementation:
            InImplementation = true;
            if (Options.Contains(oCompileImplementation)) NextToken();
            else StopDispatch = true;
            break;
          case tInitialization:
          case tfinalization: StopDispatch = true; break;
        }
      }
      if (InImplementation && !Options.Contains(oCompileImplementation)) break;
      if (TokenIs("begin") || TokenIs("asm")) {
        SkipLooseBlock();
        if (FEof || TokenIs(".")) break;
        continue;
      }
      if (TokenIs("uses")) ScanUses();
      if (TokenIs("end")) {
        NextToken();
        if (TokenIs(".")) break;
      }
      if (Token->EndOfText || FEof) break;
      if (!NextToken()) break;
    }
  }
  ParseTime = static_cast<int>(GetTickCount() - Start);
}

bool TPascalSource::ConditionalSince(int Line) {
  TTraceProc Trace("TPascalSource.ConditionalSince");
  for (int I = std::max(Line, 0); I <= Token->TokenLine && I < Token->Lines->Count(); ++I) {
    const std::string Text = LowerCase(Token->Lines->Get(I));
    for (size_t At = Text.find("{$"); At != std::string::npos; At = Text.find("{$", At + 2))
      if (Text.compare(At + 2, 2, "if") == 0 || Text.compare(At + 2, 4, "else") == 0 ||
          Text.compare(At + 2, 5, "endif") == 0)
        return true;
  }
  return false;
}

// A block at unit level: a program's main block, a unit's initialization
// block, or the second of two bodies that conditional directives offer for
// one heading ("{$ifdef X} begin ... end; {$else} begin ... end; {$endif}").
// Read over to its "end" without a word: the parser stays on the token
// after it.
void TPascalSource::SkipLooseBlock() {
  TTraceProc Trace("TPascalSource.SkipLooseBlock");
  int Depth = 0;
  do {
    if (TokenIs("begin") || TokenIs("asm") || TokenIs("try") || TokenIs("case")) ++Depth;
    else if (TokenIs("end")) --Depth;
    FEof = !Token->Next();
  } while (!FEof && Depth > 0);
}

void TPascalSource::ScanUses() {
  TTraceProc Trace("TPascalSource.ScanUses");
  while (NextToken()) {
    // Where a name is due, a ";" still ends the clause and a "," is read
    // over: conditional directives ("A, {$IFDEF X}B{$ELSE}C{$ENDIF}, D;")
    // upset the name-separator order, and the clause must not run on into
    // the declarations after it.
    if (TokenIs(";")) break;
    if (TokenIs(",")) continue;
    std::string Name = Token->TokenText;
    // A dotted name is one unit's: "Generics.Collections", "laz.VirtualTrees".
    while (Peek(1)[0] == "." && NextToken() && NextToken()) Name += "." + Token->TokenText;
    AddUses(Name);
    if (Options.Contains(oCompileUnits) && Project && CompileUnitProc)
      CompileUnitProc(Project, Name, {oCompileUnits, oCompileImplementation});
    if (!NextToken() || TokenIs(";")) break;
  }
}

// ------------------------------------------------------------------- types

void TPascalSource::ScanType(TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanType");
  EnterParse("Scan type");
  NextToken();
  TDefType Section;
  // A resource string section ends it too: its strings are no types.
  while (!FEof && !Token->IsDefBereich(Section) && !TokenIs("begin") && !TokenIs("asm") &&
         !TokenIs("resourcestring") && !AtOtherProcStart()) {
    if (ScanTypeDeclaration(Owner)) NextToken();
  }
  ExitParse();
}

bool TPascalSource::ScanTypeDeclaration(TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanTypeDeclaration");
  std::string Name = Token->TokenText;
  if (!NextToken()) return false;
  // "generic TList<T> = ...", "TList<T> = ...": the type is TList.
  if (SameText(Name, "generic") && !TokenIs("=") && !Token->TokenText.empty() && isalnum(Token->TokenText[0])) {
    Name = Token->TokenText;
    if (!NextToken()) return false;
  }
  if (TokenIs("<")) {
    SkipAngles();
    if (!NextToken()) return false;
  }
  if (!TokenIs("=")) {
    NextToken();  // not a declaration: the next token may start one
    return false;
  }
  if (!NextToken()) return false;
  if (TokenIs("interface")) {
    ScanInterface(Name, Owner);
  } else if (TokenIs("dispinterface")) {
    // An interface whose methods carry "dispid N", read over like an object's directives.
    const bool Saved = FAllDirectives;
    FAllDirectives = true;
    ScanInterface(Name, Owner);
    FAllDirectives = Saved;
  } else if (TokenIs("class") || TokenIs("object") || IsObjectiveClass(Token->LowerText)) {
    ScanClass(Name, Owner);
  } else if (TokenIs("record")) {
    Scanrecord(Name, Owner);
  } else if (TokenIs("packed")) {
    if (!NextToken()) return false;
    if (TokenIs("record")) Scanrecord(Name, Owner);
    else if (TokenIs("object") || TokenIs("class")) ScanClass(Name, Owner);
    else ScanPlainType(Name, "packed ");
  } else if (TokenIs("type") && Peek(1)[0] == "helper") {
    Scanrecord(Name, Owner);  // "type helper for T": a record with methods
  } else {
    ScanPlainType(Name, "");
  }
  return true;
}

// Any other type: the declaration's tokens up to the ";" that closes it at
// parenthesis depth 0, each followed by a blank. Added to the unit root.
void TPascalSource::ScanPlainType(const std::string& Name, const std::string& Prefix) {
  TTraceProc Trace("TPascalSource.ScanPlainType");
  TOrvikSymbol* Into = FNestedIn;
  FNestedIn = nullptr;
  TOrvikSymbol* Sym = NewSymbol(typType, Name);
  Sym->Line = Token->TokenLine;
  Sym->TypeName = Prefix;
  int Depth = 0;
  while (!FEof && !(Depth == 0 && TokenIs(";"))) {
    if (TokenIs("(")) ++Depth;
    else if (TokenIs(")")) --Depth;
    Sym->TypeName += Token->TokenText + " ";
    NextToken();
  }
  PlaceType(Sym, Into, FNestedScope);
}

void TPascalSource::ScanClass(const std::string& Name, TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanClass");
  if (ProcDebug) TraceWrite("******* enter scan class");
  EnterParse("Class");
  TOrvikSymbol* Into = FNestedIn;
  const TBereichTokenType IntoScope = FNestedScope;
  FNestedIn = nullptr;
  const bool IsObject = TokenIs("object") || IsObjectiveClass(Token->LowerText);
  NextToken();
  // "objcclass external [name 'X'] (NSObject)", "class external 'java.lang' name 'X'".
  if (TokenIs("external") && Peek(1)[0] != ":" && Peek(1)[0] != ",") {
    NextToken();
    if (Token->IsString) NextToken();
    if (TokenIs("name")) {
      NextToken();
      NextToken();
    }
  }
  if (TokenIs("of")) {  // a class reference
    NextToken();
    NextToken();
  }
  // "class abstract", "class sealed" (a field so named is followed by ":" or ",").
  if ((TokenIs("abstract") || TokenIs("sealed")) && Peek(1)[0] != ":" && Peek(1)[0] != ",") NextToken();
  if (!FEof && !TokenIs(";")) {  // ";": a forward declaration or class reference
    TOrvikSymbol* Cls = NewSymbol(typClass, Name);
    Cls->Line = Token->TokenLine;
    bool HasBody = true;
    bool AllDirectives = IsObject;
    if (TokenIs("helper") && (Peek(1)[0] == "for" || Peek(1)[0] == "(")) {
      SkipHelperHead(Cls);
      AllDirectives = true;
    } else if (TokenIs("(")) {
      NextToken();
      Cls->Extra().Ancestor = Token->TokenText;
      // A generic ancestor keeps its whole text: "TList<Integer>",
      // "specialize TFPGList<TItem>".
      if (TokenIs("specialize") || Peek(1)[0] == "<") {
        Cls->Extra().Ancestor.clear();
        while (!FEof && !TokenIs(")") && !TokenIs(",")) {
          if (TokenIs("<")) {
            Cls->Extra().Ancestor += SkipAngles();
          } else {
            if (!Cls->Ancestor().empty() && isalnum(Cls->Ancestor().back()) && isalnum(Token->TokenText[0]))
              Cls->Extra().Ancestor += ' ';
            Cls->Extra().Ancestor += Token->TokenText;
          }
          NextToken();
        }
      }
      SkipTo(")");
      NextToken();
      HasBody = !TokenIs(";");  // "= class(TBase);"
    }
    if (HasBody) {
      if (!PlaceType(Cls, Into, IntoScope)) Cls->Parent = Owner;
      const bool Saved = FAllDirectives;
      FAllDirectives = AllDirectives;
      ScanMembers(Cls);
      FAllDirectives = Saved;
    } else {
      delete Cls;
    }
  }
  ExitParse();
  if (ProcDebug) TraceWrite("******* exit scan class");
}

void TPascalSource::ScanInterface(const std::string& Name, TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.ScanInterface");
  EnterParse("Class");
  TOrvikSymbol* Into = FNestedIn;
  const TBereichTokenType IntoScope = FNestedScope;
  FNestedIn = nullptr;
  NextToken();
  // The interface's identifier, "['{...}']", right after "interface" or
  // after the ancestor list.
  auto SkipIdentifier = [this] {
    if (!TokenIs("[")) return;
    SkipTo("]");
    NextToken();
  };
  SkipIdentifier();
  if (!FEof && !TokenIs(";")) {  // ";": a forward declaration
    TOrvikSymbol* Intf = NewSymbol(typInterface, Name);
    Intf->Line = Token->TokenLine;
    bool HasBody = true;
    if (TokenIs("(")) {
      NextToken();
      Intf->Extra().Ancestor = Token->TokenText;
      SkipTo(")");
      NextToken();
      HasBody = !TokenIs(";");  // "= interface(IBase);"
      SkipIdentifier();
    }
    if (HasBody) {
      if (!PlaceType(Intf, Into, IntoScope)) Intf->Parent = Owner;
      ScanMembers(Intf);
    } else {
      delete Intf;
    }
  }
  ExitParse();
}

// The members of a class or interface, from its first member to the token
// after its "end".
void TPascalSource::ScanMembers(TOrvikSymbol* Cls) {
  TTraceProc Trace("TPascalSource.ScanMembers");
  TBereichTokenType Visibility = tPublic;
  while (!FEof && !TokenIs("end")) {
    TProcTokenType Kind;
    TBereichTokenType Scope;
    if (ScanDialectMember(Cls, Visibility)) continue;  // leaves the parser on the next member
    if (TokenIs("class")) {  // a class method
      NextToken();
      if (Token->IsProcToken(Kind)) {
        ScanProcedure(Cls, Kind, Visibility);
        continue;
      }
      AddError(Token->TokenLine, "Erwarte procedure");
    } else if (Token->IsScope(Scope)) {
      Visibility = Scope;
    } else if (TokenIs("property")) {
      ScanProperty(Cls, Visibility);
    } else if (Token->IsProcToken(Kind)) {
      ScanProcedure(Cls, Kind, Visibility);  // leaves the parser on the next member
      continue;
    } else {
      ScanVariable(Cls, Visibility, Token->TokenText);
    }
    NextToken();
  }
  if (TokenIs("end")) {
    NextToken();
    Cls->defend = Token->TokenLine;
  }
}

void TPascalSource::Scanrecord(const std::string& Name, TOrvikSymbol* Owner) {
  TTraceProc Trace("TPascalSource.Scanrecord");
  EnterParse("Record");
  TOrvikSymbol* Into = FNestedIn;
  const TBereichTokenType IntoScope = FNestedScope;
  FNestedIn = nullptr;
  TOrvikSymbol* Rec = NewSymbol(typRecord, Name);
  Rec->Line = Token->TokenLine;
  NextToken();
  if (TokenIs("helper") && (Peek(1)[0] == "for" || Peek(1)[0] == "(")) SkipHelperHead(Rec);
  // Advanced records: methods, properties, operators, visibility words and
  // nested sections beside the fields. A word followed by ":" or "," is a
  // field, whatever its name.
  TBereichTokenType Visibility = tPublic;
  auto FieldName = [this] {
    const std::string After = Peek(1)[0];
    return After == ":" || After == ",";
  };
  while (!FEof) {
    TProcTokenType Kind;
    TBereichTokenType Scope;
    if (TokenIs("case")) {
      ScanVariantPart(Rec);  // the token after it is examined again
    } else if (TokenIs("end")) {
      break;
    } else if (!FieldName() && ScanDialectMember(Rec, Visibility)) {
      // on the next member
    } else if (!FieldName() && Token->IsScope(Scope)) {
      Visibility = Scope;
      NextToken();
    } else if (TokenIs("property")) {
      ScanProperty(Rec, Visibility);
      NextToken();
    } else if (Token->IsProcToken(Kind)) {
      ScanProcedure(Rec, Kind, Visibility);
    } else if (TokenIs("class") && IsProcWord(Peek(1)[0])) {  // a class method
      NextToken();
      Token->IsProcToken(Kind);
      ScanProcedure(Rec, Kind, Visibility);
    } else {
      ScanVariable(Rec, Visibility, Token->TokenText);
      NextToken();
    }
  }
  PlaceType(Rec, Into, IntoScope);
  if (TokenIs("end")) NextToken();
  ExitParse();
}

// "case ... of" inside a record: the fields of every variant become fields of
// the record. Returns on the token that ends the part ("end", or the ")" of
// an enclosing variant), or where an error stopped it.
void TPascalSource::ScanVariantPart(TOrvikSymbol* Rec) {
  TTraceProc Trace("TPascalSource.ScanVariantPart");
  EnterParse("Union");
  ++FNesting;
  SkipTo("of");
  bool ReadNext = true;
  while (!FEof) {
    if (ReadNext && !NextToken()) break;
    ReadNext = true;
    if (TokenIs("end") || TokenIs(")")) break;
    // The case labels.
    while (!FEof && !TokenIs(":") && !TokenIs("(") && !TokenIs(")") && !TokenIs(";") &&
           !TokenIs("end"))
      NextToken();
    if (!TokenIs(":")) {
      AddError(Token->TokenLine, "Varianter Record : Erwarte :");
      break;
    }
    NextToken();
    if (!TokenIs("(")) {
      AddError(Token->TokenLine, "Varianter Record : Erwarte (");
      break;
    }
    NextToken();
    bool Closed = false;
    while (!FEof) {
      if (TokenIs(")")) {
        Closed = true;
        break;
      }
      if (TokenIs("end")) break;
      if (TokenIs("case")) {
        if (FNesting >= MaxNesting) {
          AddError(Token->TokenLine, "Nesting too deep");
          break;
        }
        ScanVariantPart(Rec);
      } else {
        ScanVariable(Rec, tPublic, Token->TokenText);
        if (TokenIs(";")) NextToken();
      }
    }
    if (!Closed) {
      AddError(Token->TokenLine, "Varianter Record : Erwarte )");
      break;
    }
    NextToken();
    if (TokenIs(")")) break;  // the ")" of an enclosing variant
    // After "; " the next token starts the next variant; without the ";"
    // (the last variant before "end") this token is examined as it is.
    ReadNext = TokenIs(";");
  }
  --FNesting;
  ExitParse();
}
