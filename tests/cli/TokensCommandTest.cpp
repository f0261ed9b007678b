// Runs the built `velmoric tokens` on files and checks its output and status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

struct RunResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// A temporary file name of this process (tests run in parallel processes).
std::string TempName(const std::string& Name) {
  return testing::TempDir() + "velmoric-" + std::to_string(::getpid()) + "-" + Name;
}

RunResult RunVelmoric(const std::string& Args) {
  const std::string OutFile = TempName("tokens.out");
  const std::string ErrFile = TempName("tokens.err");
  const std::string Command =
      std::string("'") + VELMORIC_CLI + "' " + Args + " >'" + OutFile + "' 2>'" + ErrFile + "'";
  const int Raw = std::system(Command.c_str());
  RunResult R;
  R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  R.Out = ReadFileBytes(OutFile);
  R.Err = ReadFileBytes(ErrFile);
  std::remove(OutFile.c_str());
  std::remove(ErrFile.c_str());
  return R;
}

}  // namespace

TEST(TokensCommand, PrintsLineKindAndText) {
  const std::string File = TempName("input.pas");
  // CR LF, LF and CR line ends in one file.
  WriteFileBytes(File,
                 "unit Demo;\r\n{ a comment }\r\ninterface\n\nconst S = 'it''s';\r"
                 "X = $FF; Y =\r\n'multi\nline'; Z = #13;\nend.\r\n");
  const RunResult R = RunVelmoric("tokens '" + File + "'");
  std::remove(File.c_str());
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out,
            "0\tw\tunit\n0\tw\tDemo\n0\ts\t;\n"
            "2\tw\tinterface\n"
            "4\tw\tconst\n4\tw\tS\n4\ts\t=\n4\tq\tit\n4\tq\ts\n4\ts\t;\n"
            "5\tw\tX\n5\ts\t=\n5\ts\t$\n5\tw\tFF\n5\ts\t;\n5\tw\tY\n5\ts\t=\n"
            "5\tq\tmulti line\n"  // a string keeps the line of the token before it
            "7\ts\t;\n7\tw\tZ\n7\ts\t=\n7\ts\t#\n7\tw\t13\n7\ts\t;\n"
            "8\tw\tend\n8\ts\t.\n");
}

TEST(TokensCommand, EmptyFileGivesNoTokens) {
  const std::string File = TempName("empty.pas");
  WriteFileBytes(File, "");
  const RunResult R = RunVelmoric("tokens '" + File + "'");
  std::remove(File.c_str());
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Out, "");
}

TEST(TokensCommand, UnreadableFileAndBadArguments) {
  const std::string Missing = TempName("no-such-file.pas");
  RunResult R = RunVelmoric("tokens '" + Missing + "'");
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Out, "");
  EXPECT_NE(R.Err.find(Missing), std::string::npos) << R.Err;

  R = RunVelmoric("tokens '" + testing::TempDir() + "'");  // a folder
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("Cannot open file"), std::string::npos) << R.Err;

  R = RunVelmoric("tokens");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("Usage: velmoric tokens FILE"), std::string::npos) << R.Err;
}

TEST(TokensCommand, DemoUnitsScanToTheirFinalEnd) {
  for (const char* Unit : {"MainForm.pas", "Shapes.pas", "ShapeDialog.pas", "Demo.dpr"}) {
    const std::string File = std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/" + Unit;
    const RunResult R = RunVelmoric("tokens '" + File + "'");
    EXPECT_EQ(R.Status, 0) << Unit << ": " << R.Err;
    EXPECT_EQ(R.Out.rfind("0\tw\t", 0), 0u) << Unit;  // "unit" or "program" on line 0
    // The text ends with "end" and "." on one line.
    const size_t LastLine = R.Out.rfind('\n', R.Out.size() - 2);
    ASSERT_NE(LastLine, std::string::npos) << Unit;
    const std::string Line = R.Out.substr(LastLine + 1, R.Out.find('\t', LastLine) - LastLine - 1);
    const std::string Ending = Line + "\tw\tend\n" + Line + "\ts\t.\n";
    ASSERT_GE(R.Out.size(), Ending.size());
    EXPECT_EQ(R.Out.substr(R.Out.size() - Ending.size()), Ending) << Unit;
  }
}
