// The form designer of the in-process IDE: form files (text and binary)
// made into components by class name, with their properties, nesting and
// references; unknown classes kept generic; the verbs of the registered
// component editors; and `designer` statements of scripts on the demo.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "../support/ScratchDir.h"
#include "../support/BinaryDataModule.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/script/ScriptHost.h"
#include "platform/db/DBCtrls.h"
#include "platform/db/DBTables.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/StdCtrls.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string Demo = VELMORIC_SOURCE_DIR "/examples/demo/";

class FormDesigner : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    ::setenv("VELMORIC_DATA", Dir.File("data").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VELMORIC_REGISTRY");
    ::unsetenv("VELMORIC_DATA");
  }
  TScratchDir Dir;
};

TEST(FormText, ValuesOfEveryShape) {
  const TFormObjectText Root = ParseFormText(
      "object Form1: TForm1\n"
      "  Caption = 'It''s'#13#10'two' +\n"
      "    ' lines'\n"
      "  Font.Style = [fsBold, fsItalic]\n"
      "  Items.Strings = (\n    'a)'\n    'b')\n"
      "  Columns = <\n    item\n      Title.Caption = '>'\n    end>\n"
      "  Picture.Data = {\n    0A0B}\n"
      "  Left = -12\n"
      "  inherited Button1: TButton [2]\n"
      "    DataSource = DataModule1.DataSource1\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(Root.Name, "Form1");
  EXPECT_EQ(Root.ClassName, "TForm1");
  ASSERT_EQ(Root.Properties.size(), 6u);
  EXPECT_EQ(Root.Properties[0].Name, "Caption");
  EXPECT_EQ(Root.Properties[0].Value.Kind, fvString);
  EXPECT_EQ(Root.Properties[0].Value.Text, "It's\r\ntwo lines");
  EXPECT_EQ(Root.Properties[1].Name, "Font.Style");
  EXPECT_EQ(Root.Properties[1].Value.Text, "[fsBold, fsItalic]");
  EXPECT_EQ(Root.Properties[2].Value.Text, "(\n    'a)'\n    'b')");
  EXPECT_EQ(Root.Properties[3].Value.Kind, fvOther);
  EXPECT_EQ(Root.Properties[4].Value.Text, "{\n    0A0B}");
  EXPECT_EQ(Root.Properties[5].Value.Text, "-12");
  ASSERT_EQ(Root.Children.size(), 1u);
  EXPECT_EQ(Root.Children[0].Name, "Button1");
  EXPECT_EQ(Root.Children[0].Line, 15);
  EXPECT_EQ(Root.Children[0].Properties[0].Value.Text, "DataModule1.DataSource1");

  for (const char* Bad : {"", "object A: TA\n", "object A: TA\n  X 1\nend\n", "thing A: TA\nend\n",
                          "object A: TA\n  S = 'open\nend\n", "object A: TA\nend\nobject B: TB\nend\n",
                          "object A: TA\n  L = (1 2\nend\n"})
    EXPECT_THROW(ParseFormText(Bad), EParserError) << Bad;
  try {
    ParseFormText("object A: TA\n  Left = 1\n  Top\nend\n");
    FAIL();
  } catch (const EParserError& E) {
    EXPECT_EQ(E.Message(), "Line 4: = expected after Top");
  }
}

TEST_F(FormDesigner, DataModuleOfTheDemoBecomesItsComponents) {
  TExpertSession Session;
  TDesignedForm& Form = Session.IDE().OpenForm(Demo + "ShapeData.pas");
  EXPECT_EQ(&Session.IDE().OpenForm(Demo + "ShapeData.dfm"), &Form);  // opened once
  EXPECT_EQ(Form.Root()->ClassName(), "TDataModuleShapes");
  EXPECT_NE(dynamic_cast<TDataModule*>(Form.Root()), nullptr);

  auto* Kinds = dynamic_cast<TTable*>(Form.FindComponent("tablekinds"));
  auto* Colors = dynamic_cast<TTable*>(Form.FindComponent("TableColors"));
  ASSERT_TRUE(Kinds && Colors);
  EXPECT_EQ(Kinds->DatabaseName, "VELMORIC");
  EXPECT_EQ(Kinds->TableName, "kinds.db");
  EXPECT_EQ(Kinds->IndexName(), "ByKind");
  ASSERT_EQ(Kinds->PersistentFieldCount(), 3);
  TField* ColorName = Kinds->PersistentFields(2);
  EXPECT_EQ(ColorName->Name(), "TableKindsCOLORNAME");
  EXPECT_EQ(ColorName->ClassName(), "TStringField");
  EXPECT_EQ(ColorName->FieldName(), "COLORNAME");
  EXPECT_EQ(ColorName->Size(), 30);
  EXPECT_EQ(ColorName->FieldKind, fkLookup);
  EXPECT_EQ(ColorName->LookupDataSet, Colors);
  EXPECT_EQ(ColorName->KeyFields, "COLOR");
  EXPECT_EQ(ColorName->LookupKeyFields, "COLOR");
  EXPECT_EQ(ColorName->LookupResultField, "NAME");
  EXPECT_EQ(Kinds->PersistentFields(1)->ClassName(), "TIntegerField");
  EXPECT_EQ(dynamic_cast<TDataSource*>(Form.FindComponent("DataSourceKinds"))->DataSet(), Kinds);

  // Every component keeps what was written, known or not.
  const TDesignedForm::TItem& Root = Form.Items()[0];
  EXPECT_EQ(Root.Properties[0].Name, "OldCreateOrder");
  EXPECT_EQ(Form.Items()[2].ParentName, "TableKinds");
  EXPECT_EQ(Form.Items().size(), 8u);

  // Closing the form frees its components.
  EXPECT_TRUE(Session.IDE().CloseForm(Demo + "ShapeData.pas"));
  EXPECT_FALSE(Session.IDE().CloseForm(Demo + "ShapeData.pas"));
}

TEST_F(FormDesigner, FormsOfControlsBinaryOrTextAndUnknownClasses) {
  TExpertSession Session;
  TDesignedForm& Kinds = Session.IDE().OpenForm(Demo + "ShapeKinds.dfm");
  EXPECT_NE(dynamic_cast<TForm*>(Kinds.Root()), nullptr);
  EXPECT_EQ(static_cast<TForm*>(Kinds.Root())->Caption, "Shape kinds");
  auto* Edit = dynamic_cast<TDBFieldControl*>(Kinds.FindComponent("DBEditKind"));
  ASSERT_NE(Edit, nullptr);
  EXPECT_EQ(Edit->ClassName(), "TDBEdit");
  EXPECT_EQ(Edit->DataField, "KIND");
  EXPECT_EQ(Edit->Parent(), Kinds.FindComponent("PanelFields"));
  // A reference into another form is kept as written, unresolved.
  EXPECT_EQ(Edit->DataSource(), nullptr);
  auto* Lookup = dynamic_cast<TDBFieldControl*>(Kinds.FindComponent("DBLookupComboBoxColor"));
  ASSERT_NE(Lookup, nullptr);
  EXPECT_EQ(Lookup->ListField, "NAME");
  EXPECT_EQ(Lookup->KeyField, "COLOR");
  EXPECT_NE(dynamic_cast<TDBGrid*>(Kinds.FindComponent("DBGridKinds")), nullptr);

  // The same data module in binary, with a class nobody registered.
  TFormBinaryWriter W(true, "TDATAMODULE1");
  BeginCustomerDataModule(W);
  W.BeginObject("TSpecialThing", "Special1");
  W.WriteProperty("Colour");
  W.WriteIdent("clRed");
  W.EndList();
  W.EndList();
  W.EndList();
  TDesignedForm& Data = Session.IDE().OpenForm(Dir.Write("Data.dfm", W.Data()));
  auto* Table = dynamic_cast<TTable*>(Data.FindComponent("Table1"));
  ASSERT_NE(Table, nullptr);
  EXPECT_EQ(Table->TableName, "customer.db");
  EXPECT_EQ(dynamic_cast<TDataSource*>(Data.FindComponent("DataSource1"))->DataSet(), Table);
  TComponent* Special = Data.FindComponent("Special1");
  ASSERT_NE(dynamic_cast<TGenericComponent*>(Special), nullptr);
  EXPECT_EQ(Special->ClassName(), "TSpecialThing");
  EXPECT_EQ(Data.Items()[3].Properties[0].Value.Text, "clRed");

  // Bad form files open nothing.
  EXPECT_THROW(Session.IDE().OpenForm(Dir.Write("Twice.dfm", "object F: TForm\n  object A: TTable\n  end\n"
                                                            "  object a: TTable\n  end\nend\n")),
               EComponentError);
  EXPECT_THROW(Session.IDE().OpenForm(Dir.Write("Junk.dfm", std::string("\x01\x02junk", 6))), EReadError);
  EXPECT_THROW(Session.IDE().OpenForm(Dir.Write("NoForm.pas", "unit NoForm;")), EFOpenError);
  EXPECT_EQ(Session.IDE().DesignedFormCount(), 2);
}

TEST_F(FormDesigner, ScriptRunsTheTableEditorOnTheDemo) {
  std::ostringstream Out, Err;
  TScriptHost Host(Out, Err);
  TScriptOptions Options;
  Options.Project = Demo + "Demo.dpr";
  const std::string Script = ReadFileBytes(VELMORIC_SOURCE_DIR "/examples/scripts/table-editor.script");
  const std::string Cwd = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(VELMORIC_SOURCE_DIR), 0);
  struct TBack {
    std::string Dir;
    ~TBack() { (void)::chdir(Dir.c_str()); }
  } Back{Cwd};
  EXPECT_EQ(Host.Run(Script, Options), 0) << Err.str();
  EXPECT_EQ(Err.str(), "");
  EXPECT_EQ(Out.str(),
            "TTable TableKinds\n"
            "  0 \"Edit table\"\n"
            "TTreeView TreeView1\n"
            "    [-] TableKinds\n"
            "      [-] connected fields\n"
            "        [-] Field COLORNAME\n"
            "  *       Lookup data setTableColors\n"
            "TButton ButtonOpen \"Open\"\n");

  // Mistakes stop the script with the reason.
  for (const auto& [Line, Why] : std::vector<std::pair<std::string, std::string>>{
           {"designer examples/demo/ShapeData.dfm NoSuch \"Edit table\"", "ShapeData.dfm has no component NoSuch"},
           {"designer examples/demo/ShapeData.dfm TableKinds Drop",
            "TTable TableKinds has no verb Drop (Edit table)"},
           {"designer examples/demo/ShapeData.dfm DataSourceKinds Edit",
            "TDataSource DataSourceKinds has no verb Edit (no verbs)"},
           {"designer examples/demo/Shapes.pas X Y", "Cannot open file"}}) {
    std::ostringstream O, E;
    TScriptHost H(O, E);
    EXPECT_EQ(H.Run(Line, Options), 2);
    EXPECT_THAT(E.str(), HasSubstr(Why));
  }
}

}  // namespace
