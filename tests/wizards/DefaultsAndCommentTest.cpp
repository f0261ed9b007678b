// The variable defaults file and the comment block of generated procedures.
#include <filesystem>
#include <string>
#include <vector>

#include "WizardTestSupport.h"
#include "project/VelmoricProjectSettings.h"
#include "wizards/VelmoricCommentBlock.h"
#include "wizards/VelmoricVariableTable.h"

namespace {

class DefaultsTest : public testing::Test {
 protected:
  void SetUp() override {
    Saved = VelmoricPath;
    VelmoricPath = Dir.Path + "/";
    Table.Clear();
  }
  void TearDown() override { VelmoricPath = Saved; }
  std::string FileName() const { return Dir.File("defaults.dat"); }

  TWizardScratch Dir;
  TVelmoricVariableTable Table;
  std::string Saved;
};

TEST_F(DefaultsTest, RecordsReadInEitherOrderAndTheFirstOfANameWins) {
  Dir.Write("defaults.dat",
            "name=FItems\r\ntyp=TStringList\r\ncomment=the items\r\n"
            "name=Count\ncomment=how many\ntyp=integer\n"
            "x\n"
            "name=fitems\r\ntyp=TList\r\ncomment=later\r\n");
  Table.LoadFromFile();
  ASSERT_EQ(Table.Count(), 3);
  ASSERT_TRUE(Table.find("FITEMS"));
  EXPECT_EQ(Table.FoundType, "TStringList");
  EXPECT_EQ(Table.FoundComment, "the items");
  ASSERT_TRUE(Table.find("count"));
  EXPECT_EQ(Table.FoundType, "integer");
  EXPECT_EQ(Table.FoundComment, "how many");
  EXPECT_FALSE(Table.find("other"));
}

TEST_F(DefaultsTest, AShortRecordDoesNotSwallowTheNextOne) {
  Dir.Write("defaults.dat",
            "name=A\ntyp=byte\n"
            "name=B\ncomment=bee\n"
            "name=C\ntyp=word\ncomment=see\n");
  Table.LoadFromFile();
  ASSERT_EQ(Table.Count(), 3);
  ASSERT_TRUE(Table.find("b"));
  EXPECT_EQ(Table.FoundComment, "bee");
  EXPECT_EQ(Table.FoundType, "");
  ASSERT_TRUE(Table.find("c"));
  EXPECT_EQ(Table.FoundType, "word");
  // Saving keeps every record.
  Table.Add("D", "char", "dee");
  TVelmoricVariableTable Again;
  Again.LoadFromFile();
  EXPECT_EQ(Again.Count(), 4);
  ASSERT_TRUE(Again.find("a"));
  EXPECT_EQ(Again.FoundType, "byte");
  EXPECT_EQ(ReadFileBytes(FileName()).substr(0, 30), "name=A\r\ntyp=byte\r\ncomment=\r\nna");
}

TEST_F(DefaultsTest, MissingFileIsNeitherReadNorCreated) {
  Table.LoadFromFile();
  EXPECT_EQ(Table.Count(), 0);
  Table.Add("X", "integer", "");
  EXPECT_TRUE(Table.find("x"));
  EXPECT_FALSE(std::filesystem::exists(FileName()));
}

TEST_F(DefaultsTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  Dir.Write("defaults.dat", "name=A\ntyp=byte\ncomment=one\n");
  Table.LoadFromFile();
  Table.Add("A", "word", "two");
  EXPECT_EQ(ReadFileBytes(FileName()),
            "name=A\r\ntyp=byte\r\ncomment=one\r\nname=A\r\ntyp=word\r\ncomment=two\r\n");
  EXPECT_FALSE(std::filesystem::exists(FileName() + ".tmp"));
  ASSERT_TRUE(Table.find("a"));
  EXPECT_EQ(Table.FoundType, "byte");
}

TEST_F(DefaultsTest, AnUnreadableFileIsSkipped) {
  std::filesystem::create_directory(FileName());  // a folder where the file should be
  Table.LoadFromFile();
  EXPECT_EQ(Table.Count(), 0);
  Table.Add("X", "integer", "");
  EXPECT_TRUE(std::filesystem::is_directory(FileName()));
}

std::vector<std::string> BlockLines(const std::string& Text) {
  std::vector<std::string> L;
  size_t Start = 0;
  for (;;) {
    const size_t End = Text.find("\r\n", Start);
    L.push_back(Text.substr(Start, End == std::string::npos ? End : End - Start));
    if (End == std::string::npos) return L;
    Start = End + 2;
  }
}

const std::string Dashes(72, '-');

TEST(CommentBlock, WithoutParametersOrDescriptionFourLines) {
  const auto L = BlockLines(MakeCommentBlock({}, "", "procedure TOrder Clear", ""));
  ASSERT_EQ(L.size(), 4u);
  EXPECT_EQ(L[0], Dashes);
  EXPECT_EQ(L[1], "procedure TOrder Clear");
  EXPECT_EQ(L[2], "Created : " + CommentUserName() + " " + L[2].substr(11 + CommentUserName().size()));
  EXPECT_EQ(L[3], Dashes);
}

TEST(CommentBlock, ParametersPaddedToTheLongestName) {
  const auto L = BlockLines(
      MakeCommentBlock({}, "Sums all lines\r\n\r\n  \r\n", "function TOrder Total(A, LongName: real)", "A, LongName: real"));
  ASSERT_EQ(L.size(), 11u);
  EXPECT_EQ(L[3], "");
  EXPECT_EQ(L[4], "Parameters:");
  EXPECT_EQ(L[5], "A" + std::string(8, ' ') + ":");
  EXPECT_EQ(L[6], "LongName :");
  EXPECT_EQ(L[7], "");
  EXPECT_EQ(L[8], "Description:");
  EXPECT_EQ(L[9], "Sums all lines");
  EXPECT_EQ(L[10], Dashes);
}

TEST(CommentBlock, AChangeKeepsTheCreationStampAndKnownParameterDescriptions) {
  const std::vector<std::string> Old = {
      " " + Dashes, " procedure TOrder Add(Item: TItem; Gone: integer)", " Created : Ann 01.01.99 10:00:00", "",
      " Parameters:", " Item :the item to add", " Gone :dropped", "", " Description:", " Adds", " " + Dashes};
  const auto L = BlockLines(MakeCommentBlock(Old, "Adds it", "procedure TOrder Add(ITEM: TItem; Count: integer)",
                                             "ITEM: TItem; Count: integer"));
  EXPECT_EQ(L[2], "created : ann 01.01.99 10:00:00");
  EXPECT_EQ(L[4], "Parameters:");
  EXPECT_EQ(L[5], "ITEM  :the item to add");
  EXPECT_EQ(L[6], "Count :");
  EXPECT_EQ(L[9], "Adds it");
}

}  // namespace
