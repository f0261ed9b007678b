// The comment block above a procedure heading.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ParserTestSupport.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::string> Read(const std::string& Text, int& Line) {
  TStringList Lines;
  Lines.SetText(Text);
  TStringList Comment;
  gReadLongComment(Line, &Lines, &Comment);
  std::vector<std::string> Result;
  for (int I = 0; I < Comment.Count(); ++I) Result.push_back(Comment[I]);
  return Result;
}

TEST(CommentBlock, SlashBlocksUpToTheNearestCode) {
  const std::string Text =
      "unit u;\n"             // 0
      "x := 1;\n"             // 1
      "// first block\n"      // 2
      "\n"                    // 3
      "  // second, line 1\n" // 4
      "//second, line 2  \n"  // 5
      "\n"                    // 6
      "procedure P;\n";       // 7
  int Line = 6;
  EXPECT_THAT(Read(Text, Line), ElementsAre(" first block", " second, line 1", "second, line 2  "));
  EXPECT_EQ(Line, 2);
}

TEST(CommentBlock, LineZeroIsNeverExamined) {
  int Line = 1;
  EXPECT_THAT(Read("// header\n// body\nprocedure P;\n", Line), ElementsAre(" body"));
  EXPECT_EQ(Line, 1);
  Line = 0;
  EXPECT_TRUE(Read("// header\nprocedure P;\n", Line).empty());
  EXPECT_EQ(Line, 0);
}

TEST(CommentBlock, BraceAndParenBlocksLoseTheirDelimiters) {
  const std::string Text =
      "x := 1;\n"            // 0
      "end;\n"               // 1
      "{ Draws the shape\n"  // 2
      "  on Canvas }\n"      // 3
      "(* one line *)\n"     // 4
      "// last\n"            // 5
      "procedure P;\n";      // 6
  int Line = 5;
  EXPECT_THAT(Read(Text, Line), ElementsAre(" Draws the shape", "  on Canvas ", " one line ", " last"));
  EXPECT_EQ(Line, 2);
}

TEST(CommentBlock, CodeBeforeTheOpeningDelimiterEndsTheSearch) {
  const std::string Text =
      "// not taken\n"       // 0
      "// not taken\n"       // 1
      "end; { of Q }\n"      // 2
      "procedure P;\n";      // 3
  int Line = 2;
  EXPECT_THAT(Read(Text, Line), ElementsAre(" of Q "));
  EXPECT_EQ(Line, 2);
}

TEST(CommentBlock, ClosingDelimiterWithoutOpeningTakesOnlyThatLine) {
  const std::string Text =
      "begin\n"
      "  a := b;\n"
      "  c := d; // done *)\n"
      "  s := '}'; x }\n"
      "procedure P;\n";
  int Line = 3;
  EXPECT_THAT(Read(Text, Line), ElementsAre("  s := '}'; x "));
  EXPECT_EQ(Line, 3);
}

TEST(CommentBlock, LineBeyondTheTextIsTakenFromTheLast) {
  int Line = 50;
  EXPECT_THAT(Read("x\n// a\n// b\n", Line), ElementsAre(" a", " b"));
  EXPECT_EQ(Line, 1);
  Line = 5;
  EXPECT_TRUE(Read("", Line).empty());
}

TEST(CommentBlock, StructuredCommentBecomesTheImplementationCommentDirectivesDoNot) {
  const std::string Text = R"(unit u;
interface
implementation

{$R *.DFM}

//------------------------------------------------------------------------
// procedure TOrder Clear
// Created : 01.02.1998 10:00:00
//
// Description:
// Empties the order.
//------------------------------------------------------------------------
procedure Clear;
begin
end;

procedure NoComment;
begin
end;
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Clear = Top(*Source, "Clear");
  ASSERT_NE(Clear, nullptr);
  const std::string Dashes(72, '-');
  EXPECT_EQ(Clear->Comment, Dashes + "\r\n procedure TOrder Clear\r\n Created : 01.02.1998 10:00:00\r\n\r\n Description:\r\n Empties the order.\r\n" + Dashes);
  EXPECT_EQ(Top(*Source, "NoComment")->Comment, "");

  int Line = LineOf(Text, "procedure Clear") - 1;
  int Count = 0;
  std::string Comment;
  Source->ReadLongComment(Line, Count, Comment);
  EXPECT_EQ(Comment, Clear->Comment);
  EXPECT_EQ(Count, 7);
  EXPECT_EQ(Line, LineOf(Text, "//---"));

  // A compiler directive directly above a heading is not a comment.
  Line = 2;
  EXPECT_TRUE(Read("unit u;\n{$R *.DFM}\n(*$I inc.inc*)\nprocedure P;\n", Line).empty());
  EXPECT_EQ(Line, 2);
}

}  // namespace
