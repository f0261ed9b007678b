#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ScannerTestUtil.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

using Tokens = std::vector<std::string>;

TEST(TokenStream, WordsSymbolsAndCase) {
  EXPECT_EQ(TokensOf({"a:=b;"}), (Tokens{"a", ":", "=", "b", ";"}));
  EXPECT_EQ(TokensOf({"if a<=b..c then"}),
            (Tokens{"if", "a", "<", "=", "b", ".", ".", "c"}));  // "then" ends the text

  ScannedText S({"Begin BEGIN;"});
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "Begin");
  EXPECT_EQ(S.Token->LowerText, "begin");
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "BEGIN");
  EXPECT_EQ(S.Token->LowerText, "begin");
  EXPECT_FALSE(S.Token->IsString);
}

TEST(TokenStream, NumbersComeInPieces) {
  EXPECT_EQ(TokensOf({"2nd $FF #13 1.5;"}),
            (Tokens{"2nd", "$", "FF", "#", "13", "1", ".", "5", ";"}));
}

TEST(TokenStream, BlanksControlAndHighCharacters) {
  // Tab and carriage return are blanks; form feed and bytes above 127 are symbols.
  EXPECT_EQ(TokensOf({"a\tb\rc;"}), (Tokens{"a", "b", "c", ";"}));
  EXPECT_EQ(TokensOf({"a\fb;"}), (Tokens{"a", "\f", "b", ";"}));
  EXPECT_EQ(TokensOf({"a\xE4" "b;"}), (Tokens{"a", "\xE4", "b", ";"}));
}

TEST(TokenStream, LineBreaksReadAsOneBlank) {
  ScannedText S({"alpha", "", "", "beta;"});
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "alpha");
  EXPECT_EQ(S.Token->TokenLine, 0);
  EXPECT_EQ(S.Token->Line, 3);  // the blank after the word was read on the next line with text
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "beta");
  EXPECT_EQ(S.Token->TokenLine, 3);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, ";");
  EXPECT_FALSE(S.Token->Next());
}

TEST(TokenStream, Comments) {
  EXPECT_EQ(TokensOf({"x{comment}y", "."}), (Tokens{"x", "y", "."}));
  EXPECT_EQ(TokensOf({"x(*a*)y", "."}), (Tokens{"x", "y", "."}));
  EXPECT_EQ(TokensOf({"x//rest", "y", "."}), (Tokens{"x", "y", "."}));
  EXPECT_EQ(TokensOf({"(*)", "z", "."}), (Tokens{"z", "."}));
  EXPECT_EQ(TokensOf({"(*)z."}), (Tokens{"z", "."}));
  EXPECT_EQ(TokensOf({"{$R *.DFM}", "(*$I defs.inc*)", "x;"}), (Tokens{"x", ";"}));
  // Comments over several lines, empty ones among them.
  EXPECT_EQ(TokensOf({"a { one", "", "two } b", "."}), (Tokens{"a", "b", "."}));
  EXPECT_EQ(TokensOf({"a (* one", "two *) b ."}), (Tokens{"a", "b", "."}));
  // No nesting: the first closing delimiter of the same kind ends the comment.
  EXPECT_EQ(TokensOf({"a { b (* c } d *) e ."}), (Tokens{"a", "d", "*", ")", "e", "."}));
  EXPECT_EQ(TokensOf({"a (* b { c *) d } e ."}), (Tokens{"a", "d", "}", "e", "."}));
  // Delimiters split by a blank or a line break are plain symbols.
  EXPECT_EQ(TokensOf({"a / / b ( * c ."}), (Tokens{"a", "/", "/", "b", "(", "*", "c", "."}));
  EXPECT_EQ(TokensOf({"a(", "*b."}), (Tokens{"a", "(", "*", "b", "."}));
}

TEST(TokenStream, LineCommentOnLastLineEndsText) {
  ScannedText S({"x; // the end"});
  ASSERT_TRUE(S.Token->Next());
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, ";");
  EXPECT_FALSE(S.Token->Next());
  EXPECT_TRUE(S.Token->EndOfText);
}

