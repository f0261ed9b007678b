// The bookmark stack: order of pushes, walking back, duplicates, names,
// jumps, and the window with its pop-up commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ExpertTestSupport.h"
#include "ide/VelmoricBookmarkStack.h"
#include "ide/VelmoricEditorStrings.h"

namespace {

using ::testing::ElementsAre;

class BookmarkStackTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    Session->RegisterExpert();
    Stack = Expert()->BookmarkStack;
    Unit = Open("unit1.pas", Unit1Text);
  }

  // Pushes the position at the 1-based Line of Unit.
  void PushAt(int Line, int Col = 1) {
    Session->SetCursor(Unit, Line, Col);
    Stack->PushPosition();
  }

  std::vector<int> Lines() const {
    std::vector<int> L;
    for (int I = 0; I < Stack->Count(); ++I) L.push_back(Stack->Items(I)->Line);
    return L;
  }

  std::string NameAt(int Line) {
    TIntf<TIModuleInterface> Module(ToolServices->GetModuleInterface(Unit));
    TIntf<TIEditorInterface> Editor(Module->GetEditorInterface());
    TEditorStrings Strings(Editor.P);
    std::string Name;
    Stack->GetBookmarkName(&Strings, Line, Name);
    return Name;
  }

  TBookmarkStack* Stack = nullptr;
  std::string Unit;
};

TEST_F(BookmarkStackTest, PushesGoInBeforeTopAndJumpWalksBackToTheOldest) {
  PushAt(5);   // P1
  PushAt(16);  // P2
  PushAt(20);  // P3
  EXPECT_THAT(Lines(), ElementsAre(16, 20, 5));
  EXPECT_EQ(Stack->Top, 2);

  Session->SetCursor(Unit, 1, 1);
  Stack->Jump();
  EXPECT_EQ(Stack->Top, 1);
  EXPECT_EQ(Session->Cursor(Unit).Line, 20);
  Stack->Jump();
  EXPECT_EQ(Stack->Top, 0);
  EXPECT_EQ(Session->Cursor(Unit).Line, 16);
  Stack->Jump();
  EXPECT_EQ(Stack->Top, 0);
  EXPECT_EQ(Session->Cursor(Unit).Line, 16);

  // Forward, as the explorer's next button walks: index + 1 while in range.
  Stack->JumpTo(++Stack->Top);
  EXPECT_EQ(Session->Cursor(Unit).Line, 20);
  Stack->JumpTo(++Stack->Top);
  EXPECT_EQ(Session->Cursor(Unit).Line, 5);
  Stack->JumpTo(3);  // beyond the end: nothing
  EXPECT_EQ(Session->Cursor(Unit).Line, 5);
}

TEST_F(BookmarkStackTest, TheSameLineOfTheSameFileIsKeptOnce) {
  PushAt(16, 3);
  PushAt(16, 9);
  EXPECT_EQ(Stack->Count(), 1);
  EXPECT_EQ(Stack->Items(0)->Col, 3);
  Stack->Add(UpperCase(Unit), 16, 1, "other spelling");  // sources compare exactly
  EXPECT_EQ(Stack->Count(), 2);
}

TEST_F(BookmarkStackTest, BookmarkCarriesFileLineColumnAndName) {
  PushAt(16, 4);
  ASSERT_EQ(Stack->Count(), 1);
  const TVelmoricBookmark* B = Stack->Items(0);
  EXPECT_EQ(B->Source, Unit);
  EXPECT_EQ(B->Line, 16);
  EXPECT_EQ(B->Col, 4);
  EXPECT_EQ(B->Name, "procedure TForm1.Button1Click(Sender: TObject);");
}

TEST_F(BookmarkStackTest, NameIsTheNearestHeadingAtOrAboveTheCursor) {
  EXPECT_EQ(NameAt(20), "procedure Helper;");       // indented heading, blanks removed
  EXPECT_EQ(NameAt(19), "procedure Helper;");       // the cursor's own line
  EXPECT_EQ(NameAt(18), "procedure TForm1.Button1Click(Sender: TObject);");  // not the line below
  EXPECT_EQ(NameAt(9), "procedure Button1Click(Sender: TObject);");
  EXPECT_EQ(NameAt(5), "Zeile 5");                  // in the uses clause, above every heading
  EXPECT_EQ(NameAt(500), "procedure Helper;");     // beyond the end: from the last line up
}

TEST_F(BookmarkStackTest, JumpPutsTheLineAtTheTopWhenThereIsRoom) {
  std::string Text;
  for (int I = 1; I <= 60; ++I) Text += "// line " + IntToStr(I) + "\n";
  const std::string Long = Open("long.pas", Text);
  Stack->Add(Long, 3, 2, "three");
  Stack->Add(Long, 40, 5, "forty");
  for (int I = 0; I < Stack->Count(); ++I) {
    Stack->JumpTo(I);
    const TVelmoricBookmark* B = Stack->Items(I);
    EXPECT_EQ(Session->Cursor(Long).Line, B->Line);
    EXPECT_EQ(Session->Cursor(Long).Col, B->Col + 1);
    EXPECT_EQ(Session->TopLine(Long).Line, B->Line == 3 ? 3 : 35);
  }
  EXPECT_EQ(IDE().GetCurrentFile(), Long);
}

