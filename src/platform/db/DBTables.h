// Sessions and tables on SQLite.
//
// An alias names one SQLite database file. Aliases live in the settings under
// "\Software\Database Engine\Aliases" (value name: alias, value: file name);
// a program may give default aliases that apply unless the settings name the
// alias. A database name holding a "/" is taken as the file name itself.
//
// A table is an SQLite table named as the table name without its extension
// and directory ("virtualhelp.DB" is table virtualhelp). Index names are kept
// in SQLite as "<table>.<name>", the primary index as "<table>." (or as the
// table's INTEGER PRIMARY KEY). Every statement binds its values; names are
// checked and quoted. Failures of SQLite (a locked, damaged or read-only
// database) raise EDatabaseError with SQLite's message; each Post, Delete and
// CreateTable is one transaction, so nothing is half-written.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DB.h"

struct sqlite3;
class TDatabaseConnection;

class TSession : public TComponent {
 public:
  explicit TSession(TComponent* AOwner = nullptr);
  ~TSession() override;
  std::string ClassName() const override { return "TSession"; }

  // The alias names: those of the settings and the defaults, sorted, case ignored.
  void GetDatabaseNames(TStrings& List);
  // The tables of the alias's database without extensions, sorted; an
  // alias whose file does not exist has none. Unknown alias: EDatabaseError.
  void GetTableNames(const std::string& DatabaseName, TStrings& List);
  void GetTableNames(const std::string& DatabaseName, const std::string& Pattern, bool Extensions,
                     bool SystemTables, TStrings& List);
  bool IsAlias(const std::string& Name);
  // Writes the alias into the settings; DeleteAlias removes it from them.
  void AddAlias(const std::string& Name, const std::string& FileName);
  void DeleteAlias(const std::string& Name);
  // An alias that holds unless the settings name it (case ignored).
  void SetDefaultAlias(const std::string& Name, const std::string& FileName);
  // The database file of an alias or path; EDatabaseError
  // "Unknown database: %s" for an unknown alias.
  std::string DatabaseFileName(const std::string& DatabaseName);

  // Table passwords registered for this session.
  void AddPassword(const std::string& Password);
  void RemovePassword(const std::string& Password);
  void RemoveAllPasswords() { FPasswords.clear(); }
  const std::vector<std::string>& Passwords() const { return FPasswords; }

  // How long a statement waits for a lock held by another connection before
  // it fails with "database is locked" (milliseconds).
  int BusyTimeout = 2000;

  // The settings key of the aliases.
  static const char* const AliasKey;

 private:
  friend class TTable;
  // An open connection to the file; Create also creates the file (mode 0600)
  // and its folder when missing.
  std::shared_ptr<TDatabaseConnection> Connect(const std::string& FileName, bool Create);
  std::map<std::string, std::string> FDefaults;  // lower-cased alias -> (name, file)
  std::map<std::string, std::string> FDefaultNames;
  std::vector<std::string> FPasswords;
  std::map<std::string, std::weak_ptr<TDatabaseConnection>> FConnections;
};

// The process's default session.
TSession& Session();

// The engine's password call: registers a table password for the session.
// Returns 0 (no error).
int DbiAddPassword(const std::string& Password);

enum TTableType { ttDefault, ttParadox, ttDBase, ttASCII };

class TTable : public TDataSet {
 public:
  explicit TTable(TComponent* AOwner);
  ~TTable() override;
  std::string ClassName() const override { return "TTable"; }

  std::string DatabaseName;  // alias or file
  std::string TableName;     // "virtualhelp.DB" or "virtualhelp"
  TTableType TableType = ttDefault;
  TSession* SessionOf = nullptr;  // nullptr: the default session

  const std::string& IndexName() const { return FIndexName; }
  // Changing the index of an open table reorders it and goes to the first record.
  void SetIndexName(const std::string& Value);
  // The fields of the current index (";"-separated); empty without one.
  std::string IndexFieldNames();

  TDataSource* MasterSource() const { return FMasterSource; }
  void SetMasterSource(TDataSource* Value);
  std::string MasterFields;  // fields of the master, ";"-separated

  TFieldDefs FieldDefs{this};
  TIndexDefs IndexDefs{this};

  // The SQLite name of the table.
  std::string PhysicalTableName() const;
  bool Exists();
  // Creates the table from FieldDefs and IndexDefs, replacing a table of
  // that name; creates the database file when missing.
  void CreateTable();
  void DeleteTable();
  void EmptyTable();
  void AddIndex(const std::string& Name, const std::string& Fields, TIndexOptions Options);
  void DeleteIndex(const std::string& Name);
  void GetIndexNames(TStrings& List);

  // Positions on the first record whose leading fields of the current index
  // equal the values (compared as the index compares); false when none does.
  bool FindKey(const std::vector<TFieldValue>& KeyValues);

  void First() override;
  void Next() override;
  void Prior() override;
  void Last() override;
  int RecordCount() override;
  int RecNo() const override { return FCursor + 1; }
  void SetRecNo(int Value) override;
  void Refresh() override;
  void Insert() override;
  void Append() override;
  void Edit() override;
  void Post() override;
  void Cancel() override;
  void Delete() override;
  using TDataSet::Locate;
  bool Locate(const std::string& KeyFields, const std::vector<TFieldValue>& KeyValues,
              TLocateOptions Options) override;

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  void MasterChanged() override;
  void MasterDestroyed() override;

 private:
  friend class TFieldDefs;
  friend class TIndexDefs;
  TSession& Sess() const { return SessionOf ? *SessionOf : Session(); }
  std::shared_ptr<TDatabaseConnection> ConnectFile(bool Create);
  void ReadDefs(TDatabaseConnection& C, std::vector<TFieldDef>& Fields,
                std::vector<TIndexDef>& Indexes, std::string& AutoIncPrimary);
  const TIndexDef* CurrentIndex() const;
  // The SQL condition of a detail view and its values; false when the
  // master has no record (the detail shows nothing).
  bool DetailCondition(std::string& Sql, std::vector<TFieldValue>& Values);
  std::string OrderBy() const;
  void LoadKeys();
  void LoadRecord();
  void GoTo(int Index);
  void SetInsertDefaults();
  bool PositionOn(int64_t RowId);
  bool FindFirst(const std::string& Condition, const std::vector<TFieldValue>& Values);

  std::string FIndexName;
  TDataSource* FMasterSource = nullptr;
  std::shared_ptr<TDatabaseConnection> FConn;
  std::string FAutoIncField;       // the INTEGER PRIMARY KEY AUTOINCREMENT column, if any
  std::vector<int64_t> FKeys;      // rowids in the current order
  int FCursor = -1;                // index into FKeys, -1 when empty
  int64_t FEditRowId = 0;
};
