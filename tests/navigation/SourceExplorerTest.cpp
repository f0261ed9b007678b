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

// Two units in the manner of a drawing program: a form whose fields and
// properties have the list's type, the list derived from a class the
// project does not hold.
class DottedSearchTest : public SourceExplorerTest {
 protected:
  void SetUp() override {
    SourceExplorerTest::SetUp();
    ShapesFile = Dir.Write("Shapes.pas", ShapesUnit);
    FormFile = Dir.Write("MainForm.pas", FormUnit);
    Project.Compile(FormFile, {oCompileUnits, oCompileImplementation});
  }
  // "Owner.Name" of a found symbol, or "not found".
  std::string Find(const std::string& Expression) {
    TOrvikSymbol* Sym = FindExpression(&Project, Expression);
    if (!Sym) return "not found";
    return (Sym->Parent && Sym->Parent->Typ != typUnit ? Sym->Parent->name + "." : "") + Sym->name;
  }

  const std::string ShapesUnit =
      "unit Shapes;\n"
      "interface\n"
      "uses Classes;\n"
      "type\n"
      "  TShape = class(TPersistent)\n"
      "  public\n"
      "    Color: Integer;\n"
      "    procedure Draw;\n"
      "  end;\n"
      "  TShapeList = class(TList)\n"
      "  private\n"
      "    function GetShape(Index: Integer): TShape;\n"
      "  public\n"
      "    function AddShape(Shape: TShape): Integer;\n"
      "    function ShapeAt(X, Y: Integer): TShape;\n"
      "    property Shapes[Index: Integer]: TShape read GetShape; default;\n"
      "  end;\n"
      "  TCountedList = class(TShapeList)\n"
      "  end;\n"
      "  TShapeData = record\n"
      "    Left, Top: Integer;\n"
      "  end;\n"
      "  PShapeData = ^TShapeData;\n"
      "  TShapeAlias = TShape;\n"
      "implementation\n"
      "end.\n";
  const std::string FormUnit =
      "unit MainForm;\n"
      "interface\n"
      "uses Shapes;\n"
      "type\n"
      "  TFormMain = class(TForm)\n"
      "  private\n"
      "    FShapes: TCountedList;\n"
      "    FOrigin: TPoint;\n"
      "    FData: PShapeData;\n"
      "    FFirst: TShapeAlias;\n"
      "    FGrid: array[0..3] of TShape;\n"
      "  public\n"
      "    property Shapes: TShapeList read FShapes;\n"
      "  end;\n"
      "implementation\n"
      "end.\n";
  std::string ShapesFile, FormFile;
  TPascalProject Project;
};

TEST_F(DottedSearchTest, EachPartIsLookedUpInTheTypeOfThePartBefore) {
  // A field, then a method of its type's class (TCountedList has none of
  // its own, its ancestor TShapeList has).
  EXPECT_EQ(Find("TFormMain.FShapes.AddShape"), "TShapeList.AddShape");
  EXPECT_EQ(Find("tformmain.fshapes.addshape"), "TShapeList.AddShape");
  // A property, a function's result, a field of that.
  EXPECT_EQ(Find("TFormMain.Shapes.ShapeAt.Color"), "TShape.Color");
  EXPECT_EQ(Find("TFormMain.Shapes.Shapes.Draw"), "TShape.Draw");
  // A pointer type and an alias lead to the type they name.
  EXPECT_EQ(Find("TFormMain.FData.Top"), "TShapeData.Top");
  EXPECT_EQ(Find("TFormMain.FFirst.Draw"), "TShape.Draw");
  // The last part may be a field with a type of its own.
  EXPECT_EQ(Find("TFormMain.FShapes"), "TFormMain.FShapes");
  EXPECT_EQ(Find("TFormMain.FShapes."), "TFormMain.FShapes");
}

TEST_F(DottedSearchTest, APartThatCannotBeResolvedFindsNothing) {
  // Count is TList's, a class outside the project: not the form's class.
  EXPECT_EQ(Find("TFormMain.FShapes.Count"), "not found");
  EXPECT_EQ(Find("TFormMain.FShapes.Nothing"), "not found");
  EXPECT_EQ(Find("TFormMain.FOrigin.X"), "not found");
  EXPECT_EQ(Find("TFormMain.FGrid.Draw"), "not found");
  EXPECT_EQ(Find("TFormMain.Nothing.Draw"), "not found");
  EXPECT_EQ(Find("TFormMain..FShapes"), "not found");
  // A method without a result type has no members.
  EXPECT_EQ(Find("TShape.Draw.Color"), "not found");
}

