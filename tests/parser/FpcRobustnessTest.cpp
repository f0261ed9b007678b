// The parser over a sample of the Free Pascal sources: every file parses
// without an exception (and, in the sanitizer build, without a memory error).
// scripts/parse-fpc-tree runs the whole tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ParserTestSupport.h"

namespace fs = std::filesystem;

namespace {

const char* const FpcSource = "/usr/share/fpcsrc";
// Every Nth file of the sorted list: a sample that stays quick under the sanitizers.
constexpr size_t SampleStep = 4;

std::vector<std::string> Sample() {
  std::vector<std::string> Files;
  std::error_code Ec;
  for (auto It = fs::recursive_directory_iterator(FpcSource, Ec); !Ec && It != fs::end(It);
       It.increment(Ec)) {
    const std::string Ext = It->path().extension().string();
    if (It->is_regular_file(Ec) && (Ext == ".pas" || Ext == ".pp")) Files.push_back(It->path());
  }
  std::sort(Files.begin(), Files.end());
  std::vector<std::string> Result;
  for (size_t I = 0; I < Files.size(); I += SampleStep) Result.push_back(Files[I]);
  return Result;
}

void CheckTree(const TOrvikSymbol& Sym, const TPascalSource& Source, int LineCount, const std::string& File) {
  for (int I = 0; I < ChildCount(&Sym); ++I) {
    TOrvikSymbol* C = Sym.symbols->GetSymbol(I);
    ASSERT_NE(C, nullptr) << File;
    EXPECT_EQ(Sym.symbols->Get(I), LowerCase(C->name)) << File;
    EXPECT_GE(C->Line, -1) << File;
    EXPECT_LT(C->Line, LineCount) << File;
    EXPECT_LT(C->DeclLine, LineCount) << File;
    EXPECT_LT(C->defend, LineCount) << File;
    EXPECT_GT(C->RefCount, 0) << File;
    if (C->Typ == typProcedure) ReParseProcParamters(C);  // the parameter parser on real texts
    CheckTree(*C, Source, LineCount, File);
  }
}

TEST(FpcRobustness, SampleOfTheFreePascalSourcesParses) {
  if (!fs::is_directory(FpcSource)) GTEST_SKIP() << FpcSource << " is missing (scripts/setup installs fpc-source-3.2.2)";
  const std::vector<std::string> Files = Sample();
  ASSERT_FALSE(Files.empty());
  for (const std::string& File : Files) {
    const std::string Text = ReadFileBytes(File);
    for (TCompilerOptionsSet Options : {TCompilerOptionsSet{oCompileImplementation, oCompileLocalVar},
                                        TCompilerOptionsSet{}}) {
      std::unique_ptr<TPascalSource> Source;
      ASSERT_NO_THROW(Source = ParseText(Text, Options, File)) << File;
      CheckTree(Source->symbols, *Source, Source->Token->Lines->Count(), File);
    }
  }
}

}  // namespace
