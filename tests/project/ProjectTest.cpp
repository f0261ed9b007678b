#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "../support/FileSizeLimit.h"
#include "../support/ScratchSettings.h"
#include "ProjectTestUtil.h"
#include "hosts/memory/MemoryIDE.h"
#include "platform/registry/Registry.h"
#include "project/VelmoricPascalProject.h"

using projecttest::CurrentDir;
using projecttest::ScratchDir;

namespace {

const char* const UnitA =
    "unit UnitA;\n"
    "interface\n"
    "uses UnitB, UnitC;\n"
    "type\n"
    "  TFoo = class(TBar)\n"
    "  public\n"
    "    procedure Go;\n"
    "  end;\n"
    "implementation\n"
    "procedure TFoo.Go;\n"
    "begin\n"
    "end;\n"
    "end.\n";
const char* const UnitB =
    "unit UnitB;\n"
    "interface\n"
    "uses UnitC;\n"
    "type\n"
    "  TBar = class(TBase)\n"
    "    Count: Integer;\n"
    "  end;\n"
    "implementation\n"
    "end.\n";
const char* const UnitC =
    "unit UnitC;\n"
    "interface\n"
    "type\n"
    "  TBase = class\n"
    "    Count: Integer;\n"
    "  end;\n"
    "var\n"
    "  Shared: Integer;\n"
    "const\n"
    "  Limit = 10;\n"
    "implementation\n"
    "end.\n";

struct timespec MTime(const std::string& F) {
  struct stat St {};
  ::stat(F.c_str(), &St);
  return St.st_mtim;
}

void SetMTime(const std::string& F, time_t Sec, long NSec) {
  const struct timespec T[2] = {{0, UTIME_OMIT}, {Sec, NSec}};
  ASSERT_EQ(::utimensat(AT_FDCWD, F.c_str(), T, 0), 0);
}

bool SameTime(const struct timespec& A, const struct timespec& B) {
  return A.tv_sec == B.tv_sec && A.tv_nsec == B.tv_nsec;
}

// How a unit came into a project.
std::string How(const TPascalSource* S) {
  if (!S->Found) return "missing";
  return S->State == stUpdated ? "parsed" : "loaded";
}

// Every unit of a project as "key:how", in order.
std::string Units(const TPascalProject& P) {
  std::string Out;
  for (int I = 0; I < P.FUnitLIst->Count(); ++I) {
    if (!Out.empty()) Out += " ";
    Out += P.FUnitLIst->Get(I) + ":" +
           How(static_cast<TPascalSource*>(P.FUnitLIst->GetObjects(I)));
  }
  return Out;
}

TPascalSource* UnitOf(const TPascalProject& P, const std::string& Key) {
  const int I = P.FUnitLIst->IndexOf(Key);
  return I < 0 ? nullptr : static_cast<TPascalSource*>(P.FUnitLIst->GetObjects(I));
}

class ProjectTest : public testing::Test {
 protected:
  void WriteUnits() {
    A = Dir.Write("UnitA.pas", UnitA);
    B = Dir.Write("UnitB.pas", UnitB);
    C = Dir.Write("UnitC.pas", UnitC);
  }
  // Compiles A into a fresh memory project through a short-lived one.
  std::string CompileAll(TPascalProject& Memory) {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    P.Compile(A, {oCompileUnits, oCompileImplementation});
    return Units(Memory);
  }

