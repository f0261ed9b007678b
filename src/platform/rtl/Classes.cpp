#include "platform/rtl/Classes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/rtl/AtomicFile.h"

namespace {

// Counted in runs of 255 characters with a byte counter, which the compiler
// turns into wide compares.
size_t CountLineFeeds(std::string_view S) {
  size_t N = 0;
  for (size_t I = 0; I < S.size();) {
    const size_t End = std::min(S.size(), I + 255);
    uint8_t Run = 0;
    for (; I < End; ++I) Run = static_cast<uint8_t>(Run + (S[I] == '\n'));
    N += Run;
  }
  return N;
}

constexpr int MaxListSize = 0x7FFFFFF;
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted string list";
const char* const SDuplicateString = "String list does not allow duplicates";
}  // namespace

// ------------------------------------------------------------------- TList

void TList::Error(const char* Msg, int Data) { throw EListError(Format(Msg, Data)); }

void TList::Grow() {
  int Delta;
  if (FCapacity > 64) Delta = FCapacity / 4;
  else if (FCapacity > 8) Delta = 16;
  else Delta = 4;
  SetCapacity(FCapacity + Delta);
}

int TList::Add(void* Item) {
  const int Result = Count();
  if (Result == FCapacity) Grow();
  FList.push_back(Item);
  return Result;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) Error(SListIndexError, Index);
  if (Count() == FCapacity) Grow();
  FList.insert(FList.begin() + Index, Item);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  FList.erase(FList.begin() + Index);
}

int TList::Remove(void* Item) {
  const int Result = IndexOf(Item);
  if (Result != -1) Delete(Result);
  return Result;
}

int TList::IndexOf(void* Item) const {
  for (int I = 0; I < Count(); ++I)
    if (FList[I] == Item) return I;
  return -1;
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
  FCapacity = 0;
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) Error(SListIndexError, Index1);
  if (Index2 < 0 || Index2 >= Count()) Error(SListIndexError, Index2);
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) Error(SListIndexError, NewIndex);
  void* Item = Get(CurIndex);
  Delete(CurIndex);
  Insert(NewIndex, Item);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Sort(TListSortCompare Compare) {
  if (Count() < 2) return;
  // The library's quicksort, so that equal items end where they always did.
  std::function<void(int, int)> QuickSort = [&](int L, int R) {
    int I, J;
    do {
      I = L;
      J = R;
      void* P = FList[(L + R) >> 1];
      do {
        while (Compare(FList[I], P) < 0) ++I;
        while (Compare(FList[J], P) > 0) --J;
        if (I <= J) {
          std::swap(FList[I], FList[J]);
          ++I;
          --J;
        }
      } while (I <= J);
      if (L < J) QuickSort(L, J);
      L = I;
    } while (I < R);
  };
  QuickSort(0, Count() - 1);
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) Error(SListCountError, NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  FList.resize(static_cast<size_t>(NewCount), nullptr);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
  FList.reserve(static_cast<size_t>(NewCapacity));
  FCapacity = NewCapacity;
}

void* TList::Get(int Index) const {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  return FList[Index];
}

void TList::Put(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
  FList[Index] = Item;
}

// ----------------------------------------------------------------- TStrings

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::Put(int Index, const std::string& S) {
  TObject* TempObject = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, TempObject);
}

