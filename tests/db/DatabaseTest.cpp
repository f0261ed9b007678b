// The database runtime on SQLite: tables created from field and index
// definitions, records posted and read back by a fresh session and by a new
// process, cursor movement in index order, searches, detail views over a
// master, aliases, and failures of the database file reported as
// EDatabaseError with nothing half-written.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DBTables.h"

namespace {

class DatabaseTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-db-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
    DbFile = Dir + "/data/velmoric.db";  // the folder does not exist yet
    ::setenv("VELMORIC_REGISTRY", (Dir + "/registry").c_str(), 1);
    S = std::make_unique<TSession>();
    S->BusyTimeout = 100;
    S->SetDefaultAlias("Velmoric", DbFile);
  }
  void TearDown() override {
    S.reset();
    ::unsetenv("VELMORIC_REGISTRY");
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  std::unique_ptr<TTable> NewTable(TSession& Sess, const std::string& Alias = "VELMORIC") {
    auto T = std::make_unique<TTable>(nullptr);
    T->SessionOf = &Sess;
    T->DatabaseName = Alias;
    T->TableName = "virtualhelp.DB";
    return T;
  }

  // The help table: autoinc primary key, a sized name, a parent number, a blob.
  void CreateHelpTable(TSession& Sess) {
    auto T = NewTable(Sess);
    T->FieldDefs.Add("Nr", ftAutoInc);
    T->FieldDefs.Add("XName", ftString, 128);
    T->FieldDefs.Add("XParent", ftInteger);
    T->FieldDefs.Add("XTyp", ftString, 3);
    T->FieldDefs.Add("XText", ftBlob);
    T->IndexDefs.Add("", "Nr", ixPrimary | ixUnique);
    T->IndexDefs.Add("IVHNAME", "XName", ixCaseInsensitive);
    T->IndexDefs.Add("IVHPARENT", "XParent", ixCaseInsensitive);
    T->CreateTable();
  }

  static void AddPage(TTable& T, const std::string& Name, int64_t Parent, const std::string& Text = {}) {
    T.Append();
    T.FieldByName("XName")->SetAsString(Name);
    T.FieldByName("XParent")->SetAsInteger(Parent);
    TStringStream Body(Text);
    T.FieldByName("XText")->LoadFromStream(Body);
    T.Post();
  }

  static std::vector<std::string> Names(TTable& T) {
    std::vector<std::string> Out;
    for (T.First(); !T.Eof(); T.Next()) Out.push_back(T.FieldByName("XName")->AsString());
    return Out;
  }

  std::string Dir, DbFile;
  std::unique_ptr<TSession> S;
};

