// The unit dependency graph of a compiled project and `velmoric units`:
// cycles end every walk, every unit is listed once, units not found are
// marked, and the graph comes out as text, DOT and SVG.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

#include "browsers/VelmoricUnitGraph.h"
#include "project/VelmoricPascalProject.h"

namespace {

class TScratch {
 public:
  TScratch() {
    std::string T = testing::TempDir() + "velmoric-units-XXXXXX";
    if (!::mkdtemp(T.data())) std::abort();
    Path = T;
  }
  ~TScratch() {
    std::error_code Ec;
    std::filesystem::remove_all(Path, Ec);
  }
  std::string Write(const std::string& Name, const std::string& Text) const {
    const std::string F = Path + "/" + Name;
    std::filesystem::create_directories(std::filesystem::path(F).parent_path());
    WriteFileBytes(F, Text);
    return F;
  }
  std::string Path;
};

std::string Unit(const std::string& Name, const std::string& Uses) {
  return "unit " + Name + ";\ninterface\n" + (Uses.empty() ? "" : "uses " + Uses + ";\n") +
         "implementation\nend.\n";
}

// Two units using each other, one using both and a unit that exists nowhere.
class UnitGraphTest : public testing::Test {
 protected:
  void SetUp() override {
    // Each test's units live in a folder of their own: forget the last ones.
    fileRepository->Clear();
    Dir.Write("Alpha.pas", Unit("Alpha", "Beta"));
    Dir.Write("Beta.pas", Unit("Beta", "Alpha, Gamma"));
    Dir.Write("Gamma.pas", Unit("Gamma", ""));
    Dir.Write("Top.pas", Unit("Top", "Alpha, Nowhere"));
    SavedPath = AdditionalSearchPath;
    AdditionalSearchPath = Dir.Path;
    TPascalProject Project;
    Project.FMemoryProject = &Memory;
    Project.Compile(Dir.Path + "/Top.pas", {oCompileUnits, oCompileImplementation});
    Graph.Build(&Memory);
  }
  void TearDown() override { AdditionalSearchPath = SavedPath; }

  std::vector<std::string> Dependants(const std::string& Name) {
    TStringList Out;
    Out.SetSorted(true);
    Out.SetDuplicates(dupAccept);
    Graph.Dependants(Name, &Out);
    std::vector<std::string> R;
    for (int I = 0; I < Out.Count(); ++I) R.push_back(Out.Get(I));
    return R;
  }