TEST(TokenStream, UnclosedCommentRunsToEndOfText) {
  for (const Tokens& Text : {Tokens{"x { never", "closed"}, Tokens{"x (* open", "", "more"},
                             Tokens{"x {"}, Tokens{"x (*"}, Tokens{"x (*", "*", ")"}}) {
    ScannedText S(Text);
    ASSERT_TRUE(S.Token->Next());
    EXPECT_EQ(S.Token->TokenText, "x");
    EXPECT_FALSE(S.Token->Next()) << Text[0];
    EXPECT_TRUE(S.Token->EndOfText);
    EXPECT_EQ(S.Token->TokenText, "");
    EXPECT_FALSE(S.Token->Next());
  }
}

TEST(TokenStream, Strings) {
  ScannedText S({"'begin' x;"});
  ASSERT_TRUE(S.Token->Next());
  EXPECT_TRUE(S.Token->IsString);
  EXPECT_EQ(S.Token->TokenText, "begin");
  EXPECT_EQ(S.Token->LowerText, "");
  TProcTokenType P;
  TDefType D;
  EXPECT_FALSE(S.Token->IsProcToken(P));
  EXPECT_FALSE(S.Token->IsDefBereich(D));
  ASSERT_TRUE(S.Token->Next());
  EXPECT_FALSE(S.Token->IsString);

  // A doubled quote is not special; an empty string is a token.
  EXPECT_EQ(TokensOf({"s := 'it''s';"}), (Tokens{"s", ":", "=", "'it'", "'s'", ";"}));
  EXPECT_EQ(TokensOf({"s := '';"}), (Tokens{"s", ":", "=", "''", ";"}));
  // Comment delimiters inside a string are text.
  EXPECT_EQ(TokensOf({"'{ (* //' ."}), (Tokens{"'{ (* //'", "."}));
  // A string that is never closed ends the text.
  EXPECT_EQ(TokensOf({"a 'open", "still"}), (Tokens{"a"}));
}

TEST(TokenStream, StringAcrossLinesAndItsTokenLine) {
  ScannedText S({"s := 'ab", "", "cd';", "'ef';"});
  for (int I = 0; I < 3; ++I) ASSERT_TRUE(S.Token->Next());
  ASSERT_TRUE(S.Token->Next());
  EXPECT_TRUE(S.Token->IsString);
  EXPECT_EQ(S.Token->TokenText, "ab cd");  // the break and the empty line read as one blank
  EXPECT_EQ(S.Token->TokenLine, 0);        // kept from the "=" before it
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenLine, 2);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "ef");
  EXPECT_EQ(S.Token->TokenLine, 2);
  EXPECT_EQ(S.Token->Line, 3);
}

TEST(TokenStream, LongWordsAndStringsAreCut) {
  const std::string Long(300, 'A');
  ScannedText S({"x " + Long + ";", "'" + std::string(300, 'q') + "' " + Long, "y."});
  ASSERT_TRUE(S.Token->Next());
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, std::string(255, 'A'));
  EXPECT_EQ(S.Token->LowerText, std::string(200, 'a'));
  EXPECT_EQ(S.Token->TokenLine, 0);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, ";");
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, std::string(255, 'q'));
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText.size(), 255u);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "y");
  EXPECT_EQ(S.Token->TokenLine, 2);
}

TEST(TokenStream, StringCutAcrossLinesKeepsScanningToItsQuote) {
  // 200 + the break's blank + 200 characters: cut to 255, the rest skipped.
  ScannedText S({"'" + std::string(200, 'a'), std::string(200, 'b') + "' x;"});
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, std::string(200, 'a') + " " + std::string(54, 'b'));
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "x");
}

TEST(TokenStream, NulCharacterEndsTheText) {
  EXPECT_EQ(TokensOf({std::string("a 'x\0y' b;", 11)}), (Tokens{"a"}));
  EXPECT_EQ(TokensOf({std::string("a b\0c;", 7)}), (Tokens{"a"}));
}

