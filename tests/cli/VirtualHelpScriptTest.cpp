// The virtual help through `velmoric script` over a copy of examples/demo:
// the page of a method with its structured comment, the help table created
// when the user agrees, a page written, saved and shown again by a new
// session.
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

}  // namespace
