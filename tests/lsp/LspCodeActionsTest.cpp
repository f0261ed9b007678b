// Code actions: the line diff their edits are made of, and each action run
// by the class expert or the uses manager, its edit applied as a client
// does.
#include <gtest/gtest.h>

#include <algorithm>

#include "LspTestClient.h"

using namespace lsptest;

namespace {

std::vector<std::string_view> Lines(const std::string& Text) { return LinesWithEnds(Text); }

// The text the changes of LineDiff(Old, New) make of Old.
std::string Apply(const std::string& Old, const std::vector<TLineChange>& Changes) {
  std::vector<std::string_view> L = Lines(Old);
  std::string Out;
  int Next = 0;
  for (const TLineChange& C : Changes) {
    EXPECT_GE(C.Start, Next);
    for (; Next < C.Start; ++Next) Out += L[Next];
    for (std::string_view S : C.Lines) Out += S;
    Next += C.Count;
  }
  for (; Next < static_cast<int>(L.size()); ++Next) Out += L[Next];
  return Out;
}

TEST(LspLineDiff, ChangesAreTheLinesThatDiffer) {
  const std::string Old = "a\nb\nc\nd\ne\nf\n";
  const std::string New = "a\nX\nc\nd\ne\nf\nY\n";
  std::vector<TLineChange> C = LineDiff(Lines(Old), Lines(New));
  ASSERT_EQ(C.size(), 2u);
  EXPECT_EQ(C[0].Start, 1);
  EXPECT_EQ(C[0].Count, 1);
  ASSERT_EQ(C[0].Lines.size(), 1u);
  EXPECT_EQ(C[0].Lines[0], "X\n");
  EXPECT_EQ(C[1].Start, 6);  // before the empty last line
  EXPECT_EQ(C[1].Count, 0);
  EXPECT_EQ(Apply(Old, C), New);
  EXPECT_TRUE(LineDiff(Lines(Old), Lines(Old)).empty());
}

TEST(LspLineDiff, AnyTwoTextsComeOutRight) {
  const std::vector<std::string> Texts = {"", "x", "x\n", "a\r\nb\r\n", "a\nb\nc", "c\nb\na\n",
                                          "a\n\n\nb\n", "b\na\nb\na\nb\n", "a\rb\rc"};
  for (const std::string& A : Texts)
    for (const std::string& B : Texts) EXPECT_EQ(Apply(A, LineDiff(Lines(A), Lines(B))), B) << A << "|" << B;
}

TEST(LspLineDiff, ManyDifferencesBecomeOneChange) {
  std::string Old, New;
  for (int I = 0; I < 1000; ++I) {
    Old += "line " + std::to_string(I) + "\n";
    New += "line " + std::to_string(I % 2 ? I : -I) + "\n";
  }
  std::vector<TLineChange> C = LineDiff(Lines(Old), Lines(New));
  ASSERT_EQ(C.size(), 1u);
  EXPECT_EQ(C[0].Start, 2);  // lines 0 and 1 agree
  EXPECT_EQ(Apply(Old, C), New);
}

// A descendant of TAnimal with a word to declare, a method without body
// and an inherited virtual method.
const char* const FarmUnit =
    "unit Farm;\n"
    "interface\n"
    "uses Base;\n"
    "type\n"
    "  TFarm = class(TAnimal)\n"   // 4
    "  private\n"
    "    FSize: Integer;\n"
    "  public\n"
    "    procedure Feed;\n"        // 8
    "    procedure Clean(Times: Integer);\n"
    "  end;\n"
    "implementation\n"
    "procedure TFarm.Feed;\n"      // 12
    "begin\n"
    "  Hay := FSize;\n"            // 14
    "  Barn.Open;\n"               // 15
    "end;\n"
    "end.\n";

const char* const BarnUnit =
    "unit Barns;\n"
    "interface\n"
    "type\n"
    "  TBarn = class\n"
    "    procedure Open;\n"
    "  end;\n"
    "var\n"
    "  Barn: TBarn;\n"
    "implementation\n"
    "procedure TBarn.Open;\n"
    "begin\n"
    "end;\n"
    "end.\n";

// Applies the text edits of one document to Text, from the last to the
// first (they do not overlap); lines end in LF, characters are bytes.
std::string ApplyEdits(const std::string& Text, const json& Edits) {
  std::vector<std::string_view> L = LinesWithEnds(Text);
  std::vector<size_t> Start{0};
  for (std::string_view S : L) Start.push_back(Start.back() + S.size());
  auto Offset = [&](const json& P) { return Start[P["line"].get<int>()] + P["character"].get<size_t>(); };
  std::vector<json> Sorted(Edits.begin(), Edits.end());
  std::sort(Sorted.begin(), Sorted.end(), [&](const json& A, const json& B) {
    return Offset(A["range"]["start"]) > Offset(B["range"]["start"]);
  });
  std::string Out = Text;
  for (const json& E : Sorted) {
    const size_t From = Offset(E["range"]["start"]);
    Out.replace(From, Offset(E["range"]["end"]) - From, E["newText"].get<std::string>());
  }
  return Out;
}

class LspCodeActionTest : public LspTest {
 protected:
  void SetUp() override {
    LspTest::SetUp();
    Write("Farm.pas", FarmUnit);
    Write("Barns.pas", BarnUnit);
    Write("ZooApp.dpr",
          "program ZooApp;\nuses\n  Base in 'Base.pas',\n  Zoo in 'Zoo.pas',\n  Farm in 'Farm.pas',\n"
          "  Barns in 'Barns.pas';\nbegin\nend.\n");
  }
  json Actions(int Line, int Character, const json& Context = json::object()) {
    return Result("textDocument/codeAction",
                  {{"textDocument", Doc("Farm.pas")},
                   {"range", {{"start", Pos(Line, Character)}, {"end", Pos(Line, Character)}}},
                   {"context", Context.empty() ? json{{"diagnostics", json::array()}} : Context}});
  }
  static const json* Titled(const json& List, const std::string& Title) {
    for (const json& A : List)
      if (A["title"] == Title) return &A;
    return nullptr;
  }
  // The document's text after the action's edit.
  std::string Applied(const json& Action) {
    EXPECT_TRUE(Action.contains("edit")) << Action.dump();
    const json& Changes = Action["edit"]["changes"];
    EXPECT_EQ(Changes.size(), 1u);
    return ApplyEdits(FarmUnit, Changes[Uri("Farm.pas")]);
  }
};

TEST_F(LspCodeActionTest, AnUnknownWordInAMethodIsDeclaredByTheClassExpert) {
  Start({"Farm.pas"});
  json List = Actions(14, 3);  // H|ay
  const json* Field = Titled(List, "Declare field");
  const json* Method = Titled(List, "Declare method");
  ASSERT_TRUE(Field && Method) << List.dump(1);
  EXPECT_EQ((*Field)["kind"], "quickfix");

  // A private field, of the type the variable defaults give.
  const std::string WithField = Applied(*Field);
  const size_t Hay = WithField.find("Hay:integer;\n");
  EXPECT_LT(WithField.find("  private\n"), Hay) << WithField;
  EXPECT_LT(Hay, WithField.find("  public\n")) << WithField;

  const std::string WithMethod = Applied(*Method);
  // The heading in the class, the body with its comment block at the end.
  EXPECT_NE(WithMethod.find("    FSize: Integer;\n    Procedure Hay;\n  public\n"), std::string::npos) << WithMethod;
  const size_t Body = WithMethod.find("Procedure TFarm.Hay;\nbegin\n");
  ASSERT_NE(Body, std::string::npos) << WithMethod;
  const size_t Block = WithMethod.find("// " + std::string(72, '-') + "\n// procedure TFarm Hay\n// Created : ");
  EXPECT_LT(WithMethod.find("  Barn.Open;\nend;\n"), Block) << WithMethod;
  EXPECT_LT(Block, Body);
  EXPECT_NE(WithMethod.find("end;\n\nend.\n", Body), std::string::npos) << WithMethod;

  // Computing the edits changed neither the buffer nor the model.
  json Symbols = Result("textDocument/documentSymbol", {{"textDocument", Doc("Farm.pas")}});
  ASSERT_EQ(Symbols.size(), 1u);
  EXPECT_EQ(Symbols[0]["children"].size(), 3u) << Symbols.dump(1);
  EXPECT_EQ(Actions(14, 3), List);
  // A word the model knows is not declared again.
  EXPECT_EQ(Titled(Actions(14, 11), "Declare field"), nullptr);  // FS|ize
}

TEST_F(LspCodeActionTest, MissingBodiesAndOverridesComeFromTheClassExpert) {
  Start({"Farm.pas"});
  json List = Actions(8, 6);  // in the class
  const json* Bodies = Titled(List, "Implement missing method bodies");
  ASSERT_TRUE(Bodies) << List.dump(1);
  const std::string Implemented = Applied(*Bodies);
  EXPECT_NE(Implemented.find("Procedure TFarm.Clean(Times: Integer);\nbegin\n"), std::string::npos) << Implemented;
  EXPECT_NE(Implemented.find("// Parameters:\n// Times :\n"), std::string::npos) << Implemented;
  EXPECT_EQ(Implemented.find("TFarm.Feed;"), Implemented.rfind("TFarm.Feed;"));

  // TAnimal.Speak is virtual, TAnimal.Legs is not.
  const json* Speak = Titled(List, "Override inherited method TAnimal.Speak");
  ASSERT_TRUE(Speak) << List.dump(1);
  EXPECT_EQ(Titled(List, "Override inherited method TAnimal.Legs"), nullptr);
  const std::string Overridden = Applied(*Speak);
  EXPECT_NE(Overridden.find("    Procedure Speak; override; \n  end;\n"), std::string::npos) << Overridden;
  EXPECT_NE(Overridden.find("Procedure TFarm.Speak;\nbegin\n  inherited;\n"), std::string::npos) << Overridden;
  // Only what was asked for.
  json Quick = Actions(8, 6, {{"diagnostics", json::array()}, {"only", {"refactor"}}});
  ASSERT_FALSE(Quick.empty());
  for (const json& A : Quick) EXPECT_EQ(A["kind"], "refactor");
}

TEST_F(LspCodeActionTest, AUnitTheUsesClausesLackIsAddedByTheUsesManager) {
  Start({"Farm.pas"});
  json List = Actions(15, 3);  // B|arn
  const json* Add = Titled(List, "Add unit to uses: Barns");
  ASSERT_TRUE(Add) << List.dump(1);
  const std::string Used = Applied(*Add);
  EXPECT_NE(Used.find("uses  Base, Barns;\n"), std::string::npos) << Used;
  // A unit that is used already is not offered.
  EXPECT_EQ(Titled(Actions(4, 18), "Add unit to uses: Base"), nullptr);  // TAn|imal
}

TEST_F(LspCodeActionTest, AClientThatResolvesGetsTheEditWhenItChooses) {
  json R = Client->Request(
      "initialize",
      {{"rootUri", PathToUri(Dir)},
       {"capabilities",
        {{"textDocument", {{"codeAction", {{"resolveSupport", {{"properties", {"edit"}}}}}}}}}}});
  ASSERT_TRUE(R["result"]["capabilities"]["codeActionProvider"]["resolveProvider"]);
  Client->Notify("initialized", json::object());
  OpenDoc("Farm.pas", FarmUnit);
  json List = Actions(14, 3);
  const json* Field = Titled(List, "Declare field");
  ASSERT_TRUE(Field) << List.dump(1);
  EXPECT_FALSE(Field->contains("edit"));
  json Resolved = Result("codeAction/resolve", *Field);
  EXPECT_EQ(Resolved["title"], "Declare field");
  EXPECT_NE(Applied(Resolved).find("Hay:integer;\n    FSize: Integer;\n"), std::string::npos);

  // An action offered before the document changed is refused.
  Client->Notify("textDocument/didChange",
                 {{"textDocument", {{"uri", Uri("Farm.pas")}, {"version", 2}}},
                  {"contentChanges", {{{"text", FarmUnit}}}}});
  EXPECT_EQ(Client->Request("codeAction/resolve", *Field)["error"]["code"], lspContentModified);
  // Bad requests.
  EXPECT_EQ(Client->Request("codeAction/resolve", {{"title", "x"}})["error"]["code"], lspInvalidParams);
  json Unknown = *Field;
  Unknown["data"]["action"] = "paint";
  Unknown["data"]["textDocument"]["version"] = 2;
  EXPECT_EQ(Client->Request("codeAction/resolve", Unknown)["error"]["code"], lspInvalidParams);
  EXPECT_EQ(Client->Request("textDocument/codeAction", {{"textDocument", Doc("Farm.pas")}})["error"]["code"],
            lspInvalidParams);
  EXPECT_EQ(Client->Request("textDocument/codeAction",
                            {{"textDocument", Doc("Zoo.pas")}, {"range", {{"start", Pos(0, 0)}, {"end", Pos(0, 0)}}}})
                ["error"]["code"],
            lspInvalidParams);
}

}  // namespace
