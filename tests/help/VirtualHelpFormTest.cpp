// The help window: the labels of each page kind and where they lead, the
// class page's lists, the member list and index windows, saving pages, and
// the prompt that creates the help table.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "help/VelmoricFormatBar.h"
#include "help/VelmoricVHManualCreate.h"
#include "help/VelmoricVirtualHelp.h"
#include "help/VelmoricVirtualHelpIndex.h"
#include "help/VelmoricVirtualHelpProperty.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/VclHost.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"

namespace {

const std::string Unit =
    "unit Demo;\n"
    "interface\n"
    "type\n"
    "  TKind = (kA, kB);\n"
    "  TKinds = set of TKind;\n"
    "  TNotify = procedure(Sender: TObject) of object;\n"
    "  TBase = class(TObject)\n"
    "  private\n"
    "    FCount: Integer;\n"
    "    procedure Hidden;\n"
    "  public\n"
    "    procedure Run(Kinds: TKinds); virtual;\n"
    "    procedure Draw; virtual; abstract;\n"
    "    function Total: Integer;\n"
    "    property Count: Integer read FCount write FCount;\n"
    "    property OnRun: TNotify read FOnRun write FOnRun;\n"
    "  end;\n"
    "  TChild = class(TBase)\n"
    "  public\n"
    "    procedure Run(Kinds: TKinds); override;\n"
    "  end;\n"
    "implementation\n"
    "procedure TBase.Hidden; begin end;\n"
    "procedure TBase.Run(Kinds: TKinds); begin end;\n"
    "//------------------------------------------------------------------------\n"
    "// function TBase Total\n"
    "// Created : 21.03.98 09:40:12\n"
    "//\n"
    "// Description:\n"
    "// Adds everything up.\n"
    "//------------------------------------------------------------------------\n"
    "function TBase.Total: Integer; begin end;\n"
    "procedure TChild.Run(Kinds: TKinds); begin end;\n"
    "end.\n";

std::vector<std::string> Captions(const TFormVelmoricVirtualHelp& F) {
  std::vector<std::string> C;
  for (int I = 0; I < F.LabelCount(); ++I) C.push_back(F.Labels(I)->Caption);
  return C;
}

std::vector<std::string> Names(const std::vector<TOrvikSymbol*>& L) {
  std::vector<std::string> N;
  for (TOrvikSymbol* S : L) N.push_back(S->name);
  return N;
}

class VirtualHelpFormTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-helpform-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
    Saved = VelmoricPath;
    VelmoricPath = Dir + "/data/";
    std::filesystem::create_directories(VelmoricPath);
    ::setenv("VELMORIC_REGISTRY", (Dir + "/registry").c_str(), 1);
    WriteFileBytes(Dir + "/Demo.pas", Unit);
    Project = std::make_unique<TPascalProject>();
    {
      TPascalProject Compile;
      Compile.FMemoryProject = Project.get();
      Compile.Compile(Dir + "/Demo.pas", {oCompileUnits, oCompileImplementation});
    }
    ASSERT_EQ(Project->FUnitLIst->Count(), 1);
    Source = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(0));
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R.Text);
      return Answer;
    };
    Form = std::make_unique<TFormVelmoricVirtualHelp>(nullptr);
    Form->FMemoryProject = Project.get();
  }
  void TearDown() override {
    Form.reset();
    Project.reset();
    VclHost() = TVclHost();
    VelmoricPath = Saved;
    ::unsetenv("VELMORIC_REGISTRY");
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }
  TOrvikSymbol* Sym(const std::string& Name) {
    TOrvikSymbol* S = &Source->symbols;
    size_t Start = 0;
    while (S && Start <= Name.size()) {
      size_t End = Name.find('.', Start);
      if (End == std::string::npos) End = Name.size();
      S = S->symbols ? S->symbols->FindAnyFlatSymbol(Name.substr(Start, End - Start)) : nullptr;
      Start = End + 1;
    }
    return S;
  }

  std::string Dir, Saved;
  std::unique_ptr<TPascalProject> Project;
  TPascalSource* Source = nullptr;
  std::unique_ptr<TFormVelmoricVirtualHelp> Form;
  std::vector<std::string> Boxes;
  int Answer = mrYes;
};

