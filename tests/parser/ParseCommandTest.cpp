// velmoric parse: the text and JSON output of the command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "ParserTestSupport.h"

namespace {

using Json = nlohmann::json;

struct TRun {
  int Status = -1;
  std::string Out;
};

TRun RunCli(const std::string& Args) {
  TRun R;
  const std::string Command = std::string(VELMORIC_CLI) + " " + Args + " 2>/dev/null";
  FILE* P = ::popen(Command.c_str(), "r");
  if (!P) return R;
  char Buffer[4096];
  size_t N;
  while ((N = std::fread(Buffer, 1, sizeof Buffer, P)) > 0) R.Out.append(Buffer, N);
  const int Raw = ::pclose(P);
  R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
  return R;
}

std::string TempFile(const std::string& Name, const std::string& Text) {
  const std::string Path = testing::TempDir() + std::to_string(::getpid()) + "-" + Name;
  std::ofstream(Path, std::ios::binary) << Text;
  return Path;
}

const std::string Unit = R"(unit Orders;
interface
uses Classes;
type
  TOrder = class(TPersistent)
  private
    FTotal: Currency; // in cents
  public
    procedure Clear; virtual;
    property Total: Currency read FTotal write FTotal;
  end;
implementation
// Empties the order
procedure TOrder.Clear;
var
  I: Integer;
begin
  FTotal := 0;
end;
procedure TOrder.Missing;
begin
end;
end.
)";

TEST(ParseCommand, JsonHoldsEveryFieldOfEverySymbol) {
  const std::string Path = TempFile("Orders.pas", Unit);
  const TRun R = RunCli("parse --json --local-vars " + Path);
  ASSERT_EQ(R.Status, 0);
  const Json J = Json::parse(R.Out);
  EXPECT_EQ(J["file"], Path);
  EXPECT_EQ(J["name"], std::to_string(::getpid()) + "-Orders");
  EXPECT_EQ(J["uses"], Json::array({"classes"}));
  ASSERT_EQ(J["errors"].size(), 1u);
  EXPECT_EQ(J["errors"][0], "Error " + Path + "(19): Prozedure TOrder.Missing hat keinen Prototyp");

  ASSERT_EQ(J["symbols"].size(), 2u);
  const Json& Missing = J["symbols"][0];
  EXPECT_EQ(Missing["name"], "Missing");
  const Json& Order = J["symbols"][1];
  EXPECT_EQ(Order["Typ"], "typClass");
  EXPECT_EQ(Order["Ancestor"], "TPersistent");
  EXPECT_EQ(Order["Line"], 4);
  EXPECT_EQ(Order["defend"], 10);
  EXPECT_EQ(Order["Parent"], std::to_string(::getpid()) + "-Orders");
  for (const char* Key :
       {"Typ", "ProcTyp", "Source", "Parent", "RefCount", "TypeName", "name", "Line",
        "StoreIndex", "Bereich", "Comment", "Ancestor", "Params", "MessageId", "ResultType",
        "ReadAccess", "WriteAccess", "IndexName", "IndexType", "ConstType", "Reserved",
        "DefaultValue", "DeclLine", "defbegin", "defend", "DeclEndLine", "Options", "code",
        "symbols"})
    EXPECT_TRUE(Order.contains(Key)) << Key;

  const Json& Members = Order["symbols"];
  ASSERT_EQ(Members.size(), 3u);
  const Json& Clear = Members[0];
  EXPECT_EQ(Clear["name"], "Clear");
  EXPECT_EQ(Clear["Typ"], "typProcedure");
  EXPECT_EQ(Clear["ProcTyp"], "tProcedure");
  EXPECT_EQ(Clear["Bereich"], "tPublic");
  EXPECT_EQ(Clear["Options"], Json::array({"tVirtual"}));
  EXPECT_EQ(Clear["DeclLine"], 8);
  EXPECT_EQ(Clear["defbegin"], 13);
  EXPECT_EQ(Clear["Line"], 16);
  EXPECT_EQ(Clear["defend"], 19);
  EXPECT_EQ(Clear["Comment"], " Empties the order");
  EXPECT_EQ(Clear["Params"], "");
  EXPECT_EQ(Clear["code"], Json::array());
  ASSERT_EQ(Clear["symbols"].size(), 1u);
  EXPECT_EQ(Clear["symbols"][0]["name"], "I");
  EXPECT_EQ(Clear["symbols"][0]["Bereich"], "tLocal");
  EXPECT_EQ(Members[1]["name"], "FTotal");
  EXPECT_EQ(Members[1]["Comment"], " in cents");
  EXPECT_EQ(Members[1]["TypeName"], "Currency");
  EXPECT_EQ(Members[2]["Typ"], "typProperty");
  EXPECT_EQ(Members[2]["ReadAccess"], "FTotal");
  std::remove(Path.c_str());
}

