// The uses manager through the expert's command: the unit of the symbol
// under the cursor added, the list commands, "Sort", dragging, "Ok"
// rewriting both clauses in the editor buffer (one undo step) and Cancel
// leaving it alone.
#include <gtest/gtest.h>

#include <functional>

#include "../expert/ExpertTestSupport.h"
#include "project/VelmoricPascalProject.h"
#include "wizards/VelmoricUsesManagerAdd.h"
#include "wizards/VelmoricUsesManger.h"

namespace {

const std::string ThingUnit =
    "unit Things;\n"
    "interface\n"
    "type\n"
    "  TThing = class\n"
    "  end;\n"
    "implementation\n"
    "end.\n";

const std::string UserUnit =
    "unit User;\n"             // 1
    "\n"                       // 2
    "interface\n"              // 3
    "\n"                       // 4
    "uses SysUtils, Classes;\n"  // 5
    "\n"                       // 6
    "var\n"                    // 7
    "  Thing: TThing;\n"       // 8
    "\n"                       // 9
    "implementation\n"         // 10
    "\n"                       // 11
    "uses Dialogs;\n"          // 12
    "\n"                       // 13
    "end.\n";                  // 14

std::string Items(TListBox* L) {
  std::string S;
  for (int I = 0; I < L->Items()->Count(); ++I) S += (I ? "," : "") + L->Items()->Get(I);
  return S;
}

class UsesManagerFormTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    Dir.Write("Things.pas", ThingUnit);
    File = Open("User.pas", UserUnit);
    AdditionalSearchPath = Dir.Path;
    Session->RegisterExpert();
    // Things is parsed already: the memory project knows TThing.
    {
      TPascalProject Compile;
      Compile.FMemoryProject = Expert()->Project;
      Compile.Compile(Dir.File("Things.pas"), {oCompileUnits, oCompileImplementation});
    }
    VclHost().ShowModal = [this](TCustomForm& Form) {
      if (auto* Add = dynamic_cast<TFormAddUses*>(&Form)) {
        Add->Edit1->SetText(AddName);
        (AddName.empty() ? Add->Button1 : Add->Button2)->Click();
        return int(mrNone);
      }
      auto* Manager = dynamic_cast<TFormVelmoricUsesManager*>(&Form);
      if (!Manager) return int(mrCancel);
      if (Work) Work(*Manager);
      return int(mrCancel);
    };
  }

  // Runs the command with the cursor at Line, Col; Answer works the form.
  void Run(int Line, int Col, std::function<void(TFormVelmoricUsesManager&)> Answer) {
    Work = std::move(Answer);
    Session->SetCursor(File, Line, Col);
    ASSERT_TRUE(IDE().ClickMenuItem("Velmoric4"));
  }
  std::string Text() { return IDE().Buffer(File).Text(); }

  std::string File;
  std::string AddName;
  std::function<void(TFormVelmoricUsesManager&)> Work;
};

TEST_F(UsesManagerFormTest, TheSymbolsUnitIsAddedAndSelectedAndOkWritesBothClauses) {
  bool Shown = false;
  Run(8, 12, [&](TFormVelmoricUsesManager& F) {
    Shown = true;
    EXPECT_EQ(F.Caption, "Unit manager");
    EXPECT_EQ(Items(F.ListBoxInterface), "SysUtils,Classes,Things");
    EXPECT_EQ(F.ListBoxInterface->ItemIndex(), 2);
    EXPECT_EQ(Items(F.ListBoxImplementation), "Dialogs");
    EXPECT_EQ(F.StatusBar1->Panels(0).Text, "Addes uses for symbol TThing");
    F.Button2->Click();
  });
  ASSERT_TRUE(Shown);
  EXPECT_EQ(Text(),
            "unit User;\n\ninterface\nuses  SysUtils, Classes, Things;\n\n\nvar\n"
            "  Thing: TThing;\n\nimplementation\nuses  Dialogs;\n\n\nend.\n");
  // One undo step brings the old text back.
  EXPECT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Text(), UserUnit);
}

TEST_F(UsesManagerFormTest, CancelLeavesTheBufferUntouched) {
  Run(8, 12, [&](TFormVelmoricUsesManager& F) {
    F.SpeedButton5->Click();  // deletes Things
    F.Button1->Click();
  });
  EXPECT_EQ(Text(), UserUnit);
  EXPECT_FALSE(IDE().Undo(File));
}