  TScratch Dir;
  std::string SavedPath;
  TPascalProject Memory;
  TUnitDependGraph Graph;
};

TEST_F(UnitGraphTest, EveryUnitOnceSortedWithItsUsesResolved) {
  ASSERT_EQ(Graph.Count(), 5);
  EXPECT_EQ(Graph.List.Get(0), "alpha");
  EXPECT_EQ(Graph.List.Get(1), "beta");
  EXPECT_EQ(Graph.List.Get(2), "gamma");
  EXPECT_EQ(Graph.List.Get(3), "nowhere");
  EXPECT_EQ(Graph.List.Get(4), "top");
  TUnitDepend* Beta = Graph.Find("Beta");
  ASSERT_NE(Beta, nullptr);
  EXPECT_EQ(Beta->FileName, Dir.Path + "/Beta.pas");
  ASSERT_EQ(Beta->Uses.Count(), 2);
  EXPECT_EQ(Beta->Uses.Get(0), "alpha");
  EXPECT_EQ(Beta->UsesUnit(0), Graph.Find("alpha"));
  EXPECT_EQ(Beta->UsesUnit(1), Graph.Find("gamma"));
  EXPECT_FALSE(Graph.Find("nowhere")->Found);
  EXPECT_TRUE(Graph.Find("gamma")->Found);
}

TEST_F(UnitGraphTest, UnitsUsingEachOtherAreDependantsOfEachOtherOnce) {
  EXPECT_EQ(Dependants("alpha"), (std::vector<std::string>{"alpha via beta", "top"}));
  EXPECT_EQ(Dependants("beta"), (std::vector<std::string>{"alpha"}));
  EXPECT_EQ(Dependants("gamma"), (std::vector<std::string>{"alpha via beta"}));
  EXPECT_EQ(Dependants("top"), (std::vector<std::string>{}));
  // A unit that only a unit outside the walk uses.
  EXPECT_EQ(Dependants("Nowhere"), (std::vector<std::string>{"top"}));
}

TEST_F(UnitGraphTest, ReachableUnitsGroupedByFolderWithUnknownFiles) {
  TStringList Groups;
  Graph.GroupByDirectory(Graph.Find("top"), &Groups);
  ASSERT_EQ(Groups.Count(), 2);
  const std::string Folder = LowerCase(Dir.Path + "/");
  ASSERT_EQ(Groups.Get(0), Folder);
  auto* Files = static_cast<TStringList*>(Groups.Objects(0));
  EXPECT_EQ(Files->GetText(), "top.pas\r\nalpha.pas\r\nbeta.pas\r\ngamma.pas\r\n");
  ASSERT_EQ(Groups.Get(1), "unknown files");
  EXPECT_EQ(static_cast<TStringList*>(Groups.Objects(1))->GetText(), "nowhere\r\n");
  for (int I = 0; I < Groups.Count(); ++I) delete Groups.Objects(I);
  // From the middle of the cycle the unit above it is not reached.
  TStringList FromBeta;
  Graph.GroupByDirectory(Graph.Find("beta"), &FromBeta);
  ASSERT_EQ(FromBeta.Count(), 1);
  EXPECT_EQ(static_cast<TStringList*>(FromBeta.Objects(0))->GetText(),
            "beta.pas\r\nalpha.pas\r\ngamma.pas\r\n");
  delete FromBeta.Objects(0);
}

TEST_F(UnitGraphTest, ReachingALocatedUnit) {
  EXPECT_TRUE(Graph.Reaches(Graph.Find("top"), "gamma"));
  EXPECT_TRUE(Graph.Reaches(Graph.Find("alpha"), "gamma"));
  EXPECT_TRUE(Graph.Reaches(Graph.Find("beta"), "alpha"));
  EXPECT_FALSE(Graph.Reaches(Graph.Find("gamma"), "alpha"));
  EXPECT_TRUE(Graph.Reaches(Graph.Find("gamma"), "gamma"));
  // Nothing uses top: only top itself reaches it.
  for (int I = 0; I < Graph.Count(); ++I)
    EXPECT_EQ(Graph.Reaches(Graph.Units(I), "top"), Graph.List.Get(I) == "top");
  EXPECT_TRUE(Graph.Reaches(Graph.Find("top"), "nowhere"));
}

TEST_F(UnitGraphTest, TextAndDotForms) {
  EXPECT_EQ(Graph.ToText(),
            "alpha\t" + Dir.Path + "/Alpha.pas\n"
            "  beta\t" + Dir.Path + "/Beta.pas\n"
            "beta\t" + Dir.Path + "/Beta.pas\n"
            "  alpha\t" + Dir.Path + "/Alpha.pas\n"
            "  gamma\t" + Dir.Path + "/Gamma.pas\n"
            "gamma\t" + Dir.Path + "/Gamma.pas\n"
            "nowhere\tnot found\n"
            "top\t" + Dir.Path + "/Top.pas\n"
            "  alpha\t" + Dir.Path + "/Alpha.pas\n"
            "  nowhere\tnot found\n");
  EXPECT_TRUE(Graph.OnCycle(Graph.Find("alpha"), Graph.Find("beta")));
  EXPECT_TRUE(Graph.OnCycle(Graph.Find("beta"), Graph.Find("alpha")));
  EXPECT_FALSE(Graph.OnCycle(Graph.Find("beta"), Graph.Find("gamma")));
  EXPECT_FALSE(Graph.OnCycle(Graph.Find("top"), Graph.Find("alpha")));
  const std::string Dot = Graph.ToDot();
  EXPECT_NE(Dot.find("\"alpha\" -> \"beta\" [color=red"), std::string::npos) << Dot;
  EXPECT_NE(Dot.find("\"beta\" -> \"alpha\" [color=red"), std::string::npos);
  EXPECT_NE(Dot.find("\"beta\" -> \"gamma\";"), std::string::npos);
  EXPECT_NE(Dot.find("\"nowhere\" [label=\"nowhere\", style=dashed]"), std::string::npos);
  EXPECT_NE(Dot.find("label=\"" + Dir.Path + "/\""), std::string::npos);
  EXPECT_NE(Dot.find("\"top\" [label=\"Top\"]"), std::string::npos);
}

TEST(UnitGraph, AProgramsInEntriesAreOneUseEach) {
  fileRepository->Clear();
  TScratch Dir;
  Dir.Write("Prog.dpr", "program Prog;\nuses A in 'A.pas', B in 'sub/B.pas';\nbegin\nend.\n");
  Dir.Write("A.pas", Unit("A", ""));
  Dir.Write("sub/B.pas", Unit("B", "A"));
  const std::string Saved = AdditionalSearchPath;
  AdditionalSearchPath = Dir.Path + ";" + Dir.Path + "/sub";
  TPascalProject Memory;
  {
    TPascalProject Project;
    Project.FMemoryProject = &Memory;
    Project.Compile(Dir.Path + "/Prog.dpr", {oCompileUnits, oCompileImplementation});
  }
  AdditionalSearchPath = Saved;
  TUnitDependGraph Graph;
  Graph.Build(&Memory);
  ASSERT_EQ(Graph.Count(), 3);
  TUnitDepend* Prog = Graph.Find("prog");
  ASSERT_EQ(Prog->Uses.Count(), 2);
  EXPECT_EQ(Prog->UsesUnit(1), Graph.Find("b"));
  TStringList Groups;
  Graph.GroupByDirectory(Prog, &Groups);
  EXPECT_EQ(Groups.Count(), 2);  // the folder and its sub folder
  for (int I = 0; I < Groups.Count(); ++I) delete Groups.Objects(I);
  // An empty project gives an empty graph.
  TPascalProject Empty;
  Graph.Build(&Empty);
  EXPECT_EQ(Graph.Count(), 0);
  EXPECT_EQ(Graph.ToText(), "");
}

// ------------------------------------------------------------ the command

struct TCliResult {
  int Status = -1;
  std::string Out, Err;
};

TCliResult RunUnits(const TScratch& Dir, const std::string& Args) {
  TCliResult R;
  const std::string ErrFile = Dir.Path + "/stderr.txt";
  const std::string Cmd = "cd '" + Dir.Path + "' && VELMORIC_DATA='" + Dir.Path + "/data' '" +
                          VELMORIC_CLI + "' units " + Args + " 2>'" + ErrFile + "'";
  FILE* P = ::popen(Cmd.c_str(), "r");
  if (!P) return R;
  std::array<char, 4096> Buf;
  size_t N;
  while ((N = std::fread(Buf.data(), 1, Buf.size(), P)) > 0) R.Out.append(Buf.data(), N);
  const int W = ::pclose(P);
  R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
  R.Err = FileExists(ErrFile) ? ReadFileBytes(ErrFile) : std::string();
  return R;
}

class UnitsCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    Dir.Write("App.dpr", "program App;\nuses Alpha in 'Alpha.pas', Top in 'Top.pas';\nbegin\nend.\n");
    Dir.Write("Alpha.pas", Unit("Alpha", "Beta"));
    Dir.Write("Beta.pas", Unit("Beta", "Alpha, Gamma"));
    Dir.Write("Gamma.pas", Unit("Gamma", ""));
    Dir.Write("Top.pas", Unit("Top", "Alpha, Nowhere"));
  }
  TScratch Dir;
};

