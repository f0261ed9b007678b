// The partial word at the cursor and the candidates of word expansion.
#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "wizards/VelmoricWordCandidates.h"

namespace {

std::string PartialAt(const std::string& Line, int CharIndex) {
  int S, E;
  FindPartialWord(Line, CharIndex, S, E);
  return E >= S ? Line.substr(S - 1, E - S + 1) : std::string("<none>");
}

TEST(WordCandidates, ThePartialWordLeftOfTheCursor) {
  EXPECT_EQ(PartialAt("  Form1.Sho", 11), "Sho");
  // Blanks after the word are skipped to the left first.
  EXPECT_EQ(PartialAt("  Form1.Sho   ", 14), "Sho");
  // Inside a word the whole word counts.
  EXPECT_EQ(PartialAt("  Form1.Show", 10), "Show");
  EXPECT_EQ(PartialAt("x", 1), "x");
  // No word character before the cursor: nothing, and nothing read outside.
  EXPECT_EQ(PartialAt("", 0), "<none>");
  EXPECT_EQ(PartialAt("   ", 3), "<none>");
  EXPECT_EQ(PartialAt(":= (", 4), "<none>");
  int S, E;
  FindPartialWord("ab", 40, S, E);  // a cursor beyond the line's end
  EXPECT_EQ(S, 1);
  EXPECT_EQ(E, 2);
}

TEST(WordCandidates, CountedPerSpellingMostFrequentLast) {
  TStringList Lines, Results;
  Lines.SetText(
      "procedure TForm1.Button1Click(Sender: TObject);\n"
      "begin\n"
      "  Form1.Show; Form2.Show;\n"
      "  Dialog.ShowModal;\n"
      "  { Showing in a comment does not count }\n"
      "  S := 'ShowText';\n"
      "  Form1.Sho\n"
      "end;\n");
  // The partial word as written at the cursor is none.
  CollectWordCandidates(&Lines, "sho", &Results, "Sho");
  ASSERT_EQ(Results.Count(), 2);
  EXPECT_EQ(Results.Get(0), "   1 ShowModal");
  EXPECT_EQ(Results.Get(1), "   2 Show");
  EXPECT_EQ(CandidateWord(Results.Get(1)), "Show");
}

TEST(WordCandidates, CaseVariantsAreOneCandidateUnderTheFirstSpelling) {
  TStringList Lines, Results;
  Lines.SetText("caption Caption CAPTION capt");
  CollectWordCandidates(&Lines, "capt", &Results);
  ASSERT_EQ(Results.Count(), 1);
  EXPECT_EQ(Results.Get(0), "   3 caption");
  // The partial word written in lower case is no candidate; other
  // capitalisations of it are.
  Lines.SetText("capt Capt capt x");
  CollectWordCandidates(&Lines, "capt", &Results);
  ASSERT_EQ(Results.Count(), 1);
  EXPECT_EQ(Results.Get(0), "   1 Capt");
}

TEST(WordCandidates, AnEmptyPartialWordTakesEveryToken) {
  TStringList Lines, Results;
  Lines.SetText("a := b; ");
  CollectWordCandidates(&Lines, "", &Results);
  EXPECT_EQ(Results.Count(), 5);  // a : = b ;
  Lines.SetText("nothing here\n");
  CollectWordCandidates(&Lines, "zz", &Results);
  EXPECT_EQ(Results.Count(), 0);
}

}  // namespace
