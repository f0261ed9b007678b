// Checks on a unit's symbol tree, shared by the parser and store targets.
#pragma once

#include <string>

#include "FuzzSupport.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricSymbolStore.h"
#include "scanner/VelmoricPascalScanner.h"

// Every list is keyed by its records' lower-cased names, no record is held by
// more lists than its reference count says, no record is an end record, and
// (with LineCount >= 0) every line number lies inside the text.
inline int CheckSymbolTree(const TOrvikSymbol& Owner, int LineCount, int Depth = 0) {
  FUZZ_CHECK(Depth <= TOrvikSymbolstore::MaxNesting + 1, "tree nested too deep");
  int Records = 0;
  const TOrvikSymbols* List = Owner.symbols;
  for (int I = 0; List && I < List->Count(); ++I) {
    const TOrvikSymbol* C = List->GetSymbol(I);
    FUZZ_CHECK(C != nullptr, "a list entry without a record");
    FUZZ_CHECK(C->Typ != typEOF, "an end record in the tree");
    FUZZ_CHECK(C->RefCount >= 1, "a listed record with reference count " + std::to_string(C->RefCount));
    FUZZ_CHECK(List->Get(I) == LowerCase(C->name), "list key '" + List->Get(I) + "' for '" + C->name + "'");
    if (LineCount >= 0) {
      const std::string Where = " of '" + C->name + "'";
      FUZZ_CHECK(C->Line < LineCount, "Line" + Where);
      FUZZ_CHECK(C->DeclLine < LineCount, "DeclLine" + Where);
      FUZZ_CHECK(C->defbegin < LineCount, "defbegin" + Where);
      FUZZ_CHECK(C->defend < LineCount, "defend" + Where);
    }
    Records += 1 + CheckSymbolTree(*C, LineCount, Depth + 1);
  }
  return Records;
}

// Saves Source's uses and tree, loads the image into a fresh source and saves
// that again: both images must be the same. Returns the image.
inline std::string CheckStoreRoundTrip(TPascalSource& Source) {
  const std::string Image = Source.Store->SaveToImage(Source.usesList, Source.symbols);
  TPascalSource Copy(nullptr);
  Copy.symbols.Source = &Copy;
  try {
    Copy.Store->LoadFromImage(Image, &Copy, *Copy.usesList, Copy.symbols);
  } catch (const ESymbolStoreError& E) {
    FuzzFail(__FILE__, __LINE__, "a saved store does not load again: " + E.Message());
  }
  FUZZ_CHECK(Copy.usesList->Count() == Source.usesList->Count(), "uses lost in the store");
  const std::string Again = Copy.Store->SaveToImage(Copy.usesList, Copy.symbols);
  FUZZ_CHECK(Again == Image, "a store loaded and saved again differs (" + std::to_string(Image.size()) +
                                 " and " + std::to_string(Again.size()) + " bytes)");
  return Image;
}
