#include "scanner/VelmoricSymbols.h"

#include <cstring>

#include "platform/rtl/SysUtils.h"
#include "trace/traceletVelmoric.h"

bool AddSymDebug = false;

// ------------------------------------------------------------ TOrvikSymbol

void TSymRefCount::Overflow() { throw EIntOverflow("Integer overflow: a symbol held by too many lists"); }

TOrvikSymbol::~TOrvikSymbol() {
  ReleaseOrvikSymbolChildren(*this);
  delete FExtra;
}

void ReleaseOrvikSymbol(TOrvikSymbol* Sym) {
  TTraceProc Trace("ReleaseOrvikSymbol");
  if (!Sym) return;
  --Sym->RefCount;
  if (Sym->RefCount <= 0) delete Sym;
}

void ReleaseOrvikSymbolChildren(TOrvikSymbol& Sym) {
  TTraceProc Trace("ReleaseOrvikSymbolChildren");
  TOrvikSymbols* List = Sym.symbols;
  if (!List) return;
  Sym.symbols = nullptr;
  for (int I = 0; I < List->Count(); ++I) {
    auto* Child = static_cast<TOrvikSymbol*>(List->GetObject(I));
    if (!Child) continue;
    // A child still held by another list must not point at a parent that may go.
    if (Child->RefCount > 1 && Child->Parent == &Sym) Child->Parent = nullptr;
    ReleaseOrvikSymbol(Child);
  }
  delete List;
}

namespace {
void OwnSubtreeTexts(TOrvikSymbol& Sym) {
  for (TSymText* T : {&Sym.name, &Sym.TypeName, &Sym.Comment, &Sym.Params, &Sym.ResultType})
    T->Own();
  if (&Sym.Rare() != &NoSymbolExtra) {
    TOrvikSymbolExtra& E = Sym.Extra();
    for (TSymText* T : {&E.Ancestor, &E.MessageId, &E.ReadAccess, &E.WriteAccess, &E.IndexName,
                        &E.IndexType, &E.ConstType, &E.Reserved, &E.DefaultValue})
      T->Own();
  }
  if (!Sym.symbols) return;
  Sym.symbols->OwnStrings();
  for (int I = 0; I < Sym.symbols->Count(); ++I)
    if (auto* Child = static_cast<TOrvikSymbol*>(Sym.symbols->GetObject(I))) OwnSubtreeTexts(*Child);
}
}  // namespace

void OwnHeldTexts(TOrvikSymbol& Root) {
  TTraceProc Trace("OwnHeldTexts");
  if (!Root.symbols) return;
  for (int I = 0; I < Root.symbols->Count(); ++I) {
    auto* Child = static_cast<TOrvikSymbol*>(Root.symbols->GetObject(I));
    if (!Child) continue;
    if (Child->RefCount > 1)
      OwnSubtreeTexts(*Child);
    else
      OwnHeldTexts(*Child);
  }
}

// ----------------------------------------------------------- TOrvikSymbols

TOrvikSymbol* TOrvikSymbols::GetSymbol(int Id) const {
  TTraceProc Trace("TOrvikSymbols.GetSymbol");
  return static_cast<TOrvikSymbol*>(GetObjects(Id));
}

void TOrvikSymbols::SetSymbol(int Id, TOrvikSymbol* Sym) {
  TTraceProc Trace("TOrvikSymbols.SetSymbol");
  PutObjects(Id, Sym);
}

TOrvikSymbol* TOrvikSymbols::FindSymbol(TSymTypSet Types, const std::string& Name) const {
  TTraceProc Trace("TOrvikSymbols.FindSymbol");
  for (int I = 0; I < Count(); ++I) {
    auto* Sym = static_cast<TOrvikSymbol*>(GetObject(I));
    if (!Sym) continue;
    if (Sym->symbols) {
      if (TOrvikSymbol* Hit = Sym->symbols->FindSymbol(Types, Name)) return Hit;
    }
    if (Types.Contains(Sym->Typ) && SameText(Sym->name, Name)) return Sym;
  }
  return nullptr;
}

TOrvikSymbol* TOrvikSymbols::FindAnyFlatSymbol(const std::string& Name) const {
  TTraceProc Trace("TOrvikSymbols.FindAnyFlatSymbol");
  for (int I = 0; I < Count(); ++I) {
    auto* Sym = static_cast<TOrvikSymbol*>(GetObject(I));
    if (Sym && SameText(Sym->name, Name)) return Sym;
  }
  return nullptr;
}

// ------------------------------------------------------------- TFindSymbol

TFindSymbol::TFindSymbol() {
  TTraceProc Trace("TFindSymbol.Create");
  Proc = nullptr;
  Owner = nullptr;
  Symbol = nullptr;
}

// --------------------------------------------------------------- insertion

