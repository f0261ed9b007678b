#include "platform/db/DB.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const TypeNames[] = {"Unknown",  "String",   "Smallint", "Integer",   "Word",
                                 "Boolean",  "Float",    "Currency", "BCD",       "Date",
                                 "Time",     "DateTime", "Bytes",    "VarBytes",  "AutoInc",
                                 "Blob",     "Memo",     "Graphic",  "FmtMemo",   "ParadoxOle",
                                 "DBaseOle", "TypedBinary"};

bool IsIntegerType(TFieldType T) {
  return T == ftSmallint || T == ftInteger || T == ftWord || T == ftAutoInc || T == ftBoolean;
}

bool IsFloatType(TFieldType T) { return T == ftFloat || T == ftCurrency || T == ftBCD; }

bool ParseInteger(const std::string& S, int64_t& Out) {
  const std::string T = Trim(S);
  if (T.empty()) return false;
  char* End = nullptr;
  errno = 0;
  const long long V = std::strtoll(T.c_str(), &End, 10);
  if (errno != 0 || End != T.c_str() + T.size()) return false;
  Out = V;
  return true;
}

bool ParseFloat(const std::string& S, double& Out) {
  const std::string T = Trim(S);
  if (T.empty()) return false;
  char* End = nullptr;
  const double V = std::strtod(T.c_str(), &End);
  if (End != T.c_str() + T.size()) return false;
  Out = V;
  return true;
}

std::string FloatText(double V) {
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, "%.15g", V);
  return Buf;
}

}  // namespace

std::string FieldTypeName(TFieldType Type) {
  const int I = static_cast<int>(Type);
  if (I < 0 || I >= static_cast<int>(std::size(TypeNames))) return "Unknown";
  return TypeNames[I];
}

bool IsBlobType(TFieldType Type) {
  return Type == ftBlob || Type == ftMemo || Type == ftGraphic || Type == ftFmtMemo ||
         Type == ftParadoxOle || Type == ftDBaseOle || Type == ftTypedBinary;
}

std::vector<std::string> SplitFieldNames(const std::string& Fields) {
  std::vector<std::string> Names;
  size_t Start = 0;
  while (Start <= Fields.size()) {
    size_t End = Fields.find(';', Start);
    if (End == std::string::npos) End = Fields.size();
    std::string Name = Trim(std::string_view(Fields).substr(Start, End - Start));
    if (!Name.empty()) Names.push_back(std::move(Name));
    Start = End + 1;
  }
  return Names;
}

// ------------------------------------------------------------- definitions

void TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required) {
  if (IndexOf(Name) >= 0) throw EDatabaseError(Format("Duplicate field name '%s'", Name));
  FItems.push_back({Name, DataType, Size, Required});
}

const TFieldDef& TFieldDefs::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[Index];
}

int TFieldDefs::IndexOf(const std::string& Name) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(FItems[I].Name, Name)) return I;
  return -1;
}

void TIndexDefs::Add(const std::string& Name, const std::string& Fields, TIndexOptions Options) {
  if (IndexOf(Name) >= 0) throw EDatabaseError(Format("Duplicate index name '%s'", Name));
  FItems.push_back({Name, Fields, Options});
}

const TIndexDef& TIndexDefs::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[Index];
}

int TIndexDefs::IndexOf(const std::string& Name) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(FItems[I].Name, Name)) return I;
  return -1;
}

const TIndexDef* TIndexDefs::FindIndexForFields(const std::string& Fields) const {
  const std::vector<std::string> Wanted = SplitFieldNames(Fields);
  for (const TIndexDef& D : FItems) {
    const std::vector<std::string> Have = SplitFieldNames(D.Fields);
    if (Have.size() != Wanted.size()) continue;
    bool Same = true;
    for (size_t I = 0; I < Have.size() && Same; ++I) Same = SameText(Have[I], Wanted[I]);
    if (Same) return &D;
  }
  return nullptr;
}

// ------------------------------------------------------------------ fields

TField::TField(TDataSet* ADataSet, const TFieldDef& Def, int AFieldNo)
    : TComponent(nullptr),
      FDataSet(ADataSet),
      FFieldName(Def.Name),
      FDataType(Def.DataType),
      FSize(Def.Size),
      FFieldNo(AFieldNo),
      FRequired(Def.Required) {}

