// The expert's navigation commands in a session of the in-process IDE:
// find position, GotoLine, GotoSymbol, FindSource, hyperjump, clear memory
// and the "Relevant files" menu.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "NavigationSessionTest.h"
#include "ide/VelmoricAbout.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricBookmarkStack.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricPascalProject.h"
#include "wizards/VelmoricNewProcedure.h"

using navtest::LineOf;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

class NavigationCommandsTest : public navtest::NavigationSessionTest {
 protected:
  // Runs find position from the menu, the caption's name part afterwards.
  std::string FindPositionAt(const std::string& Needle, const std::string& After = "") {
    CursorAt(ZooFile, navtest::ZooUnit, Needle, 0, After);
    IDE().EditWindow(ZooFile)->Caption = "unchanged";
    Expert()->MenuClickFindPosition(nullptr);
    const std::string Caption = CaptionOf(ZooFile);
    const size_t Dash = Caption.find(" - ");
    return Dash == std::string::npos ? Caption : Caption.substr(0, Dash);
  }
};

// ------------------------------------------------------------ find position

TEST_F(NavigationCommandsTest, FindPositionNamesTheProcedureUnderTheCursor) {
  StartOnProject();
  EXPECT_EQ(FindPositionAt("inherited Move"), "TDog.Move");
  EXPECT_EQ(CaptionOf(ZooFile), "TDog.Move - " + ZooFile);
  EXPECT_EQ(FindPositionAt("Dog.Legs"), "Feed");
  // In the class declaration the class itself is the procedure.
  EXPECT_EQ(FindPositionAt("procedure Speak; override"), "TDog");
  // Outside any procedure the caption stays.
  EXPECT_EQ(FindPositionAt("implementation"), "unchanged");
}

TEST_F(NavigationCommandsTest, FindPositionTakesTheLineOfTheCursorNotTheLineBelow) {
  StartOnProject();
  // The last line of a class, followed by a line outside any range.
  EXPECT_EQ(FindPositionAt("end;", "TDog = class"), "TDog");
  // The last line of a unit-level procedure, directly followed by another one.
  EXPECT_EQ(FindPositionAt("end;", "Dog.Name"), "Feed");
  // A method's range reaches to the next heading.
  EXPECT_EQ(FindPositionAt("end;", "procedure TDog.Speak"), "TDog.Speak");
  EXPECT_EQ(FindPositionAt("procedure TDog.Move"), "TDog.Speak");
}

TEST_F(NavigationCommandsTest, FindPositionSearchesOncePerLine) {
  StartOnProject();
  StartTraceLog();
  const std::string Search = "find position: ->GetProcedureFromCursor";
  EXPECT_EQ(FindPositionAt("Dog.Legs"), "Feed");
  EXPECT_EQ(FindPositionAt("Dog.Legs"), "unchanged");  // nothing moved: no search
  EXPECT_EQ(CountTrace("findpos", Search), 1);
  EXPECT_EQ(Expert()->LastFindLine, LineOf(navtest::ZooUnit, "Dog.Legs"));
  EXPECT_EQ(FindPositionAt("Dog.Name"), "Feed");
  EXPECT_EQ(CountTrace("findpos", Search), 2);
  // The timer's runs are silent but still search once per line.
  CursorAt(ZooFile, navtest::ZooUnit, "inherited Move");
  IDE().AdvanceTime(1000);
  EXPECT_EQ(CaptionOf(ZooFile), "TDog.Move - " + ZooFile);
  EXPECT_EQ(CountTrace("findpos", Search), 2);
  EXPECT_TRUE(bFindPosDebug);
}

TEST_F(NavigationCommandsTest, FindPositionOnlyLooksAtUnits) {
  StartOnProject();
  Session->OpenFile(ProgramFile);
  Session->SetCursor(ProgramFile, 3, 1);
  IDE().EditWindow(ProgramFile)->Caption = "unchanged";
  Expert()->MenuClickFindPosition(nullptr);
  EXPECT_EQ(CaptionOf(ProgramFile), "unchanged");
  EXPECT_EQ(Expert()->LastFindLine, 0);
  // A unit the memory project does not hold is not searched either.
  const std::string Other = Dir.Write("Other.pas", "unit Other;\ninterface\nimplementation\nend.\n");
  Session->OpenFile(Other);
  Expert()->MenuClickFindPosition(nullptr);
  EXPECT_EQ(Expert()->LastFindLine, 0);
}

