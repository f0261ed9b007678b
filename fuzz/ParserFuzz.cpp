// The parser over arbitrary text with every combination of compiler options:
// it ends without raising, its symbols lie inside the text, its uses list is
// lower-case and free of duplicates, its tree survives the symbol store, and
// the cursor queries answer for any line and column.
#include <set>

#include "FuzzSupport.h"
#include "SymbolChecks.h"

namespace {

// The first byte: bits 0-2 the compiler options, bits 3-7 where the cursor
// queries look (mixed with the text's size).
TCompilerOptionsSet OptionsOf(uint8_t Mode) {
  TCompilerOptionsSet Options;
  if (Mode & 1) Options.Include(oCompileUnits);
  if (Mode & 2) Options.Include(oCompileImplementation);
  if (Mode & 4) Options.Include(oCompileLocalVar);
  return Options;
}

void CheckCursorQueries(TPascalSource& Source, uint8_t Mode, size_t Size) {
  const int Count = Source.Token->Lines->Count();
  if (Count == 0) return;
  for (int Step = 0; Step < 4; ++Step) {
    const int Line = static_cast<int>((Size * (Step + 1) + (Mode >> 3) * 7919u) % static_cast<size_t>(Count));
    if (TOrvikSymbol* Proc = Source.GetProcedureFromCursor(Line)) {
      FUZZ_CHECK(Proc->Typ == typProcedure || Proc->Typ == typClass,
                 "the procedure at line " + std::to_string(Line) + " is neither procedure nor class");
      FUZZ_CHECK(Proc->defend >= Line, "the procedure at line " + std::to_string(Line) + " ends before it");
    }
    const std::string Text = Source.Token->Lines->Get(Line);
    TFindSymbol Find;
    Find.CursorLine = Line + 1;
    Find.CursorCol = static_cast<int>((Mode + Step * 13u) % (Text.size() + 2));
    std::string Word;
    Source.GetSymbolFromCursor(&Find, Word);
    FUZZ_CHECK(Word.size() <= Text.size(), "the word under the cursor is longer than its line");
  }
}

// The parameters of up to Budget procedures parsed again from their Params
// text, as the wizards do, and the comment block above each procedure read.
void CheckProcedures(TPascalSource& Source, TOrvikSymbol& Owner, int& Budget) {
  TOrvikSymbols* List = Owner.symbols;
  for (int I = 0; List && I < List->Count() && Budget > 0; ++I) {
    TOrvikSymbol* Sym = List->GetSymbol(I);
    if (Sym->Typ == typProcedure) {
      --Budget;
      ReParseProcParamters(Sym);
      FUZZ_CHECK(List->GetSymbol(I) == Sym, "parsing parameters again moved the procedure");
      std::string Full;
      GetFullNameOfSymbol(Sym, Full);
      FUZZ_CHECK(Full.size() >= Sym->name.size(), "full name of " + Sym->name);
      int Line = Sym->defbegin;
      const int Start = Line;
      TSaveStringList Comment("comment", "fuzz");
      gReadLongComment(Line, Source.Token->Lines, &Comment);
      FUZZ_CHECK(Line == Start || (Line >= 0 && Line < Start),
                 "comment block above line " + std::to_string(Start) + " starts at " + std::to_string(Line));
    }
    CheckProcedures(Source, *Sym, Budget);
  }
}

}  // namespace

void FuzzParser(const uint8_t* Data, size_t Size) {
  if (Size == 0) return;
  DisplayCompilerProcess = false;
  const uint8_t Mode = Data[0];
  const TCompilerOptionsSet Options = OptionsOf(Mode);
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(AsText(Data + 1, Size - 1));
  TPascalSource Source(new TToken(Lines));
  Source.FileName = "Fuzz.pas";
  try {
    Source.CreateSymbols(Options);
  } catch (const Exception& E) {
    FuzzFail(__FILE__, __LINE__, "the parser raised: " + E.Message());
  }
  const int Count = Lines->Count();
  CheckSymbolTree(Source.symbols, std::max(1, Count));

  std::set<std::string> Uses;
  for (int I = 0; I < Source.usesList->Count(); ++I) {
    const std::string& U = Source.usesList->Get(I);
    FUZZ_CHECK(U == LowerCase(U), "uses entry '" + U + "' is not lower-case");
    FUZZ_CHECK(Uses.insert(U).second, "uses entry '" + U + "' twice");
  }
  for (int I = 0; I < Source.errors->Count(); ++I)
    FUZZ_CHECK(Source.errors->Get(I).rfind("Error Fuzz.pas(", 0) == 0, "error line " + Source.errors->Get(I));

  CheckStoreRoundTrip(Source);
  CheckCursorQueries(Source, Mode, Size);
  int Budget = 50;
  CheckProcedures(Source, Source.symbols, Budget);
  // The queries may parse a procedure again for its locals: the tree still holds.
  CheckSymbolTree(Source.symbols, std::max(1, Count));
}