TEST(TokenStream, WordRunningToEndOfTextIsNotDelivered) {
  EXPECT_EQ(TokensOf({"x y"}), (Tokens{"x"}));
  EXPECT_EQ(TokensOf({"begin", "end", "", ""}), (Tokens{"begin"}));
  EXPECT_EQ(TokensOf({"end."}), (Tokens{"end", "."}));
  EXPECT_EQ(TokensOf({"end", " "}), (Tokens{"end"}));  // a line of one blank still has text
}

TEST(EndOfText, FiftyFalseAnswersThenException) {
  ScannedText S({"end."});
  ASSERT_TRUE(S.Token->Next());
  ASSERT_TRUE(S.Token->Next());
  // Reaching the end answers false; from then on 50 more false answers, then the guard.
  EXPECT_FALSE(S.Token->Next());
  EXPECT_TRUE(S.Token->EndOfText);
  for (int I = 1; I <= 50; ++I) {
    EXPECT_FALSE(S.Token->Next()) << I;
    EXPECT_EQ(S.Token->EofCount, I);
    EXPECT_EQ(S.Token->TokenText, "");
    EXPECT_EQ(S.Token->LowerText, "");
  }
  try {
    S.Token->Next();
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "End of file during parse");
  }
  EXPECT_THROW(S.Token->Next(), Exception);
}

TEST(EndOfText, EmptyListAndCountSurvivingSetLine) {
  ScannedText Empty({});
  EXPECT_TRUE(Empty.Token->EndOfText);
  for (int I = 1; I <= 50; ++I) EXPECT_FALSE(Empty.Token->Next());
  EXPECT_THROW(Empty.Token->Next(), Exception);

  // Only Create resets the count: after repositioning, the next end raises at once.
  ScannedText S({"a;"});
  ASSERT_TRUE(S.Token->Next());
  ASSERT_TRUE(S.Token->Next());
  EXPECT_FALSE(S.Token->Next());
  for (int I = 0; I < 50; ++I) EXPECT_FALSE(S.Token->Next());
  S.Token->SetLine(0);
  EXPECT_FALSE(S.Token->EndOfText);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "a");
  ASSERT_TRUE(S.Token->Next());
  EXPECT_FALSE(S.Token->Next());
  EXPECT_THROW(S.Token->Next(), Exception);
}

TEST(Positioning, UngetTokenDeliversTheSameTokenAgain) {
  ScannedText S({"foo", "bar;"});
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->Line, 1);
  S.Token->UngetToken();
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "foo");
  EXPECT_EQ(S.Token->LowerText, "foo");
  EXPECT_EQ(S.Token->TokenLine, 0);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "bar");
  EXPECT_EQ(S.Token->TokenLine, 1);
}

TEST(Positioning, SetLine) {
  ScannedText S({"ab;", "cd;", "ef;"});
  S.Token->SetLine(2);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "ef");
  EXPECT_EQ(S.Token->TokenLine, 2);

  // Beyond the text only EndOfText changes.
  S.Token->SetLine(7);
  EXPECT_TRUE(S.Token->EndOfText);
  EXPECT_EQ(S.Token->Line, 2);
  EXPECT_EQ(S.Token->LineText, "ef;");
  EXPECT_EQ(S.Token->Column, 4);
  EXPECT_FALSE(S.Token->Next());

  S.Token->SetLine(1);
  EXPECT_FALSE(S.Token->EndOfText);
  EXPECT_EQ(S.Token->Column, 1);
  EXPECT_EQ(S.Token->LineLength, 3);
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "cd");

  // The character pushed back after a word is dropped by SetLine.
  ScannedText P({"ab;", "cd;"});
  ASSERT_TRUE(P.Token->Next());
  EXPECT_TRUE(P.Token->CharPushedBack);
  P.Token->SetLine(1);
  EXPECT_FALSE(P.Token->CharPushedBack);
  ASSERT_TRUE(P.Token->Next());
  EXPECT_EQ(P.Token->TokenText, "cd");
}