  ScratchDir Dir;
  support::TScratchSettings Settings{Dir.Path};
  std::string A, B, C;
};

TEST_F(ProjectTest, CompileParsesEveryUsedUnitOnceAndTwiceChangesNothing) {
  WriteUnits();
  TPascalProject P;
  TPascalSource* S = P.Compile(A, {oCompileUnits, oCompileImplementation});
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(S->FileName, A);
  EXPECT_EQ(Units(P), "unita:parsed unitb:parsed unitc:parsed");
  EXPECT_EQ(S->Project, &P);
  EXPECT_EQ(UnitOf(P, "unitc")->RefCount, 1);
  EXPECT_EQ(P.Compile("UNITA", {oCompileUnits}), nullptr);
  EXPECT_EQ(P.Compile(A, {oCompileUnits}), nullptr);
  EXPECT_EQ(P.FUnitLIst->Count(), 3);
}

TEST_F(ProjectTest, StoresCarryTheSourcesTimeAndASecondCompileLoadsEveryUnit) {
  WriteUnits();
  {
    TPascalProject Memory;
    EXPECT_EQ(CompileAll(Memory), "unita:parsed unitb:parsed unitc:parsed");
  }
  for (const std::string& F : {A, B, C}) {
    const std::string Pax = TPascalProject::StoreFileName(F);
    ASSERT_TRUE(FileExists(Pax)) << Pax;
    EXPECT_TRUE(SameTime(MTime(F), MTime(Pax))) << Pax;
  }
  TPascalProject Memory;
  EXPECT_EQ(CompileAll(Memory), "unita:loaded unitb:loaded unitc:loaded");
  // A loaded unit answers like a parsed one.
  TOrvikSymbol* Foo = Memory.FindSymbol("tfoo", typClass);
  ASSERT_NE(Foo, nullptr);
  EXPECT_EQ(Foo->Ancestor(), "TBar");
  EXPECT_EQ(Foo->Source, UnitOf(Memory, "unita"));
  ASSERT_NE(UnitOf(Memory, "unita")->usesList, nullptr);
  EXPECT_EQ(UnitOf(Memory, "unita")->usesList->Count(), 2);
  EXPECT_EQ(UnitOf(Memory, "unitb")->Project, &Memory);
}

TEST_F(ProjectTest, TouchingOneSourceReparsesJustThatUnitEvenWithinTwoSeconds) {
  WriteUnits();
  // Well inside one 2-second DOS stamp: 0.1 s and then 0.6 s past an even second.
  const time_t Base = 1700000000;
  SetMTime(B, Base, 100000000);
  {
    TPascalProject Memory;
    CompileAll(Memory);
  }
  Dir.Write("UnitB.pas", std::string(UnitB).replace(std::string(UnitB).find("Count"), 5, "Total"));
  SetMTime(B, Base, 600000000);
  TPascalProject Memory;
  EXPECT_EQ(CompileAll(Memory), "unita:loaded unitb:parsed unitc:loaded");
  ASSERT_NE(Memory.FindAnySymbol("total"), nullptr);
  EXPECT_TRUE(SameTime(MTime(TPascalProject::StoreFileName(B)), MTime(B)));
}

TEST_F(ProjectTest, LoadedAndSharedUnitsBringTheirUsesOnlyWithCompileUnits) {
  WriteUnits();
  TPascalProject Memory;
  CompileAll(Memory);
  {
    TPascalProject P;  // loads UnitA from its store, as a parse would: alone
    P.Compile(A, {oCompileImplementation});
    EXPECT_EQ(Units(P), "unita:loaded");
  }
  {
    TPascalProject P;
    P.Compile(A, {oCompileUnits});
    EXPECT_EQ(Units(P), "unita:loaded unitb:loaded unitc:loaded");
  }
  TPascalProject P;
  P.FMemoryProject = &Memory;
  P.Compile("unitb", {});
  EXPECT_EQ(Units(P), "unitb:parsed");
}

TEST_F(ProjectTest, AnOlderOrNewerStoreIsOutOfDate) {
  WriteUnits();
  {
    TPascalProject Memory;
    CompileAll(Memory);
  }
  const std::string Pax = TPascalProject::StoreFileName(C);
  const struct timespec T = MTime(C);
  for (long Delta : {-1L, +1L}) {
    SetMTime(Pax, T.tv_sec + Delta, T.tv_nsec);
    TPascalProject P;
    EXPECT_FALSE(P.CheckSymbols(C));
    P.Compile(C, {});
    EXPECT_EQ(Units(P), "unitc:parsed");
    EXPECT_TRUE(P.CheckSymbols(C));
  }
  std::remove(Pax.c_str());
  TPascalProject P;
  EXPECT_FALSE(P.CheckSymbols(C));
}

TEST_F(ProjectTest, TheStoreFileCheckedIsTheOneLoaded) {
  WriteUnits();
  {
    TPascalProject P;
    P.Compile(C, {});
  }
  const std::string Pax = TPascalProject::StoreFileName(C);
  TPascalProject P;
  TStoreFile Checked;
  ASSERT_TRUE(P.CheckSymbols(C, &Checked));
  ASSERT_TRUE(Checked.IsOpen());
  EXPECT_EQ(Checked.FileName(), Pax);

  // Another writer replaces the store whole after the check: the load reads
  // the file that was checked, not the newcomer.
  WriteFileBytes(Pax + ".new", "not a store");
  SetMTime(Pax + ".new", MTime(C).tv_sec + 5, 0);
  ASSERT_EQ(std::rename((Pax + ".new").c_str(), Pax.c_str()), 0);
  TPascalSource S(nullptr);
  S.symbols.Source = &S;
  S.Store->LoadFromFile(Checked, &S);
  ASSERT_NE(S.symbols.symbols, nullptr);
  EXPECT_NE(S.symbols.symbols->IndexOf("tbase"), -1);
  EXPECT_NE(S.symbols.symbols->IndexOf("shared"), -1);

  // Out of date or missing: nothing is handed over.
  TStoreFile Stale;
  EXPECT_FALSE(P.CheckSymbols(C, &Stale));  // the newcomer's time is not the source's
  EXPECT_FALSE(Stale.IsOpen());
  std::remove(Pax.c_str());
  TStoreFile Missing;
  EXPECT_FALSE(P.CheckSymbols(C, &Missing));
  EXPECT_FALSE(Missing.IsOpen());
}

// Every record below Sym with its texts and its list's keys, one per line.
std::string Dump(const TOrvikSymbol& Sym, const std::string& Indent = "") {
  std::string Out;
  if (!Sym.symbols) return Out;
  for (int I = 0; I < Sym.symbols->Count(); ++I) {
    const auto* Child = static_cast<const TOrvikSymbol*>(Sym.symbols->GetObject(I));
    Out += Indent + Sym.symbols->Get(I) + "=" + Child->name.str() + ":" + Child->TypeName.str() +
           "(" + Child->Params.str() + ")" + Child->ResultType.str() + "{" + Child->Comment.str() +
           "}" + Child->Ancestor().str() + "|" + Child->ReadAccess().str() + "\n";
    Out += Dump(*Child, Indent + "  ");
  }
  return Out;
}

// A unit loaded from its store reads as it was parsed, and records that
// other lists hold keep their texts and keys after the load's source goes
// or loads again.
TEST_F(ProjectTest, LoadedRecordsHeldElsewhereOutliveTheirSource) {
  const std::string F = Dir.Write(
      "LongNames.pas",
      "unit LongNames;\n"
      "interface\n"
      "type\n"
      "  TAVeryLongClassName = class(TAnotherLongAncestor)\n"
      "  private\n"
      "    FSomewhatLongFieldName: TSomeLongTypeName;\n"
      "  public\n"
      "    { what the long procedure does }\n"
      "    procedure ALongProcedureName(const ParameterOne: Integer; var Second: string);\n"
      "    property LongPropertyName: TSomeLongTypeName read FSomewhatLongFieldName;\n"
      "  end;\n"
      "var\n"
      "  AnotherLongVariable: TAVeryLongClassName;\n"
      "implementation\n"
      "procedure TAVeryLongClassName.ALongProcedureName(const ParameterOne: Integer; var Second: string);\n"
      "begin\n"
      "end;\n"
      "end.\n");
  std::string Parsed;
  {
    TPascalProject P;
    TPascalSource* S = P.Compile(F, {oCompileImplementation});
    ASSERT_EQ(How(S), "parsed");
    Parsed = Dump(S->symbols);
  }
  ASSERT_NE(Parsed.find("tavery"), std::string::npos);
  TOrvikSymbol Holder;
  std::string HeldClass;
  {
    TPascalProject P;
    TPascalSource* S = P.Compile(F, {oCompileImplementation});
    ASSERT_EQ(How(S), "loaded");
    EXPECT_EQ(Dump(S->symbols), Parsed);
    TOrvikSymbol* Cls = S->symbols.symbols->FindSymbol({typClass}, "taverylongclassname");
    ASSERT_NE(Cls, nullptr);
    AddOrvikSymbol(&Holder, Cls);
    HeldClass = Dump(Holder);

    // Loaded again into the same source: the held class keeps the first load's texts.
    TStoreFile Store(TPascalProject::StoreFileName(F));
    S->Store->LoadFromFile(Store, S);
    EXPECT_EQ(Dump(S->symbols), Parsed);
    EXPECT_EQ(Dump(Holder), HeldClass);
    AddOrvikSymbol(&Holder, S->symbols.symbols->FindSymbol({typVar}, "anotherlongvariable"));
    HeldClass = Dump(Holder);
  }
  EXPECT_NE(HeldClass.find("fsomewhatlongfieldname=FSomewhatLongFieldName:TSomeLongTypeName"),
            std::string::npos);
  EXPECT_EQ(Dump(Holder), HeldClass);
}

TEST_F(ProjectTest, AStoreInTheWayButUnreadableIsReportedAndTheUnitParsed) {
  WriteUnits();
  const std::string Pax = TPascalProject::StoreFileName(C);
  std::filesystem::create_directory(Pax);
  SetMTime(Pax, MTime(C).tv_sec, MTime(C).tv_nsec);
  TPascalProject P;
  // Its time matches, so it counts as current; the load then refuses it.
  TStoreFile Checked;
  EXPECT_TRUE(P.CheckSymbols(C, &Checked));
  TPascalSource S(nullptr);
  S.symbols.Source = &S;
  EXPECT_THROW(S.Store->LoadFromFile(Checked, &S), EFOpenError);
  TPascalSource* Compiled = P.Compile(C, {});
  ASSERT_NE(Compiled, nullptr);
  EXPECT_EQ(How(Compiled), "parsed");
  EXPECT_NE(P.FindFlatSymbol("tbase"), nullptr);
}

TEST_F(ProjectTest, ADamagedStoreIsParsedInsteadAndWrittenAgain) {
  WriteUnits();
  {
    TPascalProject P;
    P.Compile(C, {});
  }
  const std::string Pax = TPascalProject::StoreFileName(C);
  const std::string Good = ReadFileBytes(Pax);
  WriteFileBytes(Pax, Good.substr(0, Good.size() / 2));
  SetMTime(Pax, MTime(C).tv_sec, MTime(C).tv_nsec);
  TPascalProject P;
  ASSERT_TRUE(P.CheckSymbols(C));
  TPascalSource* S = P.Compile(C, {});
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(How(S), "parsed");
  EXPECT_NE(P.FindFlatSymbol("shared"), nullptr);
  EXPECT_EQ(ReadFileBytes(Pax), Good);
}

TEST_F(ProjectTest, AStoreThatCannotBeWrittenDoesNotStopTheCompile) {
  WriteUnits();
  std::filesystem::create_directory(TPascalProject::StoreFileName(C));  // in the way
  TPascalProject P;
  ASSERT_NE(P.Compile(C, {}), nullptr);
  EXPECT_NE(P.FindFlatSymbol("tbase"), nullptr);
  TPascalProject Again;
  Again.Compile(C, {});
  EXPECT_EQ(Units(Again), "unitc:parsed");
}

TEST_F(ProjectTest, AUnitThatExistsNowhereIsAPlaceholderRegisteredOnce) {
  Dir.Write("Main.pas", "unit Main;\ninterface\nuses Nowhere, UnitX;\nimplementation\nend.\n");
  Dir.Write("UnitX.pas", "unit UnitX;\ninterface\nuses nowhere;\nimplementation\nend.\n");
  TPascalProject Memory;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    P.Compile(Dir.File("Main.pas"), {oCompileUnits, oCompileImplementation});
    EXPECT_EQ(Units(P), "main:parsed nowhere:missing unitx:parsed");
    TPascalSource* Missing = UnitOf(P, "nowhere");
    EXPECT_EQ(Missing->FileName, "nowhere");
    EXPECT_EQ(Missing->usesList, nullptr);
    EXPECT_EQ(Missing->RefCount, 2);
    EXPECT_EQ(P.Compile("NoWhere", {oCompileUnits}), nullptr);
  }
  EXPECT_EQ(Units(Memory), "main:parsed nowhere:missing unitx:parsed");
  // The unit turns up: a new project finds it instead of the placeholder.
  Dir.Write("Nowhere.pas", "unit Nowhere;\ninterface\nimplementation\nend.\n");
  TPascalProject P;
  P.FMemoryProject = &Memory;
  EXPECT_NE(P.Compile("nowhere", {}), nullptr);
  EXPECT_EQ(How(UnitOf(Memory, "nowhere")), "parsed");
}

