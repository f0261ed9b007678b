// The symbol explorer through the expert's command (Alt+S): the grid, the
// kind filter, the search field and its keys, jumping with the bookmark
// stack, "Jump to Prottype" and the exploring commands.
#include <gtest/gtest.h>

#include <functional>

#include "../expert/ExpertTestSupport.h"
#include "browsers/VelmoricSymbols.h"

namespace {

const std::string ShapesUnit =
    "unit Shapes;\n"                                   // 1
    "interface\n"                                      // 2
    "type\n"                                           // 3
    "  TShape = class\n"                               // 4
    "  public\n"                                       // 5
    "    { Paints the shape }\n"                       // 6
    "    procedure Draw; virtual;\n"                   // 7
    "    procedure Hidden;\n"                          // 8
    "  end;\n"                                         // 9
    "  TCircle = class(TShape)\n"                      // 10
    "  public\n"                                       // 11
    "    Radius: Integer; // in pixels\n"             // 12
    "    procedure Draw; override;\n"                  // 13
    "  end;\n"                                         // 14
    "var\n"                                            // 15
    "  Circle: TCircle;\n"                             // 16
    "implementation\n"                                 // 17
    "procedure TShape.Draw;\n"                         // 18
    "begin\n"                                          // 19
    "end;\n"                                           // 20
    "procedure TCircle.Draw;\n"                        // 21
    "begin\n"                                          // 22
    "  Circle.Draw;\n"                                 // 23
    "end;\n"                                           // 24
    "end.\n";                                          // 25

class SymbolsFormTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    File = Open("Shapes.pas", ShapesUnit);
    Session->RegisterExpert();
    VclHost().ShowModal = [this](TCustomForm& Form) {
      ++Shown;
      auto* F = dynamic_cast<TFFormVelmoricSymbols*>(&Form);
      if (F && Work) Work(*F);
      return int(mrCancel);
    };
  }
  void Run(int Line, int Col, std::function<void(TFFormVelmoricSymbols&)> Answer) {
    Work = std::move(Answer);
    Session->SetCursor(File, Line, Col);
    ASSERT_TRUE(IDE().PressShortCut(0x8053));  // Alt+S
  }
  static std::string Cell(TFFormVelmoricSymbols& F, int Col, int Row) {
    return F.DrawGrid1->PaintedText(Col, Row);
  }
  static std::string RowText(TFFormVelmoricSymbols& F, int Row) {
    std::string S;
    for (int C = 0; C < 5; ++C) S += (C ? "|" : "") + Cell(F, C, Row);
    return S;
  }
  static void Key(TFFormVelmoricSymbols& F, uint16_t K) { F.EditSearch->KeyDown(K, 0); }
  static constexpr uint16_t VK_UP = 38, VK_DOWN = 40;

  std::string File;
  int Shown = 0;
  std::function<void(TFFormVelmoricSymbols&)> Work;
};

TEST_F(SymbolsFormTest, TheGridListsTheProjectsSymbolsAndTheInitialSymbolIsSelected) {
  Run(23, 4, [&](TFFormVelmoricSymbols& F) {
    EXPECT_EQ(F.Caption, "Symbol Explorer");
    EXPECT_EQ(RowText(F, 0), "Symbol|Is Member Of|Typ|Scope|Unit");
    EXPECT_EQ(F.Entries->Count(), 3);  // Circle, TCircle, TShape
    EXPECT_EQ(RowText(F, 1), "Circle||Var|global|Shapes.pas");
    EXPECT_EQ(F.LabelSymbols->Caption, "symbols: 3");
    // The cursor was on Circle: its row and its dotted name.
    EXPECT_EQ(F.DrawGrid1->Row(), 1);
    EXPECT_EQ(F.EditSearch->Text(), "Circle");
    EXPECT_EQ(F.EditInfo->Text(), "TCircle");
    // Sub symbols: members of the same name ordered by their owner.
    F.CheckBoxSubSymbols->Click();
    EXPECT_EQ(Cell(F, 0, 2), "Draw");
    EXPECT_EQ(Cell(F, 1, 2), "TCircle");
    EXPECT_EQ(Cell(F, 1, 3), "TShape");
    EXPECT_EQ(Cell(F, 2, 3), "Procedure");
    EXPECT_EQ(Cell(F, 3, 3), "public");
  });
  EXPECT_EQ(Shown, 1);
}

TEST_F(SymbolsFormTest, AllKindsClearedLeaveAnEmptyGridOfTwoRows) {
  Run(1, 1, [&](TFFormVelmoricSymbols& F) {
    for (TCheckBox* C : {F.CheckBoxProcedures, F.CheckBoxClasses, F.CheckBoxVariables,
                         F.CheckBoxRecords, F.CheckBoxProperties, F.CheckBoxConstants,
                         F.CheckBoxTypes})
      C->Click();
    EXPECT_EQ(F.Entries->Count(), 0);
    EXPECT_EQ(F.DrawGrid1->RowCount(), 2);
    EXPECT_EQ(RowText(F, 1), "||||");
    EXPECT_FALSE(F.ButtonJump->Enabled);
    F.CheckBoxClasses->Click();
    EXPECT_EQ(F.Entries->Count(), 2);
  });
}

