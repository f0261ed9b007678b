// The form dependency analyzer's reading: components and properties of text
// and binary form files, values of every shape, syntax errors, and the links
// found between components of one form and across forms.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/FormFiles.h"
#include "platform/vcl/VclHost.h"
#include "tools/VelmoricTableAnalyzer.h"

namespace fs = std::filesystem;

namespace {

class FormAnalyzer : public testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("velmoric-forms-" + std::to_string(::getpid()) + "-" +
                                       testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R.Caption + "|" + R.Text);
      return 1;
    };
  }
  void TearDown() override {
    VclHost().MessageBox = nullptr;
    fs::remove_all(Dir);
  }
  std::string File(const std::string& Name, const std::string& Bytes) {
    const std::string Path = (Dir / Name).string();
    WriteFileBytes(Path, Bytes);
    return Path;
  }
  // Every component with its class, parent and properties, one line each.
  static std::string Dump(const TVelmoricDFM& Form) {
    std::string S = "form " + Form.FormName + "\n";
    for (int I = 0; I < Form.Controls.Count(); ++I) {
      const TVelmoricControl* C = Form.Control(I);
      S += C->Name + ":" + C->ComponentClass + " in " + (C->Parent ? C->Parent->Name : "-") + "\n";
      for (int P = 0; P < C->Properties.Count(); ++P)
        S += "  " + C->Property(P)->Name + "=" + C->Property(P)->Value + "\n";
    }
    return S;
  }
  static std::vector<std::string> Links(const TVelmoricDFMProject& Project) {
    std::vector<std::string> R;
    for (const TVelmoricLink& L : CollectLinks(Project)) R.push_back(LinkText(L));
    return R;
  }

  fs::path Dir;
  std::vector<std::string> Boxes;
};

const char* DataModuleText =
    "object DataModule1: TDataModule1\r\n"
    "  OldCreateOrder = False\r\n"
    "  Left = -8\r\n"
    "  object Customers: TTable\r\n"
    "    DatabaseName = 'VELMORIC'\r\n"
    "    TableName = 'customer.db'\r\n"
    "    object CustomersName: TStringField\r\n"
    "      FieldName = 'NAME'\r\n"
    "      Size = 30\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object CustomerSource: TDataSource\r\n"
    "    DataSet = Customers\r\n"
    "  end\r\n"
    "end\r\n";

const char* FormText =
    "object FormMain: TFormMain\r\n"
    "  Caption = 'Customers'\r\n"
    "  Font.Style = [fsBold, fsItalic]\r\n"
    "  ActiveControl = EditName\r\n"
    "  object EditName: TDBEdit\r\n"
    "    DataSource = DataModule1.CustomerSource\r\n"
    "    DataField = 'NAME'\r\n"
    "  end\r\n"
    "  object GridOrders: TDBGrid\r\n"
    "    DataSource = Missing.Source\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(FormAnalyzer, ReadsComponentsPropertiesAndTheFormName) {
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Unit2.dfm", DataModuleText));
  ASSERT_EQ(Project.Forms.Count(), 1);
  const TVelmoricDFM* Form = Project.FindForm("datamodule1");
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Dump(*Form),
            "form DataModule1\n"
            "Customers:TTable in DataModule1\n"
            "  DatabaseName=VELMORIC\n"
            "  TableName=customer.db\n"
            "CustomersName:TStringField in Customers\n"
            "  FieldName=NAME\n"
            "  Size=30\n"
            "CustomerSource:TDataSource in DataModule1\n"
            "  DataSet=Customers\n"
            "DataModule1:TDataModule1 in -\n"
            "  OldCreateOrder=False\n"
            "  Left=-8\n");
  EXPECT_EQ(Project.Total, 15);
  const TVelmoricControl* Table = Form->FindControl("CUSTOMERS");
  ASSERT_NE(Table, nullptr);
  ASSERT_EQ(Table->Children.size(), 1u);
  EXPECT_EQ(Table->Children[0]->Name, "CustomersName");
  EXPECT_EQ(Table->Children[0]->ParentPath(), "DataModule1.Customers");
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(FormAnalyzer, QualifiedValuesLinkOnlyWhenTheFormWasRead) {
  {
    TVelmoricDFMProject Alone;
    Alone.LoadFromFile(File("Main.dfm", FormText));
    Alone.FindConnections();
    EXPECT_EQ(Links(Alone), std::vector<std::string>{"FormMain.FormMain.ActiveControl = EditName -> FormMain.EditName"});
  }
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Main.dfm", FormText));
  Project.LoadFromFile(File("Data.dfm", DataModuleText));
  Project.FindConnections();
  EXPECT_EQ(Links(Project), (std::vector<std::string>{
                                "DataModule1.CustomerSource.DataSet = Customers -> DataModule1.Customers",
                                "FormMain.EditName.DataSource = DataModule1.CustomerSource -> DataModule1.CustomerSource",
                                "FormMain.FormMain.ActiveControl = EditName -> FormMain.EditName"}));
  const TVelmoricControl* Source = Project.FindForm("DataModule1")->FindControl("CustomerSource");
  ASSERT_EQ(Source->Links.size(), 1u);
  EXPECT_EQ(Source->Links[0]->Owner->Name, "EditName");
  EXPECT_EQ(Source->Links[0]->Link, Source);
  // The set is kept as its tokens, each after a blank, and never links;
  // a text naming a field links to nothing either.
  const TVelmoricControl* Main = Project.FindForm("FormMain")->FindControl("FormMain");
  EXPECT_EQ(Main->FindProperty("font.style")->Value, " fsBold , fsItalic");
  EXPECT_EQ(Main->FindProperty("Font.Style")->Link, nullptr);
  EXPECT_EQ(Project.FindForm("FormMain")->FindControl("GridOrders")->FindProperty("DataSource")->Link, nullptr);

  // A second pass finds each link once.
  Project.FindConnections();
  EXPECT_EQ(Links(Project).size(), 3u);
  EXPECT_EQ(Source->Links.size(), 1u);
}

