// The form dependency window worked by `velmoric script` over a copy of
// examples/demo: "Analyze" over the project's units, the tree, the property
// grid, double-click opening the unit, "Clear".
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

class FormsScript : public testing::Test {
 protected:
  void SetUp() override {
    std::string T = testing::TempDir() + "velmoric-forms-script-XXXXXX";
    ASSERT_TRUE(::mkdtemp(T.data()));
    Dir = T;
    for (const auto& E : std::filesystem::directory_iterator(std::string(VELMORIC_SOURCE_DIR) + "/examples/demo"))
      std::filesystem::copy_file(E.path(), Dir + "/" + E.path().filename().string());
  }
  void TearDown() override {
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }
  std::string Run(const std::string& Script, int& Status) {
    WriteFileBytes(Dir + "/test.script", Script);
    const std::string Cmd = "cd '" + Dir + "' && VELMORIC_REGISTRY='" + Dir + "/registry' VELMORIC_DATA='" + Dir +
                            "/data' '" + VELMORIC_CLI + "' script --project Demo.dpr test.script 2>'" + Dir + "/err'";
    std::string Out;
    FILE* P = ::popen(Cmd.c_str(), "r");
    if (!P) return Out;
    std::array<char, 4096> Buf;
    size_t N;
    while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) Out.append(Buf.data(), N);
    const int W = ::pclose(P);
    Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
    return Out;
  }
  std::string Dir;
};

TEST_F(FormsScript, AnalyzeShowsTheLinkedComponentsAndSelectingListsTheProperties) {
  int Status = -1;
  const std::string Out = Run(
      "menu \"Velmoric > FormDependencies...\"\n"
      "form FFormVelmoricDFMView\n"
      "  click ButtonAnalyze\n"
      "  select TreeView1 \"DataModuleShapes > DataModuleShapes.DataSourceKinds\"\n"
      "  print TreeView1\n"
      "  print StringGrid1\n"
      "  print LabelFile\n"
      "end\n",
      Status);
  EXPECT_EQ(Status, 0) << ReadFileBytes(Dir + "/err");
  EXPECT_EQ(Out,
            "TTreeView TreeView1\n"
            "    [-] DataModuleShapes\n"
            "      [+] DataModuleShapes.DataSourceColors\n"
            "  *   [+] DataModuleShapes.DataSourceKinds\n"
            "      [+] DataModuleShapes.TableColors\n"
            "      [+] DataModuleShapes.TableKinds\n"
            "    [+] FormMain\n"
            "    FormShapeDialog\n"
            "    [+] FormShapeKinds\n"
            "TStringGrid StringGrid1\n"
            "    Name | Value\n"
            "  * DataSet | TableKinds\n"
            "    Left | 120\n"
            "    Top | 16\n"
            "TLabel LabelFile \"" + Dir + "/ShapeData.dfm\"\n");
}

TEST_F(FormsScript, DoubleClickOpensTheUnitAndClearEmptiesTheTree) {
  int Status = -1;
  const std::string Out = Run(
      "menu \"Velmoric > FormDependencies...\"\n"
      "form FFormVelmoricDFMView\n"
      "  click ButtonAnalyze\n"
      "  dblclick TreeView1 \"FormShapeKinds > FormShapeKinds.DBEditKind > "
      "FormShapeKinds.LabelKind.FocusControl : TLabel\"\n"
      "  print LabelComponent\n"
      "  click ButtonClear\n"
      "  print TreeView1\n"
      "end\n"
      "print files\n",
      Status);
  EXPECT_EQ(Status, 0) << ReadFileBytes(Dir + "/err");
  EXPECT_EQ(Out, "TLabel LabelComponent \"LabelKind\"\nTTreeView TreeView1\n" + Dir + "/ShapeKinds.pas\n");
}

}  // namespace