TEST_F(VirtualHelpFormTest, ClassPageSortsMembersIntoLabelledLists) {
  Form->Show();
  Form->UpdateHelpWindow(Sym("TChild"));
  EXPECT_EQ(Form->Caption, "virtual help TChild");
  EXPECT_EQ(Names(Form->Hierarchy), (std::vector<std::string>{"TChild", "TBase"}));
  EXPECT_EQ(Form->RichEditHeader->Text(), "TChild\r\n\r\nTChild= class(TBase)");
  auto Sorted = [](std::vector<std::string> V) {
    std::sort(V.begin(), V.end());
    return V;
  };
  EXPECT_EQ(Sorted(Names(Form->Methods)), (std::vector<std::string>{"Draw", "Run", "Run", "Total"}));
  EXPECT_EQ(Names(Form->UnlistedMethods), (std::vector<std::string>{"Hidden"}));
  EXPECT_EQ(Names(Form->Abstract), (std::vector<std::string>{"Draw"}));
  EXPECT_EQ(Sorted(Names(Form->Overwrite)), (std::vector<std::string>{"Draw", "Run", "Run"}));
  EXPECT_EQ(Names(Form->Properties), (std::vector<std::string>{"Count"}));
  EXPECT_EQ(Names(Form->Events), (std::vector<std::string>{"OnRun"}));
  EXPECT_EQ(Names(Form->Variables), (std::vector<std::string>{"FCount"}));
  EXPECT_EQ(Captions(*Form), (std::vector<std::string>{"Demo.pas", "Hirarchie", "Properties", "Methods", "Events",
                                                        "Variables", "Abstract", "Overwrite"}));
  // Left to right, as wide as their text, 20 pixels apart, 3 from the top.
  for (int I = 1; I < Form->LabelCount(); ++I) {
    EXPECT_EQ(Form->Labels(I)->Left(), Form->Labels(I - 1)->Left() + Form->Labels(I - 1)->Width() + 20);
    EXPECT_EQ(Form->Labels(I)->Top(), 3);
  }
  EXPECT_EQ(Form->Labels(0)->Left(), 0);

  // A list label opens the member list; an entry shows its page.
  Form->Labels(3)->Click();
  ASSERT_NE(Form->FormProperty, nullptr);
  TListBox* Members = Form->FormProperty->ListBoxMembers;
  ASSERT_EQ(Members->Items()->Count(), 4);
  EXPECT_EQ(Members->Items()->Get(0), "TChild.Run");
  Form->FormProperty->RadioGroupOrder->Select(1);
  EXPECT_EQ(Members->Items()->Get(0), "Draw (TBase)");
  Members->Select(Members->Items()->IndexOf("Total (TBase)"));
  EXPECT_EQ(Form->Caption, "virtual help TBase.Total");
  EXPECT_EQ(Captions(*Form), (std::vector<std::string>{"Demo.pas", "TBase"}));

  // The unit label leads to the unit page.
  Form->Labels(0)->Click();
  EXPECT_EQ(Form->Caption, "virtual help ");
  EXPECT_NE(Form->RichEditText->Text().find("Classes"), std::string::npos);
  EXPECT_EQ(Captions(*Form), (std::vector<std::string>{"unit"}));
}

