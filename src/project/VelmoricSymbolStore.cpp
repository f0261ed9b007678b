#include "project/VelmoricSymbolStore.h"

#include "scanner/VelmoricSymbols.h"
#include "trace/traceletVelmoric.h"

TOrvikSymbolstore::TOrvikSymbolstore() {
  TTraceProc Trace("TOrvikSymbolstore.create");
  FRecordCounter = 0;
}

TOrvikSymbol* TOrvikSymbolstore::Allocate(TPascalSource* Source) {
  TTraceProc Trace("TOrvikSymbolstore.Allocate");
  auto* Sym = new TOrvikSymbol;
  Sym->Source = Source;
  Sym->Line = -1;
  Sym->DeclLine = -1;
  return Sym;
}
