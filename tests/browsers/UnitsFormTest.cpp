// The unit dependency browser through the expert's command: the tree to
// any depth, dependants without looping on cycles, the directory page
// with its unknown files, "Locate", "Copy" (overwriting only after a
// confirmation naming the files), "Add to project" and the debug list.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../expert/ExpertTestSupport.h"
#include "../support/ScratchProject.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "browsers/VelmoricUnits.h"
#include "platform/vcl/Dialogs.h"

namespace {

using support::UnitText;

class UnitsFormTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    Dir.Write("App.dpr",
              "program App;\nuses Top in 'Top.pas', Alpha in 'Alpha.pas';\nbegin\nend.\n");
    Dir.Write("Alpha.pas", UnitText("Alpha", "Beta"));
    Dir.Write("Beta.pas", UnitText("Beta", "Alpha, Gamma"));
    Dir.Write("Gamma.pas", UnitText("Gamma", ""));
    Dir.Write("Gamma.dfm", "object Form1: TForm1\nend\n");
    Dir.Write("lib/Top.pas", UnitText("Top", "Alpha, Nowhere"));
    Session->OpenProject(Dir.File("App.dpr"));
    Session->OpenFile(Dir.File("Alpha.pas"));
    AdditionalSearchPath = Dir.Path + ";" + Dir.Path + "/lib";
    Session->RegisterExpert();
    FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
    ASSERT_TRUE(IDE().ClickMenuItem("Velmoric3"));
    F = FFormVelmoricUnits;
    ASSERT_NE(F, nullptr);
  }
  TTreeNode* Root(const std::string& Name) {
    TTreeNodes* Nodes = F->TreeView1->Items();
    for (int I = 0; I < Nodes->Count(); ++I)
      if (!Nodes->Item(I)->Parent() && Nodes->Item(I)->Text.rfind(Name + " ", 0) == 0)
        return Nodes->Item(I);
    return nullptr;
  }
  std::vector<std::string> Dependants() {
    std::vector<std::string> R;
    for (int I = 0; I < F->ListBoxDependants->Items()->Count(); ++I)
      R.push_back(F->ListBoxDependants->Items()->Get(I));
    return R;
  }
  TFFormVelmoricUnits* F = nullptr;
};

TEST_F(UnitsFormTest, TheTreeListsEveryUnitOnceAndOpensToAnyDepth) {
  EXPECT_TRUE(F->Visible());
  EXPECT_EQ(F->Caption, "Velmoric Unit");
  int Roots = 0;
  TTreeNodes* Nodes = F->TreeView1->Items();
  for (int I = 0; I < Nodes->Count(); ++I) Roots += Nodes->Item(I)->Parent() ? 0 : 1;
  EXPECT_EQ(Roots, 6);  // alpha app beta gamma nowhere top
  TTreeNode* Top = Root("top");
  ASSERT_NE(Top, nullptr);
  EXPECT_EQ(Top->Text, "top (" + Dir.Path + "/lib/Top.pas)");
  ASSERT_EQ(Top->Count(), 2);
  EXPECT_EQ(Top->Item(0)->Text, "alpha (" + Dir.Path + "/Alpha.pas)");
  EXPECT_EQ(Top->Item(1)->Text, "nowhere not found");
  // Expanding goes round the cycle as deep as the user opens it.
  TTreeNode* Node = Top->Item(0);
  for (int Depth = 0; Depth < 6; ++Depth) {
    Node->Expand(false);
    ASSERT_GE(Node->Count(), 1);
    Node = Node->Item(0);
  }
  EXPECT_EQ(Node->Text.substr(0, 6), "alpha ");
}

TEST_F(UnitsFormTest, SelectingAUnitListsItsDependantsOnce) {
  F->TreeView1->SetSelected(Root("alpha"));
  EXPECT_EQ(Dependants(), (std::vector<std::string>{"alpha via beta", "app", "app via top"}));
  EXPECT_EQ(F->ComboBoxFiles->Text(), "alpha");
  F->TreeView1->SetSelected(Root("beta"));
  EXPECT_EQ(Dependants(), (std::vector<std::string>{"alpha"}));
}