TEST_F(VirtualHelpFormTest, ProcedureAndPropertyPagesLeadToOwnerAndTypes) {
  Form->Show();
  Form->UpdateHelpWindow(Sym("TBase.Run"));
  EXPECT_EQ(Captions(*Form), (std::vector<std::string>{"Demo.pas", "TBase", "See also"}));
  EXPECT_EQ(Names(Form->SeeAlso), (std::vector<std::string>{"TKinds", "TKind"}));
  EXPECT_NE(Form->RichEditHeader->Text().find("TKinds = set of TKind"), std::string::npos)
      << Form->RichEditHeader->Text();
  Form->Labels(1)->Click();
  EXPECT_EQ(Form->helpsymbol, Sym("TBase"));

  Form->UpdateHelpWindow(Sym("TBase.OnRun"));
  EXPECT_EQ(Captions(*Form), (std::vector<std::string>{"Demo.pas", "TBase", "Hirarchie", "See also"}));
  EXPECT_NE(Form->RichEditHeader->Text().find("property"), std::string::npos);
  // A symbol without comment and without page: an empty body.
  EXPECT_EQ(Form->RichEditText->Text(), "");
  EXPECT_FALSE(Form->HelpAvailable(Sym("TBase.OnRun")));
  EXPECT_TRUE(Form->HelpAvailable(Sym("TBase.FCount")));
}

TEST_F(VirtualHelpFormTest, SavedPagesAreShownAgainAndChained) {
  Form->Show();  // no table: the prompt, answered Yes, creates it
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0], "Could not open the table \r\nDo you like to create the tables? (make shure you have an VELMORIC alias)");
  ASSERT_TRUE(Form->TableVirtualHelp->Active());

  Form->UpdateHelpWindow(Sym("TBase"));
  EXPECT_FALSE(Form->PanelFormat->Visible());
  Form->RichEditText->TypeText("About the base class");
  EXPECT_TRUE(Form->PanelFormat->Visible());
  Form->ButtonSave->Click();
  Form->UpdateHelpWindow(Sym("TBase.Total"));
  Form->RichEditText->SelectAll();
  Form->FormatBar->SpeedButtonBold->Click();
  Form->RichEditText->TypeText("Sums it up");
  Form->ButtonSave->Click();
  Form->UpdateHelpWindow(Sym("TBase.Total"));
  EXPECT_EQ(Form->RichEditText->Text(), "Sums it up");
  Form->RichEditText->Select(0, 1);
  EXPECT_TRUE(Form->FormatBar->SpeedButtonBold->Down);
  EXPECT_EQ(Form->Store.ParentChain("TBase.Total"), (std::vector<std::string>{"TBase"}));
  ASSERT_TRUE(Form->Store.FindPage("TBase"));
  EXPECT_EQ(Form->TableVirtualHelp->FieldByName("XParent")->AsInteger(), -1);
  EXPECT_TRUE(Form->HelpAvailable(Sym("TBase.Total")));
  Form.reset();

  // A new window reads the table without asking.
  auto Again = std::make_unique<TFormVelmoricVirtualHelp>(nullptr);
  Again->FMemoryProject = Project.get();
  Again->Show();
  EXPECT_EQ(Boxes.size(), 1u);
  Again->UpdateHelpWindow(Sym("TBase"));
  EXPECT_EQ(Again->RichEditText->Text(), "About the base class");
}

TEST_F(VirtualHelpFormTest, DeclinedOrFailedCreationLeavesTheCommentsOnly) {
  Answer = mrNo;
  Form->Show();
  EXPECT_FALSE(Form->TableVirtualHelp->Active());
  EXPECT_FALSE(FileExists(VelmoricPath + "velmoric.db"));
  Form->UpdateHelpWindow(Sym("TBase.Run"));
  Form->ButtonSave->Click();  // nothing to save into
  EXPECT_FALSE(FileExists(VelmoricPath + "velmoric.db"));

  Form.reset();
  WriteFileBytes(VelmoricPath + "velmoric.db", "damaged damaged damaged damaged damaged damaged damaged");
  Answer = mrYes;
  Boxes.clear();
  Form = std::make_unique<TFormVelmoricVirtualHelp>(nullptr);
  Form->FMemoryProject = Project.get();
  Form->Show();
  EXPECT_EQ(Boxes, (std::vector<std::string>{
                       "Could not open the table \r\nDo you like to create the tables? (make shure you have an "
                       "VELMORIC alias)",
                       "Unable to create tables"}));
  EXPECT_EQ(ReadFileBytes(VelmoricPath + "velmoric.db"), "damaged damaged damaged damaged damaged damaged damaged");
  Form->UpdateHelpWindow(Sym("TBase"));
  EXPECT_EQ(Form->Caption, "virtual help TBase");
}