TEST_F(NavigationCommandsTest, FindPositionMovesTheExplorersBoxes) {
  StartOnProject();
  TFFormSourceExplorer* Explorer = FFormSourceExplorer;
  ASSERT_NE(Explorer, nullptr);
  FindPositionAt("inherited Move");
  EXPECT_EQ(Explorer->ComboBoxClass->Text(), "TDog");
  EXPECT_EQ(Explorer->ComboBoxFinde->Text(), "Move");
  EXPECT_EQ(Explorer->ComboBoxFinde->Items()->Get(0), "Eat");  // the members of TDog
  // The copy on the editor window follows.
  auto* Copy = dynamic_cast<TComboBox*>(IDE().EditWindow(ZooFile)->FindComponent("ComboBoxFinde"));
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(Copy->Text(), "Move");
}

// ----------------------------------------------------------- jumps to lines

TEST_F(NavigationCommandsTest, GotoLineShowsTheLineSixthFromTheTopWhenThereIsRoom) {
  StartOnProject();
  Expert()->GotoLine(MidFile, 3, 1);
  EXPECT_EQ(IDE().GetCurrentFile(), MidFile);
  EXPECT_EQ(Session->Cursor(MidFile).Line, 3);
  EXPECT_EQ(Session->Cursor(MidFile).Col, 2);  // the column is one past Col
  EXPECT_EQ(Session->TopLine(MidFile).Line, 3);
  Expert()->GotoLine(MidFile, 20, 1);
  EXPECT_EQ(Session->TopLine(MidFile).Line, 15);
  // A bare unit name is found through the IDE project.
  Expert()->GotoLine("base", 6, 0);
  EXPECT_EQ(IDE().GetCurrentFile(), BaseFile);
  EXPECT_EQ(Session->TopLine(BaseFile).Line, 1);
}

TEST_F(NavigationCommandsTest, FindSourceLooksInTheIdeProject) {
  StartOnProject();
  std::string Name;
  Expert()->FindSource("Mid", Name);
  EXPECT_EQ(Name, MidFile);
  Expert()->FindSource("C:\\Other\\MID.PAS", Name);
  EXPECT_EQ(Name, MidFile);
  Expert()->FindSource("SysUtils", Name);
  EXPECT_EQ(Name, "SysUtils");
}

TEST_F(NavigationCommandsTest, GotoSymbolPushesThePositionAndFallsBackToTheDeclaration) {
  StartOnProject();
  TPascalProject* Memory = Expert()->Project;
  TOrvikSymbol* Animal = Memory->FindSymbol("TAnimal", typClass);
  ASSERT_NE(Animal, nullptr);
  Session->SetCursor(ZooFile, 4, 1);
  const int Pushed = Expert()->BookmarkStack->Count();

  // A method with a body: its body's line.
  Expert()->GotoSymbol(Animal->symbols->FindAnyFlatSymbol("Speak"));
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "begin")));
  EXPECT_EQ(Expert()->BookmarkStack->Count(), Pushed + 1);
  // An abstract method has only its declaration.
  Expert()->GotoSymbol(Animal->symbols->FindAnyFlatSymbol("Eat"));
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "procedure Eat")));

  // Without any line: a beep and nothing else.
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.TypeName = BaseFile;
  TOrvikSymbol Lost;
  Lost.Parent = &Root;
  const int Before = Expert()->BookmarkStack->Count();
  Expert()->GotoSymbol(&Lost);
  EXPECT_EQ(Beeps, 1);
  EXPECT_EQ(Expert()->BookmarkStack->Count(), Before);
  // A symbol outside any unit, or none, is ignored.
  Root.Typ = typClass;
  Expert()->GotoSymbol(&Lost);
  Expert()->GotoSymbol(nullptr);
  EXPECT_EQ(Beeps, 1);
}

