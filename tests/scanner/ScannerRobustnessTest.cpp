// The scanner over real Pascal sources and over random text: it always
// terminates and every token it delivers is well-formed.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace fs = std::filesystem;

namespace {

const char* const FpcSource = "/usr/share/fpcsrc";

std::vector<fs::path> PascalFilesUnder(const fs::path& Dir) {
  std::vector<fs::path> Out;
  std::error_code Ec;
  for (auto It = fs::recursive_directory_iterator(Dir, Ec); !Ec && It != fs::end(It);
       It.increment(Ec)) {
    const std::string Ext = LowerCase(It->path().extension().string());
    if (It->is_regular_file() && (Ext == ".pp" || Ext == ".pas" || Ext == ".inc"))
      Out.push_back(It->path());
  }
  std::sort(Out.begin(), Out.end());
  return Out;
}

// Scans the whole text, checking each token; returns the number of tokens.
int ScanAndCheck(TStrings& Lines, size_t TextBytes, const std::string& What) {
  TToken Token(&Lines);
  int Count = 0;
  while (Token.Next()) {
    ++Count;
    EXPECT_GE(Token.TokenLine, 0) << What;
    EXPECT_LT(Token.TokenLine, Lines.Count()) << What;
    EXPECT_LE(Token.TokenText.size(), 255u) << What;
    EXPECT_LE(Token.LowerText.size(), 200u) << What;
    if (!Token.IsString) {
      EXPECT_FALSE(Token.TokenText.empty()) << What;
      EXPECT_EQ(Token.LowerText, LowerCase(Token.TokenText.substr(0, 200))) << What;
    }
    // Every token consumes at least one character.
    if (static_cast<size_t>(Count) > TextBytes + 1) {
      ADD_FAILURE() << What << ": the scanner does not terminate";
      return Count;
    }
  }
  // After the end: false until 50 have been counted, then the guard raises.
  bool Raised = false;
  for (int I = 0; I <= 50 && !Raised; ++I) {
    try {
      if (Token.Next()) ADD_FAILURE() << What << ": a token after the end";
    } catch (const Exception&) {
      Raised = true;
    }
  }
  EXPECT_TRUE(Raised) << What;
  EXPECT_EQ(Token.EofCount, 50) << What;
  return Count;
}

}  // namespace

TEST(ScannerRobustness, FreePascalSources) {
  if (!fs::is_directory(FpcSource)) GTEST_SKIP() << FpcSource << " is not installed";
  std::vector<fs::path> Files;
  for (const fs::path& Root : fs::directory_iterator(FpcSource)) {
    for (const char* Sub : {"rtl/objpas", "packages/fcl-base/src", "rtl/inc"}) {
      const std::vector<fs::path> Found = PascalFilesUnder(Root / Sub);
      Files.insert(Files.end(), Found.begin(), Found.end());
    }
  }
  if (Files.empty()) GTEST_SKIP() << "no Pascal files under " << FpcSource;
  int Scanned = 0;
  long Tokens = 0;
  for (size_t I = 0; I < Files.size(); ++I) {
    const std::string Name = Files[I].string();
    TStringList Lines;
    const std::string Bytes = ReadFileBytes(Name);
    Lines.SetText(Bytes);
    Tokens += ScanAndCheck(Lines, Bytes.size(), Name);
    ++Scanned;
  }
  EXPECT_GT(Scanned, 100);
  EXPECT_GT(Tokens, 100000);
  std::cout << Scanned << " files, " << Tokens << " tokens\n";
}

TEST(ScannerRobustness, RandomText) {
  // Texts built from the characters the scanner treats specially.
  const std::string Alphabet = "{}()*/'  \t\r\x01\xE9" "ab_9$#.;:";
  std::mt19937 Random(20240611);
  for (int Round = 0; Round < 3000; ++Round) {
    TStringList Lines;
    size_t Bytes = 0;
    const int LineCount = static_cast<int>(Random() % 6);
    std::string Text;
    for (int L = 0; L < LineCount; ++L) {
      std::string Line;
      const int Length = static_cast<int>(Random() % 12);
      for (int C = 0; C < Length; ++C) Line += Alphabet[Random() % Alphabet.size()];
      Lines.Add(Line);
      Bytes += Line.size() + 1;
      Text += Line + "|";
    }
    ScanAndCheck(Lines, Bytes, "random text " + Text);
    if (testing::Test::HasFailure()) break;
  }
}
