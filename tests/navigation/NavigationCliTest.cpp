// `velmoric find-position`, `hyperjump` and `explore` on the three-unit zoo
// project: answers across units and through ancestors, with and without the
// program file as the IDE project.
#include <gtest/gtest.h>

#include "NavigationTestUtil.h"

using navtest::CliResult;
using navtest::LineOf;
using navtest::Quoted;
using navtest::RunCli;

namespace {

class NavigationCliTest : public testing::Test {
 protected:
  void SetUp() override {
    Dir.Write("Base.pas", navtest::BaseUnit);
    Dir.Write("Mid.pas", navtest::MidUnit);
    Dir.Write("Zoo.pas", navtest::ZooUnit);
    Dir.Write("ZooApp.dpr", navtest::ZooProgram);
  }

  CliResult Run(const std::string& Args) { return RunCli(Dir, Args); }

  // "<full path of Name>:<line>"
  std::string At(const std::string& Name, int Line) { return Dir.File(Name) + ":" + IntToStr(Line); }

  static int ZooLine(const std::string& Needle, const std::string& After = "") {
    return LineOf(navtest::ZooUnit, Needle, After.empty() ? 1 : LineOf(navtest::ZooUnit, After));
  }

  navtest::ScratchDir Dir;
};

TEST_F(NavigationCliTest, FindPositionPrintsTheProcedureOfTheLine) {
  CliResult R = Run("find-position --project ZooApp.dpr Zoo.pas " + IntToStr(ZooLine("inherited Move")));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "TDog.Move\n");
  // The last line of a method is still that method's.
  R = Run("find-position Zoo.pas " + IntToStr(ZooLine("end;", "procedure TDog.Speak")));
  EXPECT_EQ(R.Out, "TDog.Speak\n");
  R = Run("find-position Mid.pas " + IntToStr(LineOf(navtest::MidUnit, "inherited")));
  EXPECT_EQ(R.Out, "TMammal.Move\n");
  // No procedure: nothing printed.
  R = Run("find-position Zoo.pas 2");
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "");
}

TEST_F(NavigationCliTest, HyperjumpLandsAcrossUnitsAndThroughAncestors) {
  const int FeedLine = ZooLine("Dog.Legs");
  CliResult R = Run("hyperjump --project ZooApp.dpr Zoo.pas " + IntToStr(FeedLine) + " 7");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Mid.pas", LineOf(navtest::MidUnit, "Legs")) + ":2\n");
  R = Run("hyperjump Zoo.pas " + IntToStr(ZooLine("Dog.Name")) + " 8");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Base.pas", LineOf(navtest::BaseUnit, "Name: string")) + ":2\n");
  // "inherited" in TDog.Speak: TMammal has no Speak, TAnimal's body is taken.
  R = Run("hyperjump --project ZooApp.dpr Zoo.pas " + IntToStr(ZooLine("inherited;")) + " 4");
  EXPECT_EQ(R.Out, At("Base.pas", LineOf(navtest::BaseUnit, "begin")) + ":2\n");
  // A word that names nothing leaves the cursor where it was.
  R = Run("hyperjump Zoo.pas 1 1");
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Zoo.pas", 1) + ":1\n");
}

TEST_F(NavigationCliTest, HyperjumpListsAmbiguousSymbolsOrTakesTheChosenOne) {
  const std::string Args = "hyperjump --project ZooApp.dpr Zoo.pas " + IntToStr(ZooLine("Move(1)")) + " 3";
  CliResult R = Run(Args);
  ASSERT_EQ(R.Status, 0) << R.Err;
  const std::string Mammal = "? TMammal.Move\t" + At("Mid.pas", LineOf(navtest::MidUnit, "begin")) + "\n";
  EXPECT_NE(R.Out.find(Mammal), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("? TDog.Move\t" + At("Zoo.pas", ZooLine("begin", "procedure TDog.Move")) + "\n"),
            std::string::npos);
  EXPECT_NE(R.Out.find("? TAnimal.Move\t"), std::string::npos);
  int Lines = 0;
  for (char C : R.Out) Lines += C == '\n';
  EXPECT_EQ(Lines, 3);
  // --choose picks the listed one of that number.
  int N = 1;
  for (size_t Pos = 0; Pos < R.Out.find(Mammal); Pos = R.Out.find('\n', Pos) + 1) ++N;
  R = Run(Args + " --choose " + IntToStr(N));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Mid.pas", LineOf(navtest::MidUnit, "begin")) + ":2\n");
  R = Run(Args + " --choose 4");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("--choose 4"), std::string::npos) << R.Err;
}