// --------------------------------------------------------------- hyperjump

TEST_F(NavigationCommandsTest, HyperjumpFollowsMembersAcrossUnitsAndAncestors) {
  StartOnProject();
  // Legs is declared by TMammal in Mid, the parent of the parameter's type.
  CursorAt(ZooFile, navtest::ZooUnit, "Legs", 1);
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "Legs")));
  // Name is declared by TAnimal in Base, the grandparent.
  CursorAt(ZooFile, navtest::ZooUnit, "Name :=");
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "Name: string")));
  EXPECT_EQ(Expert()->CompileProject, nullptr);
  EXPECT_EQ(Expert()->Source, nullptr);
}

TEST_F(NavigationCommandsTest, InheritedJumpsToTheNearestAncestorsMethod) {
  StartOnProject();
  // TMammal has no Speak: the jump lands on the grandparent's body.
  CursorAt(ZooFile, navtest::ZooUnit, "inherited;", 2, "procedure TDog.Speak");
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "begin")));
  // TMammal declares Move: the parent's body.
  CursorAt(ZooFile, navtest::ZooUnit, "inherited Move", 1);
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "begin")));
  // The grandparent's Eat is abstract: its declaration line.
  CursorAt(ZooFile, navtest::ZooUnit, "inherited;", 0, "procedure TDog.Eat");
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(Where(), "Base.pas:" + IntToStr(LineOf(navtest::BaseUnit, "procedure Eat")));
  EXPECT_EQ(ModalShown, 0);
}

TEST_F(NavigationCommandsTest, AnAmbiguousWordLetsTheUserChoose) {
  StartOnProject();
  std::vector<std::string> Offered;
  Modal = [&](TCustomForm& Form) {
    auto& Dialog = dynamic_cast<TFormVelmoricAmbuingity&>(Form);
    for (int I = 0; I < Dialog.ListBox1->Items()->Count(); ++I)
      Offered.push_back(Dialog.ListBox1->Items()->Get(I));
    Dialog.ListBox1->Select(Dialog.ListBox1->Items()->IndexOf("TMammal.Move"));
    Dialog.ListBox1->DblClick();
    return int(mrOk);
  };
  // Inside a method of TDog, Move is the class's own.
  CursorAt(ZooFile, navtest::ZooUnit, "Move(Steps)", 0, "procedure TDog.Move");
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(ModalShown, 0);
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "begin", LineOf(navtest::ZooUnit, "procedure TDog.Move"))));
  // In a unit-level procedure three classes offer a Move.
  CursorAt(ZooFile, navtest::ZooUnit, "Move(1)");
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(ModalShown, 1);
  EXPECT_THAT(Offered, UnorderedElementsAre("TAnimal.Move", "TMammal.Move", "TDog.Move"));
  EXPECT_EQ(Where(), "Mid.pas:" + IntToStr(LineOf(navtest::MidUnit, "begin")));
  // A word that names nothing opens no dialog and moves nothing.
  Session->SetCursor(ZooFile, LineOf(navtest::ZooUnit, "uses SysUtils"), 2);
  Expert()->MenuClickHyperjump(nullptr);
  EXPECT_EQ(ModalShown, 1);
  EXPECT_EQ(Where(), "Zoo.pas:" + IntToStr(LineOf(navtest::ZooUnit, "uses SysUtils")));
}

TEST_F(NavigationCommandsTest, TheAmbiguityDialogShowsOnlyForSeveralSymbols) {
  StartOnProject();
  TFormVelmoricAmbuingity Dialog(nullptr);
  Dialog.Project = Expert()->Project;
  Dialog.Word = "legs";
  EXPECT_EQ(Dialog.ShowModal(), mrOk);
  ASSERT_NE(Dialog.Selected, nullptr);
  EXPECT_EQ(Dialog.Selected->Parent->name, "TMammal");
  Dialog.Word = "Nothing";
  Dialog.ShowModal();
  EXPECT_EQ(Dialog.Selected, nullptr);
  EXPECT_EQ(ModalShown, 0);
  // Several: Enter on no item chooses nothing; on an item chooses it.
  Modal = [&](TCustomForm&) {
    uint16_t Key = VK_RETURN;
    Dialog.ListBox1->KeyDown(Key, 0);
    EXPECT_EQ(Dialog.Selected, nullptr);
    Dialog.ListBox1->Select(1);
    Dialog.ListBox1->KeyDown(Key, 0);
    return int(mrCancel);
  };
  Dialog.Word = "Speak";
  EXPECT_EQ(Dialog.ShowModal(), mrOk);
  EXPECT_EQ(ModalShown, 1);
  ASSERT_NE(Dialog.Selected, nullptr);
  EXPECT_EQ(Dialog.Selected, Dialog.ListBox1->Items()->Objects(1));
}

