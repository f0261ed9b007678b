// The table expert in the expert's session: the menu entry shows it, the
// aliases, tables, fields and indexes of an SQLite database made here are
// listed, choosing a field composes its access with the accessor of its
// declared type, choosing an index the assignment to IndexName, and both
// copy buttons put the command on the clipboard and close the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ExpertTestSupport.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/Dialogs.h"
#include "tools/VelmoricTableExpert.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

class TableExpert : public ExpertTest {
 protected:
  // The add-in's database (alias "Velmoric") with a table of every declared type.
  void MakeDatabase() {
    sqlite3* Db = nullptr;
    ASSERT_EQ(sqlite3_open((VelmoricPath + "velmoric.db").c_str(), &Db), SQLITE_OK);
    const char* Sql =
        "CREATE TABLE parts (Nr INTEGER PRIMARY KEY AUTOINCREMENT, Count SMALLINT, Stock WORD,"
        " Serial AUTOINC, Qty INTEGER, Active BOOLEAN, Made DATE, Changed DATETIME, Price CURRENCY,"
        " Weight FLOAT, Name VARCHAR(20), Note TEXT, Picture BLOB, Size DECIMAL(10,2));"
        "CREATE INDEX \"parts.ByName\" ON parts (Name, Qty);"
        "CREATE TABLE colors (Id INTEGER, Name VARCHAR(10));";
    ASSERT_EQ(sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(Db);
    sqlite3_close(Db);
  }
  TFFormVelmoricTableExpert* Show() {
    EXPECT_TRUE(IDE().ClickMenuItem("Velmoric10"));
    return FFormVelmoricTableExpert;
  }
  static void Pick(TComboBox* Box, const std::string& Item) {
    const int I = Box->Items()->IndexOf(Item);
    ASSERT_GE(I, 0) << Item;
    Box->Select(I);
  }
  static std::vector<std::string> ItemsOf(TComboBox* Box) {
    std::vector<std::string> R;
    for (int I = 0; I < Box->Items()->Count(); ++I) R.push_back(Box->Items()->Strings(I));
    return R;
  }
};

TEST_F(TableExpert, ComposesFieldAccessByDeclaredTypeAndIndexAssignment) {
  Session->RegisterExpert();
  MakeDatabase();
  TFFormVelmoricTableExpert* Form = Show();
  ASSERT_NE(Form, nullptr);
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Form->Caption, "Table expert");
  EXPECT_THAT(ItemsOf(Form->ComboBoxDatabases), Contains("Velmoric"));

  Pick(Form->ComboBoxDatabases, "Velmoric");
  EXPECT_THAT(ItemsOf(Form->ComboBoxTable), ElementsAre("colors", "parts"));
  Pick(Form->ComboBoxTable, "parts");
  EXPECT_FALSE(Form->Table1->Active());
  EXPECT_THAT(ItemsOf(Form->ComboBoxField),
              ElementsAre("Nr", "Count", "Stock", "Serial", "Qty", "Active", "Made", "Changed", "Price",
                          "Weight", "Name", "Note", "Picture", "Size"));
  const std::pair<const char*, const char*> Expected[] = {
      {"Nr", "AsInteger"},      {"Count", "AsSmallInt"}, {"Stock", "AsWord"},   {"Serial", "AsInteger"},
      {"Qty", "AsInteger"},     {"Active", "AsBoolean"}, {"Made", "AsDate"},    {"Changed", "AsDateTime"},
      {"Price", "Value"},       {"Weight", "Value"},     {"Name", "AsString"},  {"Note", "Value"},
      {"Picture", "Value"},     {"Size", "Value"}};
  for (const auto& [Field, Accessor] : Expected) {
    Pick(Form->ComboBoxField, Field);
    EXPECT_EQ(Form->EditCommand->Text(), Format("FieldByName('%s').", Field) + Accessor);
  }

  EXPECT_THAT(ItemsOf(Form->ComboBoxIndex), ElementsAre("", "ByName"));
  Pick(Form->ComboBoxIndex, "ByName");
  EXPECT_EQ(Form->EditCommand->Text(), "IndexName := 'ByName';");
  EXPECT_EQ(Form->EditIndexfields->Text(), "Name;Qty");

  // Another table replaces the lists.
  Pick(Form->ComboBoxTable, "colors");
  EXPECT_THAT(ItemsOf(Form->ComboBoxField), ElementsAre("Id", "Name"));
  EXPECT_TRUE(ItemsOf(Form->ComboBoxIndex).empty());
}

TEST_F(TableExpert, BothCopyButtonsPutTheCommandOnTheClipboardAndClose) {
  Session->RegisterExpert();
  MakeDatabase();
  for (const char* Button : {"ButtonClipboard", "ButtonCursor"}) {
    SCOPED_TRACE(Button);
    TFFormVelmoricTableExpert* Form = Show();
    Clipboard().SetAsText("old");
    Pick(Form->ComboBoxDatabases, "Velmoric");
    Pick(Form->ComboBoxTable, "parts");
    Pick(Form->ComboBoxField, "Name");
    static_cast<TButton*>(Form->FindComponent(Button))->Click();
    EXPECT_EQ(Clipboard().AsText(), "FieldByName('Name').AsString");
    EXPECT_FALSE(Form->Visible());
    // The window is kept and shown again by the next command.
    EXPECT_EQ(Show(), Form);
  }
  Session->ReleaseExpert();
  EXPECT_EQ(FFormVelmoricTableExpert, nullptr);
}

TEST_F(TableExpert, DatabaseErrorsReachTheCaller) {
  Session->RegisterExpert();
  MakeDatabase();
  TFFormVelmoricTableExpert* Form = Show();
  Pick(Form->ComboBoxDatabases, "Velmoric");
  // The table goes away after it was listed.
  TTable Drop(nullptr);
  Drop.DatabaseName = "Velmoric";
  Drop.TableName = "colors";
  Drop.DeleteTable();
  EXPECT_THROW(Pick(Form->ComboBoxTable, "colors"), EDatabaseError);
  EXPECT_TRUE(ItemsOf(Form->ComboBoxField).empty());
  // A database name the session does not know.
  Form->ComboBoxDatabases->Items()->Add("NoSuchAlias");
  EXPECT_THROW(Pick(Form->ComboBoxDatabases, "NoSuchAlias"), EDatabaseError);
}

}  // namespace