TEST_F(NavigationCliTest, ExploreShowsClassesMembersAndSearches) {
  CliResult R = Run("explore --project ZooApp.dpr Zoo.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "TAnimal\nTDog\nTFood\nTMammal\n");
  R = Run("explore Zoo.pas --class TAnimal");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "Eat\nMove\nSpeak\nName\n");
  // A member declared two classes up, in another unit.
  R = Run("explore --project ZooApp.dpr Zoo.pas --find TDog.Name");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Base.pas", LineOf(navtest::BaseUnit, "Name: string")) + ":2\n");
  R = Run("explore Zoo.pas --find TMammal");
  EXPECT_EQ(R.Out, At("Mid.pas", LineOf(navtest::MidUnit, "TMammal = class")) + ":2\n");
  R = Run("explore Zoo.pas --find 12");
  EXPECT_EQ(R.Out, At("Zoo.pas", 12) + ":2\n");
  R = Run("explore Zoo.pas --find Speak");
  EXPECT_NE(R.Out.find("? TAnimal.Speak\t"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("? TDog.Speak\t"), std::string::npos) << R.Out;
  R = Run("explore Zoo.pas --find TDog.Nothing");
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Out, "");
}

TEST_F(NavigationCliTest, PositionsOutsideTheFileAreRefused) {
  // The editor shows one line more than the text's line ends: the empty
  // line after the last one.
  int Lines = 1;
  for (char C : navtest::ZooUnit) Lines += C == '\n';
  const int FirstLineEnd = static_cast<int>(std::string("unit Zoo;").size()) + 1;
  struct TCase {
    std::string Args;
    std::string Mentions;
  };
  for (const TCase& C : std::vector<TCase>{
           {"find-position Zoo.pas 99999", "LINE 99999"},
           {"find-position Zoo.pas " + IntToStr(Lines + 1), "LINE " + IntToStr(Lines + 1)},
           {"hyperjump Zoo.pas 9999 1", "LINE 9999"},
           {"hyperjump Zoo.pas 1 " + IntToStr(FirstLineEnd + 1), "COL " + IntToStr(FirstLineEnd + 1)},
           {"hyperjump --project ZooApp.dpr Zoo.pas 2 300", "COL 300"},
           {"explore Zoo.pas --find 99999", "99999"},
           {"explore Zoo.pas --find 0", "0"},
           {"explore Zoo.pas --find 99999999999999", "99999999999999"},
       }) {
    CliResult R = Run(C.Args);
    EXPECT_EQ(R.Status, 2) << C.Args;
    EXPECT_EQ(R.Out, "") << C.Args;
    EXPECT_NE(R.Err.find(C.Mentions), std::string::npos) << C.Args << ": " << R.Err;
    EXPECT_NE(R.Err.find("Zoo.pas"), std::string::npos) << C.Args << ": " << R.Err;
  }
  // The last line and the column just after a line's last character are inside.
  CliResult R = Run("find-position Zoo.pas " + IntToStr(Lines));
  EXPECT_EQ(R.Status, 0) << R.Err;
  R = Run("hyperjump Zoo.pas 1 " + IntToStr(FirstLineEnd));
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, At("Zoo.pas", 1) + ":" + IntToStr(FirstLineEnd) + "\n");
  R = Run("explore Zoo.pas --find " + IntToStr(Lines));
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(ReadFileBytes(Dir.File("Zoo.pas")), navtest::ZooUnit);
}

TEST_F(NavigationCliTest, BadArgumentsAreReportedClearly) {
  CliResult R = Run("find-position Zoo.pas");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("Usage: velmoric find-position"), std::string::npos) << R.Err;
  R = Run("hyperjump Zoo.pas x 1");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("LINE"), std::string::npos) << R.Err;
  R = Run("hyperjump Missing.pas 1 1");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("Missing.pas"), std::string::npos) << R.Err;
  R = Run("explore Zoo.pas --class TUnknown");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("TUnknown"), std::string::npos) << R.Err;
  R = Run("explore Zoo.pas --class TDog --find x");
  EXPECT_EQ(R.Status, 2);
  R = Run("explore --project Missing.dpr Zoo.pas");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("Missing.dpr"), std::string::npos) << R.Err;
  // Nothing of the user's sources changed.
  EXPECT_EQ(ReadFileBytes(Dir.File("Zoo.pas")), navtest::ZooUnit);
}

}  // namespace