TEST_F(NavigationCommandsTest, WithoutAnEditorTheCommandsDoNothing) {
  Session->RegisterExpert();
  ASSERT_EQ(IDE().GetCurrentFile(), "");
  Expert()->MenuClickHyperjump(nullptr);
  Expert()->MenuClickEditSymbol(nullptr);
  Expert()->MenuClickFindPosition(nullptr);
  EXPECT_EQ(ModalShown, 0);
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(Expert()->CompileProject, nullptr);
}

// ------------------------------------------------------------- new symbol

TEST_F(NavigationCommandsTest, NewSymbolReadsThePrototypeUnderTheCursor) {
  StartOnProject();
  auto MethodOfDog = [&](const std::string& Name) {
    TOrvikSymbol* Dog = Expert()->Project->FindSymbol("TDog", typClass);
    return Dog->symbols->FindAnyFlatSymbol(Name);
  };
  const std::string SpeakParams = MethodOfDog("Speak")->Params;
  // On a heading the parameters are read from the text into the method.
  CursorAt(ZooFile, navtest::ZooUnit, "procedure TDog.Move");
  IDE().EditText(ZooFile, static_cast<int>(navtest::ZooUnit.find("Move(Steps: Integer);\nbegin")) + 5,
                 5, "Count");
  std::string Caption, Parameter;
  Modal = [&](TCustomForm& Form) {
    Caption = Form.Caption;
    Parameter = static_cast<TFormVelmoricNewProcedure&>(Form).EditParameter->Text();
    return int(mrCancel);
  };
  Expert()->MenuClickEditSymbol(nullptr);
  EXPECT_EQ(MethodOfDog("Move")->Params, "Count : Integer");
  // The heading line also lies in the range of TDog.Speak, which stays as it was.
  EXPECT_EQ(MethodOfDog("Speak")->Params, SpeakParams);
  // The class expert opens to change the method.
  EXPECT_EQ(ModalShown, 1);
  EXPECT_EQ(Caption, "Change symbol");
  EXPECT_EQ(Parameter, "Count : Integer");
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(Expert()->CompileProject, nullptr);
  EXPECT_EQ(Expert()->Source, nullptr);
}

// ---------------------------------------------------------- clear memory

TEST_F(NavigationCommandsTest, ClearMemoryLetsGoOfEveryUnitAndEmptiesTheExplorer) {
  StartOnProject();
  StartTraceLog();
  TFFormSourceExplorer* Explorer = FFormSourceExplorer;
  ASSERT_GT(Explorer->ComboBoxClass->Items()->Count(), 0);
  const int Units = Expert()->Project->FUnitLIst->Count();
  Expert()->MenuClickClearMemory(nullptr);
  EXPECT_EQ(Expert()->Project->FUnitLIst->Count(), 0);
  EXPECT_EQ(Explorer->ComboBoxClass->Items()->Count(), 0);
  EXPECT_EQ(Explorer->ComboBoxFinde->Items()->Count(), 0);
  EXPECT_EQ(CountTrace("stdOut", ZooFile + " entfernt"), 1);
  int Removed = 0;
  for (const std::string& L : TraceLines("stdOut")) Removed += L.find(" entfernt") != std::string::npos;
  EXPECT_EQ(Removed, Units);
  // Find position finds nothing now, and a new compile brings the units back.
  EXPECT_EQ(FindPositionAt("Dog.Legs"), "unchanged");
  Explorer->SpeedButtonCompileClick(nullptr);
  EXPECT_EQ(Expert()->Project->FUnitLIst->Count(), Units);
}