TEST_F(BookmarkStackTest, JumpToAClosedFileOpensIt) {
  const std::string Other = Dir.Write("other.pas", "unit Other;\n\ninterface\nend.\n");
  Stack->Add(Other, 3, 1, "x");
  ASSERT_FALSE(IDE().IsFileOpen(Other));
  Stack->JumpTo(0);
  EXPECT_TRUE(IDE().IsFileOpen(Other));
  EXPECT_EQ(IDE().GetCurrentFile(), Other);
  EXPECT_EQ(Session->Cursor(Other).Line, 3);
}

TEST_F(BookmarkStackTest, JumpOnAnEmptyStackDoesNothing) {
  Session->SetCursor(Unit, 7, 1);
  Stack->Jump();
  EXPECT_EQ(Stack->Top, -1);
  EXPECT_EQ(Session->Cursor(Unit).Line, 7);
}

TEST_F(BookmarkStackTest, WithoutAnEditorNothingIsPushedButTheWindowIsRefreshed) {
  IDE().CloseFile(Unit);
  Stack->PushPosition();
  EXPECT_EQ(Stack->Count(), 0);
  ASSERT_NE(FFormVelmoricBookmarkStack, nullptr);  // the first push creates the window
  EXPECT_TRUE(FFormVelmoricBookmarkStack->Visible());
}

TEST_F(BookmarkStackTest, WindowListsTheBookmarksAndSelectsTop) {
  PushAt(5);
  PushAt(16);
  TFFormVelmoricBookmarkStack* Form = FormVelmoricBookmarkStack();
  EXPECT_EQ(Form, FormVelmoricBookmarkStack());  // one window
  EXPECT_EQ(Form->Caption, "Bookmark stack");
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Form->ListBoxDependencies->Align(), alClient);
  ASSERT_EQ(Form->ListBoxDependencies->Items()->Count(), 2);
  EXPECT_EQ(Form->ListBoxDependencies->Items()->Get(0),
            "procedure TForm1.Button1Click(Sender: TObject); " + Unit + "(16)");
  EXPECT_EQ(Form->ListBoxDependencies->Items()->Get(1), "Zeile 5 " + Unit + "(5)");
  EXPECT_EQ(Form->ListBoxDependencies->ItemIndex(), Stack->Top);

  Stack->Jump();  // the visible window follows
  EXPECT_EQ(Form->ListBoxDependencies->ItemIndex(), 0);
}

TEST_F(BookmarkStackTest, DeletingTheLastEntryLeavesTopAtTheCountAndNoSelection) {
  PushAt(5);
  PushAt(16);
  PushAt(20);  // order 16, 20, 5; Top 2
  TFFormVelmoricBookmarkStack* Form = FormVelmoricBookmarkStack();
  Form->ListBoxDependencies->Select(2);
  Form->PopupMenu1->Popup(0, 0);
  Form->Delete1->Click();
  EXPECT_THAT(Lines(), ElementsAre(16, 20));
  EXPECT_EQ(Stack->Top, 2);
  EXPECT_EQ(Form->ListBoxDependencies->Items()->Count(), 2);
  EXPECT_EQ(Form->ListBoxDependencies->ItemIndex(), -1);

  // Jump steps back into the list again; a new push goes in last.
  Session->SetCursor(Unit, 1, 1);
  Stack->Jump();
  EXPECT_EQ(Stack->Top, 1);
  EXPECT_EQ(Session->Cursor(Unit).Line, 20);
  Stack->Top = 5;  // far beyond the end, after several deletes
  PushAt(9);
  EXPECT_THAT(Lines(), ElementsAre(16, 20, 9));
}

TEST_F(BookmarkStackTest, DeleteWithoutSelectionDoesNothing) {
  PushAt(5);
  TFFormVelmoricBookmarkStack* Form = FormVelmoricBookmarkStack();
  Form->ListBoxDependencies->SetItemIndex(-1);
  Form->ButtonDeleteClick(nullptr);
  Form->ButtonGotoClick(nullptr);
  EXPECT_EQ(Stack->Count(), 1);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(BookmarkStackTest, StackReportsItselfOnTheTrace) {
  StartTraceLog();
  PushAt(16);
  PushAt(16);
  EXPECT_THAT(TraceLines("bookmarks"), ElementsAre("Top Of stack = 0", "0 " + Unit + " 16 1"));
  const auto Out = TraceLines("stdOut");
  EXPECT_NE(std::find(Out.begin(), Out.end(), "bookmark doppelt"), Out.end());
  std::vector<std::string> Procs;
  for (const std::string& L : TraceLines("velmoric.trace")) Procs.push_back(Trim(L));
  EXPECT_NE(std::find(Procs.begin(), Procs.end(),
                      "->TBookmarkStack.Add(Source=" + Unit + ",line=16,col=1,name=" +
                          "procedure TForm1.Button1Click(Sender: TObject);)"),
            Procs.end());
  EXPECT_NE(std::find(Procs.begin(), Procs.end(), "<-TBookmarkStack.Add"), Procs.end());
}

}  // namespace
