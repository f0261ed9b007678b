// The parser over random Pascal-like token soup: it always ends, never
// raises, and its symbol lines stay inside the text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ParserTestSupport.h"

namespace {

const char* const Vocabulary[] = {
    "unit", "interface", "implementation", "uses", "type", "var", "const", "procedure",
    "function", "constructor", "destructor", "class", "record", "packed", "case", "of", "end",
    "begin", "asm", "try", "finally", "except", "property", "read", "write", "default",
    "private", "public", "protected", "published", "virtual", "override", "message", "external",
    "forward", "cdecl", "initialization", "finalization", "interface", "array", "set", "string",
    "X", "TFoo", "Integer", "A", "B", "Name", ";", ":", ",", ".", "=", "(", ")", "[", "]", "^",
    "'text'", "{ comment }", "(* c *)", "// line\n", "\n", "1", "..", "{$R *.DFM}\n"};

std::string RandomText(std::mt19937& Random, int Tokens) {
  std::uniform_int_distribution<size_t> Pick(0, std::size(Vocabulary) - 1);
  std::string Text;
  for (int I = 0; I < Tokens; ++I) {
    Text += Vocabulary[Pick(Random)];
    Text += (Random() % 5 == 0) ? "\n" : " ";
  }
  return Text;
}

void CheckLines(const TOrvikSymbol& Sym, int LineCount) {
  for (int I = 0; I < ChildCount(&Sym); ++I) {
    const TOrvikSymbol* C = Sym.symbols->GetSymbol(I);
    EXPECT_LT(C->Line, LineCount);
    EXPECT_LT(C->DeclLine, LineCount);
    EXPECT_LT(C->defbegin, LineCount);
    EXPECT_LT(C->defend, LineCount);
    CheckLines(*C, LineCount);
  }
}

TEST(RandomText, TokenSoupParsesWithoutRaising) {
  std::mt19937 Random(20260101);
  for (int Round = 0; Round < 400; ++Round) {
    const std::string Text = RandomText(Random, 20 + static_cast<int>(Random() % 400));
    for (TCompilerOptionsSet Options : {TCompilerOptionsSet{oCompileImplementation, oCompileLocalVar},
                                        TCompilerOptionsSet{oCompileImplementation},
                                        TCompilerOptionsSet{}}) {
      std::unique_ptr<TPascalSource> Source;
      ASSERT_NO_THROW(Source = ParseText(Text, Options)) << Text;
      CheckLines(Source->symbols, std::max(1, Source->Token->Lines->Count()));
      if (HasFailure()) FAIL() << Text;
    }
  }
}

}  // namespace
