// The manual editor: the "Root" topic of an empty table, topics by hand and
// from a table's structure, navigation and "Jump", links, the body as a
// file, printing, the paragraph and entry windows, and closing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "help/VelmoraRtfEditorNewSubTopic.h"
#include "help/VelmoricCreateTable.h"
#include "help/VelmoricFormatBar.h"
#include "help/VelmoricRTFEditor.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/VclHost.h"
#include "project/VelmoricProjectSettings.h"

namespace {

class RTFEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    Saved = VelmoricPath;
    VelmoricPath = Dir.Path + "/data/";
    std::filesystem::create_directories(VelmoricPath);
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R.Caption + ": " + R.Text);
      return mrOk;
    };
    // Modal windows are answered by their class name.
    VclHost().ShowModal = [this](TCustomForm& F) -> int {
      auto It = Answers.find(F.ClassName());
      if (It == Answers.end()) return mrCancel;
      return It->second(F);
    };
    VclHost().FileDialog = [this](TOpenDialog& D) {
      D.FileName = FileAnswer;
      return !FileAnswer.empty();
    };
    Form = std::make_unique<TFFormVelmoricRTFEdit>(nullptr);
  }
  void TearDown() override {
    Form.reset();
    VclHost() = TVclHost();
    VelmoricPath = Saved;
    ::unsetenv("VELMORIC_REGISTRY");
  }

  std::vector<std::string> Members() const {
    std::vector<std::string> M;
    for (int I = 0; I < Form->ListBoxMembers->Items()->Count(); ++I) M.push_back((*Form->ListBoxMembers->Items())[I]);
    return M;
  }
  // Creates a sub-topic by hand through the sub-topic window.
  void NewTopic(const std::string& Name, bool AddParent = true) {
    Answers["TFormVelmoricRTFNewSubTopic"] = [=](TCustomForm& F) {
      auto& W = dynamic_cast<TFormVelmoricRTFNewSubTopic&>(F);
      W.EditName->SetText(Name);
      W.CheckBoxAddParent->Checked = AddParent;
      W.ButtonOK->Click();
      return mrNone;
    };
    Form->ButtonNewSubTopic->Click();
  }
  void SelectMember(const std::string& Name) {
    const int I = Form->ListBoxMembers->Items()->IndexOf(Name);
    ASSERT_GE(I, 0) << Name;
    Form->ListBoxMembers->Select(I);
  }
  // Selects the first occurrence of Word in the body and jumps.
  void Jump(const std::string& Word) {
    const size_t At = Form->OleEdit1->Text().find(Word);
    ASSERT_NE(At, std::string::npos) << Word;
    Form->OleEdit1->Select(static_cast<int>(At), static_cast<int>(Word.size()));
    Form->MenuJumpClick(nullptr);
  }

  TScratchDir Dir;
  std::string Saved;
  std::unique_ptr<TFFormVelmoricRTFEdit> Form;
  std::vector<std::string> Boxes;
  std::map<std::string, std::function<int(TCustomForm&)>> Answers;
  std::string FileAnswer;
};

