#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/FileSizeLimit.h"
#include "../support/ScratchSettings.h"
#include "ProjectTestUtil.h"
#include "project/VelmoricParseAhead.h"
#include "project/VelmoricPascalProject.h"
#include "trace/TraceCapture.h"

using projecttest::ScratchDir;

namespace {

std::string Unit(const std::string& Name, const std::string& Body) {
  return "unit " + Name + ";\ninterface\n" + Body + "\nimplementation\nend.\n";
}

// A compile of many units as it shows from outside: the units in order with
// their files, states, errors and symbol trees as stored, the stores on disk,
// the exceptions and every trace line.
struct TOutcome {
  std::vector<std::string> Units;
  std::vector<std::string> Stores;
  std::vector<std::string> Raised;
  std::vector<std::pair<std::string, std::string>> Trace;
  size_t ParsedAhead = 0;
};

class ParseAheadTest : public testing::Test {
 protected:
  // Units of every kind a tree holds: sound ones, broken ones, one unit name
  // twice in two folders, a program, a file that is not there.
  void WriteTree() {
    for (int I = 0; I < 12; ++I) {
      const std::string N = "Plain" + std::to_string(I);
      Files.push_back(Dir.Write(N + ".pas", Unit(N, "uses SysUtils;\ntype\n  T" + N +
                                                        " = class(TObject)\n    F: Integer;\n"
                                                        "    procedure Go;\n  end;\nvar V" +
                                                        N + ": Integer;")));
    }
    Files.push_back(Dir.Write("Broken.pas", "unit Broken;\ninterface\ntype\n  TX = class\n"
                                            "    procedure A(\nimplementation\nprocedure Q;\n"));
    Files.push_back(Dir.Write("Twice.pas", Unit("Twice", "uses Classes, Classes;")));
    Files.push_back(Dir.Write("sub/Plain3.pas", Unit("Plain3", "const Other = 1;")));
    Files.push_back(Dir.Write("Prog.pp", "program Prog;\nuses Plain1;\nbegin\nend.\n"));
    Files.push_back(Dir.File("Gone.pas"));
    Files.push_back(Dir.Write("Stored.pas", Unit("Stored", "const Kept = 2;")));
  }

  void RemoveStores() {
    std::error_code Ec;
    for (auto It = std::filesystem::recursive_directory_iterator(Dir.Path, Ec);
         !Ec && It != std::filesystem::end(It); It.increment(Ec))
      if (It->path().extension() == ".pax") std::filesystem::remove(It->path(), Ec);
  }

  TOutcome Compile(unsigned Threads, TCompilerOptionsSet Options = {oCompileImplementation}) {
    RemoveStores();
    {
      // One unit comes with a current store: it is loaded, not parsed.
      TPascalProject Before;
      Before.Compile(Dir.File("Stored.pas"), Options);
    }
    TOutcome O;
    TPascalProject Project;
    {
      TTraceCapture Capture;
      TParseAhead Ahead(Project, Files, Options, Threads);
      O.ParsedAhead = Ahead.Count();
      for (const std::string& F : Files) {
        try {
          Project.Compile(F, Options);
        } catch (const Exception& E) {
          O.Raised.push_back(F + ": " + E.Message());
        }
      }
      O.Trace = Capture.Lines;
    }
    EXPECT_EQ(Project.FParseAhead, nullptr);
    TOrvikSymbolstore Store;
    for (int I = 0; I < Project.FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Project.FUnitLIst->GetObjects(I));
      O.Units.push_back(Project.FUnitLIst->Get(I) + " " + S->FileName + " state " +
                        std::to_string(S->State) + (S->Modified ? " modified" : "") + "\n" +
                        S->errors->GetText() + Store.SaveToImage(S->usesList, S->symbols));
      if (S->Found) {
        EXPECT_EQ(S->Project, &Project) << S->FileName;
      }
      EXPECT_EQ(S->Token, nullptr);
    }
    for (const std::string& F : Files) {
      const std::string Pax = TPascalProject::StoreFileName(F);
      O.Stores.push_back(FileExists(Pax) ? ReadFileBytes(Pax) : "(none)");
    }
    return O;
  }

  ScratchDir Dir;
  support::TScratchSettings Settings{Dir.Path};
  std::vector<std::string> Files;
};

