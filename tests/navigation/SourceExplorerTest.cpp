// The source explorer on the zoo project: its boxes, the search box, the
// compile button, the history buttons and the pop-up commands.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "NavigationSessionTest.h"
#include "ide/VelmoricBookmarkStack.h"
#include "project/VelmoricPascalProject.h"

using navtest::ColOf;
using navtest::LineOf;
using ::testing::ElementsAre;

namespace {

class SourceExplorerTest : public navtest::NavigationSessionTest {
 protected:
  TFFormSourceExplorer* Explorer() { return FFormSourceExplorer; }

  // Types Text into the search box and presses Enter.
  void Search(const std::string& Text, TComboBox* Box = nullptr) {
    if (!Box) Box = Explorer()->ComboBoxSuchen;
    Box->TypeText(Text);
    uint16_t Key = VK_RETURN;
    Box->KeyDown(Key, 0);
  }

  std::vector<std::string> Items(TComboBox* Box) {
    std::vector<std::string> Result;
    for (int I = 0; I < Box->Items()->Count(); ++I) Result.push_back(Box->Items()->Get(I));
    return Result;
  }

  TComboBox* CopyOn(const std::string& File, const std::string& Name) {
    return dynamic_cast<TComboBox*>(IDE().EditWindow(File)->FindComponent(Name));
  }
};

// ------------------------------------------------------------------ boxes

TEST_F(SourceExplorerTest, TheClassBoxListsClassesAndRecordsOfEveryUnit) {
  Session->OpenProject(ProgramFile);
  Session->OpenFile(ZooFile);
  Session->RegisterExpert();
  ASSERT_NE(Explorer(), nullptr);
  EXPECT_EQ(Explorer()->ComboBoxClass->Text(), "<no compiled sources>");
  Explorer()->SpeedButtonCompileClick(nullptr);
  EXPECT_THAT(Items(Explorer()->ComboBoxClass), ElementsAre("TAnimal", "TDog", "TFood", "TMammal"));
  // The placeholder does not survive the refill; a class name typed by the user does.
  EXPECT_EQ(Explorer()->ComboBoxClass->Text(), "");
  Explorer()->ComboBoxClass->SetText("TDog");
  Explorer()->UpdateClassBox();
  EXPECT_EQ(Explorer()->ComboBoxClass->Text(), "TDog");
  // The editor window's copy has the same items.
  TComboBox* Copy = CopyOn(ZooFile, "ComboBoxClass");
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(Items(Copy), Items(Explorer()->ComboBoxClass));
}

TEST_F(SourceExplorerTest, AClassesMethodsComeBeforeItsOtherMembers) {
  StartOnProject();
  TComboBox* Classes = Explorer()->ComboBoxClass;
  Classes->Select(Classes->Items()->IndexOf("TAnimal"));
  EXPECT_THAT(Items(Explorer()->ComboBoxFinde), ElementsAre("Eat", "Move", "Speak", "Name"));
  Classes->Select(Classes->Items()->IndexOf("TFood"));
  EXPECT_THAT(Items(Explorer()->ComboBoxFinde), ElementsAre("Kind"));
}

TEST_F(SourceExplorerTest, TheCopiesOnEditorWindowsWorkTheForm) {
  StartOnProject();
  TComboBox* ClassCopy = CopyOn(ZooFile, "ComboBoxClass");
  ASSERT_NE(ClassCopy, nullptr);
  ClassCopy->Select(ClassCopy->Items()->IndexOf("TMammal"));
  EXPECT_EQ(Explorer()->ComboBoxClass->Text(), "TMammal");
  EXPECT_THAT(Items(Explorer()->ComboBoxFinde), ElementsAre("Move", "Legs"));
  TComboBox* MemberCopy = CopyOn(ZooFile, "ComboBoxFinde");
  EXPECT_THAT(Items(MemberCopy), ElementsAre("Move", "Legs"));
  // Choosing a member in the copy jumps to it.
  MemberCopy->Select(1);
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "Legs")));
  EXPECT_EQ(Explorer()->ComboBoxFinde->Text(), "Legs");
}

TEST_F(SourceExplorerTest, TheMemberBoxFollowsANewParseOfTheUnit) {
  StartOnProject();
  TComboBox* Classes = Explorer()->ComboBoxClass;
  Classes->Select(Classes->Items()->IndexOf("TDog"));
  // A command parses Zoo.pas again: the unit's old model goes.
  IDE().EditText(ZooFile, static_cast<int>(navtest::ZooUnit.find("    procedure Eat;")), 0,
                 "    Tail: Integer;\n");
  Session->SetCursor(ZooFile, 1, 1);
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Classes->Text(), "TDog");
  EXPECT_THAT(Items(Explorer()->ComboBoxFinde), ElementsAre("Eat", "Move", "Speak", "Tail"));
  Explorer()->ComboBoxFinde->Select(0);
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "begin", LineOf(navtest::ZooUnit, "procedure TDog.Eat")) + 1));
}

// ----------------------------------------------------------------- search