TField::TField(TComponent* AOwner, TFieldType ADataType)
    : TComponent(AOwner),
      FDataSet(nullptr),
      FDataType(ADataType),
      FSize(0),
      FFieldNo(0),
      FRequired(false),
      FPersistent(true) {}

TField::~TField() {
  BeginDestroy();
  if (FPersistent) SetDataSet(nullptr);
}

std::string TField::ClassName() const { return "T" + FieldTypeName(FDataType) + "Field"; }

void TField::SetDataSet(TDataSet* Value) {
  if (!FPersistent) throw EDatabaseError("Cannot change the data set of this field");
  if (Value == FDataSet) return;
  if (FDataSet) {
    auto& L = FDataSet->FPersistentFields;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
  }
  FDataSet = Value;
  if (FDataSet) FDataSet->FPersistentFields.push_back(this);
}

std::string TField::AsString() const {
  if (const auto* I = std::get_if<int64_t>(&FValue)) {
    if (FDataType == ftBoolean) return *I ? "True" : "False";
    return IntToStr(*I);
  }
  if (const auto* D = std::get_if<double>(&FValue)) return FloatText(*D);
  if (const auto* S = std::get_if<std::string>(&FValue)) return *S;
  return {};
}

int64_t TField::AsInteger() const {
  if (const auto* I = std::get_if<int64_t>(&FValue)) return *I;
  if (const auto* D = std::get_if<double>(&FValue)) return static_cast<int64_t>(std::llround(*D));
  if (const auto* S = std::get_if<std::string>(&FValue)) {
    int64_t V = 0;
    if (!ParseInteger(*S, V)) throw EDatabaseError(Format("'%s' is not a valid integer value", *S));
    return V;
  }
  return 0;
}

double TField::AsFloat() const {
  if (const auto* I = std::get_if<int64_t>(&FValue)) return static_cast<double>(*I);
  if (const auto* D = std::get_if<double>(&FValue)) return *D;
  if (const auto* S = std::get_if<std::string>(&FValue)) {
    double V = 0;
    if (!ParseFloat(*S, V)) throw EDatabaseError(Format("'%s' is not a valid floating point value", *S));
    return V;
  }
  return 0;
}

bool TField::AsBoolean() const {
  if (const auto* S = std::get_if<std::string>(&FValue)) {
    int64_t I = 0;
    return SameText(*S, "True") || SameText(*S, "T") || SameText(*S, "Yes") ||
           (ParseInteger(*S, I) && I != 0);
  }
  return AsInteger() != 0;
}

void TField::CheckEditing() const {
  if (!FDataSet || (FDataSet->State() != dsEdit && FDataSet->State() != dsInsert))
    throw EDatabaseError("Dataset not in edit or insert mode");
}

void TField::SetValue(const TFieldValue& Value) {
  CheckEditing();
  TFieldValue V = Value;
  if (!std::holds_alternative<std::monostate>(V)) {
    if (IsIntegerType(FDataType)) {
      if (const auto* S = std::get_if<std::string>(&V)) {
        int64_t I = 0;
        if (!ParseInteger(*S, I)) throw EDatabaseError(Format("'%s' is not a valid integer value", *S));
        V = I;
      } else if (const auto* D = std::get_if<double>(&V)) {
        V = static_cast<int64_t>(std::llround(*D));
      }
      if (FDataType == ftBoolean) V = static_cast<int64_t>(std::get<int64_t>(V) != 0);
    } else if (IsFloatType(FDataType)) {
      if (const auto* S = std::get_if<std::string>(&V)) {
        double D = 0;
        if (!ParseFloat(*S, D)) throw EDatabaseError(Format("'%s' is not a valid floating point value", *S));
        V = D;
      } else if (const auto* I = std::get_if<int64_t>(&V)) {
        V = static_cast<double>(*I);
      }
    } else if (FDataType == ftString) {
      std::string S = std::holds_alternative<std::string>(V) ? std::get<std::string>(V)
                      : std::holds_alternative<int64_t>(V)   ? IntToStr(std::get<int64_t>(V))
                                                             : FloatText(std::get<double>(V));
      if (FSize > 0 && static_cast<int>(S.size()) > FSize) S.resize(FSize);
      V = std::move(S);
    } else if (IsBlobType(FDataType) || FDataType == ftBytes || FDataType == ftVarBytes) {
      if (!std::holds_alternative<std::string>(V)) {
        std::string S = std::holds_alternative<int64_t>(V) ? IntToStr(std::get<int64_t>(V))
                                                           : FloatText(std::get<double>(V));
        V = std::move(S);
      }
    }
  }
  FValue = std::move(V);
  FModified = true;
}