TEST_F(ProjectTest, ShortLivedProjectsShareTheMemoryProjectsSources) {
  WriteUnits();
  TPascalProject Memory;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    P.Compile(A, {oCompileUnits, oCompileImplementation});
    EXPECT_EQ(UnitOf(P, "unitc"), UnitOf(Memory, "unitc"));
    EXPECT_EQ(UnitOf(Memory, "unitc")->RefCount, 2);
  }
  TPascalSource* C1 = UnitOf(Memory, "unitc");
  EXPECT_EQ(C1->RefCount, 1);
  EXPECT_EQ(C1->Project, &Memory);
  // Another short-lived project takes the memory copies, used units too.
  TPascalProject P;
  P.FMemoryProject = &Memory;
  EXPECT_EQ(P.Compile("unitb", {oCompileUnits}), nullptr);
  EXPECT_EQ(Units(P), "unitb:parsed unitc:parsed");
  EXPECT_EQ(UnitOf(P, "unitc"), C1);
  EXPECT_EQ(C1->RefCount, 2);
}

TEST_F(ProjectTest, SymbolSearchesAcrossUnits) {
  WriteUnits();
  TPascalProject P;
  P.Compile(A, {oCompileUnits, oCompileImplementation});
  EXPECT_EQ(P.FindFlatSymbol("LIMIT")->Typ, typConst);
  EXPECT_EQ(P.FindSymbol("tbar", typClass)->Source, UnitOf(P, "unitb"));
  EXPECT_EQ(P.FindSymbol("tbar", typVar), nullptr);
  // Depth first, children before their owner: the field of TBar comes first.
  TOrvikSymbol* Count = P.FindAnySymbol("count");
  ASSERT_NE(Count, nullptr);
  EXPECT_EQ(Count->Parent->name, "TBar");
  EXPECT_EQ(P.FindFlatSymbol("count"), nullptr);

  TOrvikSymbol* Foo = P.FindSymbol("TFoo", typClass);
  TOrvikSymbol* Bar = P.BaseClassOf(Foo);
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Bar->name, "TBar");
  EXPECT_EQ(P.BaseClassOf(Bar)->name, "TBase");
  EXPECT_EQ(P.BaseClassOf(P.BaseClassOf(Bar)), nullptr);
  EXPECT_EQ(P.BaseClassOf(nullptr), nullptr);
  int I;
  EXPECT_TRUE(FBaseClasses->Find("tbase", I));  // a nil answer is cached too

  TStringList Classes;
  P.CreateSymbolList(typClass, &Classes);
  ASSERT_EQ(Classes.Count(), 3);
  EXPECT_EQ(Classes[0], "TFoo");
  EXPECT_EQ(Classes.Objects(2), P.FindFlatSymbol("tbase"));

  std::unique_ptr<TSaveList> Named(P.GetSymbolList("COUNT"));
  ASSERT_EQ(Named->Count(), 2);
  EXPECT_EQ(static_cast<TOrvikSymbol*>(Named->Get(0))->Parent->name, "TBar");
  EXPECT_EQ(static_cast<TOrvikSymbol*>(Named->Get(1))->Parent->name, "TBase");
  std::string Unused;
  EXPECT_EQ(P.FindCompiledSource("UnitB.pas", Unused), UnitOf(P, "unitb"));
  EXPECT_EQ(P.FindCompiledSource("unitz", Unused), nullptr);
}