TEST_F(DatabaseTest, CreatedTableKeepsItsDefinitionsAndFileIsPrivate) {
  CreateHelpTable(*S);
  struct stat St {};
  ASSERT_EQ(::stat(DbFile.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0600u);

  TSession Fresh;
  Fresh.SetDefaultAlias("velmoric", DbFile);
  auto T = NewTable(Fresh, "Velmoric");
  T->Open();
  ASSERT_EQ(T->FieldDefs.Count(), 5);
  EXPECT_EQ(T->FieldDefs.Items(0).DataType, ftAutoInc);
  EXPECT_EQ(T->FieldDefs.Items(1).Name, "XName");
  EXPECT_EQ(T->FieldDefs.Items(1).DataType, ftString);
  EXPECT_EQ(T->FieldDefs.Items(1).Size, 128);
  EXPECT_EQ(T->FieldDefs.Items(2).DataType, ftInteger);
  EXPECT_EQ(T->FieldDefs.Items(3).Size, 3);
  EXPECT_EQ(T->FieldDefs.Items(4).DataType, ftBlob);
  ASSERT_EQ(T->IndexDefs.Count(), 3);
  EXPECT_EQ(T->IndexDefs.Items(0).Name, "");
  EXPECT_EQ(T->IndexDefs.Items(0).Fields, "Nr");
  EXPECT_TRUE(T->IndexDefs.Items(0).Options & ixPrimary);
  EXPECT_EQ(T->IndexDefs.Items(1).Name, "IVHNAME");
  EXPECT_EQ(T->IndexDefs.Items(1).Options, ixCaseInsensitive);
  EXPECT_EQ(T->IndexDefs.Items(2).Fields, "XParent");
  TStringList Indexes;
  T->GetIndexNames(Indexes);
  EXPECT_EQ(Indexes.GetText(), "IVHNAME\r\nIVHPARENT\r\n");

  TStringList Tables;
  Fresh.GetTableNames("VELMORIC", Tables);
  EXPECT_EQ(Tables.GetText(), "virtualhelp\r\n");
}

TEST_F(DatabaseTest, PostedRecordsReadBackInFreshSessionAndNewProcess) {
  CreateHelpTable(*S);
  const std::string Blob("{\\rtf1 \x00\xff binary}", 18);
  {
    auto T = NewTable(*S);
    T->Open();
    EXPECT_TRUE(T->Eof() && T->Bof());
    AddPage(*T, "TFoo", -1, Blob);
    AddPage(*T, "TFoo.Bar", 1, "body");
    EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 2);  // positioned on the posted record
    T->Append();
    T->FieldByName("XName")->SetAsString("x'); DROP TABLE virtualhelp; --");
    T->FieldByName("XTyp")->SetAsString("toolong");  // kept to its size
    T->Post();
  }
  TSession Fresh;
  Fresh.SetDefaultAlias("Velmoric", DbFile);
  {
    auto T = NewTable(Fresh);
    T->Open();
    EXPECT_EQ(T->RecordCount(), 3);
    ASSERT_TRUE(T->Locate("Nr", int64_t(1)));
    std::string Read;
    TStringStream Out;
    T->FieldByName("XText")->SaveToStream(Out);
    EXPECT_EQ(Out.DataString(), Blob);
    EXPECT_EQ(T->FieldByName("XParent")->AsInteger(), -1);
    ASSERT_TRUE(T->Locate("Nr", int64_t(3)));
    EXPECT_EQ(T->FieldByName("XName")->AsString(), "x'); DROP TABLE virtualhelp; --");
    EXPECT_EQ(T->FieldByName("XTyp")->AsString(), "too");
    EXPECT_TRUE(T->FieldByName("XText")->IsNull());
  }

  // A new process appends a page; this one sees it.
  const pid_t Pid = ::fork();
  if (Pid == 0) {
    int Code = 0;
    try {
      TSession Child;
      Child.SetDefaultAlias("Velmoric", DbFile);
      auto T = NewTable(Child);
      T->Open();
      AddPage(*T, "FromChild", 2, "child body");
    } catch (...) {
      Code = 1;
    }
    ::_exit(Code);
  }
  int Status = 0;
  ASSERT_EQ(::waitpid(Pid, &Status, 0), Pid);
  ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
  auto T = NewTable(*S);
  T->Open();
  ASSERT_TRUE(T->Locate("XName", std::string("fromchild"), loCaseInsensitive));
  EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 4);
  EXPECT_EQ(T->FieldByName("XText")->AsString(), "child body");
}

