// The class expert scripts of examples/scripts run by `velmoric script` on a
// copy of the demo (with a messages unit of the test beside it): a changed
// method, a private field, a property with get function and set procedure,
// an array property, a virtual method with its comment block, an
// overriding destructor, a message handler and exported properties; the
// saved units still parse without new errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/ScratchDir.h"
#include "../support/ShellRun.h"
#include "platform/rtl/SysUtils.h"
#include "scanner/VelmoricPascalScanner.h"

namespace {

const char* const MessagesUnit =
    "unit Messages;\n"
    "interface\n"
    "const\n"
    "  WM_PAINT = $000F;\n"
    "  WM_KEYDOWN = $0100;\n"
    "type\n"
    "  TMessage = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "  TWMPaint = record\n"
    "    Msg: Cardinal;\n"
    "  end;\n"
    "implementation\n"
    "end.\n";

class ClassExpertScriptTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string Source = VELMORIC_SOURCE_DIR;
    std::filesystem::create_directories(Dir.File("examples"));
    for (const char* Sub : {"demo", "scripts"})
      std::filesystem::copy(Source + "/examples/" + Sub, Dir.File(std::string("examples/") + Sub),
                            std::filesystem::copy_options::recursive);
    Dir.Write("examples/demo/Messages.pas", MessagesUnit);
  }

  // Runs the example script Name, its changes saved at its end.
  TShellRun Script(const std::string& Name) {
    const std::string File = "examples/scripts/" + Name + ".script";
    Dir.Write(File, ReadFileBytes(Dir.File(File)) + "save\n");
    return RunShell("cd " + ShellQuoted(Dir.Path) + " && VELMORIC_REGISTRY=" + ShellQuoted(Dir.File("registry")) +
                        " VELMORIC_DATA=" + ShellQuoted(Dir.File("data")) + " " + VELMORIC_CLI +
                        " script --project examples/demo/Demo.dpr " + File,
                    Dir.File("err"));
  }
  std::string Demo(const std::string& Name) const { return ReadFileBytes(Dir.File("examples/demo/" + Name)); }

  // Parse errors without their line numbers.
  static std::vector<std::string> Errors(const std::string& Text) {
    auto* Lines = new TSaveStringList("strings", "test");
    Lines->SetText(Text);
    TPascalSource S(new TToken(Lines));
    S.FileName = "unit.pas";
    S.CreateSymbols({oCompileImplementation});
    std::vector<std::string> R;
    for (int I = 0; I < S.errors->Count(); ++I) {
      std::string E = S.errors->Get(I);
      const size_t Open = E.find('('), Close = E.find("):");
      if (Open != std::string::npos && Close != std::string::npos && Open < Close) E.erase(Open, Close - Open + 1);
      R.push_back(E);
    }
    return R;
  }

  TScratchDir Dir;
};

TEST_F(ClassExpertScriptTest, MembersOfTheShapes) {
  const std::string Before = Demo("Shapes.pas");
  const TShellRun R = Script("class-expert");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("TButton ButtonCreate \"Change\""), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("TComboBox ComboBoxProcScope \"public\""), std::string::npos);
  EXPECT_NE(R.Out.find("TComboBox ComboBoxPropVariable \"FCaption\""), std::string::npos);
  EXPECT_NE(R.Out.find("TEdit EditProcName \"Destroy\""), std::string::npos);
  const std::string S = Demo("Shapes.pas");
  // The changed method: its heading and the comment above its body.
  EXPECT_NE(S.find("    Procedure MoveBy(DX, DY: Integer; Redraw: Boolean);\n"), std::string::npos) << S;
  EXPECT_NE(S.find("// Moves the shape\n// " + std::string(72, '-') + "\nprocedure TShape.MoveBy(DX, DY: Integer);"),
            std::string::npos);
  EXPECT_NE(S.find("      FTag:Integer;\n    FBounds: TRect;"), std::string::npos);
  EXPECT_NE(S.find("    property Caption : string read GetCaption write PutCaption;"), std::string::npos);
  EXPECT_NE(S.find("Function TShape.GetCaption:string;\nbegin\n  result := FCaption;\nend;"), std::string::npos);
  EXPECT_NE(S.find("Procedure TShape.PutCaption(value : string);\nbegin\n  FCaption := value;\nend;"),
            std::string::npos);
  EXPECT_NE(S.find("property Weights [index:integer] : Integer read GetWeights write FWeights;"), std::string::npos);
  EXPECT_NE(S.find("      FWeights:array [0..9] of Integer;"), std::string::npos);
  EXPECT_NE(S.find("Function TShapeList.GetWeights(index : integer):Integer;\nbegin\n  result := FWeights[index];"),
            std::string::npos);
  EXPECT_NE(S.find("    Procedure Resize(Factor: Double); virtual; "), std::string::npos);
  EXPECT_NE(S.find("// Description:\n// Scales the shape\n// around its centre\n// ---"), std::string::npos);
  EXPECT_NE(S.find("Procedure TShape.Resize(Factor: Double);\nbegin\n  // Velmoric: Insert your code here\nend;"),
            std::string::npos);
  EXPECT_NE(S.find("    Destructor Destroy; override; "), std::string::npos);
  EXPECT_NE(S.find("Destructor TRectShape.Destroy;\nbegin\n  inherited;\n"), std::string::npos);
  EXPECT_EQ(Errors(S), Errors(Before));
}

TEST_F(ClassExpertScriptTest, MessageHandlerAndExportedPropertiesOfTheMainForm) {
  const std::string Before = Demo("MainForm.pas");
  const TShellRun R = Script("class-expert-messages");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("TEdit EditMessageName \"OnWMPaint\""), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("TComboBox ComboBoxMessageStruct \"TWMPaint\""), std::string::npos);
  EXPECT_NE(R.Out.find("TListBox ListBoxExportedPropertes\n    CurrentColor:TColor\n    CurrentPenWidth:Integer\n"),
            std::string::npos);
  const std::string M = Demo("MainForm.pas");
  EXPECT_NE(M.find("    Procedure OnWMPaint(var message : TWMPaint); message WM_PAINT; "), std::string::npos) << M;
  EXPECT_NE(M.find("Procedure TFormMain.OnWMPaint(var message : TWMPaint);"), std::string::npos);
  EXPECT_NE(M.find("    property CurrentColor : TColor read GetCurrentColor write PutCurrentColor;"),
            std::string::npos);
  EXPECT_NE(M.find("    property CurrentPenWidth : Integer read GetCurrentPenWidth write PutCurrentPenWidth;"),
            std::string::npos);
  EXPECT_NE(M.find("Function TFormMain.GetCurrentColor:TColor;\nbegin\n result := FCurrent.Color;\nend;"),
            std::string::npos);
  EXPECT_NE(M.find("Procedure TFormMain.PutCurrentPenWidth(value : Integer);\nbegin\n  FCurrent.PenWidth := value;\n"
                   "end;"),
            std::string::npos);
  EXPECT_EQ(Errors(M), Errors(Before));
}

}  // namespace
