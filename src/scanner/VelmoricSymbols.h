// Symbol records and symbol lists: one record type for every kind of
// declaration, children held in a string list keyed by the lower-cased name.
// Part of the unit VelmoricPascalScanner (include that header).
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Sets.h"
#include "scanner/VelmoricSaveList.h"
#include "scanner/VelmoricSymbolText.h"
#include "scanner/VelmoricToken.h"

class TPascalSource;
class TOrvikSymbols;

enum TSymTyp : uint8_t {
  typEOF,        // ends the reading of a symbol store; never in a tree
  typUnit,       // root of a unit's tree
  typProcedure,  // procedure, function, constructor, destructor, method
  typClass,
  typType,
  typRecord,
  typVar,
  typProperty,
  typConst,
  typInterface,
  typParameter
};
using TSymTypSet = TSet<TSymTyp>;

// The texts few records have (classes, properties, messages, constants with
// a type, wizard output), kept apart so that the record stays small.
struct TOrvikSymbolExtra {
  TSymText Ancestor;
  TSymText MessageId;
  TSymText ReadAccess;
  TSymText WriteAccess;
  TSymText IndexName;
  TSymText IndexType;
  TSymText ConstType;
  TSymText Reserved;
  TSymText DefaultValue;
  TStringList* code = nullptr;  // owned by the wizard that fills it
};
// What a record without rare texts shows.
inline const TOrvikSymbolExtra NoSymbolExtra;

// How many lists hold a record. Sixteen bits keep the record small; counting
// past the range raises EIntOverflow instead of wrapping (a record freed while
// still held).
class TSymRefCount {
 public:
  TSymRefCount(int N = 0) { *this = N; }
  operator int() const noexcept { return FCount; }
  TSymRefCount& operator=(int N) {
    if (N < INT16_MIN || N > INT16_MAX) Overflow();
    FCount = static_cast<int16_t>(N);
    return *this;
  }
  TSymRefCount& operator++() { return *this = FCount + 1; }
  TSymRefCount& operator--() { return *this = FCount - 1; }

 private:
  [[noreturn]] static void Overflow();
  int16_t FCount = 0;
};

// One declaration. Created on the heap, held by one or more symbol lists
// (RefCount counts them) and freed by ReleaseOrvikSymbol. Deleting a record
// releases its children.
struct TOrvikSymbol : public TObject {
  TOrvikSymbol() = default;
  ~TOrvikSymbol() override;
  TOrvikSymbol(const TOrvikSymbol&) = delete;
  TOrvikSymbol& operator=(const TOrvikSymbol&) = delete;

  // Small fields first, so that the record packs tightly.
  TSymTyp Typ = typEOF;
  TProcTokenType ProcTyp = tProcedure;
  TBereichTokenType Bereich = tPrivate;
  TProcOptionsSet Options;
  TSymRefCount RefCount;
  int Line = -1;
  int StoreIndex = 0;
  int DeclLine = -1;
  int defbegin = 0;
  int defend = 0;
  int DeclEndLine = 0;
  TPascalSource* Source = nullptr;  // not owned
  TOrvikSymbol* Parent = nullptr;   // not owned
  TOrvikSymbols* symbols = nullptr;  // children, owned; made on first insertion
  TSymText name;
  TSymText TypeName;
  TSymText Comment;
  TSymText Params;
  TSymText ResultType;

  // The rare texts: empty (and code nil) until Extra() is written.
  const TSymText& Ancestor() const { return Rare().Ancestor; }
  const TSymText& MessageId() const { return Rare().MessageId; }
  const TSymText& ReadAccess() const { return Rare().ReadAccess; }
  const TSymText& WriteAccess() const { return Rare().WriteAccess; }
  const TSymText& IndexName() const { return Rare().IndexName; }
  const TSymText& IndexType() const { return Rare().IndexType; }
  const TSymText& ConstType() const { return Rare().ConstType; }
  const TSymText& Reserved() const { return Rare().Reserved; }
  const TSymText& DefaultValue() const { return Rare().DefaultValue; }
  TStringList* code() const { return Rare().code; }
  const TOrvikSymbolExtra& Rare() const { return FExtra ? *FExtra : NoSymbolExtra; }
  // The rare texts for writing, made on first use.
  TOrvikSymbolExtra& Extra() {
    if (!FExtra) FExtra = new TOrvikSymbolExtra;
    return *FExtra;
  }

 private:
  TOrvikSymbolExtra* FExtra = nullptr;  // owned
};

// Children of a symbol: strings are the lower-cased names, objects the records.
class TOrvikSymbols : public TSaveStringList {
 public:
  using TSaveStringList::TSaveStringList;

  TOrvikSymbol* GetSymbol(int Id) const;
  void SetSymbol(int Id, TOrvikSymbol* Sym);
  // Depth-first over the whole subtree: an entry's children before the entry.
  TOrvikSymbol* FindSymbol(TSymTypSet Types, const std::string& Name) const;
  // This list only, any kind.
  TOrvikSymbol* FindAnyFlatSymbol(const std::string& Name) const;
};

// The result of a cursor query.
class TFindSymbol : public TObject {
 public:
  TFindSymbol();

  TOrvikSymbol* Proc = nullptr;       // procedure that contains the cursor
  TOrvikSymbol* Owner = nullptr;      // where the resolution ended
  TOrvikSymbol* ProcAgain = nullptr;  // same as Proc
  TOrvikSymbol* Symbol = nullptr;     // found for the word under the cursor
  std::string Word;
  int CursorLine = 0;  // 1-based
  int CursorCol = 0;
};

// When on, every insertion writes "AddSymbol %s.%s" to the trace client.
extern bool AddSymDebug;

// Inserts Sym into Owner's children (sorted, duplicates accepted).
void AddOrvikSymbol(TOrvikSymbol* Owner, TOrvikSymbol* Sym);
// The same, appended at the end of an unsorted list (capacity 500).
void AddOrvikSymbolUnsorted(TOrvikSymbol* Owner, TOrvikSymbol* Sym);
// The same, with a long key placed in Keys, which must outlive the list.
void AddOrvikSymbolUnsorted(TOrvikSymbol* Owner, TOrvikSymbol* Sym, TSymTextArena& Keys);

// One holder lets go of Sym: RefCount goes down by one; at 0 or below the
// record is freed, its children released first. Null is ignored.
void ReleaseOrvikSymbol(TOrvikSymbol* Sym);
// Releases every child of Sym and frees its children list (for a root record
// that lives inside its source).
void ReleaseOrvikSymbolChildren(TOrvikSymbol& Sym);
// Before the arena of a loaded tree goes: every record below Root that another
// list holds too gets copies of its own of its subtree's texts and keys.
void OwnHeldTexts(TOrvikSymbol& Root);

// "TMyForm.Button1Click": the names up to (not including) the unit root.
void GetFullNameOfSymbol(const TOrvikSymbol* Sym, std::string& S);
void ProcTypToString(TProcTokenType Kind, std::string& S);
void BereichTokenTypeToString(TBereichTokenType Kind, std::string& S);

// Appends a token to a text (the one rule for joined token texts): a token
// starting with a letter gets a blank before it, except directly after "(",
// "[" or "."; any other token is appended directly. So "High(Integer)",
// "array[0..1] of Integer", "a or b", "1+2", "(ckRed, ckGreen)",
// "Windows.MAX_PATH". ConCatTo appends in place, so joining stays linear.
void ConCatTo(std::string& Text, const std::string& Token);
std::string ConCat(const std::string& a, const std::string& b);
