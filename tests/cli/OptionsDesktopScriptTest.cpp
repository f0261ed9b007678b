// Scripts through `velmoric script`: settings made in the options dialog
// reach a new process; desktops are saved, switched automatically by the
// main window's caption (run/stop) and read back by a new process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../support/ShellRun.h"
#include "platform/rtl/SysUtils.h"

namespace {

using TRun = TShellRun;

class OptionsDesktopScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-optscript-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    std::filesystem::create_directories(Dir + "/app");
    std::filesystem::create_directories(Dir + "/lib");
    std::filesystem::create_directories(Dir + "/data");
    WriteFileBytes(Dir + "/app/Main.pas",
                   "unit Main;\ninterface\nuses LibUnit;\nprocedure Run;\nimplementation\n"
                   "procedure Run;\nbegin\n  LibProc;\nend;\nend.\n");
    WriteFileBytes(Dir + "/lib/LibUnit.pas",
                   "unit LibUnit;\ninterface\nprocedure LibProc;\nimplementation\n"
                   "procedure LibProc;\nbegin\nend;\nend.\n");
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  // Each run is a new process with the same registry and data directory.
  TRun Velmoric(const std::string& Args) {
    const std::string Cmd = "cd " + ShellQuoted(Dir) + " && VELMORIC_REGISTRY=" +
                            ShellQuoted(Dir + "/registry") + " VELMORIC_DATA=" + ShellQuoted(Dir + "/data") +
                            " " + VELMORIC_CLI + " " + Args;
    return RunShell(Cmd, Dir + "/err");
  }
  // The options dialog: the lib folder added, then "Ok".
  std::string AddLibPathAndOk(const std::string& MoreActions = "") {
    return "menu \"Velmoric > Options\"\n"
           "form FFormVelmoricOptions\n"
           "  set EditPath " + Dir + "/lib/\n"
           "  click ButtonAddPath\n" + MoreActions +
           "  click Button2\n"
           "end\n";
  }
  TRun Run(const std::string& Script) {
    WriteFileBytes(Dir + "/test.script", Script);
    return Velmoric("script test.script");
  }

  std::string Dir;
};

TEST_F(OptionsDesktopScriptTest, SearchPathAndShortCutFromTheOptionsReachANewProcess) {
  // Without the path the used unit is not found.
  const std::string Jump =
      "open app/Main.pas\n"
      "cursor 8 4\n"
      "key Alt+J\n"
      "print files\n";
  TRun Before = Run(Jump);
  EXPECT_EQ(Before.Out.find("LibUnit.pas"), std::string::npos) << Before.Out;

  TRun Options = Run(
      "menu \"Velmoric > Options\"\n"
      "form FFormVelmoricOptions\n"
      "  set EditPath " + Dir + "/lib/\n"
      "  click ButtonAddPath\n"
      "  tab PageControl1 Menu\n"
      "  select ListBoxMenu \"Desktop manager\"\n"
      "  keypress Edit1 Ctrl+Shift+F5\n"
      "  print Edit1\n"
      "  click Button2\n"
      "end\n");
  ASSERT_EQ(Options.Status, 0) << Options.Err;
  EXPECT_NE(Options.Out.find("\"Shift Ctrl VK_F5\""), std::string::npos) << Options.Out;

  TRun After = Run(Jump +
                   "key Ctrl+Shift+F5\n"
                   "form FormDesktopManager\n"
                   "  print ListBoxDesktops\n"
                   "end\n");
  ASSERT_EQ(After.Status, 0) << After.Err;
  EXPECT_NE(After.Out.find("LibUnit.pas"), std::string::npos) << After.Out;
  EXPECT_NE(After.Out.find("TListBox ListBoxDesktops"), std::string::npos) << After.Out;
}

