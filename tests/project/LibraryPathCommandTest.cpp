// `velmoric compile` with the in-process IDE's default library path: the
// folders it names with --verbose, and the demo's library units found in the
// installed Free Pascal and Lazarus sources, with no store written there.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "CliTestUtil.h"
#include "ProjectTestUtil.h"

using namespace projecttest;

namespace {

class LibraryPathCommand : public testing::Test {
 protected:
  // Env: the environment before the command ("NAME=value ...").
  CliResult Compile(const std::string& Args, const std::string& Env) {
    return RunCli("compile " + Args, Dir.File("err"),
                  Env + " VELMORIC_REGISTRY=" + Quoted(Dir.File("registry")));
  }
  // Unit key -> "<how>\t<file>" of the compile's unit lines.
  static std::map<std::string, std::string> Units(const std::string& Out) {
    std::map<std::string, std::string> M;
    std::istringstream In(Out);
    for (std::string L; std::getline(In, L);)
      if (!L.empty() && L[0] != '#') M[L.substr(0, L.find('\t'))] = L.substr(L.find('\t') + 1);
    return M;
  }

  ScratchDir Dir;
};

TEST_F(LibraryPathCommand, VerboseNamesTheFoldersInSearchOrder) {
  Dir.Write("rtl/Base.pp", "unit Base;\ninterface\nimplementation\nend.\n");
  const std::string Main =
      Dir.Write("Main.pas", "unit Main;\ninterface\nuses Base, Extra;\nimplementation\nend.\n");
  Dir.Write("more/extra.pas", "unit Extra;\ninterface\nimplementation\nend.\n");
  const std::string Library = Dir.File("rtl") + ";" + Dir.File("lcl");
  CliResult R = Compile("--verbose --search-path " + Quoted(Dir.File("more")) + " " + Quoted(Main),
                        "VELMORIC_LIBRARY_PATH=" + Quoted(Library));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "# library path (the IDE's default: the Free Pascal and Lazarus sources found):\n#   " +
                       Dir.File("rtl") + "\n#   " + Dir.File("lcl") + "\n# search path:\n#   " +
                       Dir.File("more") + "\nmain\tparsed\t" + Main + "\nbase\tparsed\t" +
                       Dir.File("rtl/Base.pp") + "\nextra\tparsed\t" + Dir.File("more/extra.pas") + "\n");

  R = Compile("--verbose " + Quoted(Main), "VELMORIC_LIBRARY_PATH=");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out.substr(0, R.Out.find("main\t")),
            "# library path (none: no settings, no Free Pascal or Lazarus sources found):\n# search path:\n");
  EXPECT_EQ(Units(R.Out)["base"], "missing\tbase");
}

TEST_F(LibraryPathCommand, TheDemoFindsItsLibraryUnitsInTheInstalledSources) {
  const std::string Fpc = "/usr/share/fpcsrc";
  if (!std::filesystem::is_directory(Fpc)) GTEST_SKIP() << Fpc << " is missing (scripts/setup installs fpc-source-3.2.2)";
  // The demo's sources only: stores left beside them by earlier runs would be loaded instead.
  for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo"))
    if (E.path().extension() != ".pax") std::filesystem::copy_file(E.path(), Dir.File(E.path().filename().string()));
  const CliResult R = Compile("--verbose " + Quoted(Dir.File("Demo.dpr")), "env -u VELMORIC_LIBRARY_PATH");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("# library path (the IDE's default: the Free Pascal and Lazarus sources found):\n#   " +
                       Fpc + "/"),
            std::string::npos)
      << R.Out.substr(0, 400);
  const auto U = Units(R.Out);
  std::vector<std::string> Library = {"sysutils", "classes", "types", "math", "db"};
  const bool Lazarus = R.Out.find("/lcl\n") != std::string::npos;
  if (Lazarus)
    for (const char* Name : {"forms", "controls", "dialogs", "graphics", "stdctrls", "extctrls", "comctrls",
                             "menus", "messages"})
      Library.push_back(Name);
  for (const std::string& Name : Library) {
    const auto It = U.find(Name);
    ASSERT_NE(It, U.end()) << Name << " not compiled";
    EXPECT_EQ(It->second.rfind("parsed\t/usr/", 0), 0u) << Name << ": " << It->second;
    const std::string File = It->second.substr(It->second.find('\t') + 1);
    EXPECT_FALSE(FileExists(ChangeFileExt(File, ".pax"))) << "a store written into " << File;
  }
  EXPECT_EQ(U.at("shapes"), "parsed\t" + Dir.File("Shapes.pas"));
  EXPECT_TRUE(FileExists(Dir.File("Shapes.pax"))) << "the project's own units keep their stores";
  EXPECT_EQ(U.at("dbtables"), "missing\tdbtables") << "no such unit in the installed sources";
}

}  // namespace