TEST_F(DatabaseTest, CursorFollowsCurrentIndexAndSearchesUseIt) {
  CreateHelpTable(*S);
  auto T = NewTable(*S);
  T->Open();
  AddPage(*T, "beta", -1);
  AddPage(*T, "Alpha", 1);
  AddPage(*T, "gamma", 1);
  EXPECT_EQ(Names(*T), (std::vector<std::string>{"beta", "Alpha", "gamma"}));  // primary: by Nr
  T->SetIndexName("IVHNAME");
  EXPECT_EQ(Names(*T), (std::vector<std::string>{"Alpha", "beta", "gamma"}));  // case ignored
  EXPECT_TRUE(T->Eof());
  T->Next();
  EXPECT_TRUE(T->Eof());
  EXPECT_EQ(T->FieldByName("XName")->AsString(), "gamma");  // stays on the last record

  EXPECT_TRUE(T->FindKey({std::string("ALPHA")}));
  EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 2);
  EXPECT_FALSE(T->Eof());
  EXPECT_FALSE(T->FindKey({std::string("delta")}));
  EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 2);  // unmoved

  EXPECT_FALSE(T->Locate("XName", std::string("ALPHA")));  // exact without the option
  EXPECT_TRUE(T->Locate("XName;XParent", {std::string("gamma"), int64_t(1)}, 0));
  EXPECT_TRUE(T->Locate("XName", std::string("GAM"), loCaseInsensitive | loPartialKey));
  EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 3);

  T->SetIndexName("");
  EXPECT_TRUE(T->FindKey({int64_t(1)}));
  EXPECT_EQ(T->FieldByName("XName")->AsString(), "beta");
  EXPECT_THROW(T->SetIndexName("NOSUCH"), EDatabaseError);
  EXPECT_THROW(T->FieldByName("Nope"), EDatabaseError);
  EXPECT_THROW(T->Locate("Nope", std::string("x")), EDatabaseError);
}

TEST_F(DatabaseTest, EditCancelAndDeleteChangeOnlyWhatWasPosted) {
  CreateHelpTable(*S);
  auto T = NewTable(*S);
  T->Open();
  AddPage(*T, "one", -1);
  AddPage(*T, "two", -1);
  EXPECT_THROW(T->FieldByName("XName")->SetAsString("x"), EDatabaseError);  // browse mode

  ASSERT_TRUE(T->Locate("XName", std::string("one")));
  T->Edit();
  T->FieldByName("XName")->SetAsString("uno");
  T->Post();
  T->Edit();
  T->FieldByName("XName")->SetAsString("discarded");
  T->Cancel();
  EXPECT_EQ(T->FieldByName("XName")->AsString(), "uno");
  T->Insert();
  T->FieldByName("XName")->SetAsString("never");
  T->Cancel();
  EXPECT_EQ(Names(*T), (std::vector<std::string>{"uno", "two"}));

  ASSERT_TRUE(T->Locate("XName", std::string("uno")));
  T->Delete();
  EXPECT_EQ(T->FieldByName("XName")->AsString(), "two");
  T->Delete();
  EXPECT_TRUE(T->Eof() && T->Bof());
  EXPECT_THROW(T->Delete(), EDatabaseError);
  // Edit on an empty table inserts.
  T->Edit();
  EXPECT_EQ(T->State(), dsInsert);
  T->FieldByName("XName")->SetAsString("three");
  T->Post();
  EXPECT_EQ(T->RecordCount(), 1);
  EXPECT_EQ(T->FieldByName("Nr")->AsInteger(), 3);  // numbers are not reused
}

TEST_F(DatabaseTest, DetailViewFollowsItsMaster) {
  CreateHelpTable(*S);
  auto Master = NewTable(*S);
  Master->Open();
  AddPage(*Master, "Root", -1);
  AddPage(*Master, "TFoo", 1);
  AddPage(*Master, "TBar", 1);
  AddPage(*Master, "TFoo.Run", 2);

  TDataSource Source(nullptr);
  Source.SetDataSet(Master.get());
  int Changes = 0;
  Source.OnDataChange = [&](TObject*) { ++Changes; };
  auto Detail = NewTable(*S);
  Detail->SetIndexName("IVHPARENT");
  Detail->MasterFields = "Nr";
  Detail->SetMasterSource(&Source);
  Detail->Open();

  ASSERT_TRUE(Master->Locate("Nr", int64_t(1)));
  EXPECT_GT(Changes, 0);
  EXPECT_EQ(Names(*Detail), (std::vector<std::string>{"TFoo", "TBar"}));
  ASSERT_TRUE(Master->Locate("Nr", int64_t(2)));
  EXPECT_EQ(Names(*Detail), (std::vector<std::string>{"TFoo.Run"}));
  EXPECT_EQ(Detail->RecordCount(), 1);

  // A record inserted into the detail takes the master's key.
  Detail->Insert();
  EXPECT_EQ(Detail->FieldByName("XParent")->AsInteger(), 2);
  Detail->FieldByName("XName")->SetAsString("TFoo.Stop");
  Detail->Post();
  EXPECT_EQ(Names(*Detail), (std::vector<std::string>{"TFoo.Run", "TFoo.Stop"}));
  ASSERT_TRUE(Master->Locate("Nr", int64_t(4)));
  EXPECT_TRUE(Detail->Eof() && Detail->Bof());
  EXPECT_FALSE(Detail->Locate("XName", std::string("TFoo")));  // outside the view
}