TEST_F(OptionsDesktopScriptTest, FoldersTheHostSearchesAreNeitherShownNorStoredByOk) {
  // The folder of an opened file is searched in this session only: the
  // options list and store what the user chose, nothing more.
  TRun Options = Run("open app/Main.pas\n" + AddLibPathAndOk("  print ListBoxSearchPath\n"));
  ASSERT_EQ(Options.Status, 0) << Options.Err;
  EXPECT_NE(Options.Out.find("TListBox ListBoxSearchPath\n    " + Dir + "/lib\n"), std::string::npos)
      << Options.Out;
  EXPECT_EQ(Options.Out.find(Dir + "/app"), std::string::npos) << Options.Out;
  const std::string Registry = ReadFileBytes(Dir + "/registry");
  EXPECT_NE(Registry.find("\"SearchPath\"=sz:\"" + Dir + "/lib\"\n"), std::string::npos) << Registry;
  EXPECT_EQ(Registry.find(Dir + "/app"), std::string::npos) << Registry;
}

TEST_F(OptionsDesktopScriptTest, StoredSettingsDoNotReplaceTheFoldersACommandSearches) {
  TRun Options = Run(AddLibPathAndOk());
  ASSERT_EQ(Options.Status, 0) << Options.Err;
  // The settings read at the start leave the folder of FILE searched.
  WriteFileBytes(Dir + "/app/Helper.pas",
                 "unit Helper;\ninterface\nprocedure HelperProc;\nimplementation\n"
                 "procedure HelperProc;\nbegin\nend;\nend.\n");
  WriteFileBytes(Dir + "/app/Second.pas",
                 "unit Second;\ninterface\nuses Helper;\nimplementation\n"
                 "procedure Go;\nbegin\n  HelperProc;\nend;\nend.\n");
  TRun Jump = Velmoric("hyperjump app/Second.pas 7 4");
  ASSERT_EQ(Jump.Status, 0) << Jump.Err;
  EXPECT_NE(Jump.Out.find(Dir + "/app/Helper.pas"), std::string::npos) << Jump.Out;
}

TEST_F(OptionsDesktopScriptTest, DesktopsSwitchByTheCaptionAndAreReadBack) {
  TRun First = Run(
      "open app/Main.pas\n"
      "menu \"Velmoric > Desktop manager\"\n"
      "message Yes\n"
      "form FormDesktopManager\n"
      "  click ButtonAutomatic\n"
      "  select ListBoxDesktops debugging\n"
      "  click ButtonSave\n"
      "  close\n"
      "end\n"
      "wait 1000\n"
      "print title\n"
      "run\n"
      "print main-caption\n"
      "wait 1000\n"
      "print title\n"
      "wait 1000\n"
      "stop\n"
      "wait 1000\n"
      "print title\n"
      "menu \"Velmoric > Cycle desktops\"\n"
      "print title\n");
  ASSERT_EQ(First.Status, 0) << First.Err;
  EXPECT_NE(First.Out.find("Velmoric IDE / editing\n"
                           "Velmoric IDE [Running]\n"
                           "Velmoric IDE / debugging\n"
                           "Velmoric IDE / editing\n"
                           "Velmoric IDE / debugging\n"),
            std::string::npos)
      << First.Out;
  const std::string Cnf = ReadFileBytes(Dir + "/data/desktop.cnf");
  EXPECT_NE(Cnf.find("Desktop 'editing'"), std::string::npos) << Cnf;
  EXPECT_NE(Cnf.find("Desktop 'debugging'"), std::string::npos) << Cnf;

  TRun Second = Run(
      "open app/Main.pas\n"
      "menu \"Velmoric > Desktop manager\"\n"
      "form FormDesktopManager\n"
      "  print ListBoxDesktops\n"
      "  select ListBoxDesktops debugging\n"
      "  print EditDescription\n"
      "end\n");
  ASSERT_EQ(Second.Status, 0) << Second.Err;
  EXPECT_NE(Second.Out.find("    editing\n"), std::string::npos) << Second.Out;
  EXPECT_NE(Second.Out.find("automatically displayed when program is running"), std::string::npos)
      << Second.Out;
}

TEST_F(OptionsDesktopScriptTest, DropNeedsAShownFormThatTakesFiles) {
  TRun R = Run(
      "menu \"Velmoric > Options\"\n"
      "drop FFormVelmoricOptions app/Main.pas\n"
      "form FFormVelmoricOptions\n"
      "  print ListBoxSearchPath\n"
      "end\n"
      "drop NoSuchForm x.pas\n");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Out.find(Dir + "/app/"), std::string::npos) << R.Out;
  EXPECT_NE(R.Err.find("no form NoSuchForm is shown"), std::string::npos) << R.Err;
}

}  // namespace
