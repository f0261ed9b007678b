// The scripts of examples/scripts run by `velmoric script` over a copy of
// the demo: the uses manager, expand word, the symbol explorer, the unit
// dependency browser, the class wizard, the new class dialog, the virtual
// help, manuals and the manual editor worked through their controls, and
// the demo still parses without new errors after the scripts changed it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

struct TRun {
  int Status = -1;
  std::string Out, Err;
};

class FormScriptsTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-formscripts-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    const std::string Source = VELMORIC_SOURCE_DIR;
    std::filesystem::create_directories(Dir + "/examples");
    for (const char* Sub : {"demo", "scripts", "help"})
      std::filesystem::copy(Source + "/examples/" + Sub, Dir + "/examples/" + Sub,
                            std::filesystem::copy_options::recursive);
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  TRun Velmoric(const std::string& Args) {
    const std::string Cmd = "cd '" + Dir + "' && VELMORIC_REGISTRY='" + Dir + "/registry' VELMORIC_DATA='" +
                            Dir + "/data' " + VELMORIC_CLI + " " + Args + " 2>'" + Dir + "/err'";
    TRun R;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return R;
    std::array<char, 4096> Buf;
    size_t N;
    while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) R.Out.append(Buf.data(), N);
    const int W = ::pclose(P);
    R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
    R.Err = ReadFileBytes(Dir + "/err");
    return R;
  }
  TRun Script(const std::string& Name, const std::string& Extra = "") {
    const std::string File = "examples/scripts/" + Name + ".script";
    if (!Extra.empty()) WriteFileBytes(Dir + "/" + File, ReadFileBytes(Dir + "/" + File) + Extra);
    return Velmoric("script --project examples/demo/Demo.dpr " + File);
  }
  // The parse errors of a demo file as `velmoric parse --json` gives them.
  std::string Errors(const std::string& Name) {
    const TRun R = Velmoric("parse --json examples/demo/" + Name);
    const size_t From = R.Out.find("\"errors\"");
    return From == std::string::npos ? R.Out : R.Out.substr(From, R.Out.find(']', From) - From);
  }

  std::string Dir;
};

TEST_F(FormScriptsTest, UsesManagerRewritesTheClausesAndTheUnitStillParses) {
  const std::string Before = Errors("MainForm.pas");
  const TRun R = Script("uses-manager", "save\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_NE(R.Out.find("TListBox ListBoxImplementation\n    ShapeDialog\n  * ShapeExport\n"),
            std::string::npos)
      << R.Out;
  const std::string Text = ReadFileBytes(Dir + "/examples/demo/MainForm.pas");
  EXPECT_NE(Text.find("uses  Classes, ComCtrls, Controls, Dialogs, ExtCtrls, Forms, Graphics,"),
            std::string::npos);
  EXPECT_NE(Text.find("uses  ShapeDialog;"), std::string::npos);
  EXPECT_EQ(Errors("MainForm.pas"), Before);
}

TEST_F(FormScriptsTest, ExpandWordOffersTheMostFrequentFirst) {
  const TRun R = Script("expand-word");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("  *    6 SaveChanges\n       5 SaveDialogExport\n"), std::string::npos)
      << R.Out;
  EXPECT_NE(R.Out.find("431:21\n431:35\n"), std::string::npos);
}

TEST_F(FormScriptsTest, SymbolExplorerListsExploresAndJumps) {
  const TRun R = Script("symbol-explorer");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("TEdit EditSearch \"TEllipseShape\""), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("TLabel LabelSymbols \"symbols: 14\""), std::string::npos);
  EXPECT_NE(R.Out.find("  * Draw | TRectShape | Procedure | public | Shapes.pas\n"),
            std::string::npos);
  EXPECT_NE(R.Out.find("\n288:1\n"), std::string::npos);
}

