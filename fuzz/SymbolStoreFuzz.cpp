// The ".pax" loader over arbitrary images: a damaged image is rejected with
// ESymbolStoreError and leaves the source as it was; a loaded one gives a
// well-formed tree that saves and loads again to the same image, and that the
// lookups of the project model can walk.
#include "FuzzSupport.h"
#include "SymbolChecks.h"

namespace {

// A source holding a small tree, as a unit parsed earlier would.
void FillBefore(TPascalSource& S) {
  S.usesList->Add("sysutils");
  S.symbols.name = "Before";
  TOrvikSymbol* Sym = S.Store->Allocate(&S);
  Sym->Typ = typClass;
  Sym->name = "TBefore";
  AddOrvikSymbol(&S.symbols, Sym);
}

void WalkLookups(TPascalSource& S, const TOrvikSymbol& Owner, int& Budget) {
  const TOrvikSymbols* List = Owner.symbols;
  for (int I = 0; List && I < List->Count() && Budget > 0; ++I, --Budget) {
    const TOrvikSymbol* C = List->GetSymbol(I);
    FUZZ_CHECK(C->Source == &S, "a loaded record of another source");
    FUZZ_CHECK(C->Parent == &Owner, "a loaded record whose parent is not its list's owner");
    std::string Full;
    GetFullNameOfSymbol(C, Full);
    FUZZ_CHECK(Full.size() >= C->name.size(), "full name shorter than the name");
    FUZZ_CHECK(List->FindAnyFlatSymbol(C->name) != nullptr, "a record not found by its name");
    WalkLookups(S, *C, Budget);
  }
}

}  // namespace

void FuzzSymbolStore(const uint8_t* Data, size_t Size) {
  DisplayCompilerProcess = false;
  TSymTextArena Texts;  // the first load's texts and keys, freed after the source
  TPascalSource S(nullptr);
  S.symbols.Source = &S;
  S.FileName = "Fuzz.pas";
  FillBefore(S);
  const std::string Before = S.Store->SaveToImage(S.usesList, S.symbols);
  try {
    S.Store->LoadFromImage(AsText(Data, Size), &S, *S.usesList, S.symbols, &Texts);
  } catch (const ESymbolStoreError& E) {
    FUZZ_CHECK(E.Message().rfind("damaged symbol store: ", 0) == 0, "message " + E.Message());
    FUZZ_CHECK(S.Store->SaveToImage(S.usesList, S.symbols) == Before, "a damaged image changed the source");
    return;
  }
  FUZZ_CHECK(S.symbols.Typ == typUnit, "the loaded root is not a unit");
  CheckSymbolTree(S.symbols, -1);
  int Budget = 20000;
  WalkLookups(S, S.symbols, Budget);
  if (S.symbols.symbols && S.symbols.symbols->Count() > 0) {
    const std::string& Name = S.symbols.symbols->GetSymbol(0)->name;
    S.symbols.symbols->FindSymbol(TSymTypSet{typClass, typProcedure, typVar}, Name);
  }
  for (int Line : {0, 1, 10, 1000}) S.GetProcedureFromCursor(Line);

  // What a load gives saves and loads to the same again, also over a tree
  // loaded before (whose texts and keys were placed in the arena).
  const std::string Image = CheckStoreRoundTrip(S);
  S.Store->LoadFromImage(Image, &S, *S.usesList, S.symbols);
  FUZZ_CHECK(S.Store->SaveToImage(S.usesList, S.symbols) == Image, "a second load over the first differs");
}
