#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "CliTestUtil.h"
#include "ProjectTestUtil.h"

using namespace projecttest;

namespace {

// The unit key of a file name without folder: "Upper.PAS" -> "upper".
std::string KeyOf(const std::string& Name) {
  return LowerCase(Name.substr(0, Name.find('.')));
}

class CompileCommand : public testing::Test {
 protected:
  void SetUp() override {
    Dir.Write("Demo.dpr",
              "program Demo;\nuses\n  SysUtils,\n  UnitA in 'UnitA.pas';\nbegin\nend.\n");
    Dir.Write("UnitA.pas", "unit UnitA;\ninterface\nuses SysUtils, UnitB;\nimplementation\nend.\n");
    Dir.Write("lib/UnitB.pas", "unit UnitB;\ninterface\nuses UnitC;\nimplementation\nend.\n");
    Dir.Write("lib/UnitC.pas", "unit UnitC;\ninterface\nuses sysutils;\nimplementation\nend.\n");
  }
  CliResult Compile(const std::string& Args) {
    return RunCli("compile " + Args, Dir.File("err"),
                  "VELMORIC_REGISTRY=" + Quoted(Dir.File("registry")));
  }
  std::string Expected(const char* A, const char* B, const char* C, const char* D) {
    return std::string("demo\t") + D + "\t" + Dir.File("Demo.dpr") + "\n" +
           "sysutils\tmissing\tsysutils\n" + "unita\t" + A + "\t" + Dir.File("UnitA.pas") +
           "\n" + "unitb\t" + B + "\t" + Dir.File("lib/UnitB.pas") + "\n" + "unitc\t" + C +
           "\t" + Dir.File("lib/UnitC.pas") + "\n";
  }
  std::string Args() { return "--search-path " + Quoted(Dir.File("lib")) + " " + Quoted(Dir.File("Demo.dpr")); }

  ScratchDir Dir;
};

TEST_F(CompileCommand, ParsesThenLoadsAndReparsesOnlyATouchedUnit) {
  CliResult R = Compile(Args());
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, Expected("parsed", "parsed", "parsed", "parsed"));
  EXPECT_TRUE(FileExists(Dir.File("lib/UnitB.pax")));

  R = Compile(Args());
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, Expected("loaded", "loaded", "loaded", "loaded"));

  struct stat St {};
  ::stat(Dir.File("lib/UnitB.pas").c_str(), &St);
  const struct timespec T[2] = {{0, UTIME_OMIT}, {St.st_mtim.tv_sec, St.st_mtim.tv_nsec + 1000 < 1000000000 ? St.st_mtim.tv_nsec + 1000 : 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, Dir.File("lib/UnitB.pas").c_str(), T, 0), 0);
  R = Compile(Args());
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, Expected("loaded", "parsed", "loaded", "loaded"));
}

TEST_F(CompileCommand, ALazarusProgramAndItsPpUnits) {
  const std::string Lpr = Dir.Write(
      "Tool.lpr", "program Tool;\n{$mode objfpc}{$H+}\nuses\n  Helpers in 'src/helpers.pp', Plain;\nbegin\nend.\n");
  Dir.Write("src/helpers.pp", "unit Helpers;\n{$mode objfpc}\ninterface\nimplementation\nend.\n");
  Dir.Write("lib/plain.pp", "unit Plain;\ninterface\nimplementation\nend.\n");
  const CliResult R = Compile("--search-path " + Quoted(Dir.File("lib")) + " " + Quoted(Lpr));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "tool\tparsed\t" + Lpr + "\n" + "helpers\tparsed\t" + Dir.File("src/helpers.pp") + "\n" +
                       "plain\tparsed\t" + Dir.File("lib/plain.pp") + "\n");
}

TEST_F(CompileCommand, WithoutTheSearchPathTheLibraryUnitsAreMissing) {
  const CliResult R = Compile(Quoted(Dir.File("UnitA.pas")));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "unita\tparsed\t" + Dir.File("UnitA.pas") +
                       "\nsysutils\tmissing\tsysutils\nunitb\tmissing\tunitb\n");
}

TEST_F(CompileCommand, BadArgumentsAndMissingFiles) {
  EXPECT_EQ(Compile("").Status, 2);
  EXPECT_EQ(Compile("--search-path").Status, 2);
  EXPECT_EQ(Compile("--bogus " + Quoted(Dir.File("UnitA.pas"))).Status, 2);
  const CliResult R = Compile(Quoted(Dir.File("Nope.pas")));
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("Nope.pas"), std::string::npos) << R.Err;
  EXPECT_EQ(R.Out, "");
}

TEST_F(CompileCommand, OnlyPascalSourcesAreCompiledAndNoStoreIsWrittenOntoOne) {
  const std::string Text = "unit Keep;\ninterface\nimplementation\nend.\n";
  for (const char* Name : {"keep.pax", "notes.txt", "Makefile", "unit1.pas.bak"}) {
    const std::string F = Dir.Write(Name, Text);
    const CliResult R = Compile(Quoted(F));
    EXPECT_EQ(R.Status, 2) << Name;
    EXPECT_EQ(R.Out, "") << Name;
    EXPECT_NE(R.Err.find("not a Pascal source"), std::string::npos) << R.Err;
    EXPECT_NE(R.Err.find(Name), std::string::npos) << R.Err;
    EXPECT_EQ(ReadFileBytes(F), Text) << Name;
  }
  EXPECT_FALSE(FileExists(Dir.File("notes.pax")));
  EXPECT_FALSE(FileExists(Dir.File("Makefile.pax")));
  for (const char* Name : {"Upper.PAS", "Free.pp", "Laz.lpr"}) {
    const std::string F = Dir.Write(Name, Text);
    const CliResult R = Compile(Quoted(F));
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out.substr(0, R.Out.find('\t')), KeyOf(Name));
    EXPECT_TRUE(FileExists(ChangeFileExt(F, ".pax"))) << Name;
  }
}

TEST_F(CompileCommand, UsesEntriesThatAreNotUnitNamesAreListedMissing) {
  Dir.Write("x/archive.pax", "precious");
  const std::string Main = Dir.Write(
      "src/Main.pas", "unit Main;\ninterface\nuses Bar in '../x/archive.pax';\nimplementation\nend.\n");
  // Run from the unit's folder, where the path would lead to the file.
  const CliResult R = RunCli("compile " + Quoted(Main), Dir.File("err"),
                             "cd " + Quoted(Dir.File("src")) +
                                 " && VELMORIC_REGISTRY=" + Quoted(Dir.File("registry")));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "main\tparsed\t" + Main +
                       "\nbar\tmissing\tbar\n../x/archive.pax\tmissing\t../x/archive.pax\n");
  EXPECT_EQ(ReadFileBytes(Dir.File("x/archive.pax")), "precious");
}

}  // namespace