TEST_F(FormScriptsTest, UnitDependenciesTreeDependantsAndFolders) {
  const TRun R = Script("unit-dependencies");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("TListBox ListBoxDependants\n    demo\n    demo mainform via shapedialog\n"),
            std::string::npos)
      << R.Out;
  EXPECT_NE(R.Out.find("    [-] mainform (examples/demo/MainForm.pas)\n      windows not found\n"),
            std::string::npos);
  EXPECT_NE(R.Out.find("\n    unknown files\n"), std::string::npos);
  EXPECT_NE(R.Out.find("TListBox ListBoxFiles\n    mainform.pas\n    shapes.pas\n"), std::string::npos);
}

TEST_F(FormScriptsTest, ClassWizardOverridesRegistersAndAppliesAPropertyEditor) {
  const std::string Before = Errors("Shapes.pas");
  const TRun R = Script("class-wizard", "save\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  // Own procedures, and the inherited ones sorted by name (right-click on "Name").
  EXPECT_NE(R.Out.find("TDrawGrid DrawGridProcedures\n    Type | Scope | Name | Class\n"
                       "  * Procedure | Public override | Draw | TEllipseShape\n"
                       "    Function | Protected override | GetKind | TEllipseShape\n"
                       "    Function | Public override | HitTest | TEllipseShape\n"),
            std::string::npos)
      << R.Out;
  EXPECT_NE(R.Out.find("  * Procedure | Public override | Assign | TShape\n"
                       "    Procedure | Protected virtual | Changed | TShape\n"
                       "    Constructor | Public virtual | Create | TShape\n"),
            std::string::npos);
  // The class expert shows the inherited method with its scope.
  EXPECT_NE(R.Out.find("TEdit EditProcName \"Changed\"\nTComboBox ComboBoxProcScope \"protected\"\n"),
            std::string::npos);
  EXPECT_NE(R.Out.find("  * Procedure | Protected override | Changed | TEllipseShape\n"), std::string::npos);
  EXPECT_NE(R.Out.find("  * TColor | Color | TShapeColorProperty\n"), std::string::npos);
  // Registered in the first session, unregistered in the second.
  // Registered in the first session, still so when the second one starts.
  const std::string Unregister = "TButton ButtonRegister \"Unregister\"\n";
  ASSERT_NE(R.Out.find(Unregister), std::string::npos);
  EXPECT_NE(R.Out.find(Unregister, R.Out.find(Unregister) + 1), std::string::npos);
  const std::string Text = ReadFileBytes(Dir + "/examples/demo/Shapes.pas");
  EXPECT_NE(Text.find("    Procedure Changed; override; \n"), std::string::npos);
  EXPECT_NE(Text.find("Procedure TEllipseShape.Changed;\nbegin\n  inherited;\n"), std::string::npos);
  EXPECT_NE(Text.find("procedure Register;\nimplementation"), std::string::npos);
  EXPECT_NE(Text.find("procedure Register;\nbegin\n   RegisterPropertyEditor(Typinfo(TColor),TShape,'Color',"
                      "TShapeColorProperty);\nend;\n"),
            std::string::npos);
  EXPECT_EQ(Text.find("RegisterComponents"), std::string::npos);
  EXPECT_NE(Text.find("type\n TShapeColorProperty = class(TPropertyEditor)\n"), std::string::npos);
  EXPECT_NE(Text.find("   proc('clRed');\n   proc('clBlue');\nend;\n\ninitialization\n"), std::string::npos);
  EXPECT_EQ(Errors("Shapes.pas"), Before);
}

TEST_F(FormScriptsTest, NewClassIsDerivedIntoANewUnit) {
  const TRun R = Script("new-class", "save\n");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("TEdit EditClass \"TEllipseShape\"\n"), std::string::npos) << R.Out;
  // The new buffer has the editor's line ends.
  EXPECT_NE(R.Out.find("unit Circles;\r\n\r\ninterface\r\ntype\r\n  TCircleShape = class(TEllipseShape)\r\n"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(Dir + "/examples/demo/Circles.pas").find("TCircleShape = class(TEllipseShape)"),
            std::string::npos);
  EXPECT_EQ(Errors("Circles.pas"), "\"errors\": [");
}

TEST_F(FormScriptsTest, VirtualHelpShowsTheCommentThenThePageSaved) {
  const TRun R = Script("virtual-help");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  const size_t Comment = R.Out.find("  | Paints the grid, then every shape from the bottom up.\n");
  ASSERT_NE(Comment, std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  | procedure PaintBoxDrawingPaint(Sender : TObject )\n"), std::string::npos);
  EXPECT_NE(R.Out.find("  | Paints the drawing: the grid first, then every shape.\n", Comment), std::string::npos)
      << R.Out;
  EXPECT_TRUE(FileExists(Dir + "/data/velmoric.db"));
}

TEST_F(FormScriptsTest, ManualOfTheDemoUnitsAsWinHelpSourceAndAsManual) {
  std::filesystem::create_directories(Dir + "/data");
  for (const char* F : {"manual.rtf", "manual.rtf.par"})
    std::filesystem::copy_file(Dir + "/examples/help/" + F, Dir + "/data/" + F);
  const TRun R = Script("manual");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  EXPECT_NE(R.Out.find("heading 2 | Class title"), std::string::npos) << R.Out;
  const std::string Help = ReadFileBytes(Dir + "/demo-help.rtf");
  for (const char* Part : {"{\\up #}{\\footnote # TFormMain_PaintBoxDrawingPaint}", "{\\up K}{\\footnote K PaintBoxDrawingPaint}",
                           "\\par\\page", "Paints the grid, then every shape from the bottom up.",
                           "\\par \\s2\\f1\\b\\fs28  TFormMain\r\n"})
    EXPECT_NE(Help.find(Part), std::string::npos) << Part << "\n" << Help.substr(0, 4000);
  EXPECT_EQ(ReadFileBytes(Dir + "/demo-help.hpj").rfind("[OPTIONS]\r\nERRORLOG=test.ERR\r\n", 0), 0u);
  EXPECT_NE(ReadFileBytes(Dir + "/demo-help.hpj").find("[FILES]\r\n" + Dir + "/demo-help.rtf\r\n"),
            std::string::npos);
  const std::string Manual = ReadFileBytes(Dir + "/demo-manual.rtf");
  EXPECT_NE(Manual.find("\\par \\s2\\f1\\b\\fs28  TLineShape\r\n"), std::string::npos) << Manual.substr(0, 4000);
  EXPECT_EQ(Manual.find("\\footnote"), std::string::npos);
  EXPECT_FALSE(FileExists(Dir + "/demo-manual.hpj"));
}

TEST_F(FormScriptsTest, ManualEditorAddsATopicJumpsAndPrints) {
  const TRun R = Script("manual-editor");
  ASSERT_EQ(R.Status, 0) << R.Err << R.Out;
  EXPECT_NE(R.Out.find("TButton ButtonParent \"<no parent>\"\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("TListBox ListBoxMembers\n    Drawing\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("TButton ButtonParent \"Root\"\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("  | Root.Drawing\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("printed \"Velmoric Manual entry\" to " + Dir + "/manual-entry.pdf\n"), std::string::npos)
      << R.Out;
  EXPECT_NE(R.Out.find("  | Read Root.Drawing first.\n"), std::string::npos) << R.Out;
  const std::string Pdf = ReadFileBytes(Dir + "/manual-entry.pdf");
  EXPECT_EQ(Pdf.rfind("%PDF-1.4\n", 0), 0u);
  EXPECT_NE(Pdf.find("(Root.Drawing"), std::string::npos);
  EXPECT_NE(Pdf.find("/Title (Velmoric Manual entry)"), std::string::npos);
}

}  // namespace