TEST_F(UnitsFormTest, TheDirectoryPageGroupsReachableUnitsWithUnknownFiles) {
  F->PageControl1->SelectPage(F->TabSheet2);
  EXPECT_TRUE(F->ButtonCopy->Enabled);
  F->ComboBoxFiles->Select(F->ComboBoxFiles->Items()->IndexOf("top"));
  TStringList* Dirs = F->ListBoxDirectories->Items();
  ASSERT_EQ(Dirs->Count(), 3);
  EXPECT_EQ(Dirs->Get(0), LowerCase(Dir.Path + "/lib/"));
  EXPECT_EQ(Dirs->Get(1), LowerCase(Dir.Path + "/"));
  EXPECT_EQ(Dirs->Get(2), "unknown files");
  F->ListBoxDirectories->Select(1);
  EXPECT_EQ(F->ListBoxFiles->Items()->GetText(), "alpha.pas\r\nbeta.pas\r\ngamma.pas\r\n");
  F->ListBoxDirectories->Select(2);
  EXPECT_EQ(F->ListBoxFiles->Items()->GetText(), "nowhere\r\n");
}

TEST_F(UnitsFormTest, LocateMarksTheUnitsThatReachIt) {
  F->ComboBoxLocate->SetText("gamma");
  F->CheckBoxLocate->Click();
  EXPECT_EQ(Root("top")->ImageIndex, 1);
  EXPECT_EQ(Root("gamma")->ImageIndex, 1);
  EXPECT_EQ(Root("nowhere")->ImageIndex, -1);
  EXPECT_EQ(Root("top")->Item(1)->ImageIndex, -1);  // nowhere under top
  // A unit nothing uses marks only its own node.
  F->ComboBoxLocate->SetText("app");
  F->CheckBoxLocate->Click();  // off
  EXPECT_EQ(Root("top")->ImageIndex, -1);
  F->CheckBoxLocate->Click();  // on
  TTreeNodes* Nodes = F->TreeView1->Items();
  for (int I = 0; I < Nodes->Count(); ++I)
    EXPECT_EQ(Nodes->Item(I)->ImageIndex, Nodes->Item(I) == Root("app") ? 1 : -1);
}

TEST_F(UnitsFormTest, CopyOverwritesOnlyAfterAConfirmationNamingTheFiles) {
  const std::string Dest = Dir.Path + "/dest";
  std::filesystem::create_directories(Dest);
  WriteFileBytes(Dest + "/Gamma.pas", "old");
  VclHost().FileDialog = [&](TOpenDialog& D) {
    EXPECT_EQ(D.Title, "Select destination");
    EXPECT_EQ(D.FileName, "only open the destination folder");
    D.FileName = Dest + "/only open the destination folder";
    return true;
  };
  F->PageControl1->SelectPage(F->TabSheet2);
  F->ComboBoxFiles->Select(F->ComboBoxFiles->Items()->IndexOf("alpha"));
  F->ListBoxDirectories->Select(0);
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R);
    return int(mrNo);
  };
  F->ButtonCopy->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].Text.find("Gamma.pas"), std::string::npos) << Boxes[0].Text;
  EXPECT_EQ(ReadFileBytes(Dest + "/Gamma.pas"), "old");
  EXPECT_FALSE(FileExists(Dest + "/Alpha.pas"));
  VclHost().MessageBox = [&](const TMessageBoxRequest& R) {
    Boxes.push_back(R);
    return int(mrYes);
  };
  F->ButtonCopy->Click();
  EXPECT_EQ(ReadFileBytes(Dest + "/Gamma.pas"), UnitText("Gamma", ""));
  EXPECT_TRUE(FileExists(Dest + "/Gamma.dfm"));
  EXPECT_TRUE(FileExists(Dest + "/Alpha.pas"));
  EXPECT_TRUE(FileExists(Dest + "/Beta.pas"));
}

TEST_F(UnitsFormTest, AddToProjectAndTheDebugList) {
  F->PageControl1->SelectPage(F->TabSheet2);
  ASSERT_TRUE(F->ButtonAddToProject->Enabled);
  F->ComboBoxFiles->Select(F->ComboBoxFiles->Items()->IndexOf("gamma"));
  F->ListBoxDirectories->Select(0);
  const int Before = IDE().GetUnitCount();
  F->ButtonAddToProject->Click();
  ASSERT_EQ(IDE().GetUnitCount(), Before + 1);
  EXPECT_EQ(IDE().GetUnitName(Before), Dir.Path + "/Gamma.pas");
  EXPECT_EQ(IDE().Buffer(Dir.Path + "/Gamma.pas").Text(), UnitText("Gamma", ""));
  F->ListUnits1->Click();
  EXPECT_EQ(F->ListBoxDependants->Items()->Count(), Expert()->Project->FUnitLIst->Count());
}

}  // namespace