TEST_F(RTFEditorTest, EmptyTableShowsTheSingleRootTopicWithoutParent) {
  Form->Show();
  ASSERT_TRUE(Form->TableMDB->Active());
  EXPECT_EQ(Form->Caption, "Edit documentation for Root");
  EXPECT_EQ(Form->ButtonParent->Caption, "<no parent>");
  EXPECT_TRUE(Members().empty());
  EXPECT_EQ(Form->TableMDB->RecordCount(), 1);
  // Jump's lookups have their indexes.
  EXPECT_GE(Form->TableMDB->IndexDefs.IndexOf("I_MDB_FULLNAME"), 0);
  EXPECT_GE(Form->TableMDB->IndexDefs.IndexOf("I_MDBXParentXName"), 0);
  Form->Close();
  Form->Show();  // shown again: still one root
  EXPECT_EQ(Form->TableMDB->RecordCount(), 1);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(RTFEditorTest, SubTopicsAreListedByShortNameAndBodiesKeptWhileMoving) {
  Form->Show();
  Form->OleEdit1->TypeText("The whole manual");
  NewTopic("Intro");
  NewTopic("Plain", false);
  EXPECT_EQ(Members(), (std::vector<std::string>{"Intro", "Plain"}));
  EXPECT_EQ(Form->OleEdit1->Text(), "The whole manual");

  SelectMember("Intro");
  EXPECT_EQ(Form->Caption, "Edit documentation for Root.Intro");
  EXPECT_EQ(Form->ButtonParent->Caption, "Root");
  // The title body: the name in TimesNewRoman 24, centred, then 14 and left.
  const TRichTextDocument& Doc = Form->OleEdit1->Document();
  ASSERT_EQ(Doc.ParagraphCount(), 2);
  EXPECT_EQ(Doc.Paragraph(0).Text(), "Root.Intro");
  EXPECT_EQ(Doc.Paragraph(0).Format.Alignment, taCenter);
  EXPECT_EQ(Doc.FormatAt(0).FontName, "TimesNewRoman");
  EXPECT_EQ(Doc.FormatAt(0).HalfPoints, 48);
  EXPECT_EQ(Doc.Paragraph(1).Format.Alignment, taLeftJustify);

  // A grandchild named with dots is listed by its last part.
  NewTopic("Part.One");
  EXPECT_EQ(Members(), (std::vector<std::string>{"One"}));
  Form->ButtonParent->Click();
  EXPECT_EQ(Form->Caption, "Edit documentation for Root");
  EXPECT_EQ(Form->OleEdit1->Text(), "The whole manual");
}

TEST_F(RTFEditorTest, JumpFollowsAFullOrMemberNameAndStaysOtherwise) {
  Form->Show();
  NewTopic("Shapes");
  SelectMember("Shapes");
  NewTopic("Circle");
  Form->ButtonParent->Click();
  Form->OleEdit1->TypeText("See root.shapes.circle or Shapes or Nothing.");

  Jump("Nothing");
  EXPECT_EQ(Form->Caption, "Edit documentation for Root");
  Jump("Shapes");  // a member by its short name
  EXPECT_EQ(Form->Caption, "Edit documentation for Root.Shapes");
  Form->ButtonParent->Click();
  EXPECT_EQ(Form->OleEdit1->Text(), "See root.shapes.circle or Shapes or Nothing.");
  Jump("root.shapes.circle");  // any topic by its name, case ignored
  EXPECT_EQ(Form->Caption, "Edit documentation for Root.Shapes.Circle");
  EXPECT_EQ(Form->ButtonParent->Caption, "Root.Shapes");
}

TEST_F(RTFEditorTest, TopicsFromATablesStructure) {
  const std::string Shop = Dir.File("shop.db");
  Session().AddAlias("Shop", Shop);
  {
    TTable T(nullptr);
    T.DatabaseName = "Shop";
    T.TableName = "customers.DB";
    T.FieldDefs.Add("Id", ftAutoInc);
    T.FieldDefs.Add("Name", ftString, 40);
    T.FieldDefs.Add("Balance", ftCurrency);
    T.FieldDefs.Add("Born", ftDate);
    T.IndexDefs.Add("", "Id", ixPrimary | ixUnique);
    T.CreateTable();
  }
  Form->Show();
  Answers["TFormVelmoricRTFNewSubTopic"] = [](TCustomForm& F) {
    auto& W = dynamic_cast<TFormVelmoricRTFNewSubTopic&>(F);
    W.PageControl1->SelectPage(W.TabSheetTable);
    W.ComboBoxAlias->Select(W.ComboBoxAlias->Items()->IndexOf("Shop"));
    EXPECT_EQ(W.ComboBoxTable->Items()->IndexOf("customers"), 0);
    W.ComboBoxTable->Select(0);
    W.ButtonOK->Click();
    return mrNone;
  };
  Form->ButtonNewSubTopic->Click();
  EXPECT_EQ(Members(), (std::vector<std::string>{"Table customers"}));
  SelectMember("Table customers");
  EXPECT_EQ(Members(), (std::vector<std::string>{"Id", "Name", "Balance", "Born"}));
  SelectMember("Name");
  EXPECT_EQ(Form->Caption, "Edit documentation for customers.Name");
  EXPECT_EQ(Form->OleEdit1->Text(), "Field customers.Name\r\nField Type = String(40)");
  // The line after the title: 14 points, left-aligned.
  const TRichTextDocument& Doc = Form->OleEdit1->Document();
  EXPECT_EQ(Doc.FormatAt(Doc.TextLength() - 1).HalfPoints, 28);
  EXPECT_EQ(Doc.Paragraph(1).Format.Alignment, taLeftJustify);
  EXPECT_EQ(Doc.FormatAt(0).HalfPoints, 48);
  Form->ButtonParent->Click();
  SelectMember("Balance");
  EXPECT_EQ(Form->OleEdit1->Text(), "Field customers.Balance\r\nField Type = Currency");
  EXPECT_EQ(TFormVelmoricRTFNewSubTopic::FieldTypeText(ftAutoInc, 0), "AutoInc");
  EXPECT_EQ(TFormVelmoricRTFNewSubTopic::FieldTypeText(ftBlob, 0), "Blob");
}

TEST_F(RTFEditorTest, LinksAreCopiedAndInsertedUnderlinedInTheLinkColour) {
  Form->Show();
  NewTopic("Intro");
  Form->ListBoxMembers->SetItemIndex(0);
  Form->MenuCopyLinkClick(nullptr);
  EXPECT_EQ(Clipboard().AsText(), "Root.Intro");

  Form->OleEdit1->TypeText("See ");
  Form->MenuInsertLinkClick(nullptr);
  Form->OleEdit1->TypeText(" first");
  EXPECT_EQ(Form->OleEdit1->Text(), "See Root.Intro first");
  const TRichTextDocument& Doc = Form->OleEdit1->Document();
  EXPECT_TRUE(Doc.FormatAt(4).Underline);
  EXPECT_EQ(Doc.FormatAt(4).Color, clBlue);
  EXPECT_FALSE(Doc.FormatAt(16).Underline);
  EXPECT_EQ(Doc.FormatAt(16).Color, clBlack);
  EXPECT_FALSE(Doc.FormatAt(1).Underline);
}

TEST_F(RTFEditorTest, BodyOpensAndSavesAsRtfFileAndPrintsThroughTheHost) {
  Form->Show();
  Form->OleEdit1->TypeText("Saved to a file");
  FileAnswer = Dir.File("entry.rtf");
  Form->ButtonSave->Click();
  ASSERT_TRUE(FileExists(FileAnswer));
  EXPECT_EQ(ReadFileBytes(FileAnswer).rfind("{\\rtf1", 0), 0u);

  Form->OleEdit1->SetText("");
  Form->ButtonOpen->Click();
  EXPECT_EQ(Form->OleEdit1->Text(), "Saved to a file");
  FileAnswer.clear();  // cancelled: the body stays
  Form->ButtonOpen->Click();
  EXPECT_EQ(Form->OleEdit1->Text(), "Saved to a file");

  std::vector<std::string> Printed;
  VclHost().PrintRichText = [&](const std::string& Title, const TRichTextDocument& D) {
    Printed.push_back(Title + ": " + D.Text());
  };
  Form->ButtonPrint->Click();
  EXPECT_EQ(Printed, (std::vector<std::string>{"Velmoric Manual entry: Saved to a file"}));
}

TEST_F(RTFEditorTest, ParagraphWindowSetsIndentsAndAlignment) {
  Form->Show();
  Form->OleEdit1->TypeText("Indented");
  Answers["TFFormVelmoricFormatParagraph"] = [](TCustomForm& F) {
    auto& W = dynamic_cast<TFFormVelmoricFormatParagraph&>(F);
    EXPECT_EQ(W.EditLeftIndent->Text(), "0");
    W.EditLeftIndent->SetText("36");
    W.EditFirstIndent->SetText("not a number");
    W.RadioGroupAlignment->Select(2);
    return mrOk;
  };
  Form->ButtonParagraph->Click();
  EXPECT_EQ(Form->OleEdit1->Paragraph()->LeftIndent(), 36);
  EXPECT_EQ(Form->OleEdit1->Paragraph()->FirstIndent(), 0);
  EXPECT_EQ(Form->OleEdit1->Paragraph()->Alignment(), taCenter);
  Answers["TFFormVelmoricFormatParagraph"] = [](TCustomForm& F) {
    dynamic_cast<TFFormVelmoricFormatParagraph&>(F).EditLeftIndent->SetText("72");
    return mrCancel;
  };
  Form->ButtonParagraph->Click();
  EXPECT_EQ(Form->OleEdit1->Paragraph()->LeftIndent(), 36);
}

TEST_F(RTFEditorTest, EntryGridRenamesARecordAndMovesToTheRowChosen) {
  Form->Show();
  NewTopic("Intro");
  Answers["TFormVelmoricNewEntry"] = [](TCustomForm& F) {
    auto& W = dynamic_cast<TFormVelmoricNewEntry&>(F);
    EXPECT_EQ(W.Caption, "Manual Entrys");
    EXPECT_EQ(W.DBGrid1->Cells(1, W.DBGrid1->Row()), "Root");
    W.DBGrid1->ClickCell(1, 2);
    EXPECT_EQ(W.EditXName->Text(), "Root.Intro");
    W.EditXName->SetText("Root.Introduction");
    W.ButtonPost->Click();
    EXPECT_EQ(W.DBGrid1->Cells(1, 2), "Root.Introduction");
    return mrOk;
  };
  Form->ButtonOpenEntry->Click();
  EXPECT_EQ(Form->Caption, "Edit documentation for Root.Introduction");
  EXPECT_EQ(Form->ButtonParent->Caption, "Root");
}

TEST_F(RTFEditorTest, ClosingSavesTheBodyAndANewEditorShowsIt) {
  Form->Show();
  NewTopic("Intro");
  SelectMember("Intro");
  Form->OleEdit1->SelectAll();
  Form->OleEdit1->TypeText("Rewritten");
  Form->Close();
  EXPECT_FALSE(Form->TableMDB->Active());
  EXPECT_EQ(Form->FormNewSubTopic, nullptr);
  Form.reset();
  Form = std::make_unique<TFFormVelmoricRTFEdit>(nullptr);
  Form->Show();
  EXPECT_EQ(Members(), (std::vector<std::string>{"Intro"}));
  SelectMember("Intro");
  EXPECT_EQ(Form->OleEdit1->Text(), "Rewritten");
}

TEST_F(RTFEditorTest, ADamagedDatabaseIsReportedAndLeftAsItWas) {
  const std::string Damaged = "damaged damaged damaged damaged damaged damaged damaged";
  WriteFileBytes(VelmoricPath + "velmoric.db", Damaged);
  Form->Show();
  EXPECT_FALSE(Form->TableMDB->Active());
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].rfind("Velmoric: Could not open the manual: ", 0), 0u) << Boxes[0];
  // Without the table nothing moves or saves, and closing is quiet.
  Form->OleEdit1->TypeText("kept in the editor");
  Form->ButtonNewSubTopic->Click();
  Form->Close();
  EXPECT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(ReadFileBytes(VelmoricPath + "velmoric.db"), Damaged);
}

