// Word expansion through the expert's command: the candidate list painted
// most frequent first, Enter and double click inserting, one candidate
// inserted without a window, the cursor behind the word.
#include <gtest/gtest.h>

#include <functional>

#include "../expert/ExpertTestSupport.h"
#include "wizards/VelmoricExpandWord.h"

namespace {

const std::string FormUnit =
    "unit Main;\n"                             // 1
    "interface\n"                              // 2
    "implementation\n"                         // 3
    "procedure Go;\n"                          // 4
    "begin\n"                                  // 5
    "  Form1.Show;\n"                          // 6
    "  Form2.Show;\n"                          // 7
    "  Dialog1.ShowModal;\n"                   // 8
    "  Form1.Sho\n"                            // 9
    "  Appl\n"                                 // 10
    "  Application.Run;\n"                     // 11
    "  xq\n"                                   // 12
    "end;\n"                                   // 13
    "end.\n";                                  // 14

class ExpandWordFormTest : public ExpertTest {
 protected:
  void SetUp() override {
    ExpertTest::SetUp();
    File = Open("Main.pas", FormUnit);
    Session->RegisterExpert();
    VclHost().ShowModal = [this](TCustomForm& Form) {
      ++Shown;
      auto* F = dynamic_cast<TFormVelmoricExpandWord*>(&Form);
      if (F && Work) Work(*F);
      return int(mrCancel);
    };
  }
  void Run(int Line, int Col, std::function<void(TFormVelmoricExpandWord&)> Answer = nullptr) {
    Work = std::move(Answer);
    Session->SetCursor(File, Line, Col);
    ASSERT_TRUE(IDE().ClickMenuItem("Velmoric8"));
  }
  std::string Line(int N) {
    const std::string T = IDE().Buffer(File).Text();
    size_t Start = 0;
    for (int I = 1; I < N; ++I) Start = T.find('\n', Start) + 1;
    return T.substr(Start, T.find('\n', Start) - Start);
  }

  std::string File;
  int Shown = 0;
  std::function<void(TFormVelmoricExpandWord&)> Work;
};

TEST_F(ExpandWordFormTest, CandidatesMostFrequentFirstAndEnterInserts) {
  Run(9, 12, [&](TFormVelmoricExpandWord& F) {
    EXPECT_EQ(F.DrawGrid1->RowCount(), 2);
    EXPECT_EQ(F.DrawGrid1->Row(), 0);
    EXPECT_EQ(F.DrawGrid1->PaintedText(0, 0), "   2 Show");
    EXPECT_EQ(F.DrawGrid1->PaintedText(0, 1), "   1 ShowModal");
    F.DrawGrid1->SetRow(1);
    char Key = '\r';
    F.DrawGrid1->KeyPress(Key);
    EXPECT_EQ(F.ModalResult, mrOk);
  });
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Line(9), "  Form1.ShowModal");
  EXPECT_EQ(Session->Cursor(File).Line, 9);
  EXPECT_EQ(Session->Cursor(File).Col, 18);
}

TEST_F(ExpandWordFormTest, DoubleClickInsertsTheSelectedRow) {
  // A cursor after blanks that follow the word completes that word.
  IDE().EditText(File, static_cast<int>(FormUnit.find("Form1.Sho\n")) + 9, 0, "   ");
  Run(9, 15, [&](TFormVelmoricExpandWord& F) { F.DrawGrid1->DblClick(); });
  EXPECT_EQ(Line(9), "  Form1.Show   ");
}

TEST_F(ExpandWordFormTest, TheOnlyCandidateIsInsertedWithoutAWindow) {
  Run(10, 7);
  EXPECT_EQ(Shown, 0);
  EXPECT_EQ(Line(10), "  Application");
  EXPECT_EQ(Session->Cursor(File).Col, 14);
  // One undo step takes it back.
  EXPECT_TRUE(IDE().Undo(File));
  EXPECT_EQ(Line(10), "  Appl");
}

TEST_F(ExpandWordFormTest, NoCandidateShowsAnEmptyListAndEnterOnlyCloses) {
  Run(12, 5, [&](TFormVelmoricExpandWord& F) {
    EXPECT_EQ(F.DrawGrid1->RowCount(), 1);
    EXPECT_EQ(F.DrawGrid1->PaintedText(0, 0), "");
    F.InsertWord();
    EXPECT_EQ(F.ModalResult, mrCancel);
  });
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Line(12), "  xq");
  EXPECT_FALSE(IDE().Undo(File));
}

}  // namespace