TEST_F(ProjectTest, FindSourceSearchOrder) {
  WriteUnits();
  ScratchDir Lib1, Lib2, Work;
  Lib1.Write("Deep.pas", "unit Deep; interface implementation end.");
  Lib2.Write("deep.pas", "unit Deep; interface implementation end.");
  Lib2.Write("Other.PAS", "unit Other; interface implementation end.");
  Work.Write("here.pas", "unit Here; interface implementation end.");
  CurrentDir Cd(Work.Path);
  AdditionalSearchPath = Lib1.Path + ";" + Lib2.Path;
  TPascalProject P;
  std::string F;
  // The search path, left to right, names compared without regard to case.
  ASSERT_TRUE(P.FindSource("deep", F));
  EXPECT_EQ(F, Lib1.Path + "/Deep.pas");
  ASSERT_TRUE(P.FindSource("OTHER", F));
  EXPECT_EQ(F, Lib2.Path + "/Other.PAS");
  // The current directory before the search path; the found name is remembered absolute.
  ASSERT_TRUE(P.FindSource("Here", F));
  EXPECT_EQ(F, std::filesystem::current_path().string() + "/here.pas");
  // The repository first: a remembered location wins over the search path.
  std::string Remember = "/nowhere/Remembered.pas";
  fileRepository->Add(Remember);
  Lib1.Write("Remembered.pas", "unit Remembered; interface implementation end.");
  ASSERT_TRUE(P.FindSource("remembered", F));
  EXPECT_EQ(F, "/nowhere/Remembered.pas");
  // A name given as an existing file.
  ASSERT_TRUE(P.FindSource(Dir.File("unitc.PAS"), F));
  EXPECT_EQ(F, C);
  EXPECT_FALSE(P.FindSource("missing", F));
  EXPECT_EQ(F, "");
  // A folder is not a unit's file.
  std::filesystem::create_directory(Work.File("folder.pas"));
  std::filesystem::create_directory(Work.File("folder"));
  EXPECT_FALSE(P.FindSource("folder", F));
  // Without the IDE path and additional directories only the rest is searched.
  fileRepository->Clear();
  AdditionalSearchPath.clear();
  gUseDelphiPath = false;
  EXPECT_FALSE(P.FindSource("other", F));
}

TEST_F(ProjectTest, FreePascalUnitsAreFoundAsPpAfterPas) {
  ScratchDir Lib1, Lib2, Work;
  Lib1.Write("Mixed.PP", "unit Mixed; interface implementation end.");
  Lib2.Write("mixed.pas", "unit Mixed; interface implementation end.");
  Lib2.Write("both.pp", "unit Both; interface implementation end.");
  Lib2.Write("Both.pas", "unit Both; interface implementation end.");
  Work.Write("local.pp", "unit Local; interface implementation end.");
  CurrentDir Cd(Work.Path);
  AdditionalSearchPath = Lib1.Path + ";" + Lib2.Path;
  TPascalProject P;
  std::string F;
  // In each folder ".pas" first, then ".pp"; the folders keep their order.
  ASSERT_TRUE(P.FindSource("mixed", F));
  EXPECT_EQ(F, Lib1.Path + "/Mixed.PP");
  ASSERT_TRUE(P.FindSource("BOTH", F));
  EXPECT_EQ(F, Lib2.Path + "/Both.pas");
  ASSERT_TRUE(P.FindSource("Local", F));
  EXPECT_EQ(F, std::filesystem::current_path().string() + "/local.pp");
  EXPECT_FALSE(P.FindSource("none", F));

  // A ".pp" unit is parsed and gets its store like any other.
  TPascalProject Memory;
  {
    TPascalProject Q;
    Q.FMemoryProject = &Memory;
    Q.Compile(Work.Write("main.pas", "unit Main; interface uses Mixed; implementation end."),
              {oCompileUnits, oCompileImplementation});
  }
  EXPECT_EQ(Units(Memory), "main:parsed mixed:parsed");
  EXPECT_TRUE(FileExists(Lib1.File("Mixed.pax")));
}

TEST_F(ProjectTest, TheSearchPathComesFromTheIdesLibraryKey) {
  ScratchDir Lib;
  Lib.Write("Libunit.pas", "unit LibUnit; interface implementation end.");
  {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey("\\Software\\Borland\\Delphi\\3.0\\Library", true));
    R.WriteString("SearchPath", "/no/such/dir;" + Lib.Path);
  }
  AdditionalSearchPath.clear();
  gUseDelphiPath = true;
  TPascalProject P;
  EXPECT_EQ(P.FSearchPath, "/no/such/dir;" + Lib.Path);
  std::string F;
  ASSERT_TRUE(P.FindSource("libunit", F));
  EXPECT_EQ(F, Lib.Path + "/Libunit.pas");
  gUseDelphiPath = false;
  fileRepository->Clear();
  EXPECT_FALSE(P.FindSource("libunit", F));
}