TEST_F(FormAnalyzer, ValuesOfEveryShape) {
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Shapes.lfm",
                            "object Form1: TForm1\n"
                            "  Caption = 'It''s'#13#10'ok' +\n"
                            "    ' more'\n"
                            "  Hint = 'Form1'\n"
                            "  Ratio = -1.5E-10\n"
                            "  Scale = 0.25\n"
                            "  ActiveControl = Frame1.Frame2.Edit1\n"
                            "  Glyph.Data = {\n"
                            "    0102\n"
                            "    FFEE}\n"
                            "  Items.Strings = (\n"
                            "    'a'\n"
                            "    ( 1 2 )\n"
                            "  )\n"
                            "  Columns = <\n"
                            "    item\n"
                            "      Width = 3\n"
                            "    end>\n"
                            "  Anchors = []\n"
                            "  inherited Frame1: TFrame1 [2]\n"
                            "    Left = 1\n"
                            "  end\n"
                            "  inline Frame2: TFrame2\n"
                            "  end\n"
                            "  object Nameless TPanel\n"
                            "    Top = 4\n"
                            "  end\n"
                            "end"));
  const TVelmoricDFM* Form = Project.FindForm("Form1");
  ASSERT_NE(Form, nullptr);
  const TVelmoricControl* C = Form->FindControl("Form1");
  EXPECT_EQ(C->FindProperty("Caption")->Value, "It's\r\nok more");
  EXPECT_EQ(C->FindProperty("Ratio")->Value, "-1.5E-10");
  EXPECT_EQ(C->FindProperty("Scale")->Value, "0.25");
  EXPECT_EQ(C->FindProperty("ActiveControl")->Value, "Frame1.Frame2.Edit1");
  EXPECT_EQ(C->FindProperty("Glyph.Data")->Value, "{0102FFEE}");
  EXPECT_EQ(C->FindProperty("Items.Strings")->Value, " a ( 1 2 )");
  EXPECT_EQ(C->FindProperty("Columns")->Value, " item Width = 3 end");
  EXPECT_EQ(C->FindProperty("Anchors")->Value, "");
  ASSERT_NE(Form->FindControl("Frame1"), nullptr);
  EXPECT_EQ(Form->FindControl("Frame1")->ComponentClass, "TFrame1");
  EXPECT_EQ(Form->FindControl("Frame1")->FindProperty("Left")->Value, "1");
  EXPECT_EQ(Form->FindControl("Frame2")->ComponentClass, "TFrame2");
  EXPECT_EQ(Form->FindControl("Nameless")->ComponentClass, "TPanel") << "a missing colon is tolerated";
  EXPECT_EQ(Form->FindControl("Nameless")->FindProperty("Top")->Value, "4");
  EXPECT_EQ(C->Children.size(), 3u);
  Project.FindConnections();
  EXPECT_TRUE(Links(Project).empty()) << "a caption naming the form is no reference";
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(FormAnalyzer, BinaryAndTextFormsGiveTheSameTree) {
  TFormBinaryWriter W(true, "TDATAMODULE1");
  W.BeginObject("TDataModule1", "DataModule1");
  W.WriteProperty("OldCreateOrder");
  W.WriteBoolean(false);
  W.WriteProperty("Left");
  W.WriteInteger(-8);
  W.EndList();
  W.BeginObject("TTable", "Customers");
  W.WriteProperty("DatabaseName");
  W.WriteString("VELMORIC");
  W.WriteProperty("TableName");
  W.WriteString("customer.db");
  W.EndList();
  W.BeginObject("TStringField", "CustomersName");
  W.WriteProperty("FieldName");
  W.WriteString("NAME");
  W.WriteProperty("Size");
  W.WriteInteger(30);
  W.EndList();
  W.EndList();
  W.EndList();
  W.BeginObject("TDataSource", "CustomerSource");
  W.WriteProperty("DataSet");
  W.WriteIdent("Customers");
  W.EndList();
  W.EndList();
  W.EndList();

  TVelmoricDFMProject Text, Binary;
  Text.LoadFromFile(File("Text.dfm", DataModuleText));
  Binary.LoadFromFile(File("Binary.dfm", W.Data()));
  EXPECT_EQ(Dump(*Binary.Form(0)), Dump(*Text.Form(0)));
  Text.FindConnections();
  Binary.FindConnections();
  EXPECT_EQ(Links(Binary), Links(Text));
  EXPECT_EQ(Links(Binary).size(), 1u);
}