TEST_F(UnitsCommandTest, TextOfTheCompiledProject) {
  TCliResult R = RunUnits(Dir, "Top.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("top\t" + Dir.Path + "/Top.pas\n  alpha\t" + Dir.Path +
                       "/Alpha.pas\n  nowhere\tnot found\n"),
            std::string::npos)
      << R.Out;
  EXPECT_NE(R.Out.find("\nnowhere\tnot found\n"), std::string::npos);
  // With the program as the project, the program is a unit of the graph.
  R = RunUnits(Dir, "--project App.dpr Top.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_NE(R.Out.find("\napp\t" + Dir.Path + "/App.dpr\n  alpha\t"), std::string::npos) << R.Out;
}

TEST_F(UnitsCommandTest, DotAndSvg) {
  TCliResult R = RunUnits(Dir, "--dot Top.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out.rfind("digraph units {", 0), 0u);
  EXPECT_NE(R.Out.find("[color=red"), std::string::npos);
  // "--dot OUT FILE" writes the graph to OUT.
  R = RunUnits(Dir, "--dot graph.dot Top.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "");
  EXPECT_EQ(ReadFileBytes(Dir.Path + "/graph.dot").rfind("digraph units {", 0), 0u);

  R = RunUnits(Dir, "--svg graph.svg Top.pas");
  ASSERT_EQ(R.Status, 0) << R.Err;
  const std::string Svg = ReadFileBytes(Dir.Path + "/graph.svg");
  EXPECT_NE(Svg.find("<svg"), std::string::npos);
  EXPECT_NE(Svg.find("</svg>"), std::string::npos);
  EXPECT_NE(Svg.find("stroke=\"red\""), std::string::npos);
  EXPECT_NE(Svg.find("stroke-dasharray"), std::string::npos);
  EXPECT_NE(Svg.find(">Gamma</text>"), std::string::npos);
}

TEST_F(UnitsCommandTest, AFolderOfSourcesWithOtherExtensions) {
  Dir.Write("lib/one.pp", Unit("one", "two, sysutils"));
  Dir.Write("lib/two.pp", Unit("two", "one"));
  TCliResult R = RunUnits(Dir, "lib");
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out,
            "one\t" + Dir.Path + "/lib/one.pp\n  two\t" + Dir.Path +
                "/lib/two.pp\n  sysutils\tnot found\n"
                "sysutils\tnot found\n"
                "two\t" + Dir.Path + "/lib/two.pp\n  one\t" + Dir.Path + "/lib/one.pp\n");
}

TEST_F(UnitsCommandTest, BadArgumentsAndMissingFiles) {
  TCliResult R = RunUnits(Dir, "Missing.pas");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("file not found: Missing.pas"), std::string::npos) << R.Err;
  R = RunUnits(Dir, "");
  EXPECT_EQ(R.Status, 2);
  R = RunUnits(Dir, "--svg");
  EXPECT_EQ(R.Status, 2);
  R = RunUnits(Dir, "--dot --svg x.svg Top.pas");
  EXPECT_EQ(R.Status, 2);
  R = RunUnits(Dir, "--svg Top.pas Top.pas");
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(ReadFileBytes(Dir.Path + "/Top.pas"), Unit("Top", "Alpha, Nowhere"));
  R = RunUnits(Dir, "--svg nodir/x.svg Top.pas");
  EXPECT_EQ(R.Status, 1);
}

}  // namespace

