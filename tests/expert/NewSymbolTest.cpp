// "New symbol..." opens the class expert on the unit of the active editor:
// change mode on the symbol under the cursor or on a procedure heading
// ("Create prototype"), new mode elsewhere; what it creates goes into the
// editor's buffer as one undo step.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ExpertTestSupport.h"
#include "browsers/VelmoricSourceExplorer.h"
#include "platform/vcl/Menus.h"
#include "wizards/VelmoricNewProcedure.h"

namespace {

const std::string FormUnit =
    "unit Unit1;\n"                                      // 1
    "\n"                                                 // 2
    "interface\n"                                        // 3
    "\n"                                                 // 4
    "type\n"                                             // 5
    "  TForm1 = class\n"                                 // 6
    "  public\n"                                         // 7
    "    procedure Button1Click(Sender: TObject);\n"     // 8
    "  end;\n"                                           // 9
    "\n"                                                 // 10
    "implementation\n"                                   // 11
    "\n"                                                 // 12
    "procedure TForm1.Button1Click(Sender: TObject);\n"  // 13
    "begin\n"                                            // 14
    "\n"                                                 // 15
    "end;\n"                                             // 16
    "\n"                                                 // 17
    "procedure TForm1.Extra(N: Integer);\n"              // 18
    "begin\n"                                            // 19
    "end;\n"                                             // 20
    "\n"                                                 // 21
    "end.\n";                                            // 22

class NewSymbolTest : public ExpertTest {
 protected:
  void Start() {
    File = Open("Unit1.pas", FormUnit);
    Session->RegisterExpert();
    Before = IDE().Buffer(File).Text();
  }
  // Runs "New symbol..." with the cursor at Line, Col; Work fills the dialog.
  void NewSymbolAt(int Line, int Col, const std::function<void(TFormVelmoricNewProcedure&)>& Work) {
    Session->SetCursor(File, Line, Col);
    VclHost().ShowModal = [&](TCustomForm& Form) {
      ++Shown;
      auto& F = static_cast<TFormVelmoricNewProcedure&>(Form);
      Caption = F.Caption;
      Work(F);
      return F.ModalResult;
    };
    ASSERT_TRUE(IDE().ClickMenuItem("Velmoric7"));
  }
  std::string Text() { return IDE().Buffer(File).Text(); }

  std::string File, Before, Caption;
  int Shown = 0;
};

TEST_F(NewSymbolTest, OnAnImplementationWithoutPrototypeCreatesThePrototype) {
  Start();
  NewSymbolAt(18, 3, [](TFormVelmoricNewProcedure& F) {
    EXPECT_EQ(F.EditParameter->Text(), "N : Integer");
    EXPECT_EQ(F.PageControl1->ActivePage(), F.TabSheetNewProcedure);
    EXPECT_EQ(F.ButtonCreate->Caption, "Change");
    F.ButtonCreate->Click();
  });
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Caption, "Change symbol");
  EXPECT_NE(Text().find("    procedure Button1Click(Sender: TObject);\n"
                        "    Procedure Extra(N : Integer);\n"
                        "  end;"),
            std::string::npos)
      << Text();
  // The implementation keeps its heading and gets the comment block.
  EXPECT_NE(Text().find("// procedure TForm1 Extra(N : Integer)\n"), std::string::npos) << Text();
  EXPECT_NE(Text().find("\nprocedure TForm1.Extra(N: Integer);\n"), std::string::npos);
  EXPECT_TRUE(BoxTexts().empty());
  ASSERT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Text(), Before);
}

TEST_F(NewSymbolTest, OnADeclaredMethodChangesItsHeading) {
  Start();
  NewSymbolAt(8, 16, [](TFormVelmoricNewProcedure& F) {
    EXPECT_EQ(F.EditProcName->Text(), "Button1Click");
    F.EditParameter->SetText("Sender: TObject; Key: Char");
    F.ButtonCreate->Click();
  });
  EXPECT_EQ(Caption, "Change symbol");
  EXPECT_NE(Text().find("    Procedure Button1Click(Sender: TObject; Key: Char);\n  end;"), std::string::npos)
      << Text();
  ASSERT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Text(), Before);
}

TEST_F(NewSymbolTest, InsideABodyCreatesALocalVariable) {
  Start();
  NewSymbolAt(15, 1, [](TFormVelmoricNewProcedure& F) {
    EXPECT_EQ(F.ComboBoxVarScope->Text(), "local");
    F.PageControl1->SelectPage(F.TabSheetNewVariable);
    F.EditVarName->SetText("Count");
    F.ComboBoxVarType->TypeText("Integer");
    F.ButtonCreate->Click();
  });
  EXPECT_EQ(Caption, "New symbol");
  EXPECT_NE(Text().find("procedure TForm1.Button1Click(Sender: TObject);\nvar\n      Count:Integer;\nbegin"),
            std::string::npos)
      << Text();
  ASSERT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Text(), Before);
}

TEST_F(NewSymbolTest, CancelChangesNothing) {
  Start();
  NewSymbolAt(15, 1, [](TFormVelmoricNewProcedure& F) { F.Button1->Click(); });
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Text(), Before);
  EXPECT_FALSE(IDE().Undo(File));
  EXPECT_EQ(Expert()->CompileProject, nullptr);
}

TEST_F(NewSymbolTest, TheExplorersNewSymbolAddsAFieldToTheSelectedClass) {
  Start();
  TFFormSourceExplorer* Explorer = FFormSourceExplorer;
  ASSERT_NE(Explorer, nullptr);
  Explorer->SpeedButtonCompileClick(nullptr);
  const int I = Explorer->ComboBoxClass->Items()->IndexOf("TForm1");
  ASSERT_GE(I, 0);
  Explorer->ComboBoxClass->Select(I);
  Explorer->ComboBoxFinde->SetText("FCount");
  VclHost().ShowModal = [&](TCustomForm& Form) {
    ++Shown;
    auto& F = static_cast<TFormVelmoricNewProcedure&>(Form);
    EXPECT_EQ(F.EditVarName->Text(), "FCount");
    F.PageControl1->SelectPage(F.TabSheetNewVariable);
    F.ComboBoxVarType->TypeText("Integer");
    F.ComboBoxVarScope->TypeText("public");
    F.ButtonCreate->Click();
    return F.ModalResult;
  };
  Explorer->NewVariable1->Click();
  EXPECT_EQ(Shown, 1);
  EXPECT_NE(Text().find("  public\n      FCount:Integer;\n    procedure Button1Click"), std::string::npos) << Text();
  ASSERT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Text(), Before);
}

}  // namespace