TEST(Positioning, CharacterLevel) {
  ScannedText S({"ab", "", "c"});
  EXPECT_EQ(S.Token->NextCharInLine(), 'a');
  EXPECT_EQ(S.Token->NextChar(), 'a');
  S.Token->ungetc('z');
  EXPECT_EQ(S.Token->NextCharInLine(), 'b');  // ignores the push-back
  EXPECT_EQ(S.Token->NextChar(), 'z');
  EXPECT_EQ(S.Token->NextChar(), 'b');
  EXPECT_EQ(S.Token->NextCharInLine(), '\0');
  EXPECT_EQ(S.Token->NextChar(), ' ');
  EXPECT_EQ(S.Token->Line, 2);
  EXPECT_EQ(S.Token->NextChar(), 'c');
  EXPECT_EQ(S.Token->NextChar(), '\0');
  EXPECT_TRUE(S.Token->EndOfText);
}

TEST(Positioning, NextWordIsLineLocal) {
  ScannedText S({"  12ab_c+d", "123"});
  bool AtEnd = false;
  std::string W = "old";
  S.Token->NextWord(3, AtEnd, W);
  EXPECT_EQ(W, "ab_c");
  EXPECT_FALSE(AtEnd);
  S.Token->NextWord(9, AtEnd, W);  // the first non-digit is taken whatever it is
  EXPECT_EQ(W, "+d");
  EXPECT_TRUE(AtEnd);
  S.Token->NextWord(1, AtEnd, W);
  EXPECT_EQ(W, " ");
  EXPECT_FALSE(AtEnd);
  S.Token->NextWord(11, AtEnd, W);
  EXPECT_EQ(W, "");
  EXPECT_TRUE(AtEnd);
  EXPECT_EQ(S.Token->Column, 1);  // the scanner did not move
  ASSERT_TRUE(S.Token->Next());
  EXPECT_EQ(S.Token->TokenText, "12ab_c");

  S.Token->SetLine(1);
  S.Token->NextWord(1, AtEnd, W);
  EXPECT_EQ(W, "");
  EXPECT_TRUE(AtEnd);
}

TEST(Positioning, LineDebugWritesEveryLineToTheTrace) {
  const std::string Log = testing::TempDir() + "velmoric-linedebug-" + std::to_string(::getpid()) + ".log";
  tracelet->SetLogfile(Log);
  LineDebug = true;
  {
    ScannedText S({"unit A;", "", "end."});
    while (S.Token->Next()) {
    }
  }
  LineDebug = false;
  tracelet->CloseLogfile();
  const std::string Text = ReadFileBytes(Log);
  EXPECT_NE(Text.find("token.line:  0   0 unit A;\r\n"), std::string::npos) << Text;
  EXPECT_NE(Text.find("token.line:  1   0 \r\n"), std::string::npos) << Text;
  EXPECT_NE(Text.find("token.line:  2   0 end.\r\n"), std::string::npos) << Text;
  std::remove(Log.c_str());
}

// ---------------------------------------------------------------- classifiers

namespace {
// A scanner whose current token is Word.
struct OnWord : ScannedText {
  explicit OnWord(const std::string& Word) : ScannedText({Word + ";"}) { Token->Next(); }
};
}  // namespace

TEST(Classifiers, CharacterClasses) {
  for (char C : {'\t', '\n', '\r', ' '}) EXPECT_TRUE(isspace(C)) << int(C);
  for (char C : {'\f', '\v', '\0', 'a'}) EXPECT_FALSE(isspace(C)) << int(C);
  for (char C : {'A', 'Z', 'a', 'z'}) EXPECT_TRUE(isalpha(C)) << C;
  for (char C : {'_', '0', '@', '[', '`', '{', '\xC4'}) EXPECT_FALSE(isalpha(C)) << C;
  for (char C : {'0', '9'}) EXPECT_TRUE(isnumber(C));
  for (char C : {'/', ':', 'a'}) EXPECT_FALSE(isnumber(C));
  for (char C : {'0', '9', 'A', 'z', '_'}) EXPECT_TRUE(isalnum(C)) << C;
  for (char C : {'$', '#', '.', '\xE9', '\xFF', '\0'}) EXPECT_FALSE(isalnum(C)) << int(C);
}