namespace {

// Forty units in a ring, each also using the unit ten places on: every
// unit reaches every other, through many cycles.
TEST(UnitsFormRing, EveryUnitOnceAndNoWalkLoops) {
  support::TScratchFolder Dir;
  const int N = 40;
  for (int I = 0; I < N; ++I) {
    const std::string Uses = "U" + std::to_string((I + 1) % N) + ", U" + std::to_string((I + 10) % N);
    Dir.Write("U" + std::to_string(I) + ".pas", support::UnitText("U" + std::to_string(I), Uses));
  }
  TPascalProject Memory;
  support::CompileInto(Memory, Dir.File("U0.pas"));
  TFFormVelmoricUnits Form(nullptr);
  Form.Project = &Memory;
  Form.Rebuild();
  EXPECT_EQ(Form.TreeView1->Items()->RootCount(), N);
  EXPECT_EQ(Form.ComboBoxFiles->Items()->Count(), N);
  // The dependants of one unit: every walk ends, every unit shows once.
  Form.TreeView1->SetSelected(Form.TreeView1->Items()->Root(0));
  const int Dependants = Form.ListBoxDependants->Items()->Count();
  EXPECT_GE(Dependants, 1);
  EXPECT_LE(Dependants, N);
  // Everything reaches the located unit.
  Form.ComboBoxLocate->SetText("u7");
  Form.CheckBoxLocate->Click();
  for (int I = 0; I < Form.TreeView1->Items()->RootCount(); ++I)
    EXPECT_EQ(Form.TreeView1->Items()->Root(I)->ImageIndex, 1);
  // The directory page holds all forty from any of them.
  Form.ComboBoxFiles->Select(5);
  ASSERT_EQ(Form.ListBoxDirectories->Items()->Count(), 1);
  Form.ListBoxDirectories->Select(0);
  EXPECT_EQ(Form.ListBoxFiles->Items()->Count(), N);
}

}  // namespace

namespace {

// A folder of the Free Pascal sources compiled unit by unit, with the
// folder on the search path: every unit shows once, its sources among
// them, and the walks over the library's many cycles end.
TEST(UnitsFormFreePascal, AFolderOfTheLibraryListsEveryUnitOnce) {
  const std::string Folder = "/usr/share/fpcsrc/3.2.2/packages/fcl-base/src";
  if (!std::filesystem::is_directory(Folder)) GTEST_SKIP() << Folder << " is not installed";
  std::vector<std::string> Keys;
  TPascalProject Memory;
  for (const auto& E : std::filesystem::directory_iterator(Folder)) {
    const std::string Ext = E.path().extension().string();
    if (Ext != ".pp" && Ext != ".pas") continue;
    Keys.push_back(LowerCase(E.path().stem().string()));
    support::CompileInto(Memory, E.path().string());
  }
  ASSERT_GT(Keys.size(), 30u);
  TFFormVelmoricUnits Form(nullptr);
  Form.Project = &Memory;
  Form.Rebuild();
  TStrings* Files = Form.ComboBoxFiles->Items();
  std::set<std::string> Roots;
  for (int I = 0; I < Form.TreeView1->Items()->RootCount(); ++I)
    EXPECT_TRUE(Roots.insert(Form.TreeView1->Items()->Root(I)->Text).second);
  EXPECT_EQ(int(Roots.size()), Files->Count());
  for (const std::string& Key : Keys) EXPECT_GE(Files->IndexOf(Key), 0) << Key;
  // Dependants of a much used unit, each once.
  const int Classes = Files->IndexOf("classes");
  ASSERT_GE(Classes, 0);
  for (int I = 0; I < Form.TreeView1->Items()->RootCount(); ++I)
    if (Form.TreeView1->Items()->Root(I)->Text.rfind("classes ", 0) == 0)
      Form.TreeView1->SetSelected(Form.TreeView1->Items()->Root(I));
  TStrings* Dependants = Form.ListBoxDependants->Items();
  EXPECT_GT(Dependants->Count(), 10);
  std::set<std::string> Once;
  for (int I = 0; I < Dependants->Count(); ++I) EXPECT_TRUE(Once.insert(Dependants->Get(I)).second);
  // Locating a unit and grouping by folder end too.
  Form.ComboBoxLocate->SetText("sysutils");
  Form.CheckBoxLocate->Click();
  Form.ComboBoxFiles->Select(Files->IndexOf("custapp"));
  EXPECT_GE(Form.ListBoxDirectories->Items()->IndexOf(LowerCase(Folder) + "/"), 0);
}

}  // namespace
