// The in-process IDE's library path when its settings name none: the source
// folders of the Free Pascal and Lazarus installations, platform first.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "hosts/memory/LibrarySources.h"
#include "hosts/memory/MemoryIDE.h"
#include "project/VelmoricPascalProject.h"

namespace {

// Sets an environment variable for the scope, then puts the old value back.
class TScopedEnv {
 public:
  TScopedEnv(const char* Name, const std::string& Value) : FName(Name) {
    if (const char* Old = std::getenv(Name)) FOld = Old;
    ::setenv(Name, Value.c_str(), 1);
  }
  ~TScopedEnv() {
    if (FOld) ::setenv(FName, FOld->c_str(), 1);
    else ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

TEST(LibraryFolders, PlatformFoldersFirstThenPackagesThenTheComponentLibrary) {
  TScratchDir Dir;
  for (const char* F : {"fpc/rtl/linux/system.pp", "fpc/rtl/unix/sysutils.pp", "fpc/rtl/unix/classes.pp",
                        "fpc/rtl/objpas/objpas.pp", "fpc/rtl/win/windows.pp", "fpc/rtl/inc/systemh.inc",
                        "fpc/packages/fcl-db/src/base/db.pas", "fpc/packages/fcl-base/src/contnrs.pp",
                        "fpc/packages/fcl-db/src/Makefile", "fpc/packages/rtl-generics/src/generics.collections.pas",
                        "fpc/packages/empty/src/readme.txt", "lazarus/lcl/forms.pp", "lazarus/lcl/widgetset/wslclclasses.pp",
                        "lazarus/lcl/interfaces/gtk2/gtk2int.pas", "lazarus/lcl/interfaces/win32/win32int.pp",
                        "lazarus/components/lazutils/lazutf8.pas", "lazarus/ide/main.pp",
                        "fpc/packages/winunits/src/shellapi.pp", "fpc/packages/x11/src/xlib.pp"})
    Dir.Write(F, "unit x;\n");
  // Packages built for other systems only are left out.
  Dir.Write("fpc/packages/winunits/fpmake.pp", "begin\n    P.OSes := [win32, win64];\nend.\n");
  Dir.Write("fpc/packages/x11/fpmake.pp", "begin\n    P.OSes:=[Linux,freebsd];\nend.\n");
  Dir.Write("fpc/packages/fcl-db/fpmake.pp", "begin\n    P.OSes:=AllOSes-[embedded,linux];\nend.\n");
  const std::string F = Dir.File("fpc");
  const std::string L = Dir.File("lazarus");
  EXPECT_EQ(LibraryFolders({F, L}),
            (std::vector<std::string>{F + "/rtl/linux", F + "/rtl/unix", F + "/rtl/objpas", L + "/lcl",
                                      L + "/lcl/widgetset", L + "/lcl/interfaces/gtk2", L + "/components/lazutils",
                                      F + "/packages/fcl-base/src", F + "/packages/rtl-generics/src",
                                      F + "/packages/x11/src", F + "/packages/fcl-db/src/base"}));
  EXPECT_EQ(LibraryFolders({F, ""}).size(), 7u) << "Free Pascal alone";
  EXPECT_EQ(LibraryFolders({"", L}).front(), L + "/lcl") << "Lazarus alone";
  EXPECT_TRUE(LibraryFolders({}).empty());
  EXPECT_TRUE(LibraryFolders({Dir.File("none"), Dir.File("none")}).empty());
}

TEST(LibraryFolders, TheInstalledSourcesWhenThereAreAny) {
  const TLibraryInstallations Found = FindLibraryInstallations();
  if (Found.FreePascal.empty()) GTEST_SKIP() << "no Free Pascal sources (scripts/setup installs fpc-source-3.2.2)";
  EXPECT_EQ(Found.FreePascal.rfind("/usr/share/fpcsrc/", 0), 0u) << Found.FreePascal;
  const std::vector<std::string> Folders = LibraryFolders(Found);
  ASSERT_FALSE(Folders.empty());
  EXPECT_EQ(Folders.front(), Found.FreePascal + "/rtl/linux");
  auto Holds = [&](const std::string& Unit) {
    for (const std::string& D : Folders)
      if (std::filesystem::exists(D + "/" + Unit)) return true;
    return false;
  };
  EXPECT_TRUE(Holds("sysutils.pp"));
  EXPECT_TRUE(Holds("classes.pp"));
  if (!Found.Lazarus.empty()) {
    EXPECT_TRUE(Holds("forms.pp"));
    EXPECT_TRUE(Holds("controls.pp"));
  }
}

class DefaultLibraryPath : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELMORIC_REGISTRY", Dir.File("registry").c_str(), 1);
    IDE = std::make_unique<TMemoryIDE>();
  }
  void TearDown() override { IDE.reset(); }

  TScratchDir Dir;
  std::unique_ptr<TMemoryIDE> IDE;
};

TEST_F(DefaultLibraryPath, TheProjectTakesTheIDEsDefaultOnlyWhenTheSettingsNameNone) {
  const TScopedEnv Env("VELMORIC_LIBRARY_PATH", Dir.File("a") + ";" + Dir.File("b"));
  EXPECT_EQ(IDE->GetDefaultLibraryPath(), Dir.File("a") + ";" + Dir.File("b"));
  EXPECT_EQ(TPascalProject().FSearchPath, Dir.File("a") + ";" + Dir.File("b"));

  IDE->SetLibraryPath("");  // an empty value names none either
  EXPECT_EQ(TPascalProject().FSearchPath, Dir.File("a") + ";" + Dir.File("b"));
  IDE->SetLibraryPath("/mine");
  EXPECT_EQ(TPascalProject().FSearchPath, "/mine");
  EXPECT_EQ(IDE->LibraryPath(), "/mine") << "the settings are not rewritten";
}

TEST_F(DefaultLibraryPath, AUnitIsFoundInTheDefaultFolders) {
  Dir.Write("lib/rtl/Helpers.pp", "unit Helpers;\ninterface\nimplementation\nend.\n");
  Dir.Write("lib/other/helpers.pas", "unit Helpers;\ninterface\nimplementation\nend.\n");
  const TScopedEnv Env("VELMORIC_LIBRARY_PATH", Dir.File("lib/rtl") + ";" + Dir.File("lib/other"));
  TPascalProject Project;
  std::string FileName;
  ASSERT_TRUE(Project.FindSource("helpers", FileName));
  EXPECT_EQ(FileName, Dir.File("lib/rtl/Helpers.pp")) << "the first folder wins";
}

TEST_F(DefaultLibraryPath, NoneWithoutAnIDE) {
  const TScopedEnv Env("VELMORIC_LIBRARY_PATH", Dir.File("a"));
  IDE.reset();
  EXPECT_EQ(TPascalProject().FSearchPath, "");
}

}  // namespace