// ------------------------------------------------ odd names, failed parses

TEST_F(ProjectTest, AStoreIsWrittenOnlyBesideAPascalSourceAndNeverOntoIt) {
  const std::string KeepText = "unit Keep;\ninterface\nvar X: Integer;\nimplementation\nend.\n";
  const std::string Keep = Dir.Write("keep.pax", KeepText);
  const std::string Make = Dir.Write("Makefile", "unit Make;\ninterface\nimplementation\nend.\n");
  Dir.Write("Makefile.pax", "not a store");
  for (int Round = 0; Round < 2; ++Round) {
    TPascalProject P;
    ASSERT_NE(P.Compile(Keep, {}), nullptr);
    ASSERT_NE(P.Compile(Make, {}), nullptr);
    EXPECT_EQ(Units(P), "keep:parsed makefile:parsed");
    EXPECT_NE(P.FindFlatSymbol("x"), nullptr);
    EXPECT_FALSE(P.CheckSymbols(Keep));
  }
  EXPECT_EQ(ReadFileBytes(Keep), KeepText);
  EXPECT_EQ(ReadFileBytes(Dir.File("Makefile.pax")), "not a store");
  // Every Pascal source extension, in any case, gets its store.
  for (const char* Name : {"Upper.PAS", "Free.pp", "Prog.dpr", "Laz.LPR"}) {
    const std::string F = Dir.Write(Name, "unit U;\ninterface\nimplementation\nend.\n");
    TPascalProject P;
    P.Compile(F, {});
    EXPECT_TRUE(FileExists(TPascalProject::StoreFileName(F))) << Name;
    EXPECT_TRUE(P.CheckSymbols(F)) << Name;
  }
  EXPECT_TRUE(TPascalProject::IsPascalSourceFile("/a.b/Unit1.Pas"));
  EXPECT_TRUE(TPascalProject::IsPascalSourceFile("C:\\Src\\Unit1.DPR"));
  EXPECT_FALSE(TPascalProject::IsPascalSourceFile("/a.pas/Unit1"));
  EXPECT_FALSE(TPascalProject::IsPascalSourceFile("unit1.pas.bak"));
}

TEST_F(ProjectTest, UsesEntriesThatAreNotUnitNamesAreNeitherSearchedNorStored) {
  WriteUnits();
  ScratchDir Work;
  Work.Write("x/archive.pax", "precious");
  Work.Write("private/notes.txt", "unit Notes;\ninterface\nimplementation\nend.\n");
  Work.Write("x/Foo.pas", "unit Foo;\ninterface\nimplementation\nend.\n");
  Work.Write("sub/.keep", "");
  CurrentDir Cd(Work.File("sub"));
  const std::string Main = Dir.Write(
      "Main.pas",
      "unit Main;\ninterface\nuses Foo in '../x/Foo.pas', Bar in '../x/archive.pax',\n"
      "  Baz in '../private/notes.txt', UnitC;\nimplementation\nend.\n");
  TPascalProject Memory;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    P.Compile(Main, {oCompileUnits, oCompileImplementation});
    EXPECT_EQ(Units(P),
              "main:parsed foo:missing ../x/foo.pas:missing bar:missing ../x/archive.pax:missing "
              "baz:missing ../private/notes.txt:missing unitc:parsed");
    EXPECT_EQ(UnitOf(P, "../x/archive.pax")->FileName, "../x/archive.pax");
    EXPECT_EQ(UnitOf(P, "../x/archive.pax")->RefCount, 2);
  }
  EXPECT_EQ(ReadFileBytes(Work.File("x/archive.pax")), "precious");
  EXPECT_FALSE(FileExists(Work.File("private/notes.pax")));
  EXPECT_FALSE(FileExists(Work.File("x/Foo.pax")));
  EXPECT_EQ(fileRepository->list.IndexOf("archive"), -1);

  // The same entries read from the unit's store are not searched either.
  TPascalProject P;
  P.Compile(Main, {oCompileUnits});
  EXPECT_EQ(Units(P),
            "main:loaded foo:missing ../x/foo.pas:missing bar:missing ../x/archive.pax:missing "
            "baz:missing ../private/notes.txt:missing unitc:loaded");
  EXPECT_EQ(ReadFileBytes(Work.File("x/archive.pax")), "precious");
  EXPECT_FALSE(FileExists(Work.File("x/Foo.pax")));
}

TEST_F(ProjectTest, AProgramsInPathsAreTakenRelativeToTheProgram) {
  ScratchDir Prj, Work;
  Work.Write("x/archive.pax", "precious");
  Prj.Write("x/archive.pax", "precious too");
  Prj.Write("prog/units/Tools.pas", "unit Tools;\ninterface\nuses Helper;\nimplementation\nend.\n");
  Prj.Write("prog/units/Helper.pas", "unit Helper;\ninterface\nimplementation\nend.\n");
  Prj.Write("shared/Other.pp", "unit Renamed;\ninterface\nvar Shared: Integer;\nimplementation\nend.\n");
  const std::string Demo = Prj.Write(
      "prog/Demo.dpr",
      "program Demo;\nuses\n  Tools in 'units\\Tools.pas',\n  Renamed in '../shared/Other.pp',\n"
      "  Bad in '../x/archive.pax';\nbegin\nend.\n");
  Work.Write("sub/.keep", "");
  CurrentDir Cd(Work.File("sub"));  // elsewhere: the paths are the program's own
  AdditionalSearchPath.clear();
  const char* const Expected[] = {
      "demo:parsed tools:parsed helper:missing renamed:missing other:parsed bad:missing "
      "../x/archive.pax:missing",
      "demo:loaded tools:loaded helper:missing renamed:missing other:loaded bad:missing "
      "../x/archive.pax:missing"};
  for (const char* Want : Expected) {
    TPascalProject Memory;
    {
      TPascalProject P;
      P.FMemoryProject = &Memory;
      P.Compile(Demo, {oCompileUnits, oCompileImplementation});
    }
    EXPECT_EQ(Units(Memory), Want);
    EXPECT_NE(Memory.FindFlatSymbol("shared"), nullptr);
    EXPECT_EQ(UnitOf(Memory, "tools")->FileName, Prj.File("prog/units/Tools.pas"));
  }
  EXPECT_TRUE(FileExists(Prj.File("prog/units/Tools.pax")));
  EXPECT_TRUE(FileExists(Prj.File("shared/Other.pax")));
  EXPECT_EQ(ReadFileBytes(Prj.File("x/archive.pax")), "precious too");
  EXPECT_EQ(ReadFileBytes(Work.File("x/archive.pax")), "precious");
}

