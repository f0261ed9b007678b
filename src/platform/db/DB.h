// The database runtime's data access classes: field values, fields, field
// and index definitions, data sets and data sources. Tables on SQLite are in
// DBTables.h.
//
// A data set is a cursor over records: First/Next/Prior/Last move it, Eof and
// Bof tell its ends; Insert/Append/Edit put it into an editing state in which
// its fields take values, Post writes the record and Cancel drops the change.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/rtl/Streams.h"
#include "platform/vcl/Component.h"

// ------------------------------------------------------------------ values

// A field's value: null, an integer, a floating point number or bytes (text
// and binary large objects alike).
using TFieldValue = std::variant<std::monostate, int64_t, double, std::string>;

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftParadoxOle,
  ftDBaseOle,
  ftTypedBinary
};

// The type's name as the library spells it without "ft" ("String", "AutoInc").
std::string FieldTypeName(TFieldType Type);
bool IsBlobType(TFieldType Type);

enum TFieldKind { fkData, fkCalculated, fkLookup };

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// ------------------------------------------------------------- definitions

class TDataSet;

struct TFieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;
  bool Required = false;
};

class TFieldDefs {
 public:
  explicit TFieldDefs(TDataSet* ADataSet) : FDataSet(ADataSet) {}
  void Clear() { FItems.clear(); }
  void Add(const std::string& Name, TFieldType DataType, int Size = 0, bool Required = false);
  int Count() const { return static_cast<int>(FItems.size()); }
  const TFieldDef& Items(int Index) const;  // EListError when out of range
  int IndexOf(const std::string& Name) const;  // case ignored, -1 when absent
  // Reads the definitions from the data set's table.
  void Update();

 private:
  friend class TTable;
  TDataSet* FDataSet;
  std::vector<TFieldDef> FItems;
};

using TIndexOptions = uint32_t;
constexpr TIndexOptions ixPrimary = 1, ixUnique = 2, ixDescending = 4, ixCaseInsensitive = 8,
                        ixExpression = 16;

struct TIndexDef {
  std::string Name;    // "" for the primary index
  std::string Fields;  // field names separated by ";"
  TIndexOptions Options = 0;
};

class TIndexDefs {
 public:
  explicit TIndexDefs(TDataSet* ADataSet) : FDataSet(ADataSet) {}
  void Clear() { FItems.clear(); }
  void Add(const std::string& Name, const std::string& Fields, TIndexOptions Options);
  int Count() const { return static_cast<int>(FItems.size()); }
  const TIndexDef& Items(int Index) const;  // EListError when out of range
  int IndexOf(const std::string& Name) const;  // case ignored, -1 when absent
  // The index whose fields are these (case ignored), or nullptr.
  const TIndexDef* FindIndexForFields(const std::string& Fields) const;
  // Reads the definitions from the data set's table.
  void Update();

 private:
  friend class TTable;
  TDataSet* FDataSet;
  std::vector<TIndexDef> FItems;
};

// Splits "a;b; c" into its trimmed names.
std::vector<std::string> SplitFieldNames(const std::string& Fields);

// ------------------------------------------------------------------ fields

// A field of an open data set (made by the data set from its columns), or a
// persistent field: a component of a form that the form's data set lists
// among its PersistentFields whether it is open or not (lookup fields are
// always persistent ones).
class TField : public TComponent {
 public:
  TField(TDataSet* ADataSet, const TFieldDef& Def, int AFieldNo);
  TField(TComponent* AOwner, TFieldType ADataType);
  ~TField() override;
  // "TStringField", "TIntegerField", ... by the data type.
  std::string ClassName() const override;

  // Persistent fields: the data set that lists the field, its name and size.
  void SetDataSet(TDataSet* Value);
  void SetFieldName(const std::string& Value) { FFieldName = Value; }
  void SetSize(int Value) { FSize = Value; }

  TDataSet* DataSet() const { return FDataSet; }
  const std::string& FieldName() const { return FFieldName; }
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  int FieldNo() const { return FFieldNo; }  // 1-based
  bool Required() const { return FRequired; }

  bool IsNull() const { return std::holds_alternative<std::monostate>(FValue); }
  const TFieldValue& Value() const { return FValue; }

  // Reading converts: null reads as "" or 0; text that is no number raises
  // EDatabaseError "'%s' is not a valid integer value".
  std::string AsString() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;