TEST(ParseCommand, TextListsSymbolsByDepthThenErrors) {
  const std::string Path = TempFile("OrdersText.pas", Unit);
  const TRun R = RunCli("parse " + Path);
  ASSERT_EQ(R.Status, 0);
  EXPECT_EQ(R.Out,
            "typProcedure Missing Line=20 DeclLine=-1 defbegin=19 defend=22\n"
            "typClass TOrder Line=4 DeclLine=-1 defbegin=0 defend=10\n"
            "  typProcedure Clear Line=16 DeclLine=8 defbegin=13 defend=19\n"
            "  typVar FTotal Line=6 DeclLine=-1 defbegin=0 defend=0\n"
            "  typProperty Total Line=9 DeclLine=-1 defbegin=0 defend=0\n"
            "Error " + Path + "(19): Prozedure TOrder.Missing hat keinen Prototyp\n");

  const TRun Interface = RunCli("parse --interface " + Path);
  ASSERT_EQ(Interface.Status, 0);
  EXPECT_THAT(Interface.Out, testing::HasSubstr("  typProcedure Clear Line=-1 DeclLine=8"));
  EXPECT_THAT(Interface.Out, testing::Not(testing::HasSubstr("Missing")));
  std::remove(Path.c_str());
}

TEST(ParseCommand, StatsTellHowFarTheParseGot) {
  const std::string Path = TempFile("OrdersStats.pas", Unit);
  const TRun R = RunCli("parse --stats " + Path);
  ASSERT_EQ(R.Status, 0);
  // Unit has 23 lines; the parse ends on "end." (its last line) with 5 symbols below the root.
  EXPECT_THAT(R.Out, testing::EndsWith("\n# lines 23 reached 23 errors 1 symbols 5\n"));
  const TRun J = RunCli("parse --json --stats " + Path);
  ASSERT_EQ(J.Status, 0);
  const Json Stats = Json::parse(J.Out)["stats"];
  EXPECT_EQ(Stats["lines"], 23);
  EXPECT_EQ(Stats["reached"], 23);
  EXPECT_EQ(Stats["errors"], 1);
  EXPECT_EQ(Stats["symbols"], 5);

  // A parse that stops early (a stray "end;" at unit level) reaches fewer lines.
  const std::string Stops = TempFile("Stops.pas", "unit Stops;\ninterface\nend;\ntype\n  T = Integer;\nimplementation\nend.\n");
  EXPECT_THAT(RunCli("parse --stats " + Stops).Out, testing::HasSubstr("# lines 7 reached 3 errors 0 symbols 0"));
  std::remove(Path.c_str());
  std::remove(Stops.c_str());
}

TEST(ParseCommand, BadInputGivesAnErrorStatus) {
  EXPECT_EQ(RunCli("parse /nonexistent/Unit1.pas").Status, 1);
  EXPECT_EQ(RunCli("parse").Status, 2);
  EXPECT_EQ(RunCli("parse --bogus x.pas").Status, 2);

  // Texts that are not UTF-8 still give valid JSON.
  const std::string Path = TempFile("Latin.pas", "unit Latin;\ninterface\nconst\n  X = 1; // sch\xf6n\nimplementation\nend.\n");
  const TRun R = RunCli("parse --json " + Path);
  ASSERT_EQ(R.Status, 0);
  const Json J = Json::parse(R.Out);
  EXPECT_EQ(J["symbols"][0]["Comment"], " sch\xc3\xb6n");
  std::remove(Path.c_str());
}

TEST(ParseCommand, DemoUnitsParseWithoutErrors) {
  for (const char* Name : {"Demo.dpr", "MainForm.pas", "ShapeDialog.pas", "Shapes.pas", "ShapeExport.pas"}) {
    const TRun R = RunCli(std::string("parse --json ") + VELMORIC_SOURCE_DIR + "/examples/demo/" + Name);
    ASSERT_EQ(R.Status, 0) << Name;
    const Json J = Json::parse(R.Out);
    EXPECT_EQ(J["errors"], Json::array()) << Name;
  }
}

}  // namespace