TEST_F(SourceExplorerTest, DottedSearchesWalkThroughClassesAndTheirAncestors) {
  StartOnProject();
  Search("TDog.Speak");
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "begin", LineOf(navtest::ZooUnit, "procedure TDog.Speak"))));
  // Declared only by an ancestor: TMammal, then TAnimal two units away.
  Search("TDog.Legs");
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "Legs")));
  Search("tdog.name");
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "Name: string")));
  // A method without a body: its declaration.
  Search("TAnimal.Eat");
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "procedure Eat")));
  // A search that finds nothing moves nothing; the history keeps every text.
  const std::string Before = Where();
  Search("TNothing.Speak");
  EXPECT_EQ(Where(), Before);
  EXPECT_THAT(Items(Explorer()->ComboBoxSuchen),
              ElementsAre("TAnimal.Eat", "TDog.Legs", "tdog.name", "TDog.Speak", "TNothing.Speak"));
}

TEST_F(SourceExplorerTest, FindExpressionSearchesTheWholeProject) {
  StartOnProject();
  TPascalProject* P = Expert()->Project;
  EXPECT_EQ(FindExpression(P, "TMammal"), P->FindSymbol("TMammal", typClass));
  TOrvikSymbol* Move = FindExpression(P, "TDog.Move");
  ASSERT_NE(Move, nullptr);
  EXPECT_EQ(Move->Parent->name, "TDog");
  EXPECT_EQ(FindExpression(P, "TDog.Eat")->Parent->name, "TDog");
  EXPECT_EQ(FindExpression(P, "TFood.Kind")->name, "Kind");
  EXPECT_EQ(FindExpression(P, ""), nullptr);
  EXPECT_EQ(FindExpression(P, "Nothing.Kind"), nullptr);
  // A member no class of the hierarchy has: not the top class.
  EXPECT_EQ(FindExpression(P, "TDog.Nothing"), nullptr);
}

TEST_F(SourceExplorerTest, FindExpressionAsksTheAncestorsOfAClassWithoutMembers) {
  const std::string Loops = Dir.Write("Loops.pas",
                                      "unit Loops;\n"
                                      "interface\n"
                                      "type\n"
                                      "  TBase = class\n"
                                      "    Size: Integer;\n"
                                      "  end;\n"
                                      "  TEmpty = class(TBase)\n"
                                      "  end;\n"
                                      "  TLoopA = class(TLoopB)\n"
                                      "  end;\n"
                                      "  TLoopB = class(TLoopA)\n"
                                      "    Field: Integer;\n"
                                      "  end;\n"
                                      "implementation\n"
                                      "end.\n");
  TPascalProject P;
  P.Compile(Loops, {oCompileImplementation});
  TOrvikSymbol* Size = FindExpression(&P, "TEmpty.Size");
  ASSERT_NE(Size, nullptr);
  EXPECT_EQ(Size->Parent->name, "TBase");
  EXPECT_EQ(FindExpression(&P, "TLoopA.Field")->Parent->name, "TLoopB");
  // Classes that derive from each other end the search too.
  EXPECT_EQ(FindExpression(&P, "TLoopA.Missing"), nullptr);
}

TEST_F(SourceExplorerTest, ANameWithoutAPointGoesThroughTheAmbiguityDialog) {
  StartOnProject();
  // One symbol: taken at once.
  Search("TMammal");
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "TMammal = class")));
  EXPECT_EQ(ModalShown, 0);
  EXPECT_EQ(Expert()->CompileProject, nullptr);
  // Several: the user's choice.
  Modal = [](TCustomForm& Form) {
    auto* List = dynamic_cast<TListBox*>(Form.FindComponent("ListBox1"));
    List->Select(List->Items()->IndexOf("TAnimal.Speak"));
    List->DblClick();
    return int(mrOk);
  };
  Search("Speak");
  EXPECT_EQ(ModalShown, 1);
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "begin")));
  // The editor gets the keyboard focus back.
  EXPECT_EQ(Screen->ActiveControl(), IDE().EditWindow(BaseFile)->Editor);
}

TEST_F(SourceExplorerTest, DigitsAndEnterGoToThatLine) {
  StartOnProject();
  Session->SetCursor(ZooFile, 1, 1);
  Search("12");
  EXPECT_EQ(Where(), "Zoo.pas:12");
  EXPECT_EQ(Session->TopLine(ZooFile).Line, 7);
  EXPECT_EQ(Expert()->Source, nullptr);
  // A number too large for a line is ignored; other keys do nothing.
  Search("99999999999999");
  EXPECT_EQ(Where(), "Zoo.pas:12");
  Explorer()->ComboBoxSuchen->TypeText("30");
  uint16_t Key = VK_TAB;
  Explorer()->ComboBoxSuchen->KeyDown(Key, 0);
  EXPECT_EQ(Where(), "Zoo.pas:12");
}

// --------------------------------------------------------------- compile