  // Writing needs the data set in edit or insert mode, else EDatabaseError
  // "Dataset not in edit or insert mode"; a string field keeps at most Size
  // characters, an integer field raises EDatabaseError for text that is no
  // number.
  void SetAsString(const std::string& Value);
  void SetAsInteger(int64_t Value);
  void SetAsFloat(double Value);
  void SetAsBoolean(bool Value);
  void SetValue(const TFieldValue& Value);
  void Clear() { SetValue(std::monostate{}); }

  // Binary large objects (and any other field): the bytes of the value.
  void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

  // Lookup fields (kept for the tools that show them; the runtime does not
  // compute them).
  TFieldKind FieldKind = fkData;
  TDataSet* LookupDataSet = nullptr;
  std::string KeyFields, LookupKeyFields, LookupResultField;

 private:
  friend class TTable;
  friend class TDataSet;
  void CheckEditing() const;
  TDataSet* FDataSet;
  std::string FFieldName;
  TFieldType FDataType;
  int FSize;
  int FFieldNo;
  bool FRequired;
  TFieldValue FValue;
  bool FModified = false;
  bool FPersistent = false;
};

// ------------------------------------------------------------- data sets

class TDataSource;

using TLocateOptions = uint32_t;
constexpr TLocateOptions loCaseInsensitive = 1, loPartialKey = 2;

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;
  std::string ClassName() const override { return "TDataSet"; }

  bool Active() const { return FState != dsInactive; }
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }

  virtual void First() = 0;
  virtual void Next() = 0;
  virtual void Prior() = 0;
  virtual void Last() = 0;
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  virtual int RecordCount() = 0;
  // The 1-based number of the current record (0 when there is none), and
  // moving to a record by its number.
  virtual int RecNo() const { return 0; }
  virtual void SetRecNo(int Value) {}
  // Reads the records again, staying on the current one where it still exists.
  virtual void Refresh() = 0;

  virtual void Insert() = 0;
  virtual void Append() = 0;
  virtual void Edit() = 0;
  virtual void Post() = 0;
  virtual void Cancel() = 0;
  virtual void Delete() = 0;

  // Positions on the first record (in the current order) whose fields
  // (names separated by ";") hold the values; false when none does, and the
  // cursor stays where it was.
  virtual bool Locate(const std::string& KeyFields, const std::vector<TFieldValue>& KeyValues,
                      TLocateOptions Options) = 0;
  bool Locate(const std::string& KeyField, const TFieldValue& KeyValue, TLocateOptions Options = 0) {
    return Locate(KeyField, std::vector<TFieldValue>{KeyValue}, Options);
  }

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  TField* Fields(int Index) const;  // EListError when out of range
  // The persistent fields of a form that belong to this data set, in the
  // order they were given it.
  int PersistentFieldCount() const { return static_cast<int>(FPersistentFields.size()); }
  TField* PersistentFields(int Index) const;  // EListError when out of range
  // The field of that name (case ignored), or nullptr / EDatabaseError
  // "Field '%s' not found".
  TField* FindField(const std::string& FieldName) const;
  TField* FieldByName(const std::string& FieldName) const;
  void GetFieldNames(TStrings& List) const;

  TNotifyEvent AfterOpen, BeforeClose, AfterPost, AfterScroll;

 protected:
  friend class TDataSource;
  friend class TField;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  // Tells the data sources of this data set (and through them their
  // detail data sets and their OnDataChange) that the record changed.
  void DataEvent();
  // Called on a detail data set when the record of its master moved.
  virtual void MasterChanged() {}
  // Called on a detail data set when its master source is destroyed.
  virtual void MasterDestroyed() {}
  void SetState(TDataSetState Value) { FState = Value; }
  void CheckActive() const;
  void CheckBrowseMode();  // posts a pending change

  std::vector<std::unique_ptr<TField>> FFields;
  bool FEof = true, FBof = true;

 private:
  TDataSetState FState = dsInactive;
  std::vector<TDataSource*> FDataSources;
  std::vector<TField*> FPersistentFields;
};

// Binds a data set to data-aware controls and detail data sets.
class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* AOwner);
  ~TDataSource() override;
  std::string ClassName() const override { return "TDataSource"; }

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);
  bool Enabled = true;
  // Fired when the data set's record moved or changed, or it opened or closed.
  TNotifyEvent OnDataChange;

 private:
  friend class TDataSet;
  friend class TTable;
  void DataChanged();
  TDataSet* FDataSet = nullptr;
  std::vector<TDataSet*> FDetails;
};
