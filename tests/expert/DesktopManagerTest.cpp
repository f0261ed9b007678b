// The desktop manager: desktop.cnf written and read back, capture and
// apply over the screen's forms, cycling, and automatic switching by the
// IDE main window's caption on the manager's one-second timer.
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "tools/VelmoracDesktopManager.h"

namespace {

class DesktopManagerTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    Unit = Open("unit1.pas", Unit1Text);
    Session->RegisterExpert();
    ASSERT_NE(FormDesktopManager, nullptr);
    M = FormDesktopManager;
    Window = IDE().EditWindow(Unit);
    ASSERT_NE(Window, nullptr);
    ASSERT_EQ(Window->Name(), "EditWindow_0");
  }

  // Fills the controls and presses "New".
  void NewDesktop(const std::string& Name, const std::string& Description = "",
                  const std::string& Magic = "") {
    M->ListBoxDesktops->SetItemIndex(-1);
    M->EditName->SetText(Name);
    M->EditDescription->SetText(Description);
    M->EditMagic->SetText(Magic);
    M->ButtonNew->Click();
  }
  TVelmoricDesktop* Desktop(const std::string& Name) {
    const int I = Desktops->IndexOf(Name);
    return I < 0 ? nullptr : static_cast<TVelmoricDesktop*>(Desktops->Objects(I));
  }
  std::string FileText() { return ReadFileBytes(TFormDesktopManager::FileName()); }

  std::string Unit;
  TFormDesktopManager* M = nullptr;
  TEditWindow* Window = nullptr;
};

TEST_F(DesktopManagerTest, SavedDesktopIsWrittenInItsFormatAndReadBack) {
  Window->SetBounds(10, 20, 300, 200);
  M->RadioButtonOnDebug->Click();
  M->CheckBoxCycle->Checked = true;
  NewDesktop("my desk", "while running", "[Run");
  EXPECT_TRUE(M->CheckBoxAutomatic->Checked);  // ticked by the magic word and the mode

  const std::string Text = FileText();
  EXPECT_EQ(Text.substr(0, Text.find("  form")),
            "Desktop 'my desk'\r\n"
            "begin\r\n"
            "  description = 'while running'\r\n"
            "  magic = '[Run'\r\n"
            "  automatic   = 1\r\n"
            "  saveauto   = 0\r\n"
            "  cycle   = 1\r\n"
            "  onedit      = 0\r\n"
            "  ondebug     = 1\r\n");
  EXPECT_NE(Text.find("  form 'EditWindow_0' 10 20 300 200 1\r\n"), std::string::npos);
  EXPECT_EQ(Text.find("FormDesktopManager"), std::string::npos);
  EXPECT_EQ(Text.substr(Text.size() - 10), "end\r\nend\r\n");

  M->ReadFromFile();
  ASSERT_EQ(Desktops->Count(), 1);
  TVelmoricDesktop* D = Desktop("my desk");
  ASSERT_NE(D, nullptr);
  EXPECT_EQ(D->description, "while running");
  EXPECT_EQ(D->magic, "[Run");
  EXPECT_TRUE(D->automatic);
  EXPECT_TRUE(D->cycle);
  EXPECT_FALSE(D->saveonchange);
  EXPECT_EQ(D->mode, DeskOnDebug);
  const TVelmoricDeskForm* F = D->FindForm("EditWindow_0");
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(F->left, 10);
  EXPECT_EQ(F->top, 20);
  EXPECT_EQ(F->width, 300);
  EXPECT_EQ(F->height, 200);
  EXPECT_TRUE(F->visible);
  EXPECT_TRUE(Boxes.empty()) << BoxTexts().front();
}

TEST_F(DesktopManagerTest, NegativePositionsAreStoredAsZero) {
  Window->SetBounds(-40, -5, 300, 200);
  NewDesktop("left");
  EXPECT_NE(FileText().find("  form 'EditWindow_0' 0 0 300 200 1\r\n"), std::string::npos);
  EXPECT_EQ(Desktop("left")->FindForm("EditWindow_0")->left, 0);
}

