// `velmoric script` over a copy of examples/demo: the navigation of the
// expert driven as a user would (time, menus, short cuts, dialogs and the
// non-modal windows), message boxes, saving, and every error.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../support/ShellRun.h"
#include "platform/registry/Registry.h"
#include "platform/rtl/SysUtils.h"

namespace {

using TRun = TShellRun;

class ScriptCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-script-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo")) {
      const std::string Ext = E.path().extension().string();
      if (Ext == ".pas" || Ext == ".dpr" || Ext == ".dfm")
        std::filesystem::copy_file(E.path(), Dir + "/" + E.path().filename().string());
    }
    ::setenv("VELMORIC_REGISTRY", File("registry").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("VELMORIC_REGISTRY");
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  std::string File(const std::string& Name) const { return Dir + "/" + Name; }

  // Runs Script (given as a file, or on standard input with Stdin) in the
  // copy of the demo with Demo.dpr as the project.
  TRun Run(const std::string& Script, const std::string& Options = "--project Demo.dpr",
           bool Stdin = false) {
    WriteFileBytes(File("test.script"), Script);
    const std::string Cmd = "cd " + ShellQuoted(Dir) + " && VELMORIC_REGISTRY=" + ShellQuoted(File("registry")) +
                            " VELMORIC_DATA=" + ShellQuoted(File("data")) + " " + VELMORIC_CLI + " script " +
                            Options + (Stdin ? " < test.script" : " test.script");
    return RunShell(Cmd, File("err"));
  }

  // Opens FILE and compiles the project with the source explorer's button.
  static std::string Compiled(const std::string& FileName) {
    return "open " + FileName +
           "\nmenu \"Velmoric > Source explorer...\"\n"
           "form FormSourceExplorer\n  click SpeedButtonCompile\nend\n";
  }

  std::string Dir;
};

TEST_F(ScriptCommandTest, FindPositionRunsWhenTheHostClockReachesTheTimer) {
  const TRun R = Run(Compiled("Shapes.pas") +
                     "cursor 170 1\n"
                     "wait 999\n"
                     "print caption\n"
                     "wait 1\n"
                     "print caption\n"
                     "print cursor\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out, File("Shapes.pas") + "\nTShape.DrawHandles.Handle - " + File("Shapes.pas") + "\n170:1\n");
}

TEST_F(ScriptCommandTest, HyperjumpTakesTheAmbiguityDialogsAnswer) {
  const TRun R = Run(Compiled("MainForm.pas") +
                     "cursor 181 17\n"
                     "dialog \"Select a symbol\"\n"
                     "  print ListBox1\n"
                     "  select ListBox1 TLineShape.Draw\n"
                     "  keypress ListBox1 Enter\n"
                     "end\n"
                     "key Alt+J\n"
                     "print cursor\n"
                     "print files\n"
                     "open MainForm.pas\n"
                     "print cursor\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out,
            "TListBox ListBox1\n"
            "    TEllipseShape.Draw\n"
            "    TLineShape.Draw\n"
            "    TRectShape.Draw\n"
            "    TShape.Draw\n"
            "    TTextShape.Draw\n"
            "288:2\n" +
                File("Shapes.pas") + "\n" + File("MainForm.pas") + "\n181:17\n");
}

TEST_F(ScriptCommandTest, SourceExplorerAndBookmarkWindowAreWorkedThroughTheirControls) {
  TRun R = Run(Compiled("Shapes.pas") +
               "form \"Source explorer\"\n"
               "  select ComboBoxClass TEllipseShape\n"
               "  print ComboBoxFinde\n"
               "end\n"
               "cursor 259 5\n"
               "menu \"Velmoric > Hyperjump\"\n"
               "print cursor\n"
               "menu V&elmoric '>' 'bookmark stack...'\n"
               "form \"Bookmark stack\"\n"
               "  print ListBoxDependencies\n"
               "  dblclick ListBoxDependencies #0\n"
               "end\n"
               "print cursor\n"
               "form TFFormVelmoricBookmarkStack\n"
               "  select ListBoxDependencies #0\n"
               "  click Delete1\n"
               "  print ListBoxDependencies\n"
               "  close\n"
               "end\n"
               "form \"Bookmark stack\"\n"
               "end\n");
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Err, "script:25: no form Bookmark stack is shown\n");
  const std::string Members = "TComboBox ComboBoxFinde \"<no class selected>\"\n    Draw\n    GetKind\n    HitTest\n";
  ASSERT_EQ(R.Out.substr(0, Members.size()), Members);
  const std::string Rest = R.Out.substr(Members.size());
  EXPECT_EQ(Rest.substr(0, Rest.find("\n259:")),
            "172:2\n"
            "TListBox ListBoxDependencies\n"
            "  * procedure TEllipseShape.Draw(Canvas: TCanvas); " + File("Shapes.pas") + "(259)");
  EXPECT_NE(Rest.find("\n259:"), std::string::npos) << Rest;  // back on the line of the jump
  EXPECT_EQ(Rest.substr(Rest.find("TListBox", 10)), "TListBox ListBoxDependencies\n");
}