int TStrings::Add(const std::string& S) {
  const int Result = GetCount();
  Insert(Result, S);
  return Result;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  const int Result = Add(S);
  PutObject(Result, AObject);
  return Result;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Strings) {
  BeginUpdate();
  try {
    for (int I = 0; I < Strings.GetCount(); ++I) AddObject(Strings.Get(I), Strings.GetObject(I));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(const TStrings& Source) {
  if (&Source == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(Source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    TObject* TempObject = GetObject(Index1);
    const std::string TempString = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, TempString);
    PutObject(Index2, TempObject);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    const std::string TempString = Get(CurIndex);
    TObject* TempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, TempString, TempObject);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const std::string& S) const {
  for (int I = 0; I < GetCount(); ++I)
    if (CompareText(Get(I), S) == 0) return I;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int I = 0; I < GetCount(); ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

bool TStrings::Equals(const TStrings& Other) const {
  if (GetCount() != Other.GetCount()) return false;
  for (int I = 0; I < GetCount(); ++I)
    if (Get(I) != Other.Get(I)) return false;
  return true;
}

std::string TStrings::GetText() const {
  std::string Result;
  for (int I = 0; I < GetCount(); ++I) {
    Result += Get(I);
    Result += LineBreak;
  }
  return Result;
}

void TStrings::SetText(std::string_view Text) {
  BeginUpdate();
  try {
    Clear();
    size_t P = 0;
    const size_t N = Text.size();
    while (P < N) {
      const size_t Start = P;
      while (P < N && Text[P] != '\n' && Text[P] != '\r') ++P;
      Add(std::string(Text.substr(Start, P - Start)));
      if (P < N && Text[P] == '\r') ++P;
      if (P < N && Text[P] == '\n') ++P;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::LoadFromFile(const std::string& FileName) { SetText(ReadFileBytes(FileName)); }

void TStrings::SaveToFile(const std::string& FileName) const {
  WriteFileAtomically(FileName, GetText());
}

std::string TStrings::Names(int Index) const {
  const std::string S = Get(Index);
  const int P = Pos("=", S);
  return P > 0 ? Copy(S, 1, P - 1) : std::string();
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int I = 0; I < GetCount(); ++I) {
    const std::string S = Get(I);
    const int P = Pos("=", S);
    if (P > 0 && CompareText(Copy(S, 1, P - 1), Name) == 0) return I;
  }
  return -1;
}

std::string TStrings::Values(const std::string& Name) const {
  const int I = IndexOfName(Name);
  if (I < 0) return {};
  const std::string S = Get(I);
  return Copy(S, static_cast<int>(Name.size()) + 2, static_cast<int>(S.size()));
}

void TStrings::SetValue(const std::string& Name, const std::string& Value) {
  const int I = IndexOfName(Name);
  if (!Value.empty()) {
    if (I < 0) Add(Name + "=" + Value);
    else Put(I, Name + "=" + Value);
  } else if (I >= 0) {
    Delete(I);
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

// ------------------------------------------------------------- TStringList

void TStringList::Error(const char* Msg, int Data) { throw EStringListError(Format(Msg, Data)); }

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

std::string TStringList::Get(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  return std::string(FList[Index]->View());
}

void TStringList::GetTo(int Index, std::string& Out) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  Out.assign(FList[Index]->View());
}

// Makes room for Count more items without a further block.
void TStringList::ReserveItems(size_t Count) {
  if (FFreeItems.size() + (FBlockSize - FBlockUsed) >= Count) return;
  // Blocks double from 1 up to 64 items and stay at 64, so that a list
  // leaves fewer than 64 items unused however long it grows; a capacity set
  // beforehand is taken as a hint for up to 64 items at once.
  constexpr size_t MaxBlock = 64;
  const size_t Hint = std::min<size_t>(FList.capacity() - FList.size(), MaxBlock);
  const size_t Size = std::max({Count, Hint, std::min<size_t>(std::max<size_t>(FBlockSize * 2, 1), MaxBlock)});
  FBlocks.push_back(std::make_unique<TStringItem[]>(Size));
  FBlockSize = Size;
  FBlockUsed = 0;
}

// An item's length field holds up to 4 GiB - 1 characters.
static uint32_t ItemLength(std::string_view S) {
  if (S.size() > UINT32_MAX) throw std::length_error("a string list item of more than 4 GiB");
  return static_cast<uint32_t>(S.size());
}

void TStringList::TStringItem::Show(std::string_view S) {
  const uint32_t Length = ItemLength(S);
  Release();
  FPtr = S.data();
  FLength = Length;
}

void TStringList::TStringItem::Assign(std::string_view S) {
  const uint32_t Length = ItemLength(S);
  if (Length <= sizeof FInline) {
    char Copy[sizeof FInline] = {};  // S may be this item's own text
    if (Length) std::memcpy(Copy, S.data(), Length);
    Release();
    std::memcpy(FInline, Copy, sizeof Copy);
    FKind = Inline;
  } else {
    char* Block = new char[Length];
    std::memcpy(Block, S.data(), Length);
    Release();
    FPtr = Block;
    FKind = Owned;
  }
  FLength = Length;
}

void TStringList::TStringItem::Release() {
  if (FKind == Owned) delete[] FPtr;
  FPtr = nullptr;
  FLength = 0;
  FKind = Shown;
}

TStringList::TStringItem* TStringList::NewItem(std::string_view S) {
  TStringItem* Item;
  if (!FFreeItems.empty()) {
    Item = FFreeItems.back();
    FFreeItems.pop_back();
  } else {
    ReserveItems(1);
    Item = &FBlocks.back()[FBlockUsed++];
  }
  Item->Assign(S);
  Item->FObject = nullptr;
  return Item;
}

void TStringList::FreeItem(TStringItem* Item) {
  Item->Release();
  Item->FObject = nullptr;
  FFreeItems.push_back(Item);
}

TObject* TStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  return FList[Index]->FObject;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) Error(SSortedListError, 0);
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  Changing();
  FList[Index]->Assign(S);
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  Changing();
  FList[Index]->FObject = AObject;
  Changed();
}

void TStringList::Clear() {
  const bool Notify = !FList.empty();
  if (Notify) Changing();
  FList.clear();
  FList.shrink_to_fit();
  FBlocks.clear();
  FFreeItems.clear();
  FBlockSize = FBlockUsed = 0;
  std::string().swap(FText);
  if (Notify) Changed();
}

void TStringList::Delete(int Index) {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  Changing();
  FreeItem(FList[Index]);
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
  if (FSorted) Error(SSortedListError, 0);
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  InsertItem(Index, S);
}

void TStringList::InsertItem(int Index, const std::string& S) {
  Changing();
  TStringItem* Item = NewItem(S);
  FList.insert(FList.begin() + Index, Item);
  Changed();
}

int TStringList::AddShownObject(std::string_view Text, TObject* AObject) {
  if (FSorted) Error(SSortedListError, 0);
  Changing();
  TStringItem* Item = NewItem({});
  if (Text.size() <= ItemInline)
    Item->Assign(Text);
  else
    Item->Show(Text);
  Item->FObject = AObject;
  FList.push_back(Item);
  Changed();
  return GetCount() - 1;
}

void TStringList::OwnStrings() {
  for (TStringItem* Item : FList)
    if (Item->FKind == TStringItem::Shown && Item->FLength > 0) Item->Assign(Item->View());
}

// The same as the base's, with the lines of an unsorted list built in place.
void TStringList::SetText(std::string_view Text) {
  if (FSorted) {
    TStrings::SetText(Text);
    return;
  }
  SetText(std::string(Text));
}

int64_t TStringList::SplitOffset(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
  const TStringItem* Item = FList[static_cast<size_t>(Index)];
  const char* Text = FText.data();
  if (Item->FKind != TStringItem::Shown || Item->FPtr < Text || Item->FPtr > Text + FText.size()) return -1;
  return Item->FPtr - Text;
}

// An unsorted list keeps Text and its items show its lines.
void TStringList::SetText(std::string&& Text) {
  if (FSorted) {
    TStrings::SetText(Text);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    FText = std::move(Text);
    const size_t Lines = CountLineFeeds(FText) + 1;
    FList.reserve(Lines);
    ReserveItems(Lines);
    const char* P = FText.data();
    const char* const End = P + FText.size();
    while (P < End) {
      // The line ends at the first LF or CR.
      const char* Lf = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(End - P)));
      const char* Eol = Lf ? Lf : End;
      if (const void* Cr = std::memchr(P, '\r', static_cast<size_t>(Eol - P)))
        Eol = static_cast<const char*>(Cr);
      // Fresh items of the block reserved above, as long as it lasts (lone
      // CRs make more lines than the count of LFs).
      TStringItem* Item = FBlockUsed < FBlockSize ? &FBlocks.back()[FBlockUsed++] : NewItem({});
      Item->Show(std::string_view(P, static_cast<size_t>(Eol - P)));
      FList.push_back(Item);
      P = Eol;
      if (P < End && *P == '\r') ++P;
      if (P < End && *P == '\n') ++P;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStringList::Add(const std::string& S) {
  int Result;
  if (!FSorted) {
    Result = GetCount();
  } else if (Find(S, Result)) {
    switch (FDuplicates) {
      case dupIgnore:
        return Result;
      case dupError:
        Error(SDuplicateString, 0);
      case dupAccept:
        break;
    }
  }
  InsertItem(Result, S);
  return Result;
}

void TStringList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= GetCount()) Error(SListIndexError, Index1);
  if (Index2 < 0 || Index2 >= GetCount()) Error(SListIndexError, Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int Result;
  return Find(S, Result) ? Result : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
  bool Result = false;
  int L = 0;
  int H = GetCount() - 1;
  while (L <= H) {
    const int I = (L + H) >> 1;
    const int C = CompareText(FList[I]->View(), S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Result = true;
        if (FDuplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Result;
}

void TStringList::QuickSort(int L, int R, const std::function<int(int, int)>& Compare) {
  int I, J;
  do {
    I = L;
    J = R;
    int P = (L + R) >> 1;
    do {
      while (Compare(I, P) < 0) ++I;
      while (Compare(J, P) > 0) --J;
      if (I <= J) {
        std::swap(FList[I], FList[J]);
        if (P == I) P = J;
        else if (P == J) P = I;
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) QuickSort(L, J, Compare);
    L = I;
  } while (I < R);
}

void TStringList::Sort() {
  if (FSorted || GetCount() < 2) return;
  Changing();
  QuickSort(0, GetCount() - 1,
            [this](int A, int B) { return CompareText(FList[A]->View(), FList[B]->View()); });
  Changed();
}

void TStringList::CustomSort(std::function<int(TStringList*, int, int)> Compare) {
  if (GetCount() < 2) return;
  Changing();
  QuickSort(0, GetCount() - 1, [&](int A, int B) { return Compare(this, A, B); });
  Changed();
}

void TStringList::AssignInOrder(const TStringList& Source) {
  if (&Source == this) return;
  Clear();
  Changing();
  FList.reserve(Source.FList.size());
  ReserveItems(Source.FList.size());
  for (const TStringItem* From : Source.FList) {
    TStringItem* Item = NewItem(From->View());
    Item->FObject = From->FObject;
    FList.push_back(Item);
  }
  FSorted = Source.FSorted;
  FDuplicates = Source.FDuplicates;
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < GetCount() || NewCapacity > MaxListSize) Error(SListCapacityError, NewCapacity);
  FList.reserve(static_cast<size_t>(NewCapacity));
}