TEST_F(DesktopManagerTest, QuoteInNameDescriptionOrMagicIsRefusedAndNothingWritten) {
  NewDesktop("good");
  const std::string Before = FileText();
  NewDesktop("it's");
  NewDesktop("ok", "don't");
  NewDesktop("ok2", "", "a'b");
  ASSERT_EQ(Boxes.size(), 3u);
  EXPECT_NE(Boxes[0].Text.find("quote"), std::string::npos);
  EXPECT_EQ(Desktops->Count(), 1);
  EXPECT_EQ(FileText(), Before);
}

TEST_F(DesktopManagerTest, DamagedFileIsReadAsFarAsItGoesWithOneMessage) {
  const std::string Good =
      "Desktop 'one'\r\nbegin\r\n  automatic   = 1\r\n  form 'EditWindow_0' 1 2 3 4 1\r\nend\r\n";
  WriteFileBytes(TFormDesktopManager::FileName(),
                 Good + "Desktop 'two'\r\nbegin\r\n  form 'A' 1 x 3 4 1\r\n  form 'B' 1 2 3 4 1\r\nend\r\nend\r\n");
  M->ReadFromFile();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].Text.find("desktop.cnf is damaged near line 8"), std::string::npos)
      << Boxes[0].Text;
  ASSERT_EQ(Desktops->Count(), 2);
  EXPECT_TRUE(Desktop("one")->automatic);
  EXPECT_EQ(Desktop("one")->forms->Count(), 1);
  EXPECT_EQ(Desktop("two")->forms->Count(), 0);

  Boxes.clear();
  WriteFileBytes(TFormDesktopManager::FileName(), Good + "Desktop 'three'\r\nbegin\r\n  cycle = 1\r\n  magic = 'm'\r\n");
  M->ReadFromFile();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].Text.find("ends before \"end\""), std::string::npos) << Boxes[0].Text;
  ASSERT_EQ(Desktops->Count(), 2);
  EXPECT_TRUE(Desktop("three")->cycle);
  EXPECT_EQ(Desktop("three")->magic, "m");
}