TEST_F(DatabaseTest, AliasesComeFromSettingsAndDefaults) {
  TStringList Names;
  S->GetDatabaseNames(Names);
  EXPECT_EQ(Names.GetText(), "Velmoric\r\n");
  EXPECT_THROW(S->DatabaseFileName("Nowhere"), EDatabaseError);
  EXPECT_EQ(S->DatabaseFileName("vElMoRiC"), DbFile);

  const std::string Other = Dir + "/other.db";
  S->AddAlias("Sales", Other);
  S->AddAlias("VELMORIC", Dir + "/moved.db");  // the settings win over the default
  S->GetDatabaseNames(Names);
  EXPECT_EQ(Names.GetText(), "Sales\r\nVELMORIC\r\n");
  EXPECT_EQ(S->DatabaseFileName("sales"), Other);
  EXPECT_EQ(S->DatabaseFileName("Velmoric"), Dir + "/moved.db");
  EXPECT_TRUE(S->IsAlias("SALES"));
  TStringList Tables;
  S->GetTableNames("Sales", Tables);  // no file yet: no tables
  EXPECT_EQ(Tables.Count(), 0);
  S->DeleteAlias("VELMORIC");
  EXPECT_EQ(S->DatabaseFileName("Velmoric"), DbFile);

  EXPECT_EQ(DbiAddPassword("secret"), 0);
  DbiAddPassword("secret");
  EXPECT_EQ(Session().Passwords(), std::vector<std::string>{"secret"});
  Session().RemoveAllPasswords();
}

TEST_F(DatabaseTest, NamesAreCheckedAndQuoted) {
  auto T = NewTable(*S);
  T->TableName = "odd \"name\".DB";
  T->FieldDefs.Add("a\"b", ftString, 10);
  T->FieldDefs.Add("Count", ftInteger);
  T->CreateTable();
  T->Open();
  T->Append();
  T->FieldByName("a\"b")->SetAsString("v");
  EXPECT_THROW(T->FieldByName("Count")->SetAsString("12x"), EDatabaseError);
  T->FieldByName("Count")->SetAsString(" 12 ");
  T->Post();
  EXPECT_EQ(T->FieldByName("Count")->AsInteger(), 12);
  T->Close();

  auto Bad = NewTable(*S);
  Bad->TableName = "sqlite_master";
  Bad->FieldDefs.Add("x", ftInteger);
  EXPECT_THROW(Bad->CreateTable(), EDatabaseError);
  Bad->TableName = "bad\nname";
  EXPECT_THROW(Bad->CreateTable(), EDatabaseError);
  Bad->TableName = "ok";
  Bad->FieldDefs.Clear();
  EXPECT_THROW(Bad->CreateTable(), EDatabaseError);  // no fields
  EXPECT_THROW(Bad->FieldDefs.Add("X", ftInteger); Bad->FieldDefs.Add("x", ftInteger), EDatabaseError);
}