TEST_F(ScriptCommandTest, ShortCutsFromTheRegistryRunTheirMenuItems) {
  {
    TRegistry Reg;
    ASSERT_TRUE(Reg.OpenKey("\\SOFTWARE\\HALVORN\\Velmoric\\Menus", true));
    Reg.WriteInteger("Find position", 0x4000 | 0x2000 | 'F');
  }
  const TRun R = Run(Compiled("Shapes.pas") +
                     "cursor 170 1\n"
                     "key Ctrl+Shift+F\n"
                     "print caption\n"
                     "print menu\n"
                     "key Ctrl+Alt+F\n");
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Err, "script:10: no enabled menu item has the short cut Ctrl+Alt+F\n");
  EXPECT_EQ(R.Out.substr(0, R.Out.find('\n') + 1), "TShape.DrawHandles.Handle - " + File("Shapes.pas") + "\n");
  EXPECT_NE(R.Out.find("\n  Find position\tVelmoric18\tShift+Ctrl+F\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("\n  Hyper&jump\tVelmoric9\tAlt+J\n"), std::string::npos) << R.Out;
}

TEST_F(ScriptCommandTest, MessageBoxesArePrintedWithTheirAnswers) {
  // Virtual help on a data directory without the help table asks whether to
  // create it: a Yes/No box.
  const std::string Box =
      "message \"Velmoric virtual help\" Could not open the table \\nDo you like to create the tables? "
      "(make shure you have an VELMORIC alias) -> ";
  TRun R = Run("message Yes\nmenu \"Velmoric > Virtual Help\"\n");
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out.substr(0, Box.size() + 4), Box + "Yes\n");
  EXPECT_TRUE(FileExists(File("data/velmoric.db"))) << "Yes created the table";

  std::filesystem::remove_all(File("data"));
  R = Run("message OK\nmenu \"Velmoric > Virtual Help\"\n");
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Out, Box + "No\n") << "an unanswerable box is cancelled";
  EXPECT_EQ(R.Err, "script:1: the message box has no OK button (Yes, No)\n");
}