TEST_F(FormAnalyzer, ASyntaxErrorIsReportedOncePerFileAndReadingGoesOn) {
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Bad.dfm",
                            "object Bad: TForm\n"
                            "  Left 3\n"
                            "  Top 4\n"
                            "end\n"
                            "garbage here\n"));
  Project.LoadFromFile(File("Good.dfm", "object Good: TForm\n  Left = 1\nend\n"));
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0], "Fehler|Error in file " + (Dir / "Bad.dfm").string() + " line 2\r\nErwarte = ");
  ASSERT_EQ(Project.Errors.size(), 1u);
  EXPECT_EQ(Project.FindForm("Bad")->ErrorCount > 1, true);
  ASSERT_NE(Project.FindForm("Good"), nullptr);
  EXPECT_EQ(Project.FindForm("Good")->FindControl("Good")->FindProperty("Left")->Value, "1");

  // Top level: anything but an object.
  TVelmoricDFMProject Other;
  Other.LoadFromFile(File("Top.dfm", "object A: TForm\nend\nend\nobject B: TForm\nend\n"));
  ASSERT_EQ(Boxes.size(), 2u);
  EXPECT_NE(Boxes[1].find("line 3\r\nErwarte: object"), std::string::npos) << Boxes[1];
  EXPECT_NE(Other.Form(0)->FindControl("B"), nullptr) << "reading goes on after the error";
}

TEST_F(FormAnalyzer, DeepNestingIsReportedNotRecursedInto) {
  std::string Text;
  for (int I = 0; I < 3000; ++I) Text += "object C" + std::to_string(I) + ": TPanel\n";
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Deep.lfm", Text));
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].find("Erwarte: end"), std::string::npos) << Boxes[0];
  EXPECT_EQ(Project.Form(0)->FindControl("C0")->ComponentClass, "TPanel");
}

TEST_F(FormAnalyzer, AFileThatIsNoFormFileRaisesTheStreamErrorAndAddsNothing) {
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("Good.dfm", "object Good: TForm\nend\n"));
  EXPECT_THROW(Project.LoadFromFile(File("Unit1.dfm", "unit Unit1;\ninterface\n")), EReadError);
  EXPECT_THROW(Project.LoadFromFile(File("Cut.dfm", "TPF0\x06TForm1")), EReadError);
  EXPECT_THROW(Project.LoadFromFile((Dir / "Missing.dfm").string()), EFOpenError);
  EXPECT_EQ(Project.Forms.Count(), 1);
  EXPECT_EQ(Project.Total, 2);
}

TEST_F(FormAnalyzer, FormsWithEqualNamesAreAllKept) {
  TVelmoricDFMProject Project;
  Project.LoadFromFile(File("a.lfm", "object Form1: TForm1\n  object Button1: TButton\n  end\nend\n"));
  Project.LoadFromFile(File("b.lfm", "object Form1: TForm1\n  ActiveControl = Button1\n  object Button1: TButton\n  end\nend\n"));
  EXPECT_EQ(Project.Forms.Count(), 2);
  Project.FindConnections();
  EXPECT_EQ(Links(Project).size(), 1u);
}

TEST_F(FormAnalyzer, ReadProjectTakesTheDataModulesOfAFolder) {
  File("dmCustomers.DFM", DataModuleText);
  File("dmEmpty.dfm", "object DataModule2: TDataModule\nend\n");
  File("FormMain.dfm", FormText);
  TVelmoricDFMProject Project;
  Project.ReadProject(Dir.string());
  ASSERT_EQ(Project.Forms.Count(), 2);
  EXPECT_EQ(Project.Forms[0], "DataModule1");
  EXPECT_EQ(Project.Forms[1], "DataModule2");
}

}  // namespace