TEST_F(VirtualHelpFormTest, IndexSearchesByHalvingAndShowsSymbols) {
  TStringList Items;
  EXPECT_EQ(TFormVirtualHelpIndex::SearchIndex(Items, "x"), -1);  // empty: nothing to select
  for (const char* N : {"Alpha", "Beta", "Delta", "Gamma", "Omega", "Zeta"}) Items.Add(N);
  EXPECT_EQ(Items[TFormVirtualHelpIndex::SearchIndex(Items, "gam")], "Gamma");
  EXPECT_EQ(Items[TFormVirtualHelpIndex::SearchIndex(Items, "BETA")], "Beta");
  // Longer than every entry: stops when the span is below 2.
  const int Long = TFormVirtualHelpIndex::SearchIndex(Items, "zzzzzzzzzzzzzz");
  EXPECT_GE(Long, 3);

  Form->Show();
  VclHost().ShowModal = [this](TCustomForm& F) {
    auto& Index = dynamic_cast<TFormVirtualHelpIndex&>(F);
    Index.EditSearch->SetText("tot");
    // The halving search stops next to the entry or on it.
    const int Total = Index.ListBoxList->Items()->IndexOf("Total");
    EXPECT_LE(std::abs(Index.ListBoxList->ItemIndex() - Total), 1);
    Index.ListBoxList->Select(Total);
    EXPECT_EQ(Index.EditSearch->Text(), "Total");
    EXPECT_EQ(Index.ListBoxItems->Items()->Count(), 1);
    EXPECT_EQ(Index.ListBoxItems->Items()->Get(0), "TBase.Total");
    Index.ListBoxItems->Select(0);
    Index.ListBoxItems->DblClick();
    return mrOk;
  };
  Form->ButtonIndex->Click();
  EXPECT_EQ(Form->Caption, "virtual help TBase.Total");
  ASSERT_NE(Form->NameIndex, nullptr);
  EXPECT_GE(Form->NameIndex->IndexOf("Run"), 0);
  EXPECT_EQ(Form->NameIndex->Count(), Form->FormIndex->ListBoxList->Items()->Count());
}

TEST_F(VirtualHelpFormTest, ClassDocumentBecomesAWinHelpSourceWithItsProject) {
  WriteFileBytes(VelmoricPath + "manual.rtf",
                 "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\r\n"
                 "{\\stylesheet{\\fs20 \\snext0 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}"
                 "{\\s2\\sbasedon0\\snext0\\b\\fs24 heading 2;}}\r\n"
                 "\\pard\\plain Manual\\par\r\n}\r\n");
  WriteFileBytes(VelmoricPath + "manual.rtf.par", "heading 1\r\nClass title\r\nheading 2\r\nMember title\r\n");
  const std::string Out = Dir + "/out/demo.rtf";
  std::filesystem::create_directories(Dir + "/out");
  VclHost().ShowModal = [&](TCustomForm& F) {
    auto& Dialog = dynamic_cast<TFormVelmoricManualCreate&>(F);
    EXPECT_EQ(Dialog.ComboBoxTemplate->Items()->Count(), 1);
    EXPECT_EQ(Dialog.ComboBoxUnits->Items()->Get(0), Dir + "/");
    Dialog.ComboBoxTemplate->Select(0);
    Dialog.ButtonLoad->Click();
    EXPECT_EQ(Dialog.StringGridStyles->Cells(0, 2), "heading 1");
    EXPECT_EQ(Dialog.StringGridStyles->Cells(1, 2), "Class title");
    Dialog.ButtonHelp->Click();
    return mrOk;
  };
  VclHost().FileDialog = [&](TOpenDialog& D) {
    EXPECT_EQ(D.Filter, "rich text|*.rtf");
    D.FileName = Out;
    return true;
  };
  Form->Show();
  Form->UpdateHelpWindow(Sym("TBase"));
  Form->MenuCreateDocClassClick(nullptr);
  EXPECT_FALSE(Form->CreatingDocument);

  const std::string Written = ReadFileBytes(Out);
  EXPECT_EQ(Written.rfind("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}", 0), 0u) << Written;
  for (const char* Part : {"\\par \\s1\\b\\fs32  TBase\r\n", "{\\up #}{\\footnote # TBase_Total}\r\n",
                           "{\\up K}{\\footnote K Total}\r\n", "\\par \\s2\\b\\fs24  TBase.Total\r\n",
                           "Adds everything up.", "{\\uldb {Total}}{\\v TBase_Total>main}",
                           "{\\up #}{\\footnote # Methods_TBase}", "\\par \\s2\\b\\fs24  Properties\r\n"})
    EXPECT_NE(Written.find(Part), std::string::npos) << Part << "\n" << Written;
  EXPECT_TRUE(FileExists(VelmoricPath + "raw.rtf"));
  EXPECT_EQ(ReadFileBytes(Dir + "/out/demo.hpj"),
            "[OPTIONS]\r\nERRORLOG=test.ERR\r\nCOMPRESS=0x0\r\nLCID=0x0409 0x0 0x0\r\nCONTENTS=Contents\r\n"
            "TITLE=Virtual help project\r\nCOPYRIGHT=Copyright \xa9Virtual Help\r\n\r\n[WINDOWS]\r\n"
            "main=\"\",(226,17,606,486),0,,(r12632256)\r\nproperty=\"properties\",(5,9,181,428),0,(r16776960),\r\n"
            "\r\n[FILES]\r\n" +
                Out + "\r\n");
}