TEST_F(ProjectTest, AUsedUnitThatCannotBeReadLeavesTheStoreAsItWasAndIsParsedAgainLater) {
  WriteUnits();
  {
    TPascalProject Memory;
    CompileAll(Memory);
  }
  // UnitA changes on disk, so its store is out of date; UnitB's remembered
  // location is stale.
  const std::string PaxA = TPascalProject::StoreFileName(A);
  const std::string OldStore = ReadFileBytes(PaxA);
  const struct timespec OldStoreTime = MTime(PaxA);
  Dir.Write("UnitA.pas", std::string(UnitA) + "\n");
  SetMTime(A, OldStoreTime.tv_sec + 10, 0);
  fileRepository->Clear();
  std::string Moved = Dir.File("moved/UnitB.pas");
  fileRepository->Add(Moved);

  TPascalProject Memory;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    EXPECT_THROW(P.Compile(A, {oCompileUnits, oCompileImplementation}), EFOpenError);
    // UnitA stays registered; UnitB never joined, UnitC was never reached.
    ASSERT_EQ(P.FUnitLIst->Count(), 1);
    EXPECT_EQ(P.FUnitLIst->Get(0), "unita");
    EXPECT_EQ(Memory.FUnitLIst->GetText(), P.FUnitLIst->GetText());
  }
  TPascalSource* Failed = UnitOf(Memory, "unita");
  ASSERT_NE(Failed, nullptr);
  EXPECT_EQ(Failed->Project, &Memory);
  EXPECT_EQ(Failed->RefCount, 1);
  EXPECT_NE(Failed->State, stUpdated);
  EXPECT_EQ(ReadFileBytes(PaxA), OldStore);
  EXPECT_TRUE(SameTime(MTime(PaxA), OldStoreTime));
  EXPECT_FALSE(Memory.CheckSymbols(A));

  // Once UnitB is where it is found, the unfinished copy is not shared but
  // parsed again, and its store written.
  fileRepository->Clear();
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    ASSERT_NE(P.Compile(A, {oCompileUnits, oCompileImplementation}), nullptr);
    EXPECT_EQ(Units(P), "unita:parsed unitb:loaded unitc:loaded");
  }
  EXPECT_EQ(Units(Memory), "unita:parsed unitb:loaded unitc:loaded");
  EXPECT_EQ(Memory.BaseClassOf(Memory.FindSymbol("tfoo", typClass))->name, "TBar");
  EXPECT_TRUE(Memory.CheckSymbols(A));
}

TEST_F(ProjectTest, AStoreWriteThatFailsHalfWayLeavesTheOldStoreWholeAndOutOfDate) {
  WriteUnits();
  {
    TPascalProject P;
    P.Compile(C, {});
  }
  const std::string Pax = TPascalProject::StoreFileName(C);
  const std::string OldStore = ReadFileBytes(Pax);
  std::string Longer = UnitC;
  Longer.insert(Longer.find("var"), "  TMore = class\n    A, B, C, D, E, F: Integer;\n  end;\n");
  Dir.Write("UnitC.pas", Longer);
  SetMTime(C, MTime(Pax).tv_sec + 10, 0);
  {
    testsupport::FileSizeLimit Full(OldStore.size() + 16);
    TPascalProject P;
    ASSERT_NE(P.Compile(C, {}), nullptr);  // the compile itself goes on
    EXPECT_NE(P.FindFlatSymbol("tmore"), nullptr);
  }
  EXPECT_EQ(ReadFileBytes(Pax), OldStore);
  TPascalProject P;
  EXPECT_FALSE(P.CheckSymbols(C));
  P.Compile(C, {});
  EXPECT_EQ(Units(P), "unitc:parsed");
  EXPECT_TRUE(P.CheckSymbols(C));
}

// ------------------------------------------------------------ with the IDE

class ProjectIdeTest : public ProjectTest {
 protected:
  TMemoryIDE IDE;
};

TEST_F(ProjectIdeTest, AnEditorChangeMakesTheNextCompileParseTheBufferAgain) {
  WriteUnits();
  ASSERT_TRUE(IDE.OpenFile(C));
  TPascalProject Memory;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    P.Compile(C, {oCompileUnits, oCompileImplementation});
  }
  TPascalSource* First = UnitOf(Memory, "unitc");
  ASSERT_NE(First, nullptr);
  EXPECT_NE(First->Notifier, nullptr);
  EXPECT_FALSE(First->Modified);
  {
    // Unchanged: the memory copy is taken.
    TPascalProject P;
    P.FMemoryProject = &Memory;
    EXPECT_EQ(P.Compile(C, {}), nullptr);
    EXPECT_EQ(UnitOf(P, "unitc"), First);
  }
  IDE.EditText(C, 0, 0, "{ edited }\n");
  EXPECT_TRUE(First->Modified);
  // The buffer is now ahead of the file: the store must keep the file's symbols.
  const std::string StoreBefore = ReadFileBytes(TPascalProject::StoreFileName(C));
  IDE.EditText(C, static_cast<int>(std::string(UnitC).find("Shared")) + 11, 6, "Edited");
  TPascalProject P;
  P.FMemoryProject = &Memory;
  TPascalSource* Second = P.Compile(C, {oCompileImplementation});
  ASSERT_NE(Second, nullptr);
  EXPECT_EQ(UnitOf(Memory, "unitc"), Second);
  EXPECT_NE(P.FindFlatSymbol("edited"), nullptr);
  EXPECT_EQ(P.FindFlatSymbol("shared"), nullptr);
  EXPECT_EQ(ReadFileBytes(TPascalProject::StoreFileName(C)), StoreBefore);
}