void TField::SetAsString(const std::string& Value) { SetValue(Value); }
void TField::SetAsInteger(int64_t Value) { SetValue(Value); }
void TField::SetAsFloat(double Value) { SetValue(Value); }
void TField::SetAsBoolean(bool Value) { SetValue(static_cast<int64_t>(Value ? 1 : 0)); }

void TField::LoadFromStream(TStream& Stream) {
  CheckEditing();
  std::string Bytes;
  char Buf[8192];
  for (;;) {
    const int32_t N = Stream.Read(Buf, sizeof Buf);
    if (N <= 0) break;
    Bytes.append(Buf, static_cast<size_t>(N));
  }
  SetValue(std::move(Bytes));
}

void TField::SaveToStream(TStream& Stream) const {
  const std::string Bytes = AsString();
  if (!Bytes.empty()) Stream.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
}

void TField::LoadFromFile(const std::string& FileName) {
  CheckEditing();
  SetValue(ReadFileBytes(FileName));
}

void TField::SaveToFile(const std::string& FileName) const { WriteFileBytes(FileName, AsString()); }

// ------------------------------------------------------------- data sets

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
  for (TField* F : FPersistentFields) F->FDataSet = nullptr;
  FPersistentFields.clear();
  for (TDataSource* S : FDataSources) S->FDataSet = nullptr;
  FDataSources.clear();
}

void TDataSet::SetActive(bool Value) {
  if (Value == Active()) return;
  if (Value) {
    InternalOpen();
    if (AfterOpen) AfterOpen(this);
  } else {
    if (BeforeClose) BeforeClose(this);
    InternalClose();
    FFields.clear();
    FState = dsInactive;
    FEof = FBof = true;
  }
  DataEvent();
}

TField* TDataSet::Fields(int Index) const {
  if (Index < 0 || Index >= FieldCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FFields[Index].get();
}

TField* TDataSet::PersistentFields(int Index) const {
  if (Index < 0 || Index >= PersistentFieldCount())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return FPersistentFields[Index];
}

TField* TDataSet::FindField(const std::string& FieldName) const {
  for (const auto& F : FFields)
    if (SameText(F->FieldName(), FieldName)) return F.get();
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const {
  TField* F = FindField(FieldName);
  if (!F) throw EDatabaseError(Format("Field '%s' not found", FieldName));
  return F;
}

void TDataSet::GetFieldNames(TStrings& List) const {
  List.Clear();
  for (const auto& F : FFields) List.Add(F->FieldName());
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Post();
}

void TDataSet::DataEvent() {
  // A handler may rebind sources; work on a copy.
  const std::vector<TDataSource*> Sources = FDataSources;
  for (TDataSource* S : Sources)
    if (std::find(FDataSources.begin(), FDataSources.end(), S) != FDataSources.end()) S->DataChanged();
}

// ------------------------------------------------------------ data sources

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  SetDataSet(nullptr);
  const std::vector<TDataSet*> Details = FDetails;
  for (TDataSet* D : Details) D->MasterDestroyed();
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (FDataSet) {
    auto& L = FDataSet->FDataSources;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
  }
  FDataSet = Value;
  if (FDataSet) FDataSet->FDataSources.push_back(this);
  DataChanged();
}

void TDataSource::DataChanged() {
  const std::vector<TDataSet*> Details = FDetails;
  for (TDataSet* D : Details)
    if (std::find(FDetails.begin(), FDetails.end(), D) != FDetails.end()) D->MasterChanged();
  if (Enabled && OnDataChange) OnDataChange(this);
}