TEST_F(VirtualHelpFormTest, UnitManualWithoutHelpSwitchOnlyStylesHeadings) {
  WriteFileBytes(VelmoricPath + "manual.rtf",
                 "{\\rtf1{\\stylesheet{\\s1\\b\\fs32 heading 1;}}\\pard Manual\\par}");
  WriteFileBytes(VelmoricPath + "manual.rtf.par", "heading 1\r\nClass title\r\n");
  const std::string Out = Dir + "/manual-out.rtf";
  VclHost().ShowModal = [&](TCustomForm& F) -> int {
    auto& Dialog = dynamic_cast<TFormVelmoricManualCreate&>(F);
    Dialog.ComboBoxTemplate->Select(0);
    Dialog.ButtonLoad->Click();
    Dialog.ComboBoxUnits->Select(0);
    EXPECT_EQ(Dialog.ListBoxUnits->Items()->Count(), 1);
    if (Dialog.ListBoxUnits->Items()->Count() != 1) return mrCancel;
    Dialog.ListBoxUnits->Select(0);
    EXPECT_EQ(Dialog.Units.Count(), 1);
    Dialog.ButtonSaveParameters->Click();
    Dialog.ButtonManual->Click();
    return mrOk;
  };
  VclHost().FileDialog = [&](TOpenDialog& D) {
    D.FileName = Out;
    return true;
  };
  Form->Show();
  Form->MenuCreateDocUnitClick(nullptr);
  const std::string Written = ReadFileBytes(Out);
  EXPECT_NE(Written.find("\\par \\s1\\b\\fs32  TBase\r\n"), std::string::npos) << Written;
  EXPECT_NE(Written.find("\\par \\s1\\b\\fs32  TChild\r\n"), std::string::npos) << Written;
  EXPECT_NE(Written.find("Unit Demo"), std::string::npos);
  EXPECT_EQ(Written.find("\\footnote"), std::string::npos);
  EXPECT_FALSE(FileExists(Dir + "/manual-out.hpj"));
  EXPECT_EQ(ReadFileBytes(VelmoricPath + "manual.rtf.units"), LowerCase(Dir + "/Demo.pas") + "\r\n");

  // Cancelled: nothing is written.
  std::filesystem::remove(Out);
  VclHost().ShowModal = [](TCustomForm&) { return mrCancel; };
  Form->MenuCreateDocUnitClick(nullptr);
  EXPECT_FALSE(FileExists(Out));
}

}  // namespace
