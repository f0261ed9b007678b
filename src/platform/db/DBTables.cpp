#include "platform/db/DBTables.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/registry/Registry.h"

// ------------------------------------------------------------ SQLite glue

class TDatabaseConnection {
 public:
  ~TDatabaseConnection() {
    if (Db) sqlite3_close_v2(Db);
  }
  sqlite3* Db = nullptr;
  std::string FileName;
};

namespace {

[[noreturn]] void Fail(sqlite3* Db, const std::string& What) {
  throw EDatabaseError(What + ": " + (Db ? sqlite3_errmsg(Db) : "out of memory"));
}

// A prepared statement; every value goes in through Bind.
class TStatement {
 public:
  TStatement(TDatabaseConnection& C, const std::string& Sql, const std::string& What)
      : FDb(C.Db), FWhat(What) {
    if (sqlite3_prepare_v2(FDb, Sql.c_str(), static_cast<int>(Sql.size()), &FStmt, nullptr) != SQLITE_OK)
      Fail(FDb, FWhat);
  }
  ~TStatement() { sqlite3_finalize(FStmt); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  void Bind(int Index, const TFieldValue& V) {
    int Rc = SQLITE_OK;
    if (const auto* I = std::get_if<int64_t>(&V))
      Rc = sqlite3_bind_int64(FStmt, Index, *I);
    else if (const auto* D = std::get_if<double>(&V))
      Rc = sqlite3_bind_double(FStmt, Index, *D);
    else if (const auto* S = std::get_if<std::string>(&V))
      Rc = FBlob ? sqlite3_bind_blob64(FStmt, Index, S->data(), S->size(), SQLITE_TRANSIENT)
                 : sqlite3_bind_text64(FStmt, Index, S->data(), S->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    else
      Rc = sqlite3_bind_null(FStmt, Index);
    if (Rc != SQLITE_OK) Fail(FDb, FWhat);
  }
  void BindAll(const std::vector<TFieldValue>& Values) {
    for (size_t I = 0; I < Values.size(); ++I) Bind(static_cast<int>(I) + 1, Values[I]);
  }
  // Bytes of the next Bind go in as a binary large object.
  void AsBlob(bool Value) { FBlob = Value; }

  // True while a row is there.
  bool Step() {
    const int Rc = sqlite3_step(FStmt);
    if (Rc == SQLITE_ROW) return true;
    if (Rc == SQLITE_DONE) return false;
    Fail(FDb, FWhat);
  }
  int64_t Int(int Col) { return sqlite3_column_int64(FStmt, Col); }
  std::string Text(int Col) {
    const void* P = sqlite3_column_blob(FStmt, Col);
    const int N = sqlite3_column_bytes(FStmt, Col);
    return P ? std::string(static_cast<const char*>(P), static_cast<size_t>(N)) : std::string();
  }
  bool IsNull(int Col) { return sqlite3_column_type(FStmt, Col) == SQLITE_NULL; }
  TFieldValue Value(int Col) {
    switch (sqlite3_column_type(FStmt, Col)) {
      case SQLITE_INTEGER: return Int(Col);
      case SQLITE_FLOAT: return sqlite3_column_double(FStmt, Col);
      case SQLITE_NULL: return std::monostate{};
      default: return Text(Col);
    }
  }

 private:
  sqlite3* FDb;
  sqlite3_stmt* FStmt = nullptr;
  std::string FWhat;
  bool FBlob = false;
};

void Exec(TDatabaseConnection& C, const std::string& Sql, const std::string& What) {
  TStatement S(C, Sql, What);
  while (S.Step()) {
  }
}

// One write transaction; rolled back unless committed.
class TTransaction {
 public:
  TTransaction(TDatabaseConnection& C, const std::string& What) : FConn(C), FWhat(What) {
    Exec(C, "BEGIN IMMEDIATE", What);
  }
  ~TTransaction() {
    if (!FDone) sqlite3_exec(FConn.Db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Exec(FConn, "COMMIT", FWhat);
    FDone = true;
  }

 private:
  TDatabaseConnection& FConn;
  std::string FWhat;
  bool FDone = false;
};

// Table, field and index names: not empty, no control characters, none of
// SQLite's own; quoted for SQL.
void CheckName(const std::string& Name, const char* Kind) {
  bool Ok = !Name.empty() && Name.size() <= 255 && LowerCase(Copy(Name, 1, 7)) != "sqlite_";
  for (unsigned char C : Name)
    if (C < 0x20 || C == 0x7F) Ok = false;
  if (!Ok) throw EDatabaseError(Format("Invalid %s name '%s'", Kind, Name));
}

std::string Quote(const std::string& Name) {
  std::string Q = "\"";
  for (char C : Name) {
    if (C == '"') Q += '"';
    Q += C;
  }
  return Q + "\"";
}

std::string ColumnType(const TFieldDef& D) {
  const std::string Size = D.Size > 0 ? "(" + IntToStr(D.Size) + ")" : "";
  switch (D.DataType) {
    case ftString: return "VARCHAR" + Size;
    case ftSmallint: return "SMALLINT";
    case ftInteger: return "INTEGER";
    case ftWord: return "UNSIGNED SMALLINT";
    case ftBoolean: return "BOOLEAN";
    case ftFloat: return "FLOAT";
    case ftCurrency: return "CURRENCY FLOAT";
    case ftBCD: return "DECIMAL" + Size;
    case ftDate: return "DATE";
    case ftTime: return "TIME";
    case ftDateTime: return "DATETIME";
    case ftBytes: return "BYTES BLOB" + Size;
    case ftVarBytes: return "VARBYTES BLOB" + Size;
    case ftAutoInc: return "AUTOINC INTEGER";
    case ftMemo: return "MEMO TEXT";
    case ftGraphic: return "GRAPHIC BLOB";
    case ftFmtMemo: return "FMTMEMO BLOB";
    case ftParadoxOle: return "PARADOXOLE BLOB";
    case ftDBaseOle: return "DBASEOLE BLOB";
    case ftTypedBinary: return "TYPEDBINARY BLOB";
    default: return "BLOB";
  }
}

TFieldType TypeOfColumn(const std::string& Declared, int& Size) {
  const std::string T = UpperCase(Trim(Declared));
  Size = 0;
  if (size_t Open = T.find('('); Open != std::string::npos) {
    const size_t End = T.find_first_of(",)", Open);
    Size = StrToIntDef(T.substr(Open + 1, End == std::string::npos ? std::string::npos : End - Open - 1), 0);
  }
  const std::string W = T.substr(0, T.find_first_of(" ("));
  if (W == "VARCHAR" || W == "CHAR" || W == "CHARACTER" || W == "NVARCHAR" || W == "NCHAR") return ftString;
  if (W == "SMALLINT") return ftSmallint;
  if (W == "UNSIGNED" || W == "WORD") return ftWord;
  if (W == "AUTOINC") return ftAutoInc;
  if (W == "BOOLEAN") return ftBoolean;
  if (W == "FLOAT" || W == "REAL" || W == "DOUBLE") return ftFloat;
  if (W == "CURRENCY") return ftCurrency;
  if (W == "DECIMAL" || W == "NUMERIC") return ftBCD;
  if (W == "DATE") return ftDate;
  if (W == "TIME") return ftTime;
  if (W == "DATETIME" || W == "TIMESTAMP") return ftDateTime;
  if (W == "BYTES") return ftBytes;
  if (W == "VARBYTES") return ftVarBytes;
  if (W == "MEMO" || W == "TEXT" || W == "CLOB") return ftMemo;
  if (W == "GRAPHIC") return ftGraphic;
  if (W == "FMTMEMO") return ftFmtMemo;
  if (W == "PARADOXOLE") return ftParadoxOle;
  if (W == "DBASEOLE") return ftDBaseOle;
  if (W == "TYPEDBINARY") return ftTypedBinary;
  if (T.find("INT") != std::string::npos) return ftInteger;
  if (T.find("CHAR") != std::string::npos || T.find("TEXT") != std::string::npos) return ftMemo;
  if (T.find("REAL") != std::string::npos || T.find("FLOA") != std::string::npos ||
      T.find("DOUB") != std::string::npos)
    return ftFloat;
  return ftBlob;
}

bool WildMatch(const char* P, const char* S) {
  for (; *P; ++P, ++S) {
    if (*P == '*') {
      for (;; ++S) {
        if (WildMatch(P + 1, S)) return true;
        if (!*S) return false;
      }
    }
    if (!*S || (*P != '?' && LowerChar(*P) != LowerChar(*S))) return false;
  }
  return !*S;
}

std::string JoinNames(const std::vector<std::string>& Names) {
  std::string J;
  for (const std::string& N : Names) J += (J.empty() ? "" : ";") + N;
  return J;
}

}  // namespace

// ------------------------------------------------------------------ session

const char* const TSession::AliasKey = "\\Software\\Database Engine\\Aliases";

TSession::TSession(TComponent* AOwner) : TComponent(AOwner) {}
TSession::~TSession() = default;

TSession& Session() {
  static TSession TheSession;
  return TheSession;
}

int DbiAddPassword(const std::string& Password) {
  Session().AddPassword(Password);
  return 0;
}

void TSession::AddPassword(const std::string& Password) {
  if (Password.empty()) return;
  if (std::find(FPasswords.begin(), FPasswords.end(), Password) == FPasswords.end())
    FPasswords.push_back(Password);
}

void TSession::RemovePassword(const std::string& Password) {
  FPasswords.erase(std::remove(FPasswords.begin(), FPasswords.end(), Password), FPasswords.end());
}

void TSession::SetDefaultAlias(const std::string& Name, const std::string& FileName) {
  FDefaults[LowerCase(Name)] = FileName;
  FDefaultNames[LowerCase(Name)] = Name;
}

void TSession::GetDatabaseNames(TStrings& List) {
  TStringList Names;
  Names.SetSorted(true);
  Names.SetDuplicates(dupIgnore);
  try {
    TRegistry Reg;
    if (Reg.OpenKeyReadOnly(AliasKey)) Reg.GetValueNames(Names);
  } catch (const Exception& E) {
    throw EDatabaseError(E.Message());
  }
  for (const auto& [Key, Name] : FDefaultNames) Names.Add(Name);
  List.Assign(Names);
}

bool TSession::IsAlias(const std::string& Name) {
  TStringList Names;
  GetDatabaseNames(Names);
  return Names.IndexOf(Name) >= 0;
}

void TSession::AddAlias(const std::string& Name, const std::string& FileName) {
  if (Trim(Name).empty()) throw EDatabaseError("An alias needs a name");
  try {
    TRegistry Reg;
    if (!Reg.OpenKey(AliasKey, true)) throw EDatabaseError(Format("Cannot write alias %s", Name));
    Reg.WriteString(Name, FileName);
  } catch (const EDatabaseError&) {
    throw;
  } catch (const Exception& E) {
    throw EDatabaseError(E.Message());
  }
}

void TSession::DeleteAlias(const std::string& Name) {
  try {
    TRegistry Reg;
    if (Reg.OpenKey(AliasKey, false)) Reg.DeleteValue(Name);
  } catch (const Exception& E) {
    throw EDatabaseError(E.Message());
  }
}

std::string TSession::DatabaseFileName(const std::string& DatabaseName) {
  if (DatabaseName.find('/') != std::string::npos) return DatabaseName;
  if (!DatabaseName.empty()) {
    try {
      TRegistry Reg;
      if (Reg.OpenKeyReadOnly(AliasKey) && Reg.ValueExists(DatabaseName)) {
        const std::string File = Reg.ReadString(DatabaseName);
        if (!File.empty()) return File;
      }
    } catch (const Exception& E) {
      throw EDatabaseError(E.Message());
    }
    auto It = FDefaults.find(LowerCase(DatabaseName));
    if (It != FDefaults.end()) return It->second;
  }
  throw EDatabaseError(Format("Unknown database: %s", DatabaseName));
}

std::shared_ptr<TDatabaseConnection> TSession::Connect(const std::string& FileName, bool Create) {
  auto It = FConnections.find(FileName);
  if (It != FConnections.end())
    if (auto C = It->second.lock()) return C;
  const std::string What = Format("Cannot open database %s", FileName);
  if (Create && !FileExists(FileName)) {
    std::error_code Ec;
    const std::filesystem::path Dir = std::filesystem::path(FileName).parent_path();
    if (!Dir.empty() && !std::filesystem::is_directory(Dir, Ec)) {
      std::filesystem::create_directories(Dir, Ec);
      if (Ec) throw EDatabaseError(What + ": " + Ec.message());
    }
    const int Fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (Fd < 0 && errno != EEXIST) throw EDatabaseError(What + ": " + std::strerror(errno));
    if (Fd >= 0) {
      ::fchmod(Fd, 0600);
      ::close(Fd);
    }
  }
  auto C = std::make_shared<TDatabaseConnection>();
  C->FileName = FileName;
  if (sqlite3_open_v2(FileName.c_str(), &C->Db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) Fail(C->Db, What);
  sqlite3_busy_timeout(C->Db, BusyTimeout);
  // A file that is no database fails here rather than at the first use.
  Exec(*C, "SELECT count(*) FROM sqlite_master", What);
  FConnections[FileName] = C;
  return C;
}

void TSession::GetTableNames(const std::string& DatabaseName, TStrings& List) {
  GetTableNames(DatabaseName, "", false, false, List);
}

void TSession::GetTableNames(const std::string& DatabaseName, const std::string& Pattern, bool Extensions,
                             bool SystemTables, TStrings& List) {
  const std::string File = DatabaseFileName(DatabaseName);
  TStringList Names;
  if (FileExists(File)) {
    auto C = Connect(File, false);
    TStatement S(*C,
                 "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                 "ESCAPE '\\' ORDER BY name COLLATE NOCASE",
                 Format("Cannot list the tables of %s", DatabaseName));
    while (S.Step()) {
      const std::string Name = S.Text(0);
      if (!Pattern.empty() && !WildMatch(Pattern.c_str(), Name.c_str())) continue;
      Names.Add(Extensions ? Name + ".DB" : Name);
    }
  }
  List.Assign(Names);
}

// ------------------------------------------------------------------- table

TTable::TTable(TComponent* AOwner) : TDataSet(AOwner) {}

TTable::~TTable() {
  BeginDestroy();
  try {
    Close();
  } catch (...) {
  }
  SetMasterSource(nullptr);
}

std::string TTable::PhysicalTableName() const {
  std::string Name = ExtractFileName(TableName);
  const size_t Dot = Name.rfind('.');
  if (Dot != std::string::npos && Dot > 0) Name.resize(Dot);
  return Name;
}

std::shared_ptr<TDatabaseConnection> TTable::ConnectFile(bool Create) {
  if (FConn) return FConn;
  return Sess().Connect(Sess().DatabaseFileName(DatabaseName), Create);
}

bool TTable::Exists() {
  const std::string Name = PhysicalTableName();
  CheckName(Name, "table");
  if (!FConn && !FileExists(Sess().DatabaseFileName(DatabaseName))) return false;
  auto C = ConnectFile(false);
  TStatement S(*C, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
               Format("Cannot read table %s", Name));
  S.Bind(1, Name);
  return S.Step();
}

void TTable::ReadDefs(TDatabaseConnection& C, std::vector<TFieldDef>& Fields, std::vector<TIndexDef>& Indexes,
                      std::string& AutoIncPrimary) {
  const std::string Name = PhysicalTableName();
  const std::string What = Format("Cannot read table %s", Name);
  std::string Sql;
  {
    TStatement S(C, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE", What);
    S.Bind(1, Name);
    if (!S.Step()) throw EDatabaseError(Format("Table does not exist: %s (%s)", Name, C.FileName));
    Sql = S.Text(0);
  }
  Fields.clear();
  Indexes.clear();
  AutoIncPrimary.clear();
  std::vector<std::pair<int, std::string>> Pk;
  std::vector<std::string> PkTypes;
  {
    TStatement S(C, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1) ORDER BY cid", What);
    S.Bind(1, Name);
    while (S.Step()) {
      TFieldDef D;
      D.Name = S.Text(0);
      D.DataType = TypeOfColumn(S.Text(1), D.Size);
      D.Required = S.Int(2) != 0;
      if (S.Int(3) > 0) {
        Pk.emplace_back(static_cast<int>(S.Int(3)), D.Name);
        PkTypes.push_back(UpperCase(Trim(S.Text(1))));
      }
      Fields.push_back(D);
    }
  }
  std::sort(Pk.begin(), Pk.end());
  if (!Pk.empty()) {
    std::vector<std::string> Names;
    for (auto& P : Pk) Names.push_back(P.second);
    if (Pk.size() == 1 && PkTypes[0] == "INTEGER" && UpperCase(Sql).find("AUTOINCREMENT") != std::string::npos) {
      AutoIncPrimary = Pk[0].second;
      for (TFieldDef& D : Fields)
        if (D.Name == AutoIncPrimary) D.DataType = ftAutoInc;
    }
    Indexes.push_back({"", JoinNames(Names), ixPrimary | ixUnique});
  }
  std::vector<TIndexDef> Others;
  std::vector<std::string> Physical;
  {
    TStatement S(C, "SELECT name, \"unique\", origin FROM pragma_index_list(?1)", What);
    S.Bind(1, Name);
    while (S.Step()) {
      if (S.Text(2) == "pk") continue;
      TIndexDef D;
      D.Name = S.Text(0);
      if (S.Int(1)) D.Options |= ixUnique;
      Physical.push_back(D.Name);
      const std::string Prefix = LowerCase(Name) + ".";
      if (LowerCase(Copy(D.Name, 1, static_cast<int>(Prefix.size()))) == Prefix) D.Name.erase(0, Prefix.size());
      if (D.Name.empty()) D.Options |= ixPrimary;
      Others.push_back(D);
    }
  }
  for (size_t I = 0; I < Others.size(); ++I) {
    TStatement S(C, "SELECT name, \"desc\", coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno",
                 What);
    S.Bind(1, Physical[I]);
    std::vector<std::string> Names;
    while (S.Step()) {
      if (S.IsNull(0)) Others[I].Options |= ixExpression;
      Names.push_back(S.Text(0));
      if (S.Int(1)) Others[I].Options |= ixDescending;
      if (SameText(S.Text(2), "NOCASE")) Others[I].Options |= ixCaseInsensitive;
    }
    Others[I].Fields = JoinNames(Names);
  }
  std::stable_sort(Others.begin(), Others.end(), [](const TIndexDef& A, const TIndexDef& B) {
    if ((A.Options & ixPrimary) != (B.Options & ixPrimary)) return (A.Options & ixPrimary) != 0;
    return CompareText(A.Name, B.Name) < 0;
  });
  // An added primary index stands in for a missing INTEGER PRIMARY KEY.
  if (!Indexes.empty())
    Others.erase(std::remove_if(Others.begin(), Others.end(),
                                [](const TIndexDef& D) { return (D.Options & ixPrimary) != 0; }),
                 Others.end());
  Indexes.insert(Indexes.end(), Others.begin(), Others.end());
}

void TFieldDefs::Update() {
  if (auto* T = dynamic_cast<TTable*>(FDataSet)) {
    std::vector<TIndexDef> Indexes;
    std::string AutoInc;
    auto C = T->ConnectFile(false);
    T->ReadDefs(*C, FItems, Indexes, AutoInc);
  }
}

void TIndexDefs::Update() {
  if (auto* T = dynamic_cast<TTable*>(FDataSet)) {
    std::vector<TFieldDef> Fields;
    std::string AutoInc;
    auto C = T->ConnectFile(false);
    T->ReadDefs(*C, Fields, FItems, AutoInc);
  }
}

void TTable::InternalOpen() {
  const std::string Name = PhysicalTableName();
  CheckName(Name, "table");
  auto C = ConnectFile(false);
  ReadDefs(*C, FieldDefs.FItems, IndexDefs.FItems, FAutoIncField);
  if (!FIndexName.empty() && IndexDefs.IndexOf(FIndexName) < 0)
    throw EDatabaseError(Format("Index not found: %s", FIndexName));
  FConn = C;
  FFields.clear();
  for (int I = 0; I < FieldDefs.Count(); ++I)
    FFields.push_back(std::make_unique<TField>(this, FieldDefs.Items(I), I + 1));
  SetState(dsBrowse);
  try {
    LoadKeys();
  } catch (...) {
    FConn.reset();
    FFields.clear();
    SetState(dsInactive);
    throw;
  }
  GoTo(0);
  FBof = true;
  FEof = FKeys.empty();
}

void TTable::InternalClose() {
  FConn.reset();
  FKeys.clear();
  FCursor = -1;
}

const TIndexDef* TTable::CurrentIndex() const {
  if (FIndexName.empty()) {
    for (int I = 0; I < IndexDefs.Count(); ++I)
      if (IndexDefs.Items(I).Options & ixPrimary) return &IndexDefs.Items(I);
    return nullptr;
  }
  const int I = IndexDefs.IndexOf(FIndexName);
  return I >= 0 ? &IndexDefs.Items(I) : nullptr;
}

std::string TTable::IndexFieldNames() {
  const TIndexDef* D = CurrentIndex();
  return D ? D->Fields : std::string();
}

std::string TTable::OrderBy() const {
  std::string Order;
  if (const TIndexDef* D = CurrentIndex(); D && !(D->Options & ixExpression)) {
    for (const std::string& F : SplitFieldNames(D->Fields)) {
      Order += Quote(F);
      if (D->Options & ixCaseInsensitive) Order += " COLLATE NOCASE";
      if (D->Options & ixDescending) Order += " DESC";
      Order += ", ";
    }
  }
  return Order + "rowid";
}

bool TTable::DetailCondition(std::string& Sql, std::vector<TFieldValue>& Values) {
  Sql.clear();
  Values.clear();
  if (!FMasterSource) return true;
  TDataSet* Master = FMasterSource->DataSet();
  if (!Master || !Master->Active() || (Master->Eof() && Master->Bof() && Master->State() == dsBrowse)) return false;
  const std::vector<std::string> MasterNames = SplitFieldNames(MasterFields);
  if (MasterNames.empty()) return true;
  const TIndexDef* Index = CurrentIndex();
  std::vector<std::string> DetailNames = Index ? SplitFieldNames(Index->Fields) : MasterNames;
  if (DetailNames.size() < MasterNames.size()) DetailNames = MasterNames;
  const bool NoCase = Index && (Index->Options & ixCaseInsensitive);
  for (size_t I = 0; I < MasterNames.size(); ++I) {
    FieldByName(DetailNames[I]);
    const TFieldValue& V = Master->FieldByName(MasterNames[I])->Value();
    if (!Sql.empty()) Sql += " AND ";
    if (std::holds_alternative<std::monostate>(V)) {
      Sql += Quote(DetailNames[I]) + " IS NULL";
    } else {
      Sql += Quote(DetailNames[I]) + " = ?" + (NoCase ? " COLLATE NOCASE" : "");
      Values.push_back(V);
    }
  }
  return true;
}

void TTable::LoadKeys() {
  FKeys.clear();
  std::string Cond;
  std::vector<TFieldValue> Values;
  if (!DetailCondition(Cond, Values)) return;
  const std::string Name = PhysicalTableName();
  TStatement S(*FConn,
               "SELECT rowid FROM " + Quote(Name) + (Cond.empty() ? "" : " WHERE " + Cond) + " ORDER BY " + OrderBy(),
               Format("Cannot read table %s", Name));
  S.BindAll(Values);
  while (S.Step()) FKeys.push_back(S.Int(0));
}

void TTable::LoadRecord() {
  for (auto& F : FFields) {
    F->FValue = std::monostate{};
    F->FModified = false;
  }
  if (FCursor < 0 || FFields.empty()) return;
  std::string Cols;
  for (auto& F : FFields) Cols += (Cols.empty() ? "" : ", ") + Quote(F->FieldName());
  const std::string Name = PhysicalTableName();
  TStatement S(*FConn, "SELECT " + Cols + " FROM " + Quote(Name) + " WHERE rowid = ?1",
               Format("Cannot read table %s", Name));
  S.Bind(1, FKeys[FCursor]);
  if (!S.Step()) return;
  for (size_t I = 0; I < FFields.size(); ++I) FFields[I]->FValue = S.Value(static_cast<int>(I));
}

void TTable::GoTo(int Index) {
  if (FKeys.empty()) {
    FCursor = -1;
  } else {
    FCursor = std::clamp(Index, 0, static_cast<int>(FKeys.size()) - 1);
  }
  LoadRecord();
  FBof = FEof = FKeys.empty();
}

bool TTable::PositionOn(int64_t RowId) {
  auto It = std::find(FKeys.begin(), FKeys.end(), RowId);
  if (It == FKeys.end()) return false;
  GoTo(static_cast<int>(It - FKeys.begin()));
  FBof = FEof = false;
  return true;
}

void TTable::First() {
  CheckBrowseMode();
  LoadKeys();
  GoTo(0);
  FBof = true;
  FEof = FKeys.empty();
  DataEvent();
  if (AfterScroll) AfterScroll(this);
}

void TTable::Last() {
  CheckBrowseMode();
  LoadKeys();
  GoTo(static_cast<int>(FKeys.size()) - 1);
  FEof = true;
  FBof = FKeys.empty();
  DataEvent();
  if (AfterScroll) AfterScroll(this);
}

void TTable::SetRecNo(int Value) {
  CheckBrowseMode();
  if (FKeys.empty() || Value == RecNo()) return;
  GoTo(Value - 1);
  FBof = FEof = false;
  DataEvent();
  if (AfterScroll) AfterScroll(this);
}

void TTable::Next() {
  CheckBrowseMode();
  if (FCursor + 1 < static_cast<int>(FKeys.size())) {
    GoTo(FCursor + 1);
    FBof = FEof = false;
    DataEvent();
    if (AfterScroll) AfterScroll(this);
  } else {
    FEof = true;
  }
}

void TTable::Prior() {
  CheckBrowseMode();
  if (FCursor > 0) {
    GoTo(FCursor - 1);
    FBof = FEof = false;
    DataEvent();
    if (AfterScroll) AfterScroll(this);
  } else {
    FBof = true;
  }
}

int TTable::RecordCount() {
  CheckActive();
  std::string Cond;
  std::vector<TFieldValue> Values;
  if (!DetailCondition(Cond, Values)) return 0;
  const std::string Name = PhysicalTableName();
  TStatement S(*FConn, "SELECT count(*) FROM " + Quote(Name) + (Cond.empty() ? "" : " WHERE " + Cond),
               Format("Cannot read table %s", Name));
  S.BindAll(Values);
  return S.Step() ? static_cast<int>(S.Int(0)) : 0;
}

void TTable::Refresh() {
  CheckBrowseMode();
  const int64_t Current = FCursor >= 0 ? FKeys[FCursor] : 0;
  const int Old = FCursor;
  LoadKeys();
  if (FCursor < 0 || !PositionOn(Current)) GoTo(Old);
  DataEvent();
}

void TTable::SetInsertDefaults() {
  for (auto& F : FFields) {
    F->FValue = std::monostate{};
    F->FModified = false;
  }
  if (!FMasterSource || !FMasterSource->DataSet() || !FMasterSource->DataSet()->Active()) return;
  TDataSet* Master = FMasterSource->DataSet();
  const std::vector<std::string> MasterNames = SplitFieldNames(MasterFields);
  const TIndexDef* Index = CurrentIndex();
  std::vector<std::string> DetailNames = Index ? SplitFieldNames(Index->Fields) : MasterNames;
  if (DetailNames.size() < MasterNames.size()) DetailNames = MasterNames;
  for (size_t I = 0; I < MasterNames.size(); ++I) {
    TField* F = FieldByName(DetailNames[I]);
    F->FValue = Master->FieldByName(MasterNames[I])->Value();
    F->FModified = true;
  }
}

void TTable::Insert() {
  CheckBrowseMode();
  SetState(dsInsert);
  SetInsertDefaults();
  FEditRowId = 0;
  DataEvent();
}

void TTable::Append() { Insert(); }

void TTable::Edit() {
  CheckActive();
  if (State() == dsEdit || State() == dsInsert) return;
  if (FCursor < 0) {
    Insert();
    return;
  }
  FEditRowId = FKeys[FCursor];
  LoadRecord();
  SetState(dsEdit);
}

void TTable::Post() {
  CheckActive();
  if (State() != dsEdit && State() != dsInsert) return;
  const std::string Name = PhysicalTableName();
  const std::string What = Format("Cannot post to table %s", Name);
  int64_t RowId = FEditRowId;
  {
    TTransaction T(*FConn, What);
    if (State() == dsInsert) {
      std::string Cols, Params;
      std::vector<TField*> Bound;
      for (auto& F : FFields) {
        if (F->DataType() == ftAutoInc && F->IsNull() && F->FieldName() != FAutoIncField) {
          TStatement M(*FConn, "SELECT coalesce(max(" + Quote(F->FieldName()) + "), 0) + 1 FROM " + Quote(Name), What);
          if (M.Step()) F->FValue = M.Int(0);
        }
        if (F->IsNull()) continue;
        Cols += (Cols.empty() ? "" : ", ") + Quote(F->FieldName());
        Params += (Params.empty() ? "?" : ", ?");
        Bound.push_back(F.get());
      }
      const std::string Sql = Cols.empty() ? "INSERT INTO " + Quote(Name) + " DEFAULT VALUES"
                                           : "INSERT INTO " + Quote(Name) + " (" + Cols + ") VALUES (" + Params + ")";
      TStatement S(*FConn, Sql, What);
      for (size_t I = 0; I < Bound.size(); ++I) {
        S.AsBlob(IsBlobType(Bound[I]->DataType()) && Bound[I]->DataType() != ftMemo);
        S.Bind(static_cast<int>(I) + 1, Bound[I]->Value());
      }
      S.Step();
      RowId = sqlite3_last_insert_rowid(FConn->Db);
    } else {
      std::string Set;
      std::vector<TField*> Bound;
      for (auto& F : FFields) {
        if (!F->FModified) continue;
        Set += (Set.empty() ? "" : ", ") + Quote(F->FieldName()) + " = ?";
        Bound.push_back(F.get());
      }
      if (!Set.empty()) {
        TStatement S(*FConn, "UPDATE " + Quote(Name) + " SET " + Set + " WHERE rowid = ?", What);
        int I = 1;
        for (TField* F : Bound) {
          S.AsBlob(IsBlobType(F->DataType()) && F->DataType() != ftMemo);
          S.Bind(I++, F->Value());
        }
        S.AsBlob(false);
        S.Bind(I, RowId);
        S.Step();
        if (sqlite3_changes(FConn->Db) != 1)
          throw EDatabaseError(What + ": the record was deleted by another user");
        // An update of an INTEGER PRIMARY KEY moves the row.
        for (TField* F : Bound)
          if (F->FieldName() == FAutoIncField && !F->IsNull()) RowId = F->AsInteger();
      }
    }
    T.Commit();
  }
  SetState(dsBrowse);
  LoadKeys();
  if (!PositionOn(RowId)) GoTo(FCursor);
  if (AfterPost) AfterPost(this);
  DataEvent();
}

void TTable::Cancel() {
  CheckActive();
  if (State() != dsEdit && State() != dsInsert) return;
  SetState(dsBrowse);
  const bool Eof = FEof, Bof = FBof;
  GoTo(FCursor);
  if (FCursor >= 0) {
    FEof = Eof && FKeys.empty();
    FBof = Bof && FKeys.empty();
  }
  DataEvent();
}

void TTable::Delete() {
  CheckActive();
  if (State() == dsInsert) {
    Cancel();
    return;
  }
  if (State() == dsEdit) Cancel();
  if (FCursor < 0) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  const std::string Name = PhysicalTableName();
  const std::string What = Format("Cannot delete from table %s", Name);
  {
    TTransaction T(*FConn, What);
    TStatement S(*FConn, "DELETE FROM " + Quote(Name) + " WHERE rowid = ?1", What);
    S.Bind(1, FKeys[FCursor]);
    S.Step();
    T.Commit();
  }
  const int Old = FCursor;
  LoadKeys();
  GoTo(Old);
  DataEvent();
}

bool TTable::FindFirst(const std::string& Condition, const std::vector<TFieldValue>& Values) {
  std::string Cond;
  std::vector<TFieldValue> All;
  if (!DetailCondition(Cond, All)) return false;
  All.insert(All.end(), Values.begin(), Values.end());
  const std::string Name = PhysicalTableName();
  int64_t RowId = 0;
  {
    TStatement S(*FConn,
                 "SELECT rowid FROM " + Quote(Name) + " WHERE " + (Cond.empty() ? "" : Cond + " AND ") + "(" +
                     Condition + ") ORDER BY " + OrderBy() + " LIMIT 1",
                 Format("Cannot search table %s", Name));
    S.BindAll(All);
    if (!S.Step()) return false;
    RowId = S.Int(0);
  }
  LoadKeys();
  if (!PositionOn(RowId)) return false;
  DataEvent();
  if (AfterScroll) AfterScroll(this);
  return true;
}

bool TTable::Locate(const std::string& KeyFields, const std::vector<TFieldValue>& KeyValues,
                    TLocateOptions Options) {
  CheckBrowseMode();
  const std::vector<std::string> Names = SplitFieldNames(KeyFields);
  if (Names.empty() || Names.size() != KeyValues.size())
    throw EDatabaseError(Format("Locate needs one value for each of the fields %s", KeyFields));
  std::string Cond;
  std::vector<TFieldValue> Values;
  for (size_t I = 0; I < Names.size(); ++I) {
    const std::string Col = Quote(FieldByName(Names[I])->FieldName());
    const std::string Coll = (Options & loCaseInsensitive) ? " COLLATE NOCASE" : "";
    if (!Cond.empty()) Cond += " AND ";
    if (std::holds_alternative<std::monostate>(KeyValues[I])) {
      Cond += Col + " IS NULL";
    } else if ((Options & loPartialKey) && std::holds_alternative<std::string>(KeyValues[I])) {
      Cond += "substr(" + Col + ", 1, length(?)) = ?" + Coll;
      Values.push_back(KeyValues[I]);
      Values.push_back(KeyValues[I]);
    } else {
      Cond += Col + " = ?" + Coll;
      Values.push_back(KeyValues[I]);
    }
  }
  return FindFirst(Cond, Values);
}

bool TTable::FindKey(const std::vector<TFieldValue>& KeyValues) {
  CheckBrowseMode();
  const TIndexDef* Index = CurrentIndex();
  if (!Index) throw EDatabaseError(Format("Table %s has no index to search", PhysicalTableName()));
  const std::vector<std::string> Names = SplitFieldNames(Index->Fields);
  if (KeyValues.empty() || KeyValues.size() > Names.size())
    throw EDatabaseError(Format("FindKey needs 1 to %d values", static_cast<int>(Names.size())));
  std::string Cond;
  std::vector<TFieldValue> Values;
  const std::string Coll = (Index->Options & ixCaseInsensitive) ? " COLLATE NOCASE" : "";
  for (size_t I = 0; I < KeyValues.size(); ++I) {
    const std::string Col = Quote(FieldByName(Names[I])->FieldName());
    if (!Cond.empty()) Cond += " AND ";
    if (std::holds_alternative<std::monostate>(KeyValues[I])) {
      Cond += Col + " IS NULL";
    } else {
      Cond += Col + " = ?" + Coll;
      Values.push_back(KeyValues[I]);
    }
  }
  return FindFirst(Cond, Values);
}

void TTable::SetIndexName(const std::string& Value) {
  if (Active()) {
    CheckBrowseMode();
    if (!Value.empty() && IndexDefs.IndexOf(Value) < 0) throw EDatabaseError(Format("Index not found: %s", Value));
  }
  FIndexName = Value;
  if (Active()) First();
}

void TTable::SetMasterSource(TDataSource* Value) {
  if (Value == FMasterSource) return;
  if (FMasterSource) {
    auto& L = FMasterSource->FDetails;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
  }
  FMasterSource = Value;
  if (FMasterSource) FMasterSource->FDetails.push_back(this);
  if (Active() && !Destroying()) MasterChanged();
}

void TTable::MasterChanged() {
  if (!Active() || Destroying()) return;
  if (State() == dsEdit || State() == dsInsert) Post();
  LoadKeys();
  GoTo(0);
  FBof = true;
  FEof = FKeys.empty();
  DataEvent();
}

void TTable::MasterDestroyed() {
  FMasterSource = nullptr;
  MasterChanged();
}

void TTable::CreateTable() {
  const std::string Name = PhysicalTableName();
  CheckName(Name, "table");
  if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
  if (FieldDefs.Count() == 0) throw EDatabaseError(Format("No fields defined for table %s", Name));
  for (int I = 0; I < FieldDefs.Count(); ++I) CheckName(FieldDefs.Items(I).Name, "field");
  std::string AutoPrimary;
  for (int I = 0; I < IndexDefs.Count(); ++I) {
    const TIndexDef& D = IndexDefs.Items(I);
    if (!(D.Options & ixPrimary)) continue;
    const std::vector<std::string> F = SplitFieldNames(D.Fields);
    const int Fi = F.size() == 1 ? FieldDefs.IndexOf(F[0]) : -1;
    if (Fi >= 0 && FieldDefs.Items(Fi).DataType == ftAutoInc) AutoPrimary = FieldDefs.Items(Fi).Name;
  }
  std::string Cols;
  for (int I = 0; I < FieldDefs.Count(); ++I) {
    const TFieldDef& D = FieldDefs.Items(I);
    Cols += (Cols.empty() ? "" : ", ") + Quote(D.Name) + " ";
    Cols += SameText(D.Name, AutoPrimary) ? "INTEGER PRIMARY KEY AUTOINCREMENT" : ColumnType(D);
    if (D.Required && !SameText(D.Name, AutoPrimary)) Cols += " NOT NULL";
  }
  const std::string What = Format("Cannot create table %s", Name);
  auto C = ConnectFile(true);
  TTransaction T(*C, What);
  Exec(*C, "DROP TABLE IF EXISTS " + Quote(Name), What);
  Exec(*C, "CREATE TABLE " + Quote(Name) + " (" + Cols + ")", What);
  for (int I = 0; I < IndexDefs.Count(); ++I) {
    const TIndexDef& D = IndexDefs.Items(I);
    if ((D.Options & ixPrimary) && !AutoPrimary.empty()) continue;
    std::string Fields;
    for (const std::string& F : SplitFieldNames(D.Fields)) {
      CheckName(F, "field");
      Fields += (Fields.empty() ? "" : ", ") + Quote(F) + ((D.Options & ixCaseInsensitive) ? " COLLATE NOCASE" : "") +
                ((D.Options & ixDescending) ? " DESC" : "");
    }
    if (Fields.empty()) throw EDatabaseError(Format("Index %s has no fields", D.Name));
    const std::string IndexName = Name + "." + ((D.Options & ixPrimary) ? std::string() : D.Name);
    if (!(D.Options & ixPrimary)) CheckName(D.Name, "index");
    Exec(*C,
         std::string("CREATE ") + ((D.Options & (ixUnique | ixPrimary)) ? "UNIQUE " : "") + "INDEX " +
             Quote(IndexName) + " ON " + Quote(Name) + " (" + Fields + ")",
         What);
  }
  T.Commit();
}

void TTable::DeleteTable() {
  const std::string Name = PhysicalTableName();
  CheckName(Name, "table");
  if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
  auto C = ConnectFile(false);
  const std::string What = Format("Cannot delete table %s", Name);
  TTransaction T(*C, What);
  Exec(*C, "DROP TABLE " + Quote(Name), What);
  T.Commit();
}

void TTable::EmptyTable() {
  const std::string Name = PhysicalTableName();
  CheckName(Name, "table");
  if (Active()) CheckBrowseMode();
  auto C = ConnectFile(false);
  const std::string What = Format("Cannot empty table %s", Name);
  {
    TTransaction T(*C, What);
    Exec(*C, "DELETE FROM " + Quote(Name), What);
    T.Commit();
  }
  if (Active()) First();
}

void TTable::AddIndex(const std::string& Name, const std::string& Fields, TIndexOptions Options) {
  const std::string Table = PhysicalTableName();
  CheckName(Table, "table");
  const bool Primary = (Options & ixPrimary) != 0;
  if (!Primary) CheckName(Name, "index");
  std::string Cols;
  for (const std::string& F : SplitFieldNames(Fields)) {
    CheckName(F, "field");
    Cols += (Cols.empty() ? "" : ", ") + Quote(F) + ((Options & ixCaseInsensitive) ? " COLLATE NOCASE" : "") +
            ((Options & ixDescending) ? " DESC" : "");
  }
  if (Cols.empty()) throw EDatabaseError(Format("Index %s has no fields", Name));
  auto C = ConnectFile(false);
  const std::string What = Format("Cannot add index %s to table %s", Name, Table);
  {
    TTransaction T(*C, What);
    Exec(*C,
         std::string("CREATE ") + ((Options & (ixUnique | ixPrimary)) ? "UNIQUE " : "") + "INDEX " +
             Quote(Table + "." + (Primary ? std::string() : Name)) + " ON " + Quote(Table) + " (" + Cols + ")",
         What);
    T.Commit();
  }
  if (Active()) {
    std::vector<TFieldDef> F;
    ReadDefs(*C, F, IndexDefs.FItems, FAutoIncField);
  }
}

void TTable::DeleteIndex(const std::string& Name) {
  const std::string Table = PhysicalTableName();
  CheckName(Table, "table");
  if (Active() && SameText(Name, FIndexName)) throw EDatabaseError(Format("Index %s is in use", Name));
  auto C = ConnectFile(false);
  const std::string What = Format("Cannot delete index %s of table %s", Name, Table);
  {
    TTransaction T(*C, What);
    Exec(*C, "DROP INDEX " + Quote(Table + "." + Name), What);
    T.Commit();
  }
  if (Active()) {
    std::vector<TFieldDef> F;
    ReadDefs(*C, F, IndexDefs.FItems, FAutoIncField);
  }
}

void TTable::GetIndexNames(TStrings& List) {
  if (!Active()) IndexDefs.Update();
  List.Clear();
  for (int I = 0; I < IndexDefs.Count(); ++I)
    if (!IndexDefs.Items(I).Name.empty()) List.Add(IndexDefs.Items(I).Name);
}