namespace {
TOrvikSymbols* NewChildren(const char* CreatorName) {
  return new TOrvikSymbols("owner.symbols", CreatorName);
}

void ReportAdd(const TOrvikSymbol* Owner, const TOrvikSymbol* Sym) {
  if (AddSymDebug && tracelet) tracelet->write(Format("AddSymbol %s.%s", Owner->name, Sym->name));
}

// A child's key, its lower-cased name, in a buffer of the thread's: parses
// and loads add records by the hundred thousand. Valid until the next call.
const std::string& LoweredKey(std::string_view Name) {
  thread_local std::string Key;
  LowerCaseInto(Name, Key);
  return Key;
}
}  // namespace

void AddOrvikSymbol(TOrvikSymbol* Owner, TOrvikSymbol* Sym) {
  TTraceProc Trace("AddOrvikSymbol");
  Sym->Parent = Owner;
  if (!Owner->symbols) {
    Owner->symbols = NewChildren("AddOrvikSymbol");
    Owner->symbols->SetDuplicates(dupAccept);
    Owner->symbols->SetSorted(true);
  }
  const int I = Owner->symbols->Add(LoweredKey(Sym->name));
  Owner->symbols->PutObjects(I, Sym);
  ++Sym->RefCount;
  ReportAdd(Owner, Sym);
}

namespace {
// Owner's unsorted children list (made on first use), which Sym is about to join.
TOrvikSymbols* UnsortedChildren(TOrvikSymbol* Owner, TOrvikSymbol* Sym) {
  Sym->Parent = Owner;
  if (!Owner->symbols) {
    Owner->symbols = NewChildren("AddOrvikSymbolUnsorted");
    Owner->symbols->SetCapacity(500);
  }
  return Owner->symbols;
}
}  // namespace

void AddOrvikSymbolUnsorted(TOrvikSymbol* Owner, TOrvikSymbol* Sym) {
  TTraceProc Trace("AddOrvikSymbolUnsorted");
  TOrvikSymbols* List = UnsortedChildren(Owner, Sym);
  List->PutObjects(List->Add(LoweredKey(Sym->name)), Sym);
  ++Sym->RefCount;
  ReportAdd(Owner, Sym);
}

void AddOrvikSymbolUnsorted(TOrvikSymbol* Owner, TOrvikSymbol* Sym, TSymTextArena& Keys) {
  TTraceProc Trace("AddOrvikSymbolUnsorted");
  TOrvikSymbols* List = UnsortedChildren(Owner, Sym);
  std::string_view Key = LoweredKey(Sym->name);
  if (Key.size() > TStringList::ItemInline) {
    char* Placed = Keys.Take(Key.size());
    std::memcpy(Placed, Key.data(), Key.size());
    Key = std::string_view(Placed, Key.size());
  }
  List->AddShownObject(Key, Sym);
  ++Sym->RefCount;
  ReportAdd(Owner, Sym);
}

// ---------------------------------------------------------------- texts

void GetFullNameOfSymbol(const TOrvikSymbol* Sym, std::string& S) {
  TTraceProc Trace("GetFullNameOfSymbol");
  S.clear();
  if (!Sym) return;
  S = Sym->name;
  for (const TOrvikSymbol* P = Sym->Parent; P && P->Typ != typUnit; P = P->Parent)
    S = P->name + "." + S;
}

void ProcTypToString(TProcTokenType Kind, std::string& S) {
  TTraceProc Trace("ProcTypToString");
  switch (Kind) {
    case tProcedure: S = "Procedure"; break;
    case tFunction: S = "Function"; break;
    case tConstructor: S = "Constructor"; break;
    case tDestructor: S = "Destructor"; break;
    default: S.clear(); break;
  }
}

void BereichTokenTypeToString(TBereichTokenType Kind, std::string& S) {
  TTraceProc Trace("BereichTokenTypeToString");
  switch (Kind) {
    case tPrivate: S = "Private"; break;
    case tPublic: S = "Public"; break;
    case tProtected: S = "Protected"; break;
    case tPublished: S = "Published"; break;
    case tGlobal: S = "Global"; break;
    case tLocal: S = "Local"; break;
    default: S.clear(); break;
  }
}

void ConCatTo(std::string& Text, const std::string& Token) {
  TTraceProc Trace([&] { return Format("ConCat(a=%s,b=%s)", Text, Token); });
  if (Text.empty()) {
    Text = Token;
    return;
  }
  const char Last = Text.back();
  if (!Token.empty() && isalpha(Token[0]) && Last != '(' && Last != '[' && Last != '.') Text += ' ';
  Text += Token;
}

std::string ConCat(const std::string& a, const std::string& b) {
  std::string S = a;
  ConCatTo(S, b);
  return S;
}