TEST_F(RTFEditorTest, FormatBarColoursTheSelectionAndOffersTheScreenFonts) {
  Form->Show();
  EXPECT_GT(Form->FormatBar->ComboBoxFont->Items()->Count(), 0);
  EXPECT_EQ(Form->FormatBar->ComboBoxFont->Text(), "Arial");
  EXPECT_EQ(Form->FormatBar->ComboBoxSize->Text(), "12");
  Form->OleEdit1->TypeText("red and black");
  std::string Asked;
  Answers["TFormVelmoricColor"] = [&](TCustomForm& F) {
    auto& W = dynamic_cast<TFormVelmoricColor&>(F);
    Asked = W.ComboBoxColor->Text();
    W.ComboBoxColor->SetText("Red");
    return mrOk;
  };
  Form->OleEdit1->Select(0, 3);
  Form->OleEdit1->SelAttributes()->SetStyle(fsBold);
  Form->FormatBar->SpeedButtonColor->Click();
  EXPECT_EQ(Asked, "Black");
  const TRichTextDocument& Doc = Form->OleEdit1->Document();
  EXPECT_EQ(Doc.FormatAt(0).Color, clRed);
  EXPECT_TRUE(Doc.FormatAt(0).Bold);  // the style stays
  EXPECT_EQ(Doc.FormatAt(5).Color, clBlack);
  // A text that is no colour changes nothing.
  Answers["TFormVelmoricColor"] = [](TCustomForm& F) {
    dynamic_cast<TFormVelmoricColor&>(F).ComboBoxColor->SetText("reddish");
    return mrOk;
  };
  Form->OleEdit1->Select(4, 3);
  Form->FormatBar->SpeedButtonColor->Click();
  EXPECT_EQ(Doc.FormatAt(4).Color, clBlack);

  TColor C = 0;
  EXPECT_TRUE(VelmoricStringToColor("$00FF8000", C));
  EXPECT_EQ(C, 0xFF8000u);
  EXPECT_EQ(VelmoricColorToString(C), "$00FF8000");
  EXPECT_TRUE(VelmoricStringToColor("clNavy", C));
  EXPECT_EQ(VelmoricColorToString(C), "Navy");
  EXPECT_FALSE(VelmoricStringToColor("$1000000", C));
  EXPECT_FALSE(VelmoricStringToColor("", C));
}

}  // namespace
