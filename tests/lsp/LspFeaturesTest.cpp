// The features on the zoo project: each through the protocol, as a client
// asks for it.
#include <gtest/gtest.h>

#include <algorithm>

#include "LspTestClient.h"

using namespace lsptest;

namespace {

json Range(int L1, int C1, int L2, int C2) { return {{"start", Pos(L1, C1)}, {"end", Pos(L2, C2)}}; }

std::vector<std::string> Names(const json& List, const char* Field = "name") {
  std::vector<std::string> N;
  for (const json& E : List) N.push_back(E[Field]);
  return N;
}

TEST_F(LspTest, DefinitionIsTheHyperjump) {
  Start();
  json R = Result("textDocument/definition", At("Zoo.pas", 5, 11));  // Dog: T|Dog
  EXPECT_EQ(R["uri"], Uri("Base.pas"));
  EXPECT_EQ(R["range"], Range(9, 2, 9, 6));
  // A method lands on its body's begin.
  R = Result("textDocument/definition", At("Zoo.pas", 12, 7));  // Dog.F|etch
  EXPECT_EQ(R["uri"], Uri("Base.pas"));
  EXPECT_EQ(R["range"]["start"]["line"], 27);
  // A word that resolves to nothing but names two methods: both.
  R = Result("textDocument/definition", At("Zoo.pas", 13, 3));  // Sp|eak
  ASSERT_TRUE(R.is_array());
  ASSERT_EQ(R.size(), 2u);
  for (const json& L : R) EXPECT_EQ(L["uri"], Uri("Base.pas"));
  // Nothing at all.
  EXPECT_TRUE(Result("textDocument/definition", At("Zoo.pas", 8, 3)).is_null());  // implementation
  // Jumps leave no file open beyond the client's.
  json Again = Result("textDocument/definition", At("Zoo.pas", 5, 11));
  EXPECT_EQ(Again["uri"], Uri("Base.pas"));
}

TEST_F(LspTest, DeclarationAndImplementationJumpBetweenHeadingAndBody) {
  Start({"Zoo.pas", "Base.pas"});
  // From the prototype in the class to the body's heading and back.
  json Impl = Result("textDocument/implementation", At("Base.pas", 12, 16));  // procedure F|etch;
  EXPECT_EQ(Impl["uri"], Uri("Base.pas"));
  EXPECT_EQ(Impl["range"], Range(26, 15, 26, 20));
  json Decl = Result("textDocument/declaration", At("Base.pas", 26, 16));
  EXPECT_EQ(Decl["range"], Range(12, 14, 12, 19));
  // Anywhere in a body: its procedure's declaration.
  Decl = Result("textDocument/declaration", At("Zoo.pas", 10, 1));
  EXPECT_EQ(Decl["uri"], Uri("Zoo.pas"));
  EXPECT_EQ(Decl["range"]["start"]["line"], 6);
  // Through the model to another unit.
  Impl = Result("textDocument/implementation", At("Zoo.pas", 14, 7));  // Dog.L|egs
  EXPECT_EQ(Impl["uri"], Uri("Base.pas"));
  EXPECT_EQ(Impl["range"]["start"]["line"], 19);
  // A field has a declaration and no body.
  EXPECT_TRUE(Result("textDocument/implementation", At("Base.pas", 5, 5)).is_null());
}

TEST_F(LspTest, DocumentSymbolsAreTheUnitsTree) {
  Start({"Base.pas"});
  json R = Result("textDocument/documentSymbol", {{"textDocument", Doc("Base.pas")}});
  ASSERT_EQ(Names(R), (std::vector<std::string>{"TAnimal", "TDog"}));
  const json& Animal = R[0];
  EXPECT_EQ(Animal["kind"], 5);
  EXPECT_EQ(Animal["range"], Range(3, 0, 8, 6));
  EXPECT_EQ(Animal["selectionRange"], Range(3, 2, 3, 9));
  ASSERT_EQ(Names(Animal["children"]), (std::vector<std::string>{"Name", "Speak", "Legs"}));
  EXPECT_EQ(Animal["children"][0]["kind"], 8);  // field
  EXPECT_EQ(Animal["children"][1]["kind"], 6);  // method
  // A method with a body spans its heading to its end.
  EXPECT_EQ(Animal["children"][2]["range"], Range(19, 0, 22, 4));
  EXPECT_EQ(Animal["children"][2]["detail"], ": Integer");
  EXPECT_EQ(R[1]["detail"], "class(TAnimal)");
}

TEST_F(LspTest, WorkspaceSymbolsAreTheExplorersSearch) {
  Start();
  json R = Result("workspace/symbol", {{"query", "td"}});
  ASSERT_EQ(Names(R), (std::vector<std::string>{"TDog"}));
  EXPECT_EQ(R[0]["location"]["uri"], Uri("Base.pas"));
  R = Result("workspace/symbol", {{"query", "Speak"}});
  ASSERT_EQ(R.size(), 2u);
  std::vector<std::string> Owners = Names(R, "containerName");
  std::sort(Owners.begin(), Owners.end());
  EXPECT_EQ(Owners, (std::vector<std::string>{"TAnimal", "TDog"}));
  EXPECT_EQ(Result("workspace/symbol", {{"query", ""}}).size(), 10u);
  EXPECT_TRUE(Result("workspace/symbol", {{"query", "zzz"}}).empty());
}

TEST_F(LspTest, CompletionOffersMembersAfterAPointAndWordsElsewhere) {
  Start();
  // "  Dog." at the end of line 14 after an edit.
  Client->Notify("textDocument/didChange",
                 {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", 2}}},
                  {"contentChanges", {{{"range", Range(14, 6, 14, 10)}, {"text", ""}}}}});
  json R = Result("textDocument/completion", At("Zoo.pas", 14, 6));
  std::vector<std::string> Labels = Names(R["items"], "label");
  ASSERT_EQ(Labels.size(), 4u) << R.dump();  // TAnimal.Speak is hidden
  // The class's own members first, then those of its ancestor.
  EXPECT_EQ(std::vector<std::string>(Labels.begin(), Labels.begin() + 2),
            (std::vector<std::string>{"Fetch", "Speak"}));
  EXPECT_NE(std::find(Labels.begin(), Labels.end(), "Legs"), Labels.end());
  EXPECT_NE(std::find(Labels.begin(), Labels.end(), "Name"), Labels.end());
  EXPECT_EQ(R["items"][0]["textEdit"]["range"], Range(14, 6, 14, 6));

  // Expand word: the spellings of the unit that begin with the word, the
  // most frequent first; the word itself only in another capitalisation.
  Client->Notify("textDocument/didChange",
                 {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", 3}}},
                  {"contentChanges", {{{"range", Range(14, 2, 14, 6)}, {"text", "do"}}}}});
  R = Result("textDocument/completion", At("Zoo.pas", 14, 4));
  ASSERT_EQ(Names(R["items"], "label"), (std::vector<std::string>{"Dog"})) << R.dump();
  EXPECT_EQ(R["items"][0]["detail"], "3 in this unit");
  EXPECT_EQ(R["items"][0]["textEdit"]["range"], Range(14, 2, 14, 4));
}

TEST_F(LspTest, ReferencesResolveEveryOccurrence) {
  Start({"Zoo.pas", "Base.pas"});
  json R = Result("textDocument/references",
                  {{"textDocument", Doc("Zoo.pas")}, {"position", Pos(12, 7)}, {"context", {{"includeDeclaration", true}}}});
  std::vector<std::pair<std::string, int>> Got;
  for (const json& L : R) Got.push_back({L["uri"], L["range"]["start"]["line"]});
  std::sort(Got.begin(), Got.end());
  EXPECT_EQ(Got, (std::vector<std::pair<std::string, int>>{
                     {Uri("Base.pas"), 12}, {Uri("Base.pas"), 26}, {Uri("Zoo.pas"), 12}}));
  // TDog.Speak is not TAnimal.Speak.
  R = Result("textDocument/references",
             {{"textDocument", Doc("Zoo.pas")}, {"position", Pos(11, 7)}, {"context", {{"includeDeclaration", false}}}});
  ASSERT_EQ(R.size(), 1u) << R.dump();
  EXPECT_EQ(R[0]["range"], Range(11, 6, 11, 11));
}

TEST_F(LspTest, HoverShowsTheDeclarationAndItsComment) {
  Start();
  json R = Result("textDocument/hover", At("Zoo.pas", 14, 7));  // Dog.L|egs
  const std::string Md = R["contents"]["value"];
  EXPECT_EQ(Md, "# TAnimal.Legs\n\n```pascal\nfunction Legs: Integer;\n```\n\n*Base.pas*") << Md;
  EXPECT_EQ(R["range"], Range(14, 6, 14, 10));
  Client->Notify("textDocument/didOpen", {{"textDocument", {{"uri", Uri("Base.pas")}, {"version", 1},
                                                            {"text", ReadFileBytes(Dir + "/Base.pas")}}}});
  R = Result("textDocument/hover", At("Base.pas", 16, 20));  // TAnimal.Sp|eak
  EXPECT_NE(R["contents"]["value"].get<std::string>().find("Says what the animal says."), std::string::npos)
      << R.dump();
  EXPECT_TRUE(Result("textDocument/hover", At("Zoo.pas", 8, 2)).is_null());
}

TEST_F(LspTest, PositionsFollowEditsWithinALine) {
  Start();
  int Version = 1;
  auto Edit = [&](std::vector<json> Changes) {
    json List = json::array();
    for (json& C : Changes) List.push_back(std::move(C));
    Client->Notify("textDocument/didChange",
                   {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", ++Version}}}, {"contentChanges", List}});
  };
  auto Change = [](int Line, int From, int To, const std::string& Text) {
    return json{{"range", Range(Line, From, Line, To)}, {"text", Text}};
  };
  auto HoverRange = [&](int Line, int Character) {
    return Result("textDocument/hover", At("Zoo.pas", Line, Character))["range"];
  };
  // Two bytes, one UTF-16 unit: "  {\u00e9}Dog.Legs;".
  Edit({Change(14, 2, 2, "{\xC3\xA9}")});
  EXPECT_EQ(HoverRange(14, 10), Range(14, 9, 14, 13));
  // ASCII behind it on the same line, then on an earlier line, then taken out again.
  Edit({Change(14, 4, 4, "xy")});
  EXPECT_EQ(HoverRange(14, 12), Range(14, 11, 14, 15));
  Edit({Change(5, 0, 0, "  ")});
  EXPECT_EQ(HoverRange(14, 12), Range(14, 11, 14, 15));
  EXPECT_EQ(Result("textDocument/definition", At("Zoo.pas", 5, 13))["uri"], Uri("Base.pas"));  // TD|og
  Edit({Change(14, 4, 6, "")});
  EXPECT_EQ(HoverRange(14, 10), Range(14, 9, 14, 13));
  // A line end put in; two changes in one notification.
  Edit({Change(3, 0, 0, "\n")});
  EXPECT_EQ(HoverRange(15, 10), Range(15, 9, 15, 13));
  Edit({Change(15, 0, 0, "{ab}"), Change(15, 1, 1, "c")});  // "{cab}  {\u00e9}Dog.Legs;"
  EXPECT_EQ(HoverRange(15, 15), Range(15, 14, 15, 18));
  EXPECT_EQ(Result("textDocument/definition", At("Zoo.pas", 12, 7))["uri"], Uri("Base.pas"));  // Dog.S|peak
}

TEST_F(LspTest, HoverRendersTheStructuredCommentAsTheHelpPageDoes) {
  Write("Calc.pas",
        "unit Calc;\ninterface\ntype\n  TCalc = class\n    function Add(A: Integer): Integer;\n  end;\n"
        "implementation\n"
        "// ------------------------------------------------------------------------\n"
        "// function TCalc Add(A: Integer)\n"
        "// Created : someone 01/02/26 10:00:00\n"
        "//\n"
        "// Parameters:\n"
        "// A :the number to add\n"
        "//\n"
        "// Description:\n"
        "// Adds A to the sum.\n"
        "// ------------------------------------------------------------------------\n"
        "function TCalc.Add(A: Integer): Integer;\nbegin\nend;\nend.\n");
  Start({"Calc.pas"});
  json R = Result("textDocument/hover", At("Calc.pas", 4, 15));  // A|dd
  const std::string Md = R["contents"]["value"];
  EXPECT_EQ(Md.rfind("# TCalc.Add\n\n```pascal\nfunction Add(A: Integer): Integer;\n```\n\n", 0), 0u) << Md;
  EXPECT_NE(Md.find("## Parameters\n\nA the number to add\n\n## Description\n\nAdds A to the sum.\n"),
            std::string::npos)
      << Md;
}

TEST_F(LspTest, DiagnosticsFollowTheBuffer) {
  Start();
  std::vector<json> First = Client->Take("textDocument/publishDiagnostics");
  ASSERT_FALSE(First.empty());
  EXPECT_TRUE(First.back()["params"]["diagnostics"].empty());
  // A unit named twice in the uses clause; positions count UTF-16 units.
  Client->Notify("textDocument/didChange",
                 {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", 2}}},
                  {"contentChanges", {{{"range", Range(2, 9, 2, 9)}, {"text", ", Base"}},
                                      {{"range", Range(0, 0, 0, 0)}, {"text", "{ \xC3\xA9t\xC3\xA9 }"}}}}});
  std::vector<json> Next = Client->Take("textDocument/publishDiagnostics");
  ASSERT_EQ(Next.size(), 1u);
  const json& P = Next[0]["params"];
  EXPECT_EQ(P["version"], 2);
  ASSERT_EQ(P["diagnostics"].size(), 1u) << P.dump();
  EXPECT_EQ(P["diagnostics"][0]["severity"], 2);
  EXPECT_EQ(P["diagnostics"][0]["message"], "Uses doppelt: 'base'");
  EXPECT_EQ(P["diagnostics"][0]["range"]["start"]["line"], 2);
  // A full change puts the text back; closing clears the list.
  Client->Notify("textDocument/didChange", {{"textDocument", {{"uri", Uri("Zoo.pas")}, {"version", 3}}},
                                            {"contentChanges", {{{"text", ZooUnit}}}}});
  EXPECT_TRUE(Client->Take("textDocument/publishDiagnostics").back()["params"]["diagnostics"].empty());
  Client->Notify("textDocument/didClose", {{"textDocument", Doc("Zoo.pas")}});
  EXPECT_TRUE(Client->Take("textDocument/publishDiagnostics").back()["params"]["diagnostics"].empty());
  EXPECT_EQ(Client->Request("textDocument/hover", At("Zoo.pas", 5, 11))["error"]["code"], lspInvalidParams);
}

TEST_F(LspTest, CommandsAreTheExpertsMenuItems) {
  Start();
  json Name = Result("workspace/executeCommand",
                     {{"command", "velmoric.findPosition"}, {"arguments", {Uri("Zoo.pas"), Pos(11, 3)}}});
  EXPECT_EQ(Name, "TZoo.Run");
  EXPECT_TRUE(Result("workspace/executeCommand",
                     {{"command", "velmoric.findPosition"}, {"arguments", {At("Zoo.pas", 1, 0)}}})
                  .is_null());
  EXPECT_TRUE(Result("workspace/executeCommand", {{"command", "velmoric.clearMemory"}}).is_null());
  // Memory comes back on the next request.
  json Def = Result("textDocument/definition", At("Zoo.pas", 5, 11));
  EXPECT_EQ(Def["uri"], Uri("Base.pas"));
  json Units = Result("workspace/executeCommand", {{"command", "velmoric.compile"}});
  EXPECT_GE(Units["units"].get<int>(), 2);
  json Jump = Result("workspace/executeCommand",
                     {{"command", "velmoric.hyperjump"}, {"arguments", {Uri("Zoo.pas"), Pos(5, 11)}}});
  EXPECT_EQ(Jump["uri"], Uri("Base.pas"));
  EXPECT_EQ(Client->Request("workspace/executeCommand", {{"command", "velmoric.nothing"}})["error"]["code"],
            lspInvalidParams);
  EXPECT_EQ(Client->Request("workspace/executeCommand", {{"command", "velmoric.findPosition"}})["error"]["code"],
            lspInvalidParams);
}

TEST_F(LspTest, ConfigurationNamesTheProjectAndTheSearchPath) {
  // Units in a folder outside the workspace, named by the settings.
  std::filesystem::create_directories(Dir + "/lib");
  std::filesystem::rename(Dir + "/Base.pas", Dir + "/lib/Base.pas");
  Write("ZooApp.dpr", "program ZooApp;\nuses Zoo in 'Zoo.pas';\nbegin\nend.\n");
  Write("Other.lpr", "program Other;\nbegin\nend.\n");
  std::filesystem::create_directories(Dir + "/ws");
  std::filesystem::rename(Dir + "/Zoo.pas", Dir + "/ws/Zoo.pas");
  std::filesystem::rename(Dir + "/ZooApp.dpr", Dir + "/ws/ZooApp.dpr");
  json R = Client->Request("initialize", {{"rootUri", PathToUri(Dir + "/ws")},
                                          {"initializationOptions", {{"searchPath", Dir + "/nowhere"}}}});
  ASSERT_TRUE(R.contains("result"));
  Client->Notify("initialized", json::object());
  OpenDoc("ws/Zoo.pas", ZooUnit);
  EXPECT_TRUE(Result("textDocument/definition", At("ws/Zoo.pas", 5, 11)).is_null());
  Client->Notify("workspace/didChangeConfiguration",
                 {{"settings", {{"velmoric", {{"searchPath", json::array({Dir + "/nowhere", Dir + "/lib"})},
                                              {"libraryPath", Dir + "/alsonowhere"}}}}}});
  json Def = Result("textDocument/definition", At("ws/Zoo.pas", 5, 11));
  EXPECT_EQ(Def["uri"], Uri("lib/Base.pas"));
  // The library path went to a copy of the settings, not to the user's file.
  EXPECT_FALSE(std::filesystem::exists(Dir + "/registry"));
}

TEST_F(LspTest, TheConfiguredProgramIsTheProject) {
  // Two programs; only the second names the far unit, outside the workspace.
  std::filesystem::create_directories(Dir + "/far");
  Write("far/Far.pas", "unit Far;\ninterface\ntype\n  TFar = class\n  end;\nimplementation\nend.\n");
  Write("Near.pas", "unit Near;\ninterface\nuses Far;\nvar\n  F: TFar;\nimplementation\nend.\n");
  std::filesystem::create_directories(Dir + "/ws");
  for (const char* Name : {"Near.pas", "Base.pas", "Zoo.pas"})
    std::filesystem::rename(Dir + "/" + Name, Dir + "/ws/" + Name);
  std::filesystem::remove(Dir + "/ZooApp.dpr");
  Write("ws/AAA.dpr", "program AAA;\nuses Zoo in 'Zoo.pas';\nbegin\nend.\n");
  Write("ws/Near.dpr", "program NearApp;\nuses Near in 'Near.pas', Far in '../far/Far.pas';\nbegin\nend.\n");
  json R = Client->Request("initialize", {{"rootUri", PathToUri(Dir + "/ws")}});
  ASSERT_TRUE(R.contains("result"));
  Client->Notify("initialized", json::object());
  OpenDoc("ws/Near.pas", ReadFileBytes(Dir + "/ws/Near.pas"));
  EXPECT_TRUE(Result("textDocument/definition", At("ws/Near.pas", 4, 6)).is_null());  // AAA.dpr
  Client->Notify("workspace/didChangeConfiguration", {{"settings", {{"velmoric", {{"projectFile", "Near.dpr"}}}}}});
  json Def = Result("textDocument/definition", At("ws/Near.pas", 4, 6));
  EXPECT_EQ(Def["uri"], Uri("far/Far.pas")) << Def.dump();
}

TEST_F(LspTest, WithoutAProgramTheUsedUnitsOfEachDocumentAreCompiled) {
  std::filesystem::remove(Dir + "/ZooApp.dpr");
  Write("Lone.pas", "unit Lone;\ninterface\nimplementation\nend.\n");
  Start({"Lone.pas", "Zoo.pas"});
  json Def = Result("textDocument/definition", At("Zoo.pas", 5, 11));
  EXPECT_EQ(Def["uri"], Uri("Base.pas")) << Def.dump();
  // A unit added to the uses clause later is compiled too.
  Write("Extra.pas", "unit Extra;\ninterface\ntype\n  TExtra = class\n  end;\nimplementation\nend.\n");
  Client->Notify("textDocument/didChange",
                 {{"textDocument", {{"uri", Uri("Lone.pas")}, {"version", 2}}},
                  {"contentChanges", {{{"text", "unit Lone;\ninterface\nuses Extra;\nvar X: TExtra;\nimplementation\nend.\n"}}}}});
  Def = Result("textDocument/definition", At("Lone.pas", 3, 9));
  EXPECT_EQ(Def["uri"], Uri("Extra.pas")) << Def.dump();
}

}  // namespace
