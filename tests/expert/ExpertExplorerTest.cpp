// The expert together with the source explorer and the navigation unit:
// the explorer made at start-up, its tool bar copied onto every editor
// panel, the timer's find position, and the bookmark window's Goto.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "ide/VelmoricBookmarkStack.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "project/VelmoricPascalProject.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string> ControlNames(TWinControl* Parent) {
  std::vector<std::string> Names;
  for (int I = 0; I < Parent->ControlCount(); ++I) Names.push_back(Parent->Controls(I)->Name());
  return Names;
}

TEST_F(ExpertTest, ExplorerIsMadeHiddenAtStartUpForTheExpert) {
  Session->RegisterExpert();
  ASSERT_NE(FFormSourceExplorer, nullptr);
  EXPECT_FALSE(FFormSourceExplorer->Visible());
  EXPECT_EQ(FFormSourceExplorer->Expert, Expert());
  EXPECT_EQ(FFormSourceExplorer->Bookmarks, Expert()->BookmarkStack);
  Session->ReleaseExpert();
  EXPECT_EQ(FFormSourceExplorer, nullptr);
}

TEST_F(ExpertTest, WithoutPanelsTheExplorerWaitsForItsFirstUse) {
  CreateMenusKey();
  RegString("", "nopanel", "");
  Session->RegisterExpert();
  EXPECT_EQ(FFormSourceExplorer, nullptr);
}

TEST_F(ExpertTest, PanelCarriesCopiesOfTheExplorersToolBar) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  TEditWindow* W = IDE().EditWindow(A);
  auto* Panel = dynamic_cast<TPanel*>(W->FindComponent("VelmoricPanel1"));
  ASSERT_NE(Panel, nullptr);
  EXPECT_THAT(ControlNames(Panel),
              ElementsAre("ButtonPrev", "ButtonNext", "SpeedButtonCompile", "SpeedButtonFinde",
                          "SpeedButtonTableExpert", "SpeedButtonBookmark", "ComboBoxClass",
                          "ComboBoxFinde", "ComboBoxSuchen"));
  TFFormSourceExplorer* X = FFormSourceExplorer;
  auto* Prev = dynamic_cast<TSpeedButton*>(Panel->Controls(0));
  ASSERT_NE(Prev, nullptr);
  EXPECT_EQ(Prev->Owner(), Panel);
  EXPECT_EQ(Prev->Left(), X->ButtonPrev->Left());
  EXPECT_EQ(Prev->Width(), X->ButtonPrev->Width());
  EXPECT_EQ(Prev->Hint, X->ButtonPrev->Hint);
  EXPECT_TRUE(Prev->Visible());
  auto* Finde = dynamic_cast<TBitBtn*>(Panel->Controls(3));
  ASSERT_NE(Finde, nullptr);
  EXPECT_EQ(Finde->PopupMenu(), X->SpeedButtonFinde->PopupMenu());
  auto* Class = dynamic_cast<TComboBox*>(Panel->Controls(6));
  ASSERT_NE(Class, nullptr);
  EXPECT_EQ(Class->Owner(), W);
  EXPECT_EQ(Class->TabOrder, 100);
  EXPECT_EQ(Class->Text(), X->ComboBoxClass->Text());
  EXPECT_EQ(Class->PopupMenu(), X->ComboBoxClass->PopupMenu());

  // The copy of "Add a Bookmark" runs the explorer's own handler.
  Session->SetCursor(A, 16, 1);
  dynamic_cast<TSpeedButton*>(Panel->Controls(5))->Click();
  ASSERT_EQ(Expert()->BookmarkStack->Count(), 1);
  EXPECT_EQ(Expert()->BookmarkStack->Items(0)->Line, 16);
  EXPECT_TRUE(X->ButtonPrev->Enabled);  // the push updated the history buttons

  Session->ReleaseExpert();
  EXPECT_EQ(W->FindComponent("VelmoricPanel1"), nullptr);
  EXPECT_EQ(W->FindComponent("ComboBoxClass"), nullptr);
  EXPECT_EQ(W->FindComponent("ComboBoxSuchen"), nullptr);
}

TEST_F(ExpertTest, CompiledEditorRefreshesTheExplorersClassBox) {
  Session->RegisterExpert();
  Open("unit1.pas", Unit1Text);
  ASSERT_TRUE(Expert()->GetCompiledEditor());
  EXPECT_GE(FFormSourceExplorer->ComboBoxClass->Items()->IndexOf("TForm1"), 0);
  Expert()->ReleaseEditor();
  FreeAndNil(Expert()->CompileProject);
}

TEST_F(ExpertTest, TimerFollowsTheCursorQuietly) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  ASSERT_TRUE(Expert()->GetCompiledEditor());
  Expert()->ReleaseEditor();
  FreeAndNil(Expert()->CompileProject);

  StartTraceLog();
  Session->SetCursor(A, 16, 3);
  IDE().AdvanceTime(1000);
  EXPECT_EQ(IDE().EditWindow(A)->Caption, "TForm1.Button1Click - " + A);
  EXPECT_TRUE(TraceLines("findpos").empty());  // silenced during the tick
  EXPECT_TRUE(bFindPosDebug);

  Session->SetCursor(A, 20, 3);
  ASSERT_TRUE(IDE().ClickMenuItem("Velmoric18"));  // "Find position" from the menu traces
  EXPECT_EQ(IDE().EditWindow(A)->Caption, "Helper - " + A);
  EXPECT_FALSE(TraceLines("findpos").empty());

  bFindTimer = false;  // the options' "Auto FindPosition" off
  Session->SetCursor(A, 16, 3);
  IDE().AdvanceTime(1000);
  EXPECT_EQ(IDE().EditWindow(A)->Caption, "Helper - " + A);
}

TEST_F(ExpertTest, BookmarkWindowGotoMovesTheCursor) {
  Session->RegisterExpert();
  const std::string A = Open("unit1.pas", Unit1Text);
  Session->SetCursor(A, 16, 4);
  Expert()->BookmarkStack->PushPosition();
  Session->SetCursor(A, 1, 1);
  TFFormVelmoricBookmarkStack* Form = FormVelmoricBookmarkStack();
  Form->ListBoxDependencies->Select(0);
  Form->ListBoxDependencies->DblClick();
  EXPECT_EQ(Session->Cursor(A).Line, 16);
  EXPECT_EQ(Expert()->BookmarkStack->Top, 0);  // Goto leaves the stack alone

  Session->SetCursor(A, 1, 1);
  Form->PopupMenu1->Popup(0, 0);
  Form->Goto1->Click();
  EXPECT_EQ(Session->Cursor(A).Line, 16);
  EXPECT_TRUE(Boxes.empty()) << Boxes.front().Text;
}

}  // namespace
