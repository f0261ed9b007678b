// `velmoric lsp` as a process: standard output carries nothing but framed
// messages, and the exit status follows shutdown and exit.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "LspTestClient.h"

using namespace lsptest;

namespace {

std::string Frame(const json& M) { return FrameMessage(M.dump()); }

// Runs the server on Input; its standard output goes to Output.
int RunServer(const std::string& Dir, const std::string& Input, std::string& Output) {
  WriteFileBytes(Dir + "/in", Input);
  const std::string Command = "cd '" + Dir + "' && VELMORIC_DATA='" + Dir + "/data' VELMORIC_REGISTRY='" + Dir +
                              "/registry' timeout 60 '" VELMORIC_CLI "' lsp --stdio < in > out 2> err";
  const int Status = std::system(Command.c_str());
  Output = ReadFileBytes(Dir + "/out");
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

std::vector<json> Messages(const std::string& Output) {
  TStringInput In(Output);
  TLspReader Reader(In);
  std::vector<json> List;
  for (TLspFrame F = Reader.Next(); F.Kind != TLspFrame::End; F = Reader.Next()) {
    EXPECT_EQ(F.Kind, TLspFrame::Message) << F.Problem;
    List.push_back(json::parse(F.Body, nullptr, false));
    EXPECT_FALSE(List.back().is_discarded());
  }
  return List;
}

TEST_F(LspTest, TheCommandSpeaksOnlyTheProtocolOnStandardOutput) {
  const std::string Session =
      Frame({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"rootUri", PathToUri(Dir)}}}}) +
      Frame({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}}) +
      Frame({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
             {"params", {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", 1}, {"text", ZooUnit}}}}}}) +
      Frame({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "textDocument/hover"}, {"params", At("Zoo.pas", 14, 7)}}) +
      Frame({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "shutdown"}}) +
      Frame({{"jsonrpc", "2.0"}, {"method", "exit"}});
  std::string Output;
  EXPECT_EQ(RunServer(Dir, Session, Output), 0);
  std::vector<json> List = Messages(Output);
  int Answers = 0;
  for (const json& M : List) {
    if (!M.contains("id")) continue;
    ++Answers;
    if (M["id"] == 2) {
      EXPECT_NE(M["result"]["contents"]["value"].get<std::string>().find("Legs"), std::string::npos);
    }
  }
  EXPECT_EQ(Answers, 3);

  // Without shutdown the status is 1; a usage error is 2.
  EXPECT_EQ(RunServer(Dir, Frame({{"jsonrpc", "2.0"}, {"method", "exit"}}), Output), 1);
  EXPECT_TRUE(Output.empty());
  EXPECT_EQ(RunServer(Dir, "", Output), 1);
  const int Usage = std::system("'" VELMORIC_CLI "' lsp --nonsense >/dev/null 2>&1 </dev/null");
  EXPECT_EQ(WEXITSTATUS(Usage), 2);
}

}  // namespace