TEST_F(SourceExplorerTest, CompilingWithoutAProjectParsesTheEditorAndKeepsQuickRecompile) {
  Session->OpenFile(ZooFile);
  Session->RegisterExpert();
  gQuickRecompile = true;
  Explorer()->SpeedButtonCompileClick(nullptr);
  EXPECT_TRUE(gQuickRecompile);
  // The unit and the units it uses (found beside it through the search path).
  TSaveStringList* Units = Expert()->Project->FUnitLIst;
  EXPECT_GE(Units->IndexOf("zoo"), 0);
  EXPECT_GE(Units->IndexOf("mid"), 0);
  EXPECT_GE(Units->IndexOf("base"), 0);
  EXPECT_THAT(Items(Explorer()->ComboBoxClass), ElementsAre("TAnimal", "TDog", "TFood", "TMammal"));
  EXPECT_EQ(Expert()->CompileProject, nullptr);
  gQuickRecompile = false;
  Explorer()->SpeedButtonCompileClick(nullptr);
  EXPECT_FALSE(gQuickRecompile);
}

// ---------------------------------------------------------------- history

TEST_F(SourceExplorerTest, TheHistoryButtonsFollowTheBookmarkStack) {
  StartOnProject();
  TBookmarkStack* Stack = Expert()->BookmarkStack;
  Explorer()->UpdateButtons();
  EXPECT_FALSE(Explorer()->ButtonPrev->Enabled);
  EXPECT_FALSE(Explorer()->ButtonNext->Enabled);
  Session->SetCursor(ZooFile, 3, 1);
  Explorer()->SpeedButtonBookmark->Click();
  Session->SetCursor(ZooFile, 8, 1);
  Explorer()->SpeedButtonBookmark->Click();
  ASSERT_EQ(Stack->Count(), 2);
  Explorer()->UpdateButtons();
  EXPECT_TRUE(Explorer()->ButtonPrev->Enabled);
  auto Entry = [&](int I) { return "Zoo.pas:" + IntToStr(Stack->Items(I)->Line); };
  // Forward beyond the last entry stays on the last one.
  Stack->Top = 1;
  Explorer()->ButtonNext->Click();
  EXPECT_FALSE(Explorer()->ButtonNext->Enabled);
  EXPECT_EQ(Stack->Top, 1);
  EXPECT_EQ(Where(), Entry(1));
  Stack->Top = -1;
  Explorer()->ButtonNext->Enabled = true;
  Explorer()->ButtonNext->Click();
  EXPECT_EQ(Stack->Top, 0);
  EXPECT_EQ(Where(), Entry(0));
  EXPECT_TRUE(Explorer()->ButtonPrev->Enabled);
}

// ---------------------------------------------------------------- pop-ups

TEST_F(SourceExplorerTest, TheFindMenuGoesToTheSectionsOfTheUnit) {
  StartOnProject();
  Session->SetCursor(ZooFile, 20, 1);
  const int Pushed = Expert()->BookmarkStack->Count();
  // Uses 1: just before the ";" of the interface's uses clause.
  Explorer()->Uses11->Click();
  const int UsesLine = LineOf(navtest::ZooUnit, "uses Base, Mid;");
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(UsesLine));
  EXPECT_EQ(Session->Cursor(ZooFile).Col, ColOf(navtest::ZooUnit, UsesLine, ";"));
  EXPECT_EQ(Expert()->BookmarkStack->Count(), Pushed + 1);
  Explorer()->Uses21->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "uses SysUtils;")));
  Explorer()->Implementation2->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "implementation")));
  Explorer()->Implementation1->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "interface")));
  Explorer()->UnitHeader1->Click();
  EXPECT_EQ(Where(), "Zoo.pas:1");
  // Mid has one uses clause and no initialization: nothing moves.
  Session->OpenFile(MidFile);
  Session->SetCursor(MidFile, 6, 1);
  const int Before = Expert()->BookmarkStack->Count();
  Explorer()->Uses21->Click();
  Explorer()->initialization1->Click();
  Explorer()->finalization1->Click();
  EXPECT_EQ(Where(), "Mid.pas:6");
  EXPECT_EQ(Expert()->BookmarkStack->Count(), Before);
  EXPECT_EQ(Expert()->Source, nullptr);
}

TEST_F(SourceExplorerTest, JumpToPrototypeAndDisplayClass) {
  StartOnProject();
  TComboBox* Classes = Explorer()->ComboBoxClass;
  Classes->Select(Classes->Items()->IndexOf("TDog"));
  Explorer()->DisplayClass1->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "TDog = class")));
  Explorer()->ComboBoxFinde->SetItemIndex(Explorer()->ComboBoxFinde->Items()->IndexOf("Speak"));
  Explorer()->JumptoPrototype1->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "procedure Speak; override")));
  // Without a selected member nothing moves.
  Explorer()->ComboBoxFinde->SetItemIndex(-1);
  Explorer()->JumptoPrototype1->Click();
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "procedure Speak; override")));
  // The command of a later feature says so; "New Symbol" opens the class expert.
  Explorer()->NewClass1->Click();
  EXPECT_EQ(Boxes.size(), 1u);
  const int Shown = ModalShown;
  Explorer()->NewVariable1->Click();
  EXPECT_EQ(ModalShown, Shown + 1);
  EXPECT_EQ(Boxes.size(), 1u);
}

}  // namespace