TEST_F(ProjectIdeTest, AModifiedMemoryCopyStaysValidForAProjectThatHoldsIt) {
  WriteUnits();
  ASSERT_TRUE(IDE.OpenFile(C));
  TPascalProject Memory;
  auto Holder = std::make_unique<TPascalProject>();
  Holder->FMemoryProject = &Memory;
  Holder->Compile(C, {oCompileImplementation});
  TPascalSource* Held = UnitOf(*Holder, "unitc");
  IDE.EditText(C, 0, 0, " ");
  ASSERT_TRUE(Held->Modified);
  {
    TPascalProject P;
    P.FMemoryProject = &Memory;
    ASSERT_NE(P.Compile(C, {oCompileImplementation}), nullptr);
  }
  EXPECT_NE(UnitOf(Memory, "unitc"), Held);
  // Still alive and whole under the project that holds it.
  EXPECT_EQ(Held->RefCount, 1);
  EXPECT_NE(Holder->FindFlatSymbol("shared"), nullptr);
  Holder.reset();
  EXPECT_EQ(UnitOf(Memory, "unitc")->RefCount, 1);
}

TEST_F(ProjectIdeTest, ACursorQueryAfterACompileThatFailedHalfWayGoesThroughTheMemoryProject) {
  WriteUnits();
  std::string Moved = Dir.File("moved/UnitB.pas");
  fileRepository->Add(Moved);
  TPascalProject Memory;
  {
    auto P = std::make_unique<TPascalProject>();
    P->FMemoryProject = &Memory;
    EXPECT_THROW(P->Compile(A, {oCompileUnits, oCompileImplementation}), EFOpenError);
  }
  EXPECT_FALSE(FileExists(TPascalProject::StoreFileName(A)));
  TPascalSource* S = UnitOf(Memory, "unita");
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(S->Project, &Memory);
  // A cursor query on the unit asks its project for the word under the cursor.
  S->LoadFileForEdit();
  const std::string File = IDE.GetCurrentFile();
  IDE.Buffer(File).Cursor = TEditPos{17, 5};  // "  TFoo = class(TBar)": on TBar
  TFindSymbol Find;
  std::string Word;
  S->GetSymbolFromCursor(&Find, Word);
  EXPECT_EQ(Word, "TBar");
  EXPECT_EQ(Find.Symbol, nullptr);  // TBar's unit never made it into the project

  // The same with the unit open in the editor.
  TPascalProject Memory2;
  {
    TPascalProject P;
    P.FMemoryProject = &Memory2;
    EXPECT_THROW(P.Compile(A, {oCompileUnits, oCompileImplementation}), EFOpenError);
  }
  ASSERT_NE(UnitOf(Memory2, "unita"), nullptr);
  EXPECT_EQ(UnitOf(Memory2, "unita")->Project, &Memory2);
  EXPECT_FALSE(FileExists(TPascalProject::StoreFileName(A)));

  // And from the editor: the unfinished copy is not shared with the next compile.
  TPascalProject Memory3;
  {
    TIModuleInterface* Module = ToolServices->GetModuleInterface(File);
    TIEditorInterface* Editor = Module->GetEditorInterface();
    gQuickRecompile = false;
    TPascalProject P;
    P.FMemoryProject = &Memory3;
    EXPECT_THROW(P.CompileEditor(Editor), EFOpenError);
    Editor->Release();
    Module->Release();
  }
  TPascalSource* Edited = UnitOf(Memory3, "unita");
  ASSERT_NE(Edited, nullptr);
  EXPECT_EQ(Edited->Project, &Memory3);
  fileRepository->Clear();
  TPascalProject P;
  P.FMemoryProject = &Memory3;
  EXPECT_NE(P.Compile(A, {oCompileUnits, oCompileImplementation}), nullptr);
  EXPECT_NE(UnitOf(Memory3, "unita"), Edited);
  EXPECT_NE(Memory3.FindSymbol("tbar", typClass), nullptr);
}

TEST_F(ProjectIdeTest, CompileEditorRegistersUnderTheUnitKeyAndReplacesTheMemoryCopy) {
  WriteUnits();
  TPascalProject Memory;
  CompileAll(Memory);
  TPascalSource* Old = UnitOf(Memory, "unita");
  auto Holder = std::make_unique<TPascalProject>();
  Holder->FMemoryProject = &Memory;
  Holder->Compile("unita", {});
  ASSERT_EQ(UnitOf(*Holder, "unita"), Old);

  ASSERT_TRUE(IDE.OpenFile(A));
  IDE.EditText(A, static_cast<int>(std::string(UnitA).find("procedure Go")), 0,
               "procedure Stop;\n    ");
  TIModuleInterface* Module = ToolServices->GetModuleInterface(A);
  TIEditorInterface* Editor = Module->GetEditorInterface();
  gQuickRecompile = true;
  TPascalProject P;
  P.FMemoryProject = &Memory;
  TPascalSource* S = P.CompileEditor(Editor);
  S->AddNotifier(Module);
  Editor->Release();
  Module->Release();
  ASSERT_NE(S, nullptr);
  // One key everywhere: the navigation finds the edited unit in the memory project.
  EXPECT_EQ(UnitOf(P, "unita"), S);
  EXPECT_EQ(UnitOf(Memory, "unita"), S);
  EXPECT_EQ(Memory.FUnitLIst->Count(), 3);
  EXPECT_NE(S->symbols.symbols->FindSymbol({typProcedure}, "stop"), nullptr);
  // Quick recompile: the memory project's other units under their keys.
  EXPECT_EQ(P.FUnitLIst->Count(), 3);
  std::string Unused;
  EXPECT_EQ(P.FindCompiledSource("unitc", Unused), UnitOf(Memory, "unitc"));
  EXPECT_EQ(P.Compile("unitb", {oCompileUnits}), nullptr);
  EXPECT_EQ(P.FUnitLIst->Count(), 3);
  // The replaced copy lives on for the project that holds it.
  EXPECT_EQ(Old->RefCount, 1);
  EXPECT_NE(Holder->FindFlatSymbol("tfoo"), nullptr);
  Holder.reset();
  // An editor change reaches the new source through its notifier.
  IDE.EditText(A, 0, 0, " ");
  EXPECT_TRUE(S->Modified);
  EXPECT_EQ(P.CompileEditor(nullptr), nullptr);
}

