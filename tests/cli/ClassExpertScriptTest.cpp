// The class expert through `velmoric script` on a copy of examples/demo: a
// private field, a property with get function and set procedure, an array
// property, a virtual method with its comment block, an overriding
// destructor, a message handler (with a messages unit of the test) and a
// changed method; the saved units still parse without new errors.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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
    std::string T = testing::TempDir() + "velmoric-coco-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo"))
      std::filesystem::copy_file(E.path(), Dir + "/" + E.path().filename().string());
    WriteFileBytes(Dir + "/Messages.pas", MessagesUnit);
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  // Runs the script in the copy of the demo; standard output, the status in Status.
  std::string Run(const std::string& Script) {
    WriteFileBytes(Dir + "/test.script", Script);
    const std::string Cmd = "cd '" + Dir + "' && VELMORIC_REGISTRY='" + Dir + "/registry' VELMORIC_DATA='" + Dir +
                            "/data' " + VELMORIC_CLI + " script --project Demo.dpr test.script 2>'" + Dir + "/err'";
    std::string Out;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return Out;
    std::array<char, 4096> Buf;
    size_t N;
    while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) Out.append(Buf.data(), N);
    const int W = ::pclose(P);
    Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
    Err = ReadFileBytes(Dir + "/err");
    return Out;
  }
  std::string Text(const std::string& Name) const { return ReadFileBytes(Dir + "/" + Name); }

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

  static constexpr const char* Compile =
      "menu \"Velmoric > Source explorer...\"\n"
      "form FormSourceExplorer\n"
      "  click SpeedButtonCompile\n"
      "end\n";

  std::string Dir, Err;
  int Status = -1;
};

TEST_F(ClassExpertScriptTest, MembersOfTheDemoClasses) {
  const std::string ShapesBefore = Text("Shapes.pas");
  const std::string MainBefore = Text("MainForm.pas");
  const std::string Script = std::string("open Shapes.pas\n") + Compile +
                             // a private field
                             "cursor 36 3\n"
                             "dialog TFormVelmoricNewProcedure\n"
                             "  tab PageControl1 Variable\n"
                             "  select ComboBoxClassVar TShape\n"
                             "  set EditVarName FTag\n"
                             "  set ComboBoxVarType Integer\n"
                             "  set ComboBoxVarScope private\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "menu \"Velmoric > New symbol...\"\n"
                             // a property with get function and set procedure
                             "dialog \"New symbol\"\n"
                             "  tab PageControl1 Property\n"
                             "  select ComboBoxClassProperty TShape\n"
                             "  set EditNameProperty Caption\n"
                             "  set ComboBoxPropType string\n"
                             "  check CheckBoxGet\n"
                             "  check CheckBoxSet\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             // an array property
                             "dialog TFormVelmoricNewProcedure\n"
                             "  tab PageControl1 Property\n"
                             "  select ComboBoxClassProperty TShapeList\n"
                             "  set EditNameProperty Weights\n"
                             "  set ComboBoxPropType Integer\n"
                             "  select ComboBoxPropArray integer\n"
                             "  set EditRange 0..9\n"
                             "  check CheckBoxGet\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             // a virtual method with a comment block
                             "dialog TFormVelmoricNewProcedure\n"
                             "  tab PageControl1 Procedure\n"
                             "  select ComboBoxClass1 TShape\n"
                             "  set EditProcName Resize\n"
                             "  set EditParameter \"Factor: Double\"\n"
                             "  check CheckBoxVirtual\n"
                             "  set MemoComment \"Scales the shape\\naround its centre\"\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             // an overriding destructor
                             "dialog TFormVelmoricNewProcedure\n"
                             "  tab PageControl1 Procedure\n"
                             "  select ComboBoxClass1 TRectShape\n"
                             "  select ComboBoxProctyp destructor\n"
                             "  check CheckBoxOverride\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             "save\n";
  Run(Script);
  ASSERT_EQ(Status, 0) << Err;
  const std::string S = Text("Shapes.pas");
  EXPECT_NE(S.find("      FTag:Integer;\n    FBounds: TRect;"), std::string::npos) << S;
  EXPECT_NE(S.find("    property Caption : string read GetCaption write PutCaption;"), std::string::npos);
  EXPECT_NE(S.find("Function TShape.GetCaption:string;\nbegin\n  result := FCaption;\nend;"), std::string::npos);
  EXPECT_NE(S.find("Procedure TShape.PutCaption(value : string);\nbegin\n  FCaption := value;\nend;"),
            std::string::npos);
  EXPECT_NE(S.find("property Weights [index:integer] : Integer read GetWeights write FWeights;"), std::string::npos);
  EXPECT_NE(S.find("      FWeights:array [0..9] of Integer;"), std::string::npos);
  EXPECT_NE(S.find("    Procedure Resize(Factor: Double); virtual; "), std::string::npos);
  EXPECT_NE(S.find("// Description:\n// Scales the shape\n// around its centre\n// ---"), std::string::npos);
  EXPECT_NE(S.find("    Destructor Destroy; override; "), std::string::npos);
  EXPECT_NE(S.find("Destructor TRectShape.Destroy;\nbegin\n  inherited;\n"), std::string::npos);
  EXPECT_EQ(Errors(S), Errors(ShapesBefore));

  // A message handler of the main form and a changed method heading.
  int MoveByLine = 1;
  for (size_t I = 0; I < S.find("procedure TShape.MoveBy"); ++I) MoveByLine += S[I] == '\n';
  const std::string Second = std::string("open MainForm.pas\n") + Compile +
                             "dialog TFormVelmoricNewProcedure\n"
                             "  tab PageControl1 Messages\n"
                             "  select ComboBoxMessageClass TFormMain\n"
                             "  select ComboBoxMessage WM_PAINT\n"
                             "  print EditMessageName\n"
                             "  print ComboBoxMessageStruct\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             "save\n"
                             "open Shapes.pas\n" + Compile +
                             "cursor " + std::to_string(MoveByLine) + " 3\n"
                             "dialog \"Change symbol\"\n"
                             "  print ButtonCreate\n"
                             "  set EditParameter \"DX, DY: Integer; Redraw: Boolean\"\n"
                             "  set MemoComment \"Moves the shape\"\n"
                             "  click ButtonCreate\n"
                             "end\n"
                             "key Alt+T\n"
                             "save\n";
  const std::string Out = Run(Second);
  ASSERT_EQ(Status, 0) << Err;
  EXPECT_NE(Out.find("OnWMPaint"), std::string::npos) << Out;
  EXPECT_NE(Out.find("TWMPaint"), std::string::npos) << Out;
  EXPECT_NE(Out.find("Change"), std::string::npos) << Out;
  const std::string M = Text("MainForm.pas");
  EXPECT_NE(M.find("    Procedure OnWMPaint(var message : TWMPaint); message WM_PAINT; "), std::string::npos);
  EXPECT_NE(M.find("Procedure TFormMain.OnWMPaint(var message : TWMPaint);"), std::string::npos);
  EXPECT_EQ(Errors(M), Errors(MainBefore));
  const std::string S2 = Text("Shapes.pas");
  EXPECT_NE(S2.find("    Procedure MoveBy(DX, DY: Integer; Redraw: Boolean);"), std::string::npos);
  EXPECT_NE(S2.find("// Moves the shape\n// ---"), std::string::npos);
  EXPECT_EQ(Errors(S2), Errors(ShapesBefore));
}

}  // namespace
