// The table component editor: its registration ahead of the previous
// editor and the verbs it hands on, the editing window over a table of an
// SQLite database (captions, data views, restored state), and the
// connections tree through lookup fields and master sources, circular ones
// included.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/FormReader.h"
#include "tools/VelmoricTableEditor.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string>* EditorLog = nullptr;

// An editor that was registered for tables before the table editor.
class TFieldsEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
  int GetVerbCount() override { return 1; }
  std::string GetVerb(int) override { return "Fields editor..."; }
  void ExecuteVerb(int Index) override {
    EditorLog->push_back("fields editor " + IntToStr(Index) + " " + Component()->Name());
  }
};

class TableEditor : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    Session().SetDefaultAlias("EditorTest", Dir.File("editor.db"));
    ClearComponentEditors();
    EditorLog = &Log;
    Module = std::make_unique<TDataModule>(nullptr);
    Module->SetName("DataModule1");
  }
  void TearDown() override {
    Module.reset();
    Application->ProcessMessages();  // frees the released windows
    ClearComponentEditors();
    EditorLog = nullptr;
    ::unsetenv("VELMORIC_REGISTRY");
  }

  TTable* NewTable(const std::string& Name, const std::string& TableName = "") {
    auto* T = new TTable(Module.get());
    T->SetName(Name);
    T->DatabaseName = "EditorTest";
    T->TableName = TableName.empty() ? Name : TableName;
    return T;
  }
  TDataSource* NewSource(const std::string& Name, TDataSet* DataSet) {
    auto* S = new TDataSource(Module.get());
    S->SetName(Name);
    S->SetDataSet(DataSet);
    return S;
  }
  TField* NewLookup(TTable* Table, const std::string& Name, TDataSet* Lookup) {
    auto* F = new TField(Module.get(), ftString);
    F->SetName(Table->Name() + Name);
    F->SetFieldName(Name);
    F->FieldKind = fkLookup;
    F->LookupDataSet = Lookup;
    F->SetDataSet(Table);
    return F;
  }
  void CreateKinds(int Rows) {
    TTable T(nullptr);
    T.DatabaseName = "EditorTest";
    T.TableName = "kinds.db";
    T.FieldDefs.Add("KIND", ftString, 20);
    T.FieldDefs.Add("COLOR", ftInteger);
    T.CreateTable();
    T.Open();
    for (int I = 1; I <= Rows; ++I) {
      T.Append();
      T.FieldByName("KIND")->SetAsString("kind" + IntToStr(I));
      T.FieldByName("COLOR")->SetAsInteger(I * 10);
      T.Post();
    }
  }
  static std::vector<std::string> Tree(TTreeView* View) {
    std::vector<std::string> Lines;
    TTreeNodes* Items = View->Items();
    for (int I = 0; I < Items->Count(); ++I)
      Lines.push_back(std::string(2 * Items->Item(I)->Level(), ' ') + Items->Item(I)->Text);
    return Lines;
  }
  static TTreeNode* Node(TTreeView* View, const std::string& Text) {
    for (int I = 0; I < View->Items()->Count(); ++I)
      if (View->Items()->Item(I)->Text == Text) return View->Items()->Item(I);
    return nullptr;
  }
  static std::vector<std::string> Printed(const TComponent& C) {
    std::vector<std::string> Lines;
    C.ScriptPrint(Lines);
    return Lines;
  }
  static TFormVelmoricTableEditor* Connections(TTable* Table) {
    TFormVelmoricTableEditor* Form = ShowTableEditor(Table);
    Form->PageControl1->SetActivePage(Form->TabSheetConnections);
    Form->PageControl1Change(Form->PageControl1);
    return Form;
  }

  TScratchDir Dir;
  std::vector<std::string> Log;
  std::unique_ptr<TDataModule> Module;
};

TEST_F(TableEditor, EditTableComesFirstAndTheRestGoesToThePreviousEditor) {
  TTable* Table = NewTable("Table1");
  TFormDesigner Designer(Module.get());

  // Without a previous editor the further verbs are empty and do nothing.
  VelmoricTableEditor::Register();
  EXPECT_FALSE(VelmoricTableEditor::PreviousEditor());
  EXPECT_THAT(Designer.Verbs(Table), ElementsAre("Edit table", "", ""));
  EXPECT_TRUE(Designer.ExecuteVerb(Table, 2));
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(Screen->FormCount(), 0);

  ClearComponentEditors();
  RegisterComponentEditor<TDataSet, TFieldsEditor>("TDataSet");
  VelmoricTableEditor::Register();
  VelmoricTableEditor::Register();  // the second keeps the first one's previous editor
  EXPECT_THAT(Designer.Verbs(Table), ElementsAre("Edit table", "Fields editor...", ""));
  EXPECT_TRUE(Designer.ExecuteVerb(Table, 1));
  EXPECT_TRUE(Designer.ExecuteVerb(Table, 2));
  EXPECT_THAT(Log, ElementsAre("fields editor 0 Table1"));
  // Other data sources keep their own editors.
  TDataSource* Source = NewSource("DataSource1", Table);
  EXPECT_TRUE(Designer.Verbs(Source).empty());

  // "Edit table" opens a window for the table, not modal.
  EXPECT_TRUE(Designer.ExecuteVerb(Table, 0));
  ASSERT_EQ(Screen->FormCount(), 1);
  auto* Form = dynamic_cast<TFormVelmoricTableEditor*>(Screen->Forms(0));
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->DataSet(), Table);
  EXPECT_TRUE(Form->Visible());
  Form->Close();
}