// --------------------------------------------------------- relevant files

class RelevantFilesTest : public navtest::NavigationSessionTest {
 protected:
  // The captions below the item of that name, in menu order.
  std::vector<std::string> Captions(const std::string& Name) {
    std::vector<std::string> Result;
    TIMainMenuIntf* Menu = ToolServices->GetMainMenu();
    TIMenuItemIntf* Item = Menu->FindMenuItem(Name);
    Menu->Release();
    if (!Item) return Result;
    for (int I = 0; I < Item->GetItemCount(); ++I) {
      TIMenuItemIntf* Child = Item->GetItem(I);
      Result.push_back(Child->GetCaption());
      Child->Release();
    }
    Item->Release();
    return Result;
  }
  void Remember(const std::string& Name) {
    std::string N = Name;
    fileRepository->Add(N);
  }
};

TEST_F(RelevantFilesTest, DirectoriesAfterTheFirstComeInReverseAndFilesAfterTheFirstInOrder) {
  for (const char* F : {"/r/a/x.pas", "/r/a/y.pas", "/r/a/z.pas", "/r/b/u.pas", "/r/c/v.pas"})
    Remember(F);
  Session->RegisterExpert();
  EXPECT_THAT(Captions("VelmoricQuickOpen"), ElementsAre("/r/a/", "/r/c/", "/r/b/"));
  EXPECT_THAT(Captions("VelmoricPath0"), ElementsAre("y.pas", "z.pas", "x.pas"));
  EXPECT_THAT(Captions("VelmoricPath1"), ElementsAre("u.pas"));
  EXPECT_THAT(Captions("VelmoricPath2"), ElementsAre("v.pas"));
  // Files are named by their place in the sorted list.
  TIMainMenuIntf* Menu = ToolServices->GetMainMenu();
  TIMenuItemIntf* V = Menu->FindMenuItem("VelmoricFile4");
  ASSERT_NE(V, nullptr);
  EXPECT_EQ(V->GetCaption(), "v.pas");
  V->Release();
  Menu->Release();
  // Building again replaces the items.
  Expert()->UpdateQuickOpen();
  EXPECT_THAT(Captions("VelmoricQuickOpen"), ElementsAre("/r/a/", "/r/c/", "/r/b/"));
  EXPECT_EQ(Expert()->QuickOpenItems->Count(), 8);
}

TEST_F(RelevantFilesTest, ChoosingAFileOpensItAtTheTop) {
  Remember(ZooFile);
  Remember(MidFile);
  Session->RegisterExpert();
  // Sorted: Mid.pas is entry 0, Zoo.pas entry 1.
  ASSERT_TRUE(IDE().ClickMenuItem("VelmoricFile1"));
  EXPECT_EQ(IDE().GetCurrentFile(), ZooFile);
  EXPECT_EQ(Session->Cursor(ZooFile).Line, 1);
  // An item whose name is no longer than "VelmoricFile" is ignored.
  TIMainMenuIntf* Menu = ToolServices->GetMainMenu();
  TIMenuItemIntf* Search = Menu->FindMenuItem("SearchMenu");
  Menu->Release();
  ASSERT_NE(Search, nullptr);
  Expert()->MenuClickQuickOpen(Search);
  Search->Release();
  EXPECT_EQ(IDE().GetCurrentFile(), ZooFile);
  EXPECT_FALSE(IDE().IsFileOpen(MidFile));
}

// ------------------------------------------------------------ the about box

TEST_F(NavigationCommandsTest, TheAboutBoxIsShownModallyAndFreed) {
  Session->RegisterExpert();
  std::string Caption;
  Modal = [&](TCustomForm& Form) {
    Caption = Form.Caption;
    EXPECT_EQ(FFormVelmoricAbout, &Form);
    return int(mrOk);
  };
  ASSERT_TRUE(IDE().ClickMenuItem("Velmoric24"));
  EXPECT_EQ(Caption, "About Velmoric");
  EXPECT_EQ(FFormVelmoricAbout, nullptr);
}

}  // namespace