TEST_F(DesktopManagerTest, MissingFileLeavesTheListEmpty) {
  M->ReadFromFile();
  EXPECT_EQ(Desktops->Count(), 0);
  EXPECT_TRUE(M->Loaded);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(DesktopManagerTest, ApplyNamesTheDesktopInTheTitleAndPlacesForms) {
  Window->SetBounds(10, 20, 300, 200);
  NewDesktop("first");
  Window->SetBounds(50, 60, 400, 100);
  Window->Hide();
  NewDesktop("second");
  IDE().MainWindow()->SetBounds(0, 0, 1024, 100);
  NewDesktop("main");

  Application->Title = "Velmoric IDE";
  M->Apply(Desktop("first"));
  EXPECT_EQ(Application->Title, "Velmoric IDE / first");
  EXPECT_TRUE(Window->Visible());
  EXPECT_EQ(Window->Left(), 10);
  EXPECT_EQ(Window->Top(), 20);
  EXPECT_EQ(Window->Width(), 300);
  EXPECT_EQ(Window->Height(), 200);

  M->Apply(Desktop("second"));
  EXPECT_EQ(Application->Title, "Velmoric IDE / second");
  EXPECT_FALSE(Window->Visible());
  EXPECT_EQ(Window->Left(), 50);

  // The IDE main window keeps its place whatever a desktop holds.
  IDE().MainWindow()->SetBounds(5, 5, 500, 90);
  M->Apply(Desktop("main"));
  EXPECT_EQ(IDE().MainWindow()->Width(), 500);
}

TEST_F(DesktopManagerTest, CyclingWrapsAndASingleDesktopIsAppliedAgain) {
  Window->SetBounds(10, 20, 300, 200);
  NewDesktop("only");
  Window->SetBounds(99, 99, 100, 100);
  M->ListBoxDesktops->SetItemIndex(0);
  M->ButtonCycleClick(nullptr);
  EXPECT_EQ(Window->Left(), 10);
  EXPECT_EQ(M->ListBoxDesktops->ItemIndex(), 0);

  Window->SetBounds(30, 30, 100, 100);
  NewDesktop("two");
  M->ButtonCycleClick(nullptr);  // from "two" round to "only"
  EXPECT_EQ(M->ListBoxDesktops->ItemIndex(), 0);
  EXPECT_EQ(Window->Left(), 10);
  EXPECT_FALSE(M->Visible());
  M->ButtonCycleClick(nullptr);
  EXPECT_EQ(M->ListBoxDesktops->ItemIndex(), 1);
  EXPECT_EQ(Window->Left(), 30);
}

TEST_F(DesktopManagerTest, SaveActivateAndTheFormsListWorkOnTheSelectedDesktop) {
  Window->SetBounds(10, 20, 300, 200);
  NewDesktop("work", "first try");
  NewDesktop("other");
  M->ListBoxDesktops->Select(0);
  EXPECT_EQ(M->EditName->Text(), "work");
  EXPECT_EQ(M->EditDescription->Text(), "first try");
  ASSERT_EQ(M->ListBoxForms->Items()->IndexOf("EditWindow_0 visible"), 0);

  // "Save" renames and recaptures the selected desktop; no new one.
  Window->SetBounds(70, 80, 300, 200);
  M->EditName->SetText("coding");
  M->EditDescription->SetText("second try");
  M->ButtonSave->Click();
  EXPECT_EQ(Desktops->Count(), 2);
  EXPECT_EQ(Desktop("work"), nullptr);
  ASSERT_NE(Desktop("coding"), nullptr);
  EXPECT_EQ(Desktop("coding")->FindForm("EditWindow_0")->left, 70);
  EXPECT_EQ(M->ListBoxDesktops->Items()->Strings(0), "coding");
  EXPECT_NE(FileText().find("Desktop 'coding'\r\nbegin\r\n  description = 'second try'"),
            std::string::npos);

  // Double-clicking a form toggles it in the desktop; "Activate" applies it.
  M->ListBoxForms->Select(0);
  M->ListBoxForms->DblClick();
  EXPECT_FALSE(Desktop("coding")->FindForm("EditWindow_0")->visible);
  EXPECT_EQ(M->ListBoxForms->Items()->Strings(0), "EditWindow_0");
  Window->SetBounds(0, 0, 50, 50);
  M->ButtonActivate->Click();
  EXPECT_FALSE(Window->Visible());
  EXPECT_EQ(Window->Left(), 70);
  EXPECT_EQ(Window->Top(), 80);
}

TEST_F(DesktopManagerTest, ExpertCommandsShowTheManagerAndCycle) {
  Window->SetBounds(10, 20, 300, 200);
  NewDesktop("a");
  Window->SetBounds(30, 40, 300, 200);
  NewDesktop("b");
  Window->SetBounds(0, 0, 1, 1);
  ASSERT_TRUE(IDE().ClickMenuItem("Velmoric15"));  // "Cycle desktops"
  EXPECT_EQ(Window->Left(), 10);
  EXPECT_FALSE(M->Visible());
  ASSERT_TRUE(IDE().ClickMenuItem("Velmoric14"));  // "Desktop manager"
  EXPECT_TRUE(M->Visible());
  EXPECT_EQ(M->ListBoxDesktops->Items()->Count(), 2);
}

TEST_F(DesktopManagerTest, NewProcessReadsTheDesktopsBack) {
  NewDesktop("kept", "for later", "x");
  Session->ReleaseExpert();
  EXPECT_EQ(FormDesktopManager, nullptr);
  Session.reset();
  Session = std::make_unique<TExpertSession>();
  Session->RegisterExpert();
  ASSERT_NE(FormDesktopManager, nullptr);
  ASSERT_EQ(Desktops->Count(), 1);
  EXPECT_EQ(Desktop("kept")->description, "for later");
  EXPECT_EQ(FormDesktopManager->ListBoxDesktops->Items()->Strings(0), "kept");
}

class AutomaticDesktopTest : public DesktopManagerTest {
 protected:
  void SetUp() override {
    DesktopManagerTest::SetUp();
    VclHost().MessageBox = [this](const TMessageBoxRequest& R) {
      Boxes.push_back(R);
      return int(mrYes);
    };
    Window->SetBounds(10, 10, 300, 300);  // while editing
    M->ButtonAutomaticClick(nullptr);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Confirm");
    ASSERT_EQ(Desktops->Count(), 2);
    // The running layout differs.
    Desktop("debugging")->FindForm("EditWindow_0")->left = 500;
    Application->Title = "Velmoric IDE";
  }
  int ActivateLines() {
    int N = 0;
    for (const auto& L : TraceLines("desk"))
      if (L == "activate auto") ++N;
    return N;
  }
};

TEST_F(AutomaticDesktopTest, AutomaticDesktopsAreMadeAsDescribed) {
  TVelmoricDesktop* E = Desktop("editing");
  TVelmoricDesktop* D = Desktop("debugging");
  EXPECT_EQ(E->description, "automatically displayed when program is not running");
  EXPECT_EQ(D->description, "automatically displayed when program is running");
  for (TVelmoricDesktop* X : {E, D}) {
    EXPECT_TRUE(X->automatic);
    EXPECT_TRUE(X->saveonchange);
    EXPECT_FALSE(X->cycle);
    EXPECT_EQ(X->magic, "[");
  }
  EXPECT_EQ(E->mode, DeskOnEdit);
  EXPECT_EQ(D->mode, DeskOnDebug);
}

TEST_F(AutomaticDesktopTest, CaptionSwitchesDesktopsOncePerChange) {
  StartTraceLog();
  IDE().AdvanceTime(1000);  // not running: "editing"
  EXPECT_EQ(Application->Title, "Velmoric IDE / editing");
  EXPECT_EQ(ActivateLines(), 1);
  IDE().AdvanceTime(3000);
  EXPECT_EQ(ActivateLines(), 1);  // not again while nothing changes

  IDE().SetRunning(true);
  EXPECT_EQ(IDE().MainWindow()->Caption, "Velmoric IDE [Running]");
  IDE().AdvanceTime(1000);
  EXPECT_EQ(Application->Title, "Velmoric IDE / debugging");
  EXPECT_EQ(Window->Left(), 500);
  EXPECT_EQ(M->SelectedDesktop(), Desktop("debugging"));
  IDE().AdvanceTime(3000);
  EXPECT_EQ(ActivateLines(), 2);

  // The user moves the window while running; save on change keeps it.
  Window->SetLeft(444);
  IDE().SetRunning(false);
  EXPECT_EQ(IDE().MainWindow()->Caption, "Velmoric IDE");
  IDE().AdvanceTime(1000);
  EXPECT_EQ(Application->Title, "Velmoric IDE / editing");
  EXPECT_EQ(Window->Left(), 10);
  EXPECT_EQ(Desktop("debugging")->FindForm("EditWindow_0")->left, 444);
}

TEST_F(AutomaticDesktopTest, NoSwitchWhileMinimisedShownOrOffAUnit) {
  IDE().SetRunning(true);
  IDE().SetMinimized(true);
  IDE().AdvanceTime(2000);
  EXPECT_EQ(Application->Title, "Velmoric IDE");
  IDE().SetMinimized(false);

  M->Show();
  IDE().AdvanceTime(2000);
  EXPECT_EQ(Application->Title, "Velmoric IDE");
  M->Hide();

  const std::string Text = Open("notes.txt", "text");
  IDE().AdvanceTime(2000);
  EXPECT_EQ(Application->Title, "Velmoric IDE");

  ASSERT_TRUE(IDE().ActivateFile(Unit));
  IDE().AdvanceTime(1000);
  EXPECT_EQ(Application->Title, "Velmoric IDE / debugging");
}

TEST_F(AutomaticDesktopTest, DeletingTheLastAutomaticDesktopForgetsIt) {
  IDE().AdvanceTime(1000);
  ASSERT_EQ(M->LastAuto, Desktop("editing"));
  M->ListBoxDesktops->SetItemIndex(0);
  M->ButtonDeleteClick(nullptr);
  EXPECT_EQ(M->LastAuto, nullptr);
  EXPECT_EQ(Desktops->Count(), 1);
  IDE().SetRunning(true);
  IDE().AdvanceTime(1000);
  EXPECT_EQ(Application->Title, "Velmoric IDE / debugging");
}

}  // namespace