TEST_F(DottedSearchTest, AUnitNameQualifiesTheNameAfterIt) {
  // "Shapes" is also a property of the form and of the list: their types
  // have no member TShape, the unit Shapes has.
  EXPECT_EQ(Find("Shapes.TShape"), "TShape");
  EXPECT_EQ(FindExpression(&Project, "Shapes.TShape"), Project.FindSymbol("TShape", typClass));
  EXPECT_EQ(Find("MainForm.TFormMain.FShapes.ShapeAt"), "TShapeList.ShapeAt");
  EXPECT_EQ(Find("Shapes.TNothing"), "not found");
}

TEST_F(DottedSearchTest, TheSearchBoxGoesWhereTheExpressionLeads) {
  Session->OpenFile(FormFile);
  Session->RegisterExpert();
  Session->SetCursor(FormFile, 1, 1);
  FormSourceExplorer()->SpeedButtonCompileClick(nullptr);
  Search("TFormMain.FShapes.ShapeAt");
  EXPECT_EQ(Where(), "Shapes.pas:" + IntToStr(LineOf(ShapesUnit, "function ShapeAt")));
  // Nothing found: the editor stays where it is.
  Search("TFormMain.FShapes.Count");
  EXPECT_EQ(Where(), "Shapes.pas:" + IntToStr(LineOf(ShapesUnit, "function ShapeAt")));
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

TEST_F(SourceExplorerTest, TheBackButtonWalksTheHistoryBackToItsOldestEntry) {
  StartOnProject();
  TBookmarkStack* Stack = Expert()->BookmarkStack;
  for (int Line : {3, 8, 14}) {
    Session->SetCursor(ZooFile, Line, 1);
    Explorer()->SpeedButtonBookmark->Click();
  }
  // Each bookmark goes in before the entry Top points at: 8, 14, 3.
  ASSERT_EQ(Stack->Count(), 3);
  ASSERT_EQ(Stack->Top, 2);
  Session->SetCursor(ZooFile, 20, 1);
  Explorer()->ButtonPrev->Click();
  EXPECT_EQ(Stack->Top, 1);
  EXPECT_EQ(Where(), "Zoo.pas:14");
  EXPECT_TRUE(Explorer()->ButtonPrev->Enabled);
  EXPECT_TRUE(Explorer()->ButtonNext->Enabled);
  Explorer()->ButtonPrev->Click();
  EXPECT_EQ(Stack->Top, 0);
  EXPECT_EQ(Where(), "Zoo.pas:8");
  // At the oldest entry it stays there.
  Session->SetCursor(ZooFile, 20, 1);
  Explorer()->ButtonPrev->Click();
  EXPECT_EQ(Stack->Top, 0);
  EXPECT_EQ(Where(), "Zoo.pas:8");
  // The copy on the editor window does the same.
  TComponent* Panel = IDE().EditWindow(ZooFile)->FindComponent("VelmoricPanel1");
  ASSERT_NE(Panel, nullptr);
  auto* Copy = dynamic_cast<TSpeedButton*>(Panel->FindComponent("ButtonPrev"));
  ASSERT_NE(Copy, nullptr);
  Session->SetCursor(ZooFile, 20, 1);
  Copy->Click();
  EXPECT_EQ(Where(), "Zoo.pas:8");
  // With an empty history it does nothing and both buttons are off.
  Stack->Clear();
  Session->SetCursor(ZooFile, 20, 1);
  Explorer()->ButtonPrev->Click();
  EXPECT_EQ(Where(), "Zoo.pas:20");
  EXPECT_FALSE(Explorer()->ButtonPrev->Enabled);
  EXPECT_FALSE(Explorer()->ButtonNext->Enabled);
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
  // "New Class..." opens the new class dialog, "New Symbol" the class expert.
  const size_t BoxesBefore = Boxes.size();
  const int Shown = ModalShown;
  Explorer()->NewClass1->Click();
  EXPECT_EQ(ModalShown, Shown + 1);
  Explorer()->NewVariable1->Click();
  EXPECT_EQ(ModalShown, Shown + 2);
  EXPECT_EQ(Boxes.size(), BoxesBefore);
}

}  // namespace