TEST_F(TableEditor, WindowShowsTheTableAndRestoresItsStateOnClose) {
  CreateKinds(3);
  TTable* Table = NewTable("TableKinds", "kinds.db");
  TFormVelmoricTableEditor* Form = ShowTableEditor(Table);
  EXPECT_EQ(Form->Caption, "Database EditorTest kinds.db (TableKinds)");
  EXPECT_FALSE(Form->ButtonOpen->Enabled);
  EXPECT_TRUE(Table->Active());
  EXPECT_EQ(Form->DataSource1->DataSet(), Table);
  EXPECT_THAT(Printed(*Form->DBGrid1), ElementsAre("TDBGrid DBGrid1", "    KIND | COLOR", "  * kind1 | 10",
                                                  "    kind2 | 20", "    kind3 | 30"));
  Table->Next();
  EXPECT_THAT(Printed(*Form->DBGrid2), ElementsAre("TDBGrid DBGrid2", "    KIND | COLOR", "  * kind1 | 10",
                                                  "    kind2 | 20", "    kind3 | 30"));
  // Printing walks the records and comes back to the current one.
  EXPECT_EQ(Printed(*Form->DBGrid1)[3], "  * kind2 | 20");
  EXPECT_EQ(Table->FieldByName("KIND")->AsString(), "kind2");

  Form->Close();
  EXPECT_FALSE(Table->Active());
  Application->ProcessMessages();
  EXPECT_EQ(Screen->FormCount(), 0);

  // A table open before stays open.
  Table->Open();
  ShowTableEditor(Table)->Close();
  EXPECT_TRUE(Table->Active());
}

TEST_F(TableEditor, TableThatCannotBeOpenedShowsItsName) {
  TTable* Table = NewTable("TableMissing", "missing.db");
  TFormVelmoricTableEditor* Form = ShowTableEditor(Table);
  EXPECT_EQ(Form->Caption, "TableMissing");
  EXPECT_FALSE(Table->Active());
  EXPECT_THAT(Printed(*Form->DBGrid1), ElementsAre("TDBGrid DBGrid1"));
  // Freeing the table takes the window with it.
  delete Table;
  Application->ProcessMessages();
  EXPECT_EQ(Screen->FormCount(), 0);
}

TEST_F(TableEditor, ConnectionsFollowLookupsAndMasterSourcesAndStopAtCircles) {
  TTable* Orders = NewTable("Orders");
  TTable* Customers = NewTable("Customers");
  TTable* Countries = NewTable("Countries");
  TTable* Self = NewTable("Parts");
  auto* Plain = new TField(Module.get(), ftInteger);
  Plain->SetFieldName("NR");
  Plain->SetDataSet(Orders);
  NewLookup(Orders, "CUSTNAME", Customers);
  Customers->SetMasterSource(NewSource("DataSourceCountries", Countries));
  NewLookup(Countries, "FIRSTORDER", Orders);
  Countries->SetMasterSource(NewSource("DataSourceNone", nullptr));
  NewLookup(Self, "PARENT", Self);

  TFormVelmoricTableEditor* Form = Connections(Orders);
  EXPECT_THAT(Tree(Form->TreeView1),
              ElementsAre("Orders", "  connected fields", "    Field CUSTNAME", "      Lookup data setCustomers",
                          "        MasterSource Countries", "          connected fields",
                          "            Field FIRSTORDER", "              Lookup data setOrders",
                          "                Orders Circular connection",
                          "          MasterSource DataSourceNone (not data set)"));
  // Built once.
  Form->PageControl1Change(Form->PageControl1);
  EXPECT_EQ(Form->TreeView1->Items()->Count(), 10);

  // A data set node binds the link and enables "Open", a field node does neither.
  Form->TreeView1->SetSelected(Node(Form->TreeView1, "MasterSource Countries"));
  EXPECT_EQ(Form->DataSourceLink->DataSet(), Countries);
  EXPECT_TRUE(Form->ButtonOpen->Enabled);
  Form->TreeView1->SetSelected(Node(Form->TreeView1, "Field CUSTNAME"));
  EXPECT_EQ(Form->DataSourceLink->DataSet(), nullptr);
  EXPECT_FALSE(Form->ButtonOpen->Enabled);
  Form->TreeView1->SetSelected(Node(Form->TreeView1, "Lookup data setCustomers"));
  ASSERT_TRUE(Form->ButtonOpen->Enabled);
  Form->ButtonOpen->Click();
  ASSERT_EQ(Screen->FormCount(), 2);
  int OnCustomers = 0;
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (auto* W = dynamic_cast<TFormVelmoricTableEditor*>(Screen->Forms(I)); W && W->DataSet() == Customers)
      ++OnCustomers;
  EXPECT_EQ(OnCustomers, 1);

  // A table whose lookup field points back at itself: one circular node.
  EXPECT_THAT(Tree(Connections(Self)->TreeView1),
              ElementsAre("Parts", "  connected fields", "    Field PARENT", "      Lookup data setParts",
                          "        Parts Circular connection"));
  // Closing the module frees every window on its tables.
  Module.reset();
  Application->ProcessMessages();
  EXPECT_EQ(Screen->FormCount(), 0);
}

}  // namespace
