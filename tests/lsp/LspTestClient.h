// A client inside the test: it hands the server one message at a time and
// keeps everything the server sends, on the zoo project in a scratch folder
// with the data directory and the settings file of the test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hosts/lsp/LspServer.h"
#include "hosts/lsp/LspText.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricPascalProject.h"

namespace lsptest {

inline const char* const BaseUnit =
    "unit Base;\n"
    "interface\n"
    "type\n"
    "  TAnimal = class\n"
    "  public\n"
    "    Name: string;\n"
    "    procedure Speak; virtual;\n"
    "    function Legs: Integer;\n"
    "  end;\n"
    "  TDog = class(TAnimal)\n"            // 9
    "  public\n"
    "    procedure Speak; override;\n"     // 11
    "    procedure Fetch;\n"               // 12
    "  end;\n"
    "implementation\n"
    "{ Says what the animal says. }\n"
    "procedure TAnimal.Speak;\n"           // 16
    "begin\n"
    "end;\n"
    "function TAnimal.Legs: Integer;\n"    // 19
    "begin\n"
    "  Result := 4;\n"
    "end;\n"
    "procedure TDog.Speak;\n"              // 23
    "begin\n"
    "end;\n"
    "procedure TDog.Fetch;\n"              // 26
    "begin\n"                              // 27
    "end;\n"
    "end.\n";

inline const char* const ZooUnit =
    "unit Zoo;\n"
    "interface\n"
    "uses Base;\n"
    "type\n"
    "  TZoo = class\n"
    "    Dog: TDog;\n"                     // 5
    "    procedure Run;\n"                 // 6
    "  end;\n"
    "implementation\n"
    "procedure TZoo.Run;\n"                // 9
    "begin\n"                              // 10
    "  Dog.Speak;\n"                       // 11
    "  Dog.Fetch;\n"                       // 12
    "  Speak;\n"                           // 13
    "  Dog.Legs;\n"                        // 14
    "end;\n"
    "end.\n";

inline const char* const ZooProgram =
    "program ZooApp;\n"
    "uses\n"
    "  Base in 'Base.pas',\n"
    "  Zoo in 'Zoo.pas';\n"
    "begin\n"
    "end.\n";

class TLspTestClient {
 public:
  TLspTestClient() : Server([this](const std::string& Body) { Sent.push_back(json::parse(Body)); }) {}

  json Request(const std::string& Method, const json& Params) {
    const int Id = ++NextId;
    Server.Receive(DumpJson({{"jsonrpc", "2.0"}, {"id", Id}, {"method", Method}, {"params", Params}}));
    for (auto It = Sent.begin(); It != Sent.end(); ++It) {
      if (It->contains("id") && (*It)["id"] == Id && !It->contains("method")) {
        json R = *It;
        Sent.erase(It);
        return R;
      }
    }
    ADD_FAILURE() << Method << " got no answer";
    return {};
  }
  void Notify(const std::string& Method, const json& Params) {
    Server.Receive(DumpJson({{"jsonrpc", "2.0"}, {"method", Method}, {"params", Params}}));
  }
  // The notifications of that method sent so far, taken out of Sent.
  std::vector<json> Take(const std::string& Method) {
    std::vector<json> Found;
    for (auto It = Sent.begin(); It != Sent.end();) {
      if (It->value("method", "") == Method) {
        Found.push_back(*It);
        It = Sent.erase(It);
      } else {
        ++It;
      }
    }
    return Found;
  }

  std::vector<json> Sent;
  TLspServer Server;
  int NextId = 0;
};

inline json Pos(int Line, int Character) { return {{"line", Line}, {"character", Character}}; }

// The zoo project in a scratch folder, with the server started on it.
class LspTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = testing::TempDir() + "velmoric-lsp-XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
    Write("Base.pas", BaseUnit);
    Write("Zoo.pas", ZooUnit);
    Write("ZooApp.dpr", ZooProgram);
    std::filesystem::create_directories(Dir + "/data");
    ::setenv("VELMORIC_DATA", (Dir + "/data").c_str(), 1);
    ::setenv("VELMORIC_REGISTRY", (Dir + "/registry").c_str(), 1);
    fileRepository->Clear();  // units remembered by an earlier test
    Client = std::make_unique<TLspTestClient>();
  }
  void TearDown() override {
    Client.reset();
    fileRepository->Clear();
    std::error_code Ec;
    std::filesystem::remove_all(Dir, Ec);
  }

  std::string Write(const std::string& Name, const std::string& Text) {
    const std::string Full = Dir + "/" + Name;
    WriteFileBytes(Full, Text);
    return Full;
  }
  std::string Uri(const std::string& Name) { return PathToUri(Dir + "/" + Name); }
  json Doc(const std::string& Name) { return {{"uri", Uri(Name)}}; }

  // initialize, initialized, and each named file opened with its text.
  void Start(const std::vector<std::string>& Open = {"Zoo.pas"}) {
    json R = Client->Request("initialize", {{"processId", nullptr}, {"rootUri", PathToUri(Dir)}, {"capabilities", json::object()}});
    ASSERT_TRUE(R.contains("result")) << R.dump();
    Client->Notify("initialized", json::object());
    for (const std::string& Name : Open) OpenDoc(Name, ReadFileBytes(Dir + "/" + Name));
  }
  void OpenDoc(const std::string& Name, const std::string& Text) {
    Client->Notify("textDocument/didOpen",
                   {{"textDocument", {{"uri", Uri(Name)}, {"languageId", "pascal"}, {"version", 1}, {"text", Text}}}});
  }
  json At(const std::string& Name, int Line, int Character) {
    return {{"textDocument", Doc(Name)}, {"position", Pos(Line, Character)}};
  }
  json Result(const std::string& Method, const json& Params) {
    json R = Client->Request(Method, Params);
    EXPECT_TRUE(R.contains("result")) << Method << ": " << R.dump();
    return R.value("result", json());
  }

  std::string Dir;
  std::unique_ptr<TLspTestClient> Client;
};

}  // namespace lsptest