namespace {

// `velmoric units` on a folder of the Free Pascal sources: each of its
// sources is listed once, with every other unit the compile reached.
TEST(UnitsCommandFreePascal, AFolderOfTheLibraryListsEveryUnitOnce) {
  const std::string Folder = "/usr/share/fpcsrc/3.2.2/packages/fcl-base/src";
  if (!std::filesystem::is_directory(Folder)) GTEST_SKIP() << Folder << " is not installed";
  TScratch Dir;
  const TCliResult R = RunUnits(Dir, Folder);
  ASSERT_EQ(R.Status, 0) << R.Err;
  std::map<std::string, std::string> Units;  // unit -> file
  size_t From = 0;
  while (From < R.Out.size()) {
    const size_t End = R.Out.find('\n', From);
    const std::string Line = R.Out.substr(From, End - From);
    From = End == std::string::npos ? R.Out.size() : End + 1;
    if (Line.empty() || Line[0] == ' ') continue;
    const size_t Tab = Line.find('\t');
    ASSERT_NE(Tab, std::string::npos) << Line;
    EXPECT_TRUE(Units.emplace(Line.substr(0, Tab), Line.substr(Tab + 1)).second) << Line;
  }
  int Sources = 0;
  for (const auto& E : std::filesystem::directory_iterator(Folder)) {
    const std::string Ext = E.path().extension().string();
    if (Ext != ".pp" && Ext != ".pas") continue;
    ++Sources;
    const auto It = Units.find(LowerCase(E.path().stem().string()));
    ASSERT_NE(It, Units.end()) << E.path();
    EXPECT_EQ(It->second, E.path().string());
  }
  EXPECT_GT(Sources, 30);
  EXPECT_GT(Units.size(), size_t(Sources));
}

}  // namespace