TEST(Classifiers, ProcTokenAndDefBereich) {
  const std::pair<const char*, TProcTokenType> Procs[] = {{"procedure", tProcedure},
                                                          {"FUNCTION", tFunction},
                                                          {"Constructor", tConstructor},
                                                          {"destructor", tDestructor}};
  for (const auto& [Word, Kind] : Procs) {
    TProcTokenType K = tDestructor;
    if (Kind == tDestructor) K = tProcedure;
    EXPECT_TRUE(OnWord(Word).Token->IsProcToken(K)) << Word;
    EXPECT_EQ(K, Kind) << Word;
    TDefType D = tType;
    EXPECT_TRUE(OnWord(Word).Token->IsDefBereich(D));
    EXPECT_EQ(D, tProcedures) << Word;
  }
  const std::pair<const char*, TDefType> Defs[] = {
      {"initialization", tInitialization}, {"Finalization", tfinalization},
      {"implementation", tImplementation}, {"TYPE", tType},
      {"var", tVar},                       {"const", tConst}};
  for (const auto& [Word, Kind] : Defs) {
    TDefType D = Kind == tConst ? tVar : tConst;
    EXPECT_TRUE(OnWord(Word).Token->IsDefBereich(D)) << Word;
    EXPECT_EQ(D, Kind) << Word;
  }
  TProcTokenType K = tFunction;
  TDefType D = tVar;
  for (const char* Word : {"proc", "procedures", "begin", "interface", "resourcestring"}) {
    EXPECT_FALSE(OnWord(Word).Token->IsProcToken(K)) << Word;
    EXPECT_FALSE(OnWord(Word).Token->IsDefBereich(D)) << Word;
  }
  EXPECT_EQ(K, tFunction);
  EXPECT_EQ(D, tVar);
}

TEST(Classifiers, ScopeAndProcOptions) {
  const std::pair<const char*, TBereichTokenType> Scopes[] = {
      {"public", tPublic}, {"Private", tPrivate}, {"protected", tProtected}, {"PUBLISHED", tPublished}};
  for (const auto& [Word, Kind] : Scopes) {
    TBereichTokenType B = tLocal;
    EXPECT_TRUE(OnWord(Word).Token->IsScope(B)) << Word;
    EXPECT_EQ(B, Kind);
  }
  TBereichTokenType B = tGlobal;
  EXPECT_FALSE(OnWord("strict").Token->IsScope(B));
  EXPECT_FALSE(OnWord("global").Token->IsScope(B));
  EXPECT_EQ(B, tGlobal);

  const std::pair<const char*, TProcOptionsType> Options[] = {
      {"virtual", tVirtual}, {"abstract", tAbstract}, {"Override", tOverride},
      {"external", tExternal}, {"message", tMessage}, {"stdcall", tStdCall},
      {"far", tFar}, {"DYNAMIC", tDynamic}, {"assembler", tAssembler}};
  for (const auto& [Word, Kind] : Options) {
    TProcOptionsType O = Kind == tFar ? tVirtual : tFar;
    EXPECT_TRUE(OnWord(Word).Token->IsProcOption(O)) << Word;
    EXPECT_EQ(O, Kind) << Word;
  }
  TProcOptionsType O = tFar;
  for (const char* Word : {"overload", "cdecl", "inline", "reintroduce", "forward", "virtuals"})
    EXPECT_FALSE(OnWord(Word).Token->IsProcOption(O)) << Word;
  EXPECT_EQ(O, tFar);
}