TEST_F(DatabaseTest, MissingTableOrFileIsAnErrorThatCreatesNothing) {
  auto T = NewTable(*S);
  EXPECT_FALSE(T->Exists());
  try {
    T->Open();
    FAIL() << "opened a missing database";
  } catch (const EDatabaseError& E) {
    EXPECT_NE(std::string(E.what()).find("unable to open database file"), std::string::npos) << E.what();
  }
  EXPECT_FALSE(FileExists(DbFile));
  EXPECT_FALSE(T->Active());

  CreateHelpTable(*S);
  T->TableName = "other.DB";
  EXPECT_THROW(T->Open(), EDatabaseError);
  T->TableName = "virtualhelp.DB";
  T->SetIndexName("MISSING");
  EXPECT_THROW(T->Open(), EDatabaseError);
  EXPECT_FALSE(T->Active());
}

TEST_F(DatabaseTest, DamagedFileIsReportedAndLeftAlone) {
  std::filesystem::create_directories(Dir + "/data");
  const std::string Junk = "this is no database, just text that happens to be here\n";
  WriteFileBytes(DbFile, Junk);
  auto T = NewTable(*S);
  try {
    T->Open();
    FAIL() << "opened a damaged file";
  } catch (const EDatabaseError& E) {
    EXPECT_NE(std::string(E.what()).find("file is not a database"), std::string::npos) << E.what();
  }
  T->FieldDefs.Add("Nr", ftAutoInc);
  EXPECT_THROW(T->CreateTable(), EDatabaseError);
  EXPECT_EQ(ReadFileBytes(DbFile), Junk);
}

TEST_F(DatabaseTest, UnreadableFileGivesAnError) {
  // A folder where the file should be cannot be opened, whoever runs this.
  std::filesystem::create_directories(DbFile);
  auto T = NewTable(*S);
  EXPECT_THROW(T->Open(), EDatabaseError);
  EXPECT_THROW(CreateHelpTable(*S), EDatabaseError);
}

TEST_F(DatabaseTest, FileWithoutReadPermissionGivesAnError) {
  if (::geteuid() == 0) GTEST_SKIP() << "file modes do not stop root";
  CreateHelpTable(*S);
  ::chmod(DbFile.c_str(), 0);
  TSession Fresh;
  Fresh.SetDefaultAlias("Velmoric", DbFile);
  auto U = NewTable(Fresh);
  EXPECT_THROW(U->Open(), EDatabaseError);
}

TEST_F(DatabaseTest, LockedDatabaseFailsThePostAndKeepsTheRecord) {
  CreateHelpTable(*S);
  auto T = NewTable(*S);
  T->Open();
  AddPage(*T, "before", -1);

  sqlite3* Other = nullptr;
  ASSERT_EQ(sqlite3_open(DbFile.c_str(), &Other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(Other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  T->Append();
  T->FieldByName("XName")->SetAsString("blocked");
  try {
    T->Post();
    FAIL() << "posted into a locked database";
  } catch (const EDatabaseError& E) {
    EXPECT_NE(std::string(E.what()).find("database is locked"), std::string::npos) << E.what();
  }
  EXPECT_EQ(T->State(), dsInsert);  // the record waits to be posted again
  ASSERT_EQ(sqlite3_exec(Other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(Other);
  T->Post();
  EXPECT_EQ(Names(*T), (std::vector<std::string>{"before", "blocked"}));
}

TEST_F(DatabaseTest, UniqueIndexViolationLeavesNothingBehind) {
  CreateHelpTable(*S);
  auto T = NewTable(*S);
  T->AddIndex("UNAME", "XName", ixUnique);
  T->Open();
  ASSERT_GE(T->IndexDefs.IndexOf("UNAME"), 0);
  AddPage(*T, "same", -1);
  T->Append();
  T->FieldByName("XName")->SetAsString("same");
  EXPECT_THROW(T->Post(), EDatabaseError);
  T->Cancel();
  EXPECT_EQ(T->RecordCount(), 1);
  T->DeleteIndex("UNAME");
  EXPECT_LT(T->IndexDefs.IndexOf("UNAME"), 0);
  AddPage(*T, "same", -1);
  EXPECT_EQ(T->RecordCount(), 2);
}

}  // namespace
