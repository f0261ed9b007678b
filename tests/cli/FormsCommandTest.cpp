// Runs the built `velmoric forms` on the demo project and on form files, and
// checks its links, its JSON and its errors.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

struct RunResult {
  int Status = -1;
  std::string Out;
  std::string Err;
};

std::string TempName(const std::string& Name) {
  return testing::TempDir() + "velmoric-forms-" + std::to_string(::getpid()) + "-" + Name;
}

RunResult RunForms(const std::string& Args) {
  const std::string OutFile = TempName("out");
  const std::string ErrFile = TempName("err");
  const std::string Command =
      std::string("'") + VELMORIC_CLI + "' forms " + Args + " >'" + OutFile + "' 2>'" + ErrFile + "'";
  const int Raw = std::system(Command.c_str());
  RunResult R;
  R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  R.Out = ReadFileBytes(OutFile);
  R.Err = ReadFileBytes(ErrFile);
  std::remove(OutFile.c_str());
  std::remove(ErrFile.c_str());
  return R;
}

const std::string Demo = std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/";

TEST(FormsCommand, TheDemoProjectsDataModuleAndDataAwareControls) {
  const RunResult R = RunForms("--project '" + Demo + "Demo.dpr'");
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out,
            "DataModuleShapes.DataSourceColors.DataSet = TableColors -> DataModuleShapes.TableColors\n"
            "DataModuleShapes.DataSourceKinds.DataSet = TableKinds -> DataModuleShapes.TableKinds\n"
            "DataModuleShapes.TableKindsCOLORNAME.LookupDataSet = TableColors -> DataModuleShapes.TableColors\n"
            "FormMain.FormMain.Menu = MainMenu1 -> FormMain.MainMenu1\n"
            "FormShapeKinds.DBEditKind.DataSource = DataModuleShapes.DataSourceKinds -> "
            "DataModuleShapes.DataSourceKinds\n"
            "FormShapeKinds.DBGridKinds.DataSource = DataModuleShapes.DataSourceKinds -> "
            "DataModuleShapes.DataSourceKinds\n"
            "FormShapeKinds.DBLookupComboBoxColor.DataSource = DataModuleShapes.DataSourceKinds -> "
            "DataModuleShapes.DataSourceKinds\n"
            "FormShapeKinds.DBLookupComboBoxColor.ListSource = DataModuleShapes.DataSourceColors -> "
            "DataModuleShapes.DataSourceColors\n"
            "FormShapeKinds.DBNavigatorKinds.DataSource = DataModuleShapes.DataSourceKinds -> "
            "DataModuleShapes.DataSourceKinds\n"
            "FormShapeKinds.FormShapeKinds.ActiveControl = DBGridKinds -> FormShapeKinds.DBGridKinds\n"
            "FormShapeKinds.LabelColor.FocusControl = DBLookupComboBoxColor -> "
            "FormShapeKinds.DBLookupComboBoxColor\n"
            "FormShapeKinds.LabelKind.FocusControl = DBEditKind -> FormShapeKinds.DBEditKind\n");
}

TEST(FormsCommand, FilesAloneLinkOnlyWithinWhatWasRead) {
  const RunResult R = RunForms("'" + Demo + "ShapeKinds.dfm' --json");
  ASSERT_EQ(R.Status, 0) << R.Err;
  const auto Doc = nlohmann::json::parse(R.Out);
  EXPECT_EQ(Doc["files"], 1);
  EXPECT_EQ(Doc["forms"][0]["name"], "FormShapeKinds");
  EXPECT_EQ(Doc["forms"][0]["file"], Demo + "ShapeKinds.dfm");
  ASSERT_EQ(Doc["links"].size(), 3u) << "the data module was not read";
  EXPECT_EQ(Doc["links"][0]["component"], "FormShapeKinds");
  EXPECT_EQ(Doc["links"][0]["property"], "ActiveControl");
  EXPECT_EQ(Doc["links"][0]["value"], "DBGridKinds");
  EXPECT_EQ(Doc["links"][0]["targetForm"], "FormShapeKinds");
  EXPECT_EQ(Doc["links"][0]["targetComponent"], "DBGridKinds");
  EXPECT_TRUE(Doc["errors"].empty());
}

TEST(FormsCommand, SyntaxErrorsAreReportedAndTheOtherFilesRead) {
  const std::string Bad = TempName("bad.lfm");
  WriteFileBytes(Bad, "object Bad: TForm\n  Left 3\n  Top 4\nend\n");
  const RunResult R = RunForms("'" + Bad + "' '" + Demo + "ShapeData.dfm'");
  std::remove(Bad.c_str());
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "velmoric forms: " + Bad + "(2): Erwarte =\n");
  EXPECT_NE(R.Out.find("DataModuleShapes.DataSourceKinds.DataSet = TableKinds"), std::string::npos);
}

TEST(FormsCommand, NoFormFileOrNoFileIsAnError) {
  const RunResult NoForm = RunForms("'" + Demo + "Shapes.pas'");
  EXPECT_EQ(NoForm.Status, 1);
  EXPECT_EQ(NoForm.Out, "");
  EXPECT_EQ(NoForm.Err, "velmoric forms: Invalid stream format\n");
  const RunResult Missing = RunForms("'" + Demo + "Missing.dfm'");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_NE(Missing.Err.find("Missing.dfm"), std::string::npos) << Missing.Err;
  EXPECT_EQ(RunForms("").Status, 2);
  EXPECT_EQ(RunForms("--bogus x.dfm").Status, 2);
}

}  // namespace
