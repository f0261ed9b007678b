#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliTestUtil.h"
#include "ProjectTestUtil.h"
#include "project/VelmoricSymbolStore.h"

using namespace projecttest;

namespace {

std::string SampleImage() {
  TOrvikSymbol Root;
  Root.Typ = typUnit;
  Root.name = "Unit1";
  Root.TypeName = "/src/Unit1.pas";
  TOrvikSymbolstore Store;
  TOrvikSymbol* Cls = Store.Allocate(nullptr);
  Cls->Typ = typClass;
  Cls->name = "TFoo";
  Cls->Extra().Ancestor = "TObject";
  Cls->Line = 4;
  AddOrvikSymbol(&Root, Cls);
  TOrvikSymbol* M = Store.Allocate(nullptr);
  M->Typ = typProcedure;
  M->ProcTyp = tFunction;
  M->Bereich = tPublic;
  M->name = "Get";
  M->Comment = "one\r\ntwo \xE9";
  M->Options = {tVirtual, tAbstract};
  AddOrvikSymbol(Cls, M);
  TStringList Uses;
  Uses.Add("classes");
  Uses.Add("sysutils");
  return Store.SaveToImage(&Uses, Root);
}

TEST(PaxCommand, PrintsUsesAndEveryRecordWithItsFields) {
  ScratchDir Dir;
  const std::string F = Dir.Write("Unit1.pax", SampleImage());
  const CliResult R = RunCli("pax " + Quoted(F), Dir.File("err"));
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out,
            "uses: classes sysutils\n"
            "record 0: typUnit index=0 parent=-1 children=1 ProcTyp=tProcedure Bereich=tPrivate "
            "Line=-1 DeclLine=-1 defbegin=0 defend=0 Options=[]\n"
            "  name: Unit1\n"
            "  TypeName: /src/Unit1.pas\n"
            "record 1: typClass index=1 parent=0 children=1 ProcTyp=tProcedure Bereich=tPrivate "
            "Line=4 DeclLine=-1 defbegin=0 defend=0 Options=[]\n"
            "  name: TFoo\n"
            "  Ancestor: TObject\n"
            "record 2: typProcedure index=2 parent=1 children=0 ProcTyp=tFunction Bereich=tPublic "
            "Line=-1 DeclLine=-1 defbegin=0 defend=0 Options=[tAbstract,tVirtual]\n"
            "  name: Get\n"
            "  Comment: one\\r\\ntwo \xE9\n");
}

TEST(PaxCommand, JsonHasEveryFieldOfEveryRecord) {
  ScratchDir Dir;
  const std::string F = Dir.Write("Unit1.pax", SampleImage());
  const CliResult R = RunCli("pax --json " + Quoted(F), Dir.File("err"));
  ASSERT_EQ(R.Status, 0) << R.Err;
  const auto J = nlohmann::json::parse(R.Out);
  EXPECT_EQ(J["uses"], nlohmann::json({"classes", "sysutils"}));
  ASSERT_EQ(J["records"].size(), 3u);
  const auto& M = J["records"][2];
  EXPECT_EQ(M["parent"], 1);
  EXPECT_EQ(M["Typ"], "typProcedure");
  EXPECT_EQ(M["ProcTyp"], "tFunction");
  EXPECT_EQ(M["Options"], nlohmann::json({"tAbstract", "tVirtual"}));
  EXPECT_EQ(M["Comment"], "one\r\ntwo \xC3\xA9");
  EXPECT_EQ(M["DefaultValue"], "");
  EXPECT_EQ(M.size(), 11u + 14u);
}

TEST(PaxCommand, ADamagedOrMissingFileIsAClearErrorWithStatusOne) {
  ScratchDir Dir;
  std::string Img = SampleImage();
  const std::string F = Dir.Write("Cut.pax", Img.substr(0, Img.size() / 2));
  CliResult R = RunCli("pax " + Quoted(F), Dir.File("err"));
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Out, "");
  EXPECT_NE(R.Err.find("Cut.pax: damaged symbol store:"), std::string::npos) << R.Err;

  R = RunCli("pax --json " + Quoted(Dir.File("none.pax")), Dir.File("err"));
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("none.pax"), std::string::npos) << R.Err;

  R = RunCli("pax", Dir.File("err"));
  EXPECT_EQ(R.Status, 2);
}

}  // namespace
