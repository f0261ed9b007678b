// The status window "Compiling": nesting, counters and the repaint throttle.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "hosts/memory/MemoryIDE.h"
#include "trace/VelmoricStatus.h"

namespace {

class StatusWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    IDE = std::make_unique<TMemoryIDE>();
    IDE->AdvanceTime(10000);  // a clock well past the first throttle period
    Form = new TFormVelmoricCompiling(nullptr);
  }
  void TearDown() override {
    delete Form;
    IDE.reset();
  }
  std::unique_ptr<TMemoryIDE> IDE;
  TFormVelmoricCompiling* Form = nullptr;
};

TEST_F(StatusWindowTest, LooksAsDesigned) {
  EXPECT_EQ(Form->Caption, "Compiling");
  EXPECT_EQ(Form->Width(), 482);
  EXPECT_EQ(Form->Height(), 125);
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Form->LabelUnit->Caption, "LabelUnit");
  EXPECT_EQ(Form->Label2->Caption, "Lines");
  EXPECT_EQ(Form->Label1->Caption, "Total");
  EXPECT_EQ(Form->Label3->Caption, "Files");
  EXPECT_EQ(Form->LabelFiles->Left(), 304);
  EXPECT_EQ(Form->LabelFiles->Top(), 52);
}

TEST_F(StatusWindowTest, StaysShownAcrossNestedParsesAndResetsAtTheEnd) {
  Form->ShowStatus("Project1.dpr");
  EXPECT_TRUE(Form->Visible());
  Form->ShowStatus("Unit1.pas");  // a used unit, parsed inside the first
  EXPECT_EQ(Form->LabelUnit->Caption, "Unit1.pas");
  EXPECT_EQ(Form->LabelFiles->Caption, "2");
  EXPECT_EQ(Form->ShowLevel, 2);

  Form->HideStatus(120);
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Form->LabelLines->Caption, "120");
  EXPECT_EQ(Form->LabelTotal->Caption, "120");
  Form->ShowStatus("Unit2.pas");
  EXPECT_EQ(Form->LabelFiles->Caption, "3");
  Form->HideStatus(30);
  EXPECT_EQ(Form->LabelTotal->Caption, "150");
  EXPECT_TRUE(Form->Visible());

  Form->HideStatus(10);
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Form->LabelTotal->Caption, "160");
  EXPECT_EQ(Form->ShowLevel, 0);
  EXPECT_EQ(Form->TotalLines, 0);
  EXPECT_EQ(Form->FileCount, 0);

  // The next run counts from the start again.
  Form->ShowStatus("Unit3.pas");
  EXPECT_EQ(Form->LabelFiles->Caption, "1");
  Form->HideStatus(5);
  EXPECT_EQ(Form->LabelTotal->Caption, "5");
}

TEST_F(StatusWindowTest, AnUnmatchedHideLeavesTheWindowHiddenAndCountersAtZero) {
  Form->HideStatus(7);
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(Form->ShowLevel, 0);
  Form->ShowStatus("a");
  EXPECT_TRUE(Form->Visible());
}

TEST_F(StatusWindowTest, RepaintsAtMostEvery300Milliseconds) {
  Form->ShowStatus("a");  // first showing paints at once
  const int AfterShow = Form->PaintCount();
  EXPECT_GT(AfterShow, 0);
  IDE->AdvanceTime(100);
  Form->ShowStatus("b");
  Form->HideStatus(1);
  EXPECT_EQ(Form->PaintCount(), AfterShow);
  IDE->AdvanceTime(250);  // 350 ms after the last throttled repaint
  Form->ShowStatus("c");
  EXPECT_GT(Form->PaintCount(), AfterShow);
  const int AfterThrottle = Form->PaintCount();
  IDE->AdvanceTime(300);  // exactly 300 ms: not more than 300
  Form->HideStatus(1);
  EXPECT_EQ(Form->PaintCount(), AfterThrottle);
}

TEST_F(StatusWindowTest, CounterOverflowRaises) {
  Form->ShowStatus("a");
  Form->TotalLines = INT32_MAX;
  EXPECT_THROW(Form->HideStatus(1), EIntOverflow);
}

}  // namespace
