// The form dependency window in the expert's session: the menu entry shows
// it, "Analyze" reads the form files of the IDE project's units, the tree
// shows the linked components, selecting fills the property grid,
// double-clicking opens the unit, "Clear" starts over, release frees it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "../support/BinaryDataModule.h"
#include "platform/vcl/FormFiles.h"
#include "tools/VelmoricDFMView.h"

namespace {

using ::testing::ElementsAre;

class FormDependencies : public ExpertTest {
 protected:
  void WriteProject() {
    Dir.Write("Prj.dpr",
              "program Prj;\nuses\n  Data in 'Data.pas',\n  Main in 'Main.pas',\n  NoForm in 'NoForm.pas';\n"
              "begin\nend.\n");
    Dir.Write("Data.pas", "unit Data;\ninterface\nimplementation\nend.\n");
    Dir.Write("Main.pas", "unit Main;\ninterface\nimplementation\nend.\n");
    Dir.Write("NoForm.pas", "unit NoForm;\ninterface\nimplementation\nend.\n");
    // The data module as the IDE writes it in binary.
    TFormBinaryWriter W(true, "TDATAMODULE1");
    BeginCustomerDataModule(W);
    W.EndList();
    Dir.Write("Data.dfm", W.Data());
    Dir.Write("Main.dfm",
              "object FormMain: TFormMain\n"
              "  Caption = 'Main'\n"
              "  object Panel1: TPanel\n"
              "    object DBEdit1: TDBEdit\n"
              "      DataSource = DataModule1.DataSource1\n"
              "      DataField = 'NAME'\n"
              "    end\n"
              "  end\n"
              "end\n");
    ASSERT_TRUE(IDE().OpenProject(Dir.File("Prj.dpr")));
  }
  TFFormVelmoricDFMView* ShowWindow() {
    EXPECT_TRUE(IDE().ClickMenuItem("Velmoric13"));
    return FFormVelmoricDFMView;
  }
  static std::vector<std::string> Tree(TTreeView* View) {
    std::vector<std::string> Lines;
    TTreeNodes* Items = View->Items();
    for (int I = 0; I < Items->Count(); ++I) {
      TTreeNode* N = Items->Item(I);
      Lines.push_back(std::string(static_cast<size_t>(N->Level()) * 2, ' ') + N->Text);
    }
    return Lines;
  }
};

TEST_F(FormDependencies, MenuEntryShowsTheOneWindow) {
  Session->RegisterExpert();
  TFFormVelmoricDFMView* View = ShowWindow();
  ASSERT_NE(View, nullptr);
  EXPECT_TRUE(View->Visible());
  EXPECT_EQ(View->Caption, "Velmoric Form Dependencies");
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(ShowWindow(), View) << "created once and kept";
  Session->ReleaseExpert();
  EXPECT_EQ(FFormVelmoricDFMView, nullptr);
}

TEST_F(FormDependencies, AnalyzeReadsTheFormsOfTheProjectsUnitsIntoTheTree) {
  Session->RegisterExpert();
  WriteProject();
  TFFormVelmoricDFMView* View = ShowWindow();
  View->ButtonAnalyze->Click();
  EXPECT_TRUE(Boxes.empty()) << Boxes.front().Text;
  EXPECT_EQ(View->Project->Forms.Count(), 2) << "the unit without a form file is skipped";
  EXPECT_THAT(Tree(View->TreeView1),
              ElementsAre("DataModule1", "  DataModule1.DataSource1",
                          "    FormMain.DBEdit1.DataSource : TDBEdit", "  DataModule1.Table1",
                          "    DataModule1.DataSource1.DataSet : TDataSource", "      DataModule1.DataSource1",
                          "        FormMain.DBEdit1.DataSource : TDBEdit", "FormMain"));

  // Selecting a property node shows its owner's properties.
  TTreeNode* Prop = View->TreeView1->FindPath({"DataModule1", "DataModule1.DataSource1",
                                               "FormMain.DBEdit1.DataSource : TDBEdit"});
  ASSERT_NE(Prop, nullptr);
  View->TreeView1->SetSelected(Prop);
  EXPECT_EQ(View->LabelComponent->Caption, "DBEdit1");
  EXPECT_EQ(View->LabelForm->Caption, "FormMain");
  EXPECT_EQ(View->LabelFile->Caption, Dir.File("Main.dfm"));
  EXPECT_EQ(View->StringGrid1->Cells(0, 0), "Name");
  EXPECT_EQ(View->StringGrid1->Cells(1, 0), "Value");
  EXPECT_EQ(View->StringGrid1->Cells(0, 1), "DataSource");
  EXPECT_EQ(View->StringGrid1->Cells(1, 1), "DataModule1.DataSource1");
  EXPECT_EQ(View->StringGrid1->Cells(0, 2), "DataField");
  EXPECT_EQ(View->StringGrid1->Cells(1, 2), "NAME");

  // Double-clicking opens the unit of the form once.
  View->TreeView1->DblClick();
  EXPECT_TRUE(IDE().IsFileOpen(Dir.File("Main.pas")));
  View->TreeView1->DblClick();
  EXPECT_TRUE(IDE().IsFileOpen(Dir.File("Main.pas")));

  // Analyzing again without "Clear" reads every form again.
  View->ButtonAnalyze->Click();
  EXPECT_EQ(View->Project->Forms.Count(), 4);
  View->ButtonClear->Click();
  EXPECT_EQ(View->TreeView1->Items()->Count(), 0);
  EXPECT_EQ(View->Project->Forms.Count(), 0);
  EXPECT_EQ(View->LabelComponent->Caption, "");
  View->ButtonAnalyze->Click();
  EXPECT_EQ(View->Project->Forms.Count(), 2);
}

TEST_F(FormDependencies, AFormFileThatIsNoFormFileEndsTheAnalysisWithTheStreamError) {
  Session->RegisterExpert();
  WriteProject();
  Dir.Write("Main.dfm", "this is no form");
  TFFormVelmoricDFMView* View = ShowWindow();
  View->ButtonAnalyze->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_THAT(Boxes[0].Text, ::testing::HasSubstr("Invalid stream format"));
  EXPECT_EQ(View->Project->Forms.Count(), 1) << "the form read before stays";
}

TEST_F(FormDependencies, CircularLinksEndInTheTree) {
  Session->RegisterExpert();
  TFFormVelmoricDFMView* View = ShowWindow();
  View->FormFiles = {Dir.Write("Loop.dfm",
                               "object Loop: TForm\n"
                               "  object A: TEdit\n    PopupMenu = B\n  end\n"
                               "  object B: TEdit\n    PopupMenu = A\n  end\n"
                               "end\n")};
  View->ButtonAnalyze->Click();
  EXPECT_THAT(Tree(View->TreeView1),
              ElementsAre("Loop", "  Loop.A", "    Loop.B.PopupMenu : TEdit", "      Loop.B",
                          "        Loop.A.PopupMenu : TEdit", "  Loop.B", "    Loop.A.PopupMenu : TEdit",
                          "      Loop.A", "        Loop.B.PopupMenu : TEdit"));
}

}  // namespace