TEST_F(SymbolsFormTest, SearchAndTheUpAndDownKeys) {
  Run(1, 1, [&](TFFormVelmoricSymbols& F) {
    F.EditSearch->SetText("TS");
    EXPECT_EQ(Cell(F, 0, F.DrawGrid1->Row()), "TShape");
    // Down from the last stays there; up from the first likewise.
    Key(F, VK_DOWN);
    EXPECT_EQ(F.DrawGrid1->Row(), 3);
    Key(F, VK_UP);
    Key(F, VK_UP);
    EXPECT_EQ(F.DrawGrid1->Row(), 1);
    Key(F, VK_UP);
    EXPECT_EQ(F.DrawGrid1->Row(), 1);
    F.EditSearch->SetText("tc");
    EXPECT_EQ(Cell(F, 0, F.DrawGrid1->Row()), "TCircle");
  });
}

TEST_F(SymbolsFormTest, EnterJumpsAndPushesTheBookmark) {
  Session->SetCursor(File, 23, 4);
  Run(23, 4, [&](TFFormVelmoricSymbols& F) {
    F.CheckBoxSubSymbols->Click();
    F.EditSearch->SetText("Radius");
    EXPECT_EQ(F.EditLines->Text().rfind("line = 11 ", 0), 0u) << F.EditLines->Text();
    Key(F, VK_RETURN);
    EXPECT_EQ(F.ModalResult, mrOk);
  });
  EXPECT_EQ(Session->Cursor(File).Line, 12);
  EXPECT_EQ(Session->Cursor(File).Col, 1);
  ASSERT_EQ(Expert()->BookmarkStack->Count(), 1);
  EXPECT_EQ(Expert()->BookmarkStack->Items(0)->Line, 23);
}

TEST_F(SymbolsFormTest, JumpToPrototypeAndTheCommentField) {
  Run(1, 1, [&](TFFormVelmoricSymbols& F) {
    F.CheckBoxSubSymbols->Click();
    F.EditSearch->SetText("Draw");
    ASSERT_EQ(Cell(F, 1, F.DrawGrid1->Row()), "TCircle");
    Key(F, VK_DOWN);
    ASSERT_EQ(Cell(F, 1, F.DrawGrid1->Row()), "TShape");
    EXPECT_TRUE(F.ButtonJumpPrototype->Enabled);
    EXPECT_EQ(F.EditInfo->Text(), "procedure () Virtual ");
    F.ButtonJumpPrototype->Click();
  });
  EXPECT_EQ(Session->Cursor(File).Line, 7);
  Run(1, 1, [&](TFFormVelmoricSymbols& F) {
    // A class has no prototype to jump to.
    F.EditSearch->SetText("TShape");
    EXPECT_FALSE(F.ButtonJumpPrototype->Enabled);
  });
}

TEST_F(SymbolsFormTest, ExploringMembersTypesAndBaseClasses) {
  Run(1, 1, [&](TFFormVelmoricSymbols& F) {
    F.EditSearch->SetText("Circle");
    F.PopupMenu1->Popup(0, 0);
    EXPECT_EQ(F.ExploreTyp1->Caption, "Explore typ TCircle");
    EXPECT_FALSE(F.GoBack1->Enabled);
    F.ExploreTyp1->Click();
    EXPECT_EQ(F.Caption, "TCircle Symbol Explorer");
    EXPECT_EQ(F.Entries->Count(), 2);  // Draw, Radius
    F.EditSearch->SetText("Radius");
    EXPECT_NE(F.MemoComment->Text().find("in pixels"), std::string::npos);
    EXPECT_TRUE(F.DrawGrid1->ShowHint);
    F.PopupMenu1->Popup(0, 0);
    EXPECT_EQ(F.ExploreTyp1->Caption, "Explore typ");
    EXPECT_FALSE(F.ExploreTyp1->Enabled);
    EXPECT_TRUE(F.GoBack1->Enabled);
    F.GoBack1->Click();  // to the unit
    F.GoToRoot1->Click();
    EXPECT_EQ(F.Caption, "Symbol Explorer");
    F.EditSearch->SetText("TCircle");
    F.PopupMenu1->Popup(0, 0);
    EXPECT_EQ(F.GoToBaseclass1->Caption, "Goto baseclass TShape");
    ASSERT_TRUE(F.GoToBaseclass1->Enabled);
    F.GoToBaseclass1->Click();
    EXPECT_EQ(F.Caption, "TShape Symbol Explorer");
    F.EditSearch->SetText("Draw");
    EXPECT_EQ(F.MemoComment->Text(), "");
    EXPECT_FALSE(F.DrawGrid1->ShowHint);
    F.ExploreSymbol1->Click();  // no members, no type: its owner
    EXPECT_EQ(F.Caption, "TShape Symbol Explorer");
  });
}

}  // namespace