TEST_F(ParseAheadTest, ManyThreadsGiveTheModelStoresAndTraceLinesOfOne) {
  WriteTree();
  const TOutcome One = Compile(1);
  const TOutcome Many = Compile(4);
  EXPECT_EQ(One.ParsedAhead, 0u);
  // Every file but the second Plain3, the missing one and the stored one.
  EXPECT_EQ(Many.ParsedAhead, Files.size() - 3);
  ASSERT_EQ(One.Units.size(), Many.Units.size());
  for (size_t I = 0; I < One.Units.size(); ++I) EXPECT_EQ(One.Units[I], Many.Units[I]) << I;
  EXPECT_EQ(One.Stores, Many.Stores);
  EXPECT_EQ(One.Raised, Many.Raised);
  EXPECT_EQ(One.Trace, Many.Trace);
  // The tree is what it claims: errors, a loaded unit, a placeholder.
  const std::string All = [&] {
    std::string S;
    for (const std::string& U : One.Units) S += U;
    return S;
  }();
  EXPECT_NE(All.find("Uses doppelt"), std::string::npos);
  EXPECT_NE(All.find("Error " + Dir.File("Broken.pas")), std::string::npos);
  EXPECT_NE(All.find("stored " + Dir.File("Stored.pas") + " state " + std::to_string(stEditorLoaded)),
            std::string::npos);
  EXPECT_EQ(One.Stores[12 + 2], "(none)") << "the second Plain3 is never compiled";
}

TEST_F(ParseAheadTest, NothingIsParsedAheadWhereTheParseItselfCompilesOrTraces) {
  WriteTree();
  TPascalProject Project;
  EXPECT_EQ(TParseAhead(Project, Files, {oCompileUnits, oCompileImplementation}, 4).Count(), 0u);
  const bool SavedFlag = FlagTrace;
  FlagTrace = true;
  const size_t Traced = TParseAhead(Project, Files, {oCompileImplementation}, 4).Count();
  FlagTrace = SavedFlag;
  EXPECT_EQ(Traced, 0u);
  // Units already in the project are not parsed again.
  Project.Compile(Files[0], {oCompileImplementation});
  EXPECT_EQ(TParseAhead(Project, Files, {oCompileImplementation}, 4).Count(), Files.size() - 3);
}

TEST_F(ParseAheadTest, ParsesNeverTakenAreFreedAndOtherOptionsParseAnew) {
  WriteTree();
  TPascalProject Project;
  {
    TParseAhead Ahead(Project, Files, {oCompileImplementation}, 2);
    // Asked with other options, the compile parses itself.
    EXPECT_EQ(Ahead.Take(Files[0], {oCompileImplementation, oCompileLocalVar}), nullptr);
    std::unique_ptr<TParsedUnit> P = Ahead.Take(Files[1], {oCompileImplementation});
    ASSERT_NE(P, nullptr);
    ASSERT_NE(P->Source, nullptr);
    EXPECT_FALSE(P->Error);
    EXPECT_TRUE(P->HaveStore);
    EXPECT_TRUE(P->StoreWritten);
    EXPECT_TRUE(P->StoreStamped);
    EXPECT_EQ(Ahead.Take(Files[1], {oCompileImplementation}), nullptr) << "taken once";
    EXPECT_EQ(Ahead.Take(Dir.File("Elsewhere.pas"), {oCompileImplementation}), nullptr);
  }
  EXPECT_EQ(Project.FUnitLIst->Count(), 0);
  // Their stores waited in temporary files, which went with them.
  std::error_code Ec;
  for (auto It = std::filesystem::recursive_directory_iterator(Dir.Path, Ec);
       !Ec && It != std::filesystem::end(It); It.increment(Ec)) {
    EXPECT_NE(It->path().extension(), ".pax") << It->path();
    EXPECT_NE(It->path().extension(), ".tmp") << It->path();
  }
}

TEST_F(ParseAheadTest, StoresThatCannotBeWrittenLeaveTheUnitsParsed) {
  WriteTree();
  TPascalProject Project;
  {
    testsupport::FileSizeLimit FullDisk(16);
    TParseAhead Ahead(Project, Files, {oCompileImplementation}, 3);
    for (const std::string& F : Files) Project.Compile(F, {oCompileImplementation});
  }
  EXPECT_EQ(Project.FUnitLIst->Count(), static_cast<int>(Files.size()) - 1);
  for (const std::string& F : Files) EXPECT_FALSE(FileExists(TPascalProject::StoreFileName(F))) << F;
  std::error_code Ec;
  for (auto It = std::filesystem::recursive_directory_iterator(Dir.Path, Ec);
       !Ec && It != std::filesystem::end(It); It.increment(Ec))
    EXPECT_NE(It->path().extension(), ".tmp") << It->path();
}

}  // namespace
