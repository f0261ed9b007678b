// The component library's basic containers: TObject, TList, TStrings and
// TStringList, with the library's semantics (sorted lists, duplicates
// handling, case-insensitive ASCII comparison, attached objects, text I/O).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

// Root of the classes whose instances are attached to string lists.
class TObject {
 public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// ------------------------------------------------------------------- TList

using TListSortCompare = int (*)(void* Item1, void* Item2);

// A list of untyped references. Indexes out of range raise EListError
// "List index out of bounds (%d)".
class TList : public TObject {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);
  int IndexOf(void* Item) const;
  virtual void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Pack();  // drops nil entries
  void Sort(TListSortCompare Compare);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }

  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int NewCount);
  int Capacity() const { return FCapacity; }
  void SetCapacity(int NewCapacity);

  void* Get(int Index) const;
  void Put(int Index, void* Item);
  void* operator[](int Index) const { return Get(Index); }

 protected:
  [[noreturn]] static void Error(const char* Msg, int Data);

 private:
  void Grow();
  std::vector<void*> FList;
  int FCapacity = 0;
};

// ----------------------------------------------------------------- TStrings

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The abstract string list. Descendants supply storage through Get, GetCount,
// Put, GetObject, PutObject, Insert, Delete and Clear.
class TStrings : public TObject {
 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  virtual std::string Get(int Index) const = 0;
  // Get into a string the caller keeps, reusing its storage.
  virtual void GetTo(int Index, std::string& Out) const { Out = Get(Index); }
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Insert(int Index, const std::string& S) = 0;

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  void AddStrings(const TStrings& Strings);
  virtual void Assign(const TStrings& Source);
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  // Case-insensitive search; first match or -1.
  virtual int IndexOf(const std::string& S) const;
  int IndexOfObject(TObject* AObject) const;
  bool Equals(const TStrings& Other) const;

  // Every line followed by LineBreak ("\r\n" by default).
  virtual std::string GetText() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  virtual void SetText(std::string_view Text);
  void LoadFromFile(const std::string& FileName);
  // Replaces the file whole (EStreamError on failure, the old file intact).
  void SaveToFile(const std::string& FileName) const;

  // "name=value" lines.
  std::string Names(int Index) const;
  std::string Values(const std::string& Name) const;
  void SetValue(const std::string& Name, const std::string& Value);
  int IndexOfName(const std::string& Name) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  int Count() const { return GetCount(); }
  std::string Strings(int Index) const { return Get(Index); }
  std::string operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }

  std::string LineBreak = "\r\n";

 protected:
  virtual void SetUpdateState(bool Updating) {}

 private:
  int FUpdateCount = 0;
};

// ------------------------------------------------------------- TStringList

class TStringList : public TStrings {
 public:
  TStringList() = default;

  std::string Get(int Index) const override;
  void GetTo(int Index, std::string& Out) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  int Add(const std::string& S) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;
  void SetText(std::string_view Text) override;
  void SetText(std::string&& Text);
  void SetText(const char* Text) { SetText(std::string_view(Text)); }

  // Bisection over a sorted list; Index is the match (the first one when
  // duplicates are accepted) or the place where S would be inserted.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  void CustomSort(std::function<int(TStringList*, int, int)> Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Copies Source's items (texts and objects) in their order, with its
  // Sorted and Duplicates settings: a sorted Source is not sorted again, so
  // equal texts keep their order.
  void AssignInOrder(const TStringList& Source);
  // The text the last SetText of an unsorted list split; its items show it
  // until they are changed.
  const std::string& SplitText() const { return FText; }
  // Where line Index starts in SplitText(), while the item still shows it;
  // -1 once it was changed.
  int64_t SplitOffset(int Index) const;
  // Appends an item with AObject that shows Text without copying it (a text
  // of up to ItemInline characters is copied): Text must stay until the item
  // changes or OwnStrings is called. Not for a sorted list.
  static constexpr size_t ItemInline = 8;
  int AddShownObject(std::string_view Text, TObject* AObject);
  // Every item that shows a text gets a copy of its own (SplitOffset then
  // says -1 for every line).
  void OwnStrings();
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  [[noreturn]] static void Error(const char* Msg, int Data);

 private:
  // An item's text is a line of FText (shown), held in the item itself (up
  // to 8 characters) or in a block of its own (owned).
  struct TStringItem {
    TStringItem() = default;
    TStringItem(const TStringItem&) = delete;
    TStringItem& operator=(const TStringItem&) = delete;
    ~TStringItem() { Release(); }

    std::string_view View() const { return {FKind == Inline ? FInline : FPtr, FLength}; }
    // Shows S, which must outlive the item.
    void Show(std::string_view S);
    // Holds a copy of S.
    void Assign(std::string_view S);
    void Release();

    union {
      const char* FPtr = nullptr;
      char FInline[ItemInline];
    };
    uint32_t FLength = 0;
    enum : uint8_t { Shown, Inline, Owned } FKind = Shown;
    TObject* FObject = nullptr;
  };
  void InsertItem(int Index, const std::string& S);
  void QuickSort(int L, int R, const std::function<int(int, int)>& Compare);
  // Items live in blocks owned by the list; FList orders pointers to them,
  // so a sorted insertion moves pointers only.
  TStringItem* NewItem(std::string_view S);
  void FreeItem(TStringItem* Item);
  void ReserveItems(size_t Count);

  std::vector<TStringItem*> FList;
  std::vector<std::unique_ptr<TStringItem[]>> FBlocks;
  size_t FBlockSize = 0;  // items in the last block
  size_t FBlockUsed = 0;  // of which handed out
  std::vector<TStringItem*> FFreeItems;  // deleted items, for reuse
  std::string FText;  // the text SetText split, which its lines show
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
};