TEST_F(UsesManagerFormTest, AUnitAlreadyNamedOrTheUnitItselfIsNotAdded) {
  // The variable Thing is declared in User itself.
  Run(8, 4, [&](TFormVelmoricUsesManager& F) {
    EXPECT_EQ(F.UnitName, "User");
    EXPECT_EQ(Items(F.ListBoxInterface), "SysUtils,Classes");
    EXPECT_EQ(F.StatusBar1->Panels(0).Text, "");
  });
  // Things named in the implementation clause is selected there, not added.
  IDE().EditText(File, static_cast<int>(UserUnit.find("uses Dialogs")) + 5, 7, "things");
  Run(8, 12, [&](TFormVelmoricUsesManager& F) {
    EXPECT_EQ(Items(F.ListBoxInterface), "SysUtils,Classes");
    EXPECT_EQ(Items(F.ListBoxImplementation), "things");
    EXPECT_EQ(F.ListBoxImplementation->ItemIndex(), 0);
    EXPECT_EQ(F.ListBoxInterface->ItemIndex(), -1);
  });
}

TEST_F(UsesManagerFormTest, ListCommandsMoveAndSort) {
  Run(1, 1, [&](TFormVelmoricUsesManager& F) {
    TListBox* Intf = F.ListBoxInterface;
    TListBox* Impl = F.ListBoxImplementation;
    // Nothing selected: the commands do nothing.
    F.SpeedButton2->Click();
    F.SpeedButton6->Click();
    EXPECT_EQ(Items(Intf), "SysUtils,Classes");
    // Moving the first up and the last down changes nothing.
    Intf->Select(0);
    F.SpeedButton8->Click();
    EXPECT_EQ(Items(Intf), "SysUtils,Classes");
    F.SpeedButton6->Click();
    EXPECT_EQ(Items(Intf), "Classes,SysUtils");
    EXPECT_EQ(Intf->ItemIndex(), 1);
    F.SpeedButton6->Click();
    EXPECT_EQ(Items(Intf), "Classes,SysUtils");
    // Across: the unit goes to the end of the other list, the index stays.
    Intf->Select(0);
    F.SpeedButton2->Click();
    EXPECT_EQ(Items(Intf), "SysUtils");
    EXPECT_EQ(Items(Impl), "Dialogs,Classes");
    EXPECT_EQ(Intf->ItemIndex(), 0);
    Impl->Select(0);
    F.SpeedButton1->Click();
    EXPECT_EQ(Items(Intf), "SysUtils,Dialogs");
    // "+" asks for a name.
    AddName = "Windows";
    F.SpeedButton7->Click();
    EXPECT_EQ(Items(Intf), "SysUtils,Dialogs,Windows");
    AddName = "";  // cancelled
    F.SpeedButton10->Click();
    EXPECT_EQ(Items(Impl), "Classes");
    // Sort sorts both; later units go to their sorted place.
    F.Button3->Click();
    EXPECT_TRUE(F.ListsSorted());
    EXPECT_EQ(Items(Intf), "Dialogs,SysUtils,Windows");
    AddName = "Forms";
    F.SpeedButton7->Click();
    EXPECT_EQ(Items(Intf), "Dialogs,Forms,SysUtils,Windows");
    Intf->Select(1);
    F.SpeedButton2->Click();
    AddName = "Buttons";
    F.SpeedButton10->Click();
    EXPECT_EQ(Items(Impl), "Buttons,Classes,Forms");
    // "X" deletes the selected unit.
    Impl->Select(2);
    F.SpeedButton9->Click();
    EXPECT_EQ(Items(Impl), "Buttons,Classes");
    F.Button2->Click();
  });
  EXPECT_EQ(Text(),
            "unit User;\n\ninterface\nuses  Dialogs, SysUtils, Windows;\n\n\nvar\n"
            "  Thing: TThing;\n\nimplementation\nuses  Buttons, Classes;\n\n\nend.\n");
}

TEST_F(UsesManagerFormTest, DraggingAUnitToTheOtherListMovesIt) {
  Run(1, 1, [&](TFormVelmoricUsesManager& F) {
    bool Accept = false;
    F.ListBoxDragOver(F.ListBoxImplementation, F.ListBoxInterface, 0, 0, Accept);
    EXPECT_TRUE(Accept);
    F.ListBoxDragOver(F.ListBoxInterface, F.ListBoxInterface, 0, 0, Accept);
    EXPECT_FALSE(Accept);
    F.ListBoxInterface->Select(1);
    F.ListBoxDragDrop(F.ListBoxImplementation, F.ListBoxInterface, 0, 0);
    EXPECT_EQ(Items(F.ListBoxInterface), "SysUtils");
    EXPECT_EQ(Items(F.ListBoxImplementation), "Dialogs,Classes");
    // Dropped on its own list nothing moves.
    F.ListBoxImplementation->Select(0);
    F.ListBoxDragDrop(F.ListBoxImplementation, F.ListBoxImplementation, 0, 0);
    EXPECT_EQ(Items(F.ListBoxImplementation), "Dialogs,Classes");
  });
}

}  // namespace