TEST_F(ProjectIdeTest, CompileEditorWithoutQuickRecompileCompilesTheUsedUnits) {
  WriteUnits();
  ASSERT_TRUE(IDE.OpenFile(A));
  TIModuleInterface* Module = ToolServices->GetModuleInterface(A);
  TIEditorInterface* Editor = Module->GetEditorInterface();
  gQuickRecompile = false;
  TPascalProject Memory;
  TPascalProject P;
  P.FMemoryProject = &Memory;
  TPascalSource* S = P.CompileEditor(Editor);
  Editor->Release();
  Module->Release();
  ASSERT_EQ(P.FUnitLIst->Count(), 3);
  EXPECT_EQ(UnitOf(P, "unita"), S);
  EXPECT_EQ(How(UnitOf(P, "unitb")), "parsed");
  EXPECT_EQ(S->Project, &Memory);
  // The edited source keeps its token source over the buffer.
  ASSERT_NE(S->Token, nullptr);
  EXPECT_EQ(Memory.FUnitLIst->GetText(), P.FUnitLIst->GetText());
  TOrvikSymbol* Foo = P.FindSymbol("tfoo", typClass);
  EXPECT_EQ(P.BaseClassOf(Foo)->name, "TBar");
}

TEST_F(ProjectIdeTest, TheBaseClassCacheForgetsSymbolsOfAFreedSource) {
  WriteUnits();
  TPascalProject Memory;
  CompileAll(Memory);
  TOrvikSymbol* Foo = Memory.FindSymbol("tfoo", typClass);
  ASSERT_EQ(Memory.BaseClassOf(Foo)->Source, UnitOf(Memory, "unitb"));
  // The edited UnitB replaces the memory copy, which nobody else holds.
  ASSERT_TRUE(IDE.OpenFile(B));
  TIModuleInterface* Module = ToolServices->GetModuleInterface(B);
  TIEditorInterface* Editor = Module->GetEditorInterface();
  gQuickRecompile = true;
  TPascalProject P;
  P.FMemoryProject = &Memory;
  TPascalSource* NewB = P.CompileEditor(Editor);
  Editor->Release();
  Module->Release();
  TOrvikSymbol* Bar = Memory.BaseClassOf(Foo);
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Bar->name, "TBar");
  EXPECT_EQ(Bar->Source, NewB);
}

TEST_F(ProjectIdeTest, TheIdesProjectUnitsAreSearchedBeforeTheCurrentDirectory) {
  ScratchDir Prj;
  Prj.Write("Units/Special.pas", "unit Special; interface implementation end.");
  Prj.Write("Demo.dpr", "program Demo;\nuses\n  Special in 'Units\\Special.pas';\nbegin\nend.\n");
  ASSERT_TRUE(IDE.OpenProject(Prj.File("Demo.dpr")));
  AdditionalSearchPath.clear();
  TPascalProject P;
  std::string F;
  ASSERT_TRUE(P.FindSource("special", F));
  EXPECT_EQ(F, Prj.File("Units/Special.pas"));
  EXPECT_EQ(fileRepository->list.Count(), 0);  // not remembered
}

TEST_F(ProjectIdeTest, NotifierRegistrationAndTheSourcesEditor) {
  WriteUnits();
  auto* S = new TPascalSource(nullptr);
  S->FileName = C;
  TIEditorInterface* Editor = S->GetEditor();  // opens the file
  ASSERT_NE(Editor, nullptr);
  EXPECT_TRUE(IDE.IsFileOpen(C));
  EXPECT_EQ(Editor->FileName(), IDE.Buffer(C).FileName());
  Editor->Release();
  S->LoadFileForEdit();
  ASSERT_NE(S->Token, nullptr);
  EXPECT_EQ(S->Token->Lines->Get(0), "unit UnitC;");

  TIModuleInterface* Module = ToolServices->GetModuleInterface(C);
  S->AddNotifier(Module);
  S->AddNotifier(Module);  // once is enough
  Module->Release();
  EXPECT_EQ(IDE.Buffer(C).Notifiers.size(), 1u);
  IDE.EditText(C, 0, 0, " ");
  EXPECT_TRUE(S->Modified);
  S->Modified = false;
  S->Notifier->ComponentRenamed(nullptr, "Old", "New");
  S->Notifier->Notify(ncAfterSave);
  EXPECT_FALSE(S->Modified);
  S->RemoveNotifier();
  EXPECT_EQ(IDE.Buffer(C).Notifiers.size(), 0u);
  IDE.EditText(C, 0, 0, " ");
  EXPECT_FALSE(S->Modified);
  S->AddNotifier(ToolServices->GetModuleInterface(C));  // released with the source
  S->ModuleIntf->Release();
  delete S;
  EXPECT_EQ(IDE.Buffer(C).Notifiers.size(), 0u);
}

TEST(ProjectStandalone, LoadFileForEditReadsTheFileWithoutAnIde) {
  ScratchDir Dir;
  const std::string F = Dir.Write("U.pas", "unit U;\r\ninterface\r\n");
  TPascalSource S(nullptr);
  S.FileName = F;
  ASSERT_EQ(ToolServices, nullptr);
  S.LoadFileForEdit();
  ASSERT_NE(S.Token, nullptr);
  EXPECT_EQ(S.Token->Lines->Count(), 2);
  S.FileName = Dir.File("none.pas");
  EXPECT_THROW(S.LoadFileForEdit(), EFOpenError);
  EXPECT_NE(S.Token, nullptr);
}

TEST(ProjectStandalone, UnitNamesAreIdentifiersJoinedByPoints) {
  for (const char* Name : {"SysUtils", "_x1", "Vendor.Tools", "a.b.c", "Unit2"})
    EXPECT_TRUE(TPascalProject::IsUnitName(Name)) << Name;
  for (const char* Name : {"", "2nd", "a..b", ".a", "a.", "a.1b", "../x/archive.pax",
                           "sub/unita.pas", "C:\\Unit1", "unit 1", "'x'", "\xE4rger"})
    EXPECT_FALSE(TPascalProject::IsUnitName(Name)) << Name;
}

TEST(ProjectStandalone, StoreFileNames) {
  EXPECT_EQ(TPascalProject::StoreFileName("C:\\Src\\Unit1.pas"), "C:\\Src\\Unit1.pax");
  EXPECT_EQ(TPascalProject::StoreFileName("/a.b/Unit1.x.pas"), "/a.b/Unit1.x.pax");
  EXPECT_EQ(TPascalProject::StoreFileName("/a.b/Makefile"), "/a.b/Makefile.pax");
  EXPECT_EQ(TPascalProject::UnitKey(".\\Lib\\Unit1.pas"), "unit1");
}

}  // namespace