TEST_F(ScriptCommandTest, EditsAreSavedOnlyWhenTheScriptSaves) {
  const std::string Before = ReadFileBytes(File("ShapeExport.pas"));
  TRun R = Run("open ShapeExport.pas\n"
               "cursor 1 1\n"
               "type '{ one }\\n'\n"
               "print cursor\n"
               "select-text 1 3 1 6\n"
               "key Ctrl+C\n"
               "print clipboard\n"
               "undo\n"
               "print cursor\n"
               "type \"{ two }\\t\"\n"
               "print cursor\n"
               "close\n"
               "print files\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "2:1\none\n1:6\n1:17\n");  // undo leaves the cursor; a tab goes to column 17
  EXPECT_EQ(ReadFileBytes(File("ShapeExport.pas")), Before);

  R = Run("open ShapeExport.pas\ncursor 1 1\ntype '{ two }'\nsave\nprint text\nundo\n", "");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(ReadFileBytes(File("ShapeExport.pas")), "{ two }" + Before);
  EXPECT_EQ(R.Out, "{ two }" + Before + (Before.back() == '\n' ? "" : "\n"));
}

TEST_F(ScriptCommandTest, EveryErrorStopsTheScriptWithItsLine) {
  struct TCase {
    std::string Script;
    std::string Error;
  };
  const std::string Open = "open Shapes.pas\n";
  const TCase Cases[] = {
      {Open + "jump 12\n", "script:2: unknown statement jump\n"},
      {Open + "cursor 423 1\n", "script:2: line 423 is outside the text (422 lines)\n"},
      {Open + "cursor 1 40\n", "script:2: column 40 is outside line 1 (columns 1 to 13)\n"},
      {Open + "cursor x 1\n", "script:2: line is not a number: x\n"},
      {Open + "menu \"Velmoric > Fly\"\n", "script:2: the menu Velmoric has no item Fly\n"},
      {Open + "menu Window\n", "script:2: the menu bar has no Window\n"},
      {Open + "key Ctrl+Hyper\n", "script:2: unknown short cut Ctrl+Hyper\n"},
      {Open + "type 'unclosed\n", "script:2: a single quote is not closed\n"},
      {Open + "undo\n", "script:2: nothing to undo in " + File("Shapes.pas") + "\n"},
      {"open Missing.pas\n", "script:1: File not found: Missing.pas\n"},
      {"cursor 1 1\n", "script:1: no file is open\n"},
      {Open + "message Perhaps\n", "script:2: unknown answer Perhaps (OK, Cancel, Yes, No, Abort, Retry, Ignore)\n"},
      {Open + "end\n", "script:2: end without dialog or form\n"},
      {Open + "print everything\n",
       "script:2: print takes text, caption, cursor, menu, files, clipboard, title or main-caption, not everything\n"},
      {Open + "menu \"Velmoric > Source explorer...\"\nform FormSourceExplorer\n  click Nothing\nend\n",
       "script:4: FormSourceExplorer has no control Nothing\n"},
      {Open + "menu \"Velmoric > Source explorer...\"\nform FormSourceExplorer\n  select ComboBoxClass TNone\nend\n",
       "script:4: ComboBoxClass has no item \"TNone\"\n"},
  };
  for (const TCase& C : Cases) {
    const TRun R = Run(C.Script + "print cursor\n", "");
    EXPECT_EQ(R.Status, 2) << C.Script;
    EXPECT_EQ(R.Err, C.Error) << C.Script;
    EXPECT_EQ(R.Out, "") << C.Script;
  }
}

TEST_F(ScriptCommandTest, UnansweredDialogIsCancelledAndEndsWithStatusOne) {
  const TRun R = Run(Compiled("MainForm.pas") + "cursor 181 17\nkey Alt+J\nprint cursor\n", "--project Demo.dpr --trace",
                     true);
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Out, "unanswered dialog TFormVelmoricAmbuingity \"Select a symbol\"\n181:17\n");
  EXPECT_NE(R.Err.find("+ 7: key Alt+J\n"), std::string::npos) << R.Err;
}

TEST_F(ScriptCommandTest, BadCommandLines) {
  TRun R = Run("", "--project Demo.dpr --fast");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("Usage: velmoric script"), std::string::npos) << R.Err;
  R = Run("", "--project Missing.dpr");
  EXPECT_EQ(R.Status, 2);
  EXPECT_NE(R.Err.find("velmoric script: "), std::string::npos) << R.Err;
  R = Run("", "no-such.script");
  EXPECT_EQ(R.Status, 2);
}

}  // namespace
