// The symbol store object of a source: allocates the source's symbol records.
// Part of the unit VelmoricPascalScanner.
#pragma once

class TPascalSource;
struct TOrvikSymbol;

class TOrvikSymbolstore {
 public:
  TOrvikSymbolstore();
  TOrvikSymbolstore(const TOrvikSymbolstore&) = delete;
  TOrvikSymbolstore& operator=(const TOrvikSymbolstore&) = delete;

  // A new empty record (no texts, no lists, Line and DeclLine -1) that
  // belongs to Source.
  TOrvikSymbol* Allocate(TPascalSource* Source);

 private:
  int FRecordCounter = 0;  // records written by the current save
};
