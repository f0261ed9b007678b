// `velmoric menu`: the menus as installed, with short cuts from the registry.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "ExpertTestSupport.h"

namespace {

struct TCliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

TCliResult RunMenuCommand(const TScratchDir& Dir, const std::string& Args = "") {
  const std::string ErrFile = Dir.File("menu.err");
  const std::string Cmd = "VELMORIC_REGISTRY='" + Dir.File("registry") + "' VELMORIC_DATA='" +
                          Dir.File("data") + "' '" + VELMORIC_CLI + "' menu " + Args + " 2>'" +
                          ErrFile + "'";
  TCliResult R;
  FILE* P = ::popen(Cmd.c_str(), "r");
  if (!P) return R;
  std::array<char, 4096> Buf;
  size_t N;
  while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) R.Out.append(Buf.data(), N);
  const int W = ::pclose(P);
  R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
  R.Err = FileExists(ErrFile) ? ReadFileBytes(ErrFile) : std::string();
  return R;
}

TEST(MenuCommand, PrintsTheExpertMenuAndRelevantFiles) {
  TScratchDir Dir;
  const TCliResult R = RunMenuCommand(Dir);
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out,
            "V&elmoric\tVelmoric1\t\n"
            "  S&ource explorer...\tVelmoric2\t\n"
            "  &Unit dependencies...\tVelmoric3\t\n"
            "  &Uses manager...\tVelmoric4\t\n"
            "  &Symbol explorer...\tVelmoric5\tAlt+S\n"
            "  &Class wizard...\tVelmoric6\tAlt+W\n"
            "  New symbol...\tVelmoric7\tAlt+T\n"
            "  Expand word\tVelmoric8\tAlt+Enter\n"
            "  Hyper&jump\tVelmoric9\tAlt+J\n"
            "  Table Expert..\tVelmoric10\t\n"
            "  -\tVelmoric11\t\n"
            "  Bookmark stack\tVelmoric12\t\n"
            "  FormDependencies...\tVelmoric13\t\n"
            "  Desktop manager\tVelmoric14\t\n"
            "  Cycle desktops\tVelmoric15\t\n"
            "  Clear Memory\tVelmoric16\t\n"
            "  -\tVelmoric17\t\n"
            "  Find position\tVelmoric18\t\n"
            "  -\tVelmoric19\t\n"
            "  Edit Manual\tVelmoric20\t\n"
            "  Virtual Help\tVelmoric21\t\n"
            "  -\tVelmoric22\t\n"
            "  &Options\tVelmoric23\t\n"
            "  &About velmoric\tVelmoric24\t\n"
            "  Relevant files\tVelmoricQuickOpen\t\n");
  // The file repository went into the data directory.
  EXPECT_TRUE(FileExists(Dir.File("data/filerep.dat")));
}

TEST(MenuCommand, ShowsShortCutsFromTheRegistry) {
  TScratchDir Dir;
  ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
  {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\SOFTWARE\\HALVORN\\Velmoric\\Menus", true));
    Reg.WriteInteger("Hyperjump", 0x4000 | 'J');
    Reg.WriteInteger("Velmoric", 0x8000 | 'V');
  }
  const TCliResult R = RunMenuCommand(Dir);
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("V&elmoric\tVelmoric1\tAlt+V\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  Hyper&jump\tVelmoric9\tCtrl+J\n"), std::string::npos) << R.Out;
}

TEST(MenuCommand, RelevantFilesListTheRepositoryByDirectory) {
  TScratchDir Dir;
  Dir.Write("data/filerep.dat",
            "/p/a/x.pas\r\n/p/a/y.pas\r\n/p/a/z.pas\r\n/p/b/u.pas\r\n/p/c/v.pas\r\n");
  const TCliResult R = RunMenuCommand(Dir);
  ASSERT_EQ(R.Status, 0) << R.Err;
  const size_t At = R.Out.find("  Relevant files\t");
  ASSERT_NE(At, std::string::npos) << R.Out;
  EXPECT_EQ(R.Out.substr(At),
            "  Relevant files\tVelmoricQuickOpen\t\n"
            "    /p/a/\tVelmoricPath0\t\n"
            "      y.pas\tVelmoricFile1\t\n"
            "      z.pas\tVelmoricFile2\t\n"
            "      x.pas\tVelmoricFile0\t\n"
            "    /p/c/\tVelmoricPath2\t\n"
            "      v.pas\tVelmoricFile4\t\n"
            "    /p/b/\tVelmoricPath1\t\n"
            "      u.pas\tVelmoricFile3\t\n");
}

TEST(MenuCommand, RejectsArguments) {
  TScratchDir Dir;
  const TCliResult R = RunMenuCommand(Dir, "extra");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("takes no arguments"), std::string::npos) << R.Err;
}

}  // namespace
