// The virtual help through `velmoric script` over a copy of examples/demo:
// the page of a method with its structured comment, the help table created
// when the user agrees, a page written, saved and shown again by a new
// session, a page saved into the source as the method's comment, and the
// manual editor's printing answered or not.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../support/ShellRun.h"
#include "platform/rtl/SysUtils.h"

namespace {

using TRun = TShellRun;

class VirtualHelpScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-vhscript-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo")) {
      const std::string Ext = E.path().extension().string();
      if (Ext == ".pas" || Ext == ".dpr" || Ext == ".dfm")
        std::filesystem::copy_file(E.path(), Dir + "/" + E.path().filename().string());
    }
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  TRun Run(const std::string& Script) {
    WriteFileBytes(Dir + "/test.script", Script);
    const std::string Cmd = "cd " + ShellQuoted(Dir) + " && VELMORIC_REGISTRY=" + ShellQuoted(Dir + "/registry") +
                            " VELMORIC_DATA=" + ShellQuoted(Dir + "/data") + " " + VELMORIC_CLI +
                            " script --project Demo.dpr test.script";
    return RunShell(Cmd, Dir + "/err");
  }

  static std::string OpenHelpAt(int Line, int Col, const std::string& Answer) {
    return "open MainForm.pas\n"
           "menu \"Velmoric > Source explorer...\"\n"
           "form FormSourceExplorer\n  click SpeedButtonCompile\nend\n"
           "cursor " + std::to_string(Line) + " " + std::to_string(Col) + "\n"
           "message " + Answer + "\n"
           "menu \"Velmoric > Virtual Help\"\n";
  }

  std::string Dir;
};

TEST_F(VirtualHelpScriptTest, MethodPageFromItsStructuredComment) {
  const TRun R = Run(OpenHelpAt(141, 25, "No") +
                     "form FormVelmoricVirtualHelp\n"
                     "  print RichEditHeader\n"
                     "  print RichEditText\n"
                     "end\n");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  EXPECT_NE(R.Out.find("  | TFormMain.PaintBoxDrawingPaint\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  | procedure PaintBoxDrawingPaint(Sender : TObject )\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  | Sender\tthe paint box\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  | Paints the grid, then every shape from the bottom up.\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("Could not open the table"), std::string::npos) << R.Out;
  EXPECT_FALSE(FileExists(Dir + "/data/velmoric.db"));
}

TEST_F(VirtualHelpScriptTest, PageWrittenSavedAndShownAgain) {
  TRun R = Run(OpenHelpAt(141, 25, "Yes") +
               "form FormVelmoricVirtualHelp\n"
               "  set RichEditText \"My own page for the paint handler\"\n"
               "  click ButtonSave\n"
               "end\n");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  EXPECT_TRUE(FileExists(Dir + "/data/velmoric.db"));

  R = Run(OpenHelpAt(141, 25, "No") +
          "form FormVelmoricVirtualHelp\n"
          "  print RichEditText\n"
          "end\n");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  EXPECT_NE(R.Out.find("  | My own page for the paint handler\n"), std::string::npos) << R.Out;
  EXPECT_EQ(R.Out.find("Could not open the table"), std::string::npos) << R.Out;
}

TEST_F(VirtualHelpScriptTest, PageSavedIntoTheSourceAsTheMethodsComment) {
  const TRun R = Run(OpenHelpAt(141, 25, "No") +
                     "form FormVelmoricVirtualHelp\n"
                     "  check CheckBoxUpdateSource\n"
                     "  uncheck CheckBoxUpdateManual\n"
                     "  set RichEditText \"Paints the drawing.\\nGrid first, then the shapes.\"\n"
                     "  click ButtonSave\n"
                     "end\n"
                     "save\n"
                     "cursor 1 1\n"
                     "menu \"Velmoric > Virtual Help\"\n");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  const std::string Text = ReadFileBytes(Dir + "/MainForm.pas");
  const size_t Impl = Text.find("procedure TFormMain.PaintBoxDrawingPaint(Sender");
  ASSERT_NE(Impl, std::string::npos);
  const size_t Comment = Text.rfind("// Paints the drawing.", Impl);
  ASSERT_NE(Comment, std::string::npos) << Text.substr(Impl > 800 ? Impl - 800 : 0, 1000);
  EXPECT_NE(Text.find("// Grid first, then the shapes.", Comment), std::string::npos);
  // The old structured comment is replaced, not kept beside the new one.
  EXPECT_EQ(Text.find("// Created : 14.03.98 10:12:40"), std::string::npos);
  EXPECT_FALSE(FileExists(Dir + "/data/velmoric.db"));
}

TEST_F(VirtualHelpScriptTest, UpdateSourceCodeIsOfferedForWhatTheModifierWrites) {
  // A class: the source modifier writes no class comment.
  const TRun R = Run(OpenHelpAt(20, 5, "No") +
                     "form FormVelmoricVirtualHelp\n"
                     "  print CheckBoxUpdateSource\n"
                     "  check CheckBoxUpdateSource\n"
                     "end\n");
  EXPECT_EQ(R.Status, 2) << R.Err << R.Out;
  EXPECT_NE(R.Err.find("CheckBoxUpdateSource is disabled"), std::string::npos) << R.Err;
}

TEST_F(VirtualHelpScriptTest, PrintingWithoutAFileAnswerIsUnanswered) {
  const TRun R = Run("menu \"Velmoric > Edit Manual\"\n"
                     "form FFormVelmoricRTFEdit\n"
                     "  click ButtonPrint\n"
                     "end\n"
                     "file -\n"
                     "form FFormVelmoricRTFEdit\n"
                     "  click ButtonPrint\n"
                     "end\n");
  EXPECT_EQ(R.Status, 1) << R.Err << R.Out;
  EXPECT_NE(R.Out.find("unanswered print \"Velmoric Manual entry\"\nprint \"Velmoric Manual entry\" cancelled\n"),
            std::string::npos)
      << R.Out;
}

}  // namespace
