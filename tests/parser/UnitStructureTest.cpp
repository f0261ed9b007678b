// The unit structure: sections, uses clauses, errors and type declarations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "ParserTestSupport.h"
#include "hosts/memory/MemoryIDE.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"

namespace {

using ::testing::ElementsAre;

const std::string InterfaceAndImplementation = R"(unit Unit1;
interface
procedure Shown(A: Integer);
implementation
procedure Shown(A: Integer);
begin
end;
procedure Hidden;
begin
end;
end.
)";

TEST(UnitStructure, WithoutImplementationOptionStopsAtImplementation) {
  auto Source = ParseText(InterfaceAndImplementation, {});
  EXPECT_TRUE(Source->InImplementation);
  EXPECT_EQ(Top(*Source, "Hidden"), nullptr);
  TOrvikSymbol* Shown = Top(*Source, "Shown");
  ASSERT_NE(Shown, nullptr);
  EXPECT_EQ(Shown->DeclLine, 2);
  EXPECT_EQ(Shown->defbegin, 2);
  EXPECT_EQ(Shown->Params, "A ");
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, ImplementationOptionCompletesTheInterfaceHeading) {
  auto Source = ParseText(InterfaceAndImplementation);
  EXPECT_EQ(ChildNames(&Source->symbols), (std::vector<std::string>{"Hidden", "Shown"}));
  TOrvikSymbol* Shown = Top(*Source, "Shown");
  EXPECT_EQ(Shown->DeclLine, 2);
  EXPECT_EQ(Shown->defbegin, 4);
  EXPECT_EQ(Shown->Line, 5);
  EXPECT_EQ(Shown->defend, 7);
  EXPECT_EQ(Shown->Bereich, tGlobal);
}

TEST(UnitStructure, RootIsNamedAfterTheFileWithoutFolderAndExtension) {
  auto Source = ParseText("unit Unit1;\ninterface\nimplementation\nend.\n", {oCompileImplementation},
                          "C:\\Src\\Unit1.pas");
  EXPECT_EQ(Source->symbols.name, "Unit1");
  EXPECT_EQ(Source->symbols.TypeName, "C:\\Src\\Unit1.pas");
  EXPECT_EQ(Source->symbols.Typ, typUnit);

  auto Dotted = ParseText("unit a;\nend.\n", {}, "/src/my.unit.pas");
  EXPECT_EQ(Dotted->symbols.name, "my");
  EXPECT_FALSE(Dotted->Modified);
}

TEST(UnitStructure, DuplicateUsesAreRecordedOnceWithAnError) {
  const std::string Text = "unit Unit1;\ninterface\nuses Classes, SysUtils,\n  classes;\nimplementation\nuses Forms;\nend.\n";
  auto Source = ParseText(Text);
  EXPECT_THAT(Uses(*Source), ElementsAre("classes", "sysutils", "forms"));
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(3): Uses doppelt: 'classes'"));
}

TEST(UnitStructure, ConditionalUnitsDoNotCarryTheUsesClauseOn) {
  const std::string Text =
      "unit u;\ninterface\nuses SysUtils, {$IFDEF WIN32}Windows{$ELSE}Libc{$ENDIF}, Classes;\n"
      "type\n  TKept = Integer;\nimplementation\nuses Forms,\n  {$IFDEF D3}Db{$ENDIF};\nend.\n";
  auto Source = ParseText(Text);
  EXPECT_THAT(Uses(*Source), ElementsAre("sysutils", "windows", "classes", "forms", "db"));
  ASSERT_NE(Top(*Source, "TKept"), nullptr);
  EXPECT_TRUE(Errors(*Source).empty());

  // A program's "in" clauses: the file name takes a name's place.
  auto Program = ParseText("program P;\nuses\n  Forms,\n  Main in 'Main.pas' {FormMain};\nbegin\nend.\n");
  EXPECT_THAT(Uses(*Program), ElementsAre("forms", "main", "main.pas"));
}

TEST(UnitStructure, UsedUnitsGoToTheProjectWhenAsked) {
  static std::vector<std::string> Compiled;
  static TCompilerOptionsSet Seen;
  Compiled.clear();
  CompileUnitProc = [](TPascalProject*, const std::string& Name, TCompilerOptionsSet Options) {
    Compiled.push_back(Name);
    Seen = Options;
  };
  const std::string Text = "unit Unit1;\ninterface\nuses Classes, SysUtils;\nimplementation\nend.\n";
  auto* FakeProject = reinterpret_cast<TPascalProject*>(&Compiled);  // never dereferenced

  auto Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText(Text);
  TPascalSource Source(new TToken(Lines));
  Source.Project = FakeProject;
  Source.CreateSymbols({oCompileImplementation});
  EXPECT_TRUE(Compiled.empty());  // only with oCompileUnits
  Source.CreateSymbols({oCompileUnits});
  CompileUnitProc = nullptr;
  EXPECT_THAT(Compiled, ElementsAre("Classes", "SysUtils"));
  EXPECT_EQ(Seen, (TCompilerOptionsSet{oCompileUnits, oCompileImplementation}));
}

TEST(UnitStructure, ForwardsClassReferencesAndBodilessClassesMakeNoSymbol) {
  const std::string Text = R"(unit u;
interface
type
  TFoo = class;
  TFooClass = class of TFoo;
  EFoo = class(Exception);
  IBar = interface;
  IBaz = interface(IUnknown);
  TFoo = class
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("TFoo"));
  EXPECT_EQ(Top(*Source, "TFoo")->Line, 9);  // the token after "class"
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, ClassMembersKeepTheirVisibilityAndAncestor) {
  const std::string Text = R"(unit u;
interface
type
  TBar = class(TFoo, IUnknown)
    FFirst: Integer;
    procedure Run;
  private
    FSecret: string;
  protected
    procedure Hook; virtual; abstract;
  published
    property Secret: string read FSecret;
    class function Make: TBar;
  end;
  TNext = Integer;
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Bar = Top(*Source, "TBar");
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Bar->Typ, typClass);
  EXPECT_EQ(Bar->Ancestor(), "TFoo");
  EXPECT_EQ(Bar->Line, 3);
  EXPECT_EQ(Bar->defend, 13);  // the ";" after "end"
  EXPECT_EQ(Bar->Parent, &Source->symbols);
  EXPECT_EQ(Child(Bar, "FFirst")->Bereich, tPublic);
  EXPECT_EQ(Child(Bar, "Run")->Bereich, tPublic);
  EXPECT_EQ(Child(Bar, "FSecret")->Bereich, tPrivate);
  EXPECT_EQ(Child(Bar, "Hook")->Bereich, tProtected);
  EXPECT_EQ(Child(Bar, "Hook")->Options, (TProcOptionsSet{tVirtual, tAbstract}));
  EXPECT_EQ(Child(Bar, "Secret")->Bereich, tPublished);
  EXPECT_EQ(Child(Bar, "Make")->ResultType, "TBar ");
  EXPECT_EQ(Child(Bar, "Make")->Bereich, tPublished);
  EXPECT_EQ(Top(*Source, "TNext")->TypeName, "Integer ");
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, ClassKeywordWithoutProcedureIsAnError) {
  // ("class var", "class property" and "class operator" are members of their own.)
  const std::string Text = "unit u;\ninterface\ntype\n  TA = class\n    class X: Integer;\n  end;\nimplementation\nend.\n";
  auto Source = ParseText(Text);
  EXPECT_THAT(Errors(*Source), testing::Contains("Error C:\\Src\\Unit1.pas(4): Erwarte procedure"));
  EXPECT_NE(Top(*Source, "TA"), nullptr);
}

TEST(UnitStructure, InterfacesWithIdentifierAncestorAndMembers) {
  const std::string Text = R"(unit u;
interface
type
  IStore = interface(IUnknown)
    ['{6A2B2F60-0000-4000-8000-000000000001}']
    function Count: Integer; stdcall;
    property Size: Integer read Count;
  end;
  IPlain = interface
    ['{6A2B2F60-0000-4000-8000-000000000002}']
    procedure Clear;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Store = Top(*Source, "IStore");
  ASSERT_NE(Store, nullptr);
  EXPECT_EQ(Store->Typ, typInterface);
  EXPECT_EQ(Store->Ancestor(), "IUnknown");
  EXPECT_EQ(Store->defend, 7);
  EXPECT_THAT(ChildNames(Store), ElementsAre("Count", "Size"));
  EXPECT_EQ(Child(Store, "Count")->Options, TProcOptionsSet{tStdCall});
  TOrvikSymbol* Plain = Top(*Source, "IPlain");
  ASSERT_NE(Plain, nullptr);
  EXPECT_EQ(Plain->Ancestor(), "");
  EXPECT_THAT(ChildNames(Plain), ElementsAre("Clear"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, PlainTypesKeepTheirDeclarationText) {
  const std::string Text = R"(unit u;
interface
type
  TColor = (clRed, clBlue);
  TProc = procedure(A: Integer; B: string) of object;
  TRange = 1..10;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_EQ(Top(*Source, "TColor")->TypeName, "( clRed , clBlue ) ");
  EXPECT_EQ(Top(*Source, "TColor")->Line, 3);
  EXPECT_EQ(Top(*Source, "TProc")->TypeName, "procedure ( A : Integer ; B : string ) of object ");
  EXPECT_EQ(Top(*Source, "TRange")->TypeName, "1 . . 10 ");
}

TEST(UnitStructure, PackedArrayIsAPlainTypeAndPackedRecordARecord) {
  const std::string Text = R"(unit u;
interface
type
  TBuffer = packed array[0..3] of Byte;
  TPair = packed record
    A, B: Word;
  end;
  TAfter = class
    F: Integer;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_EQ(Top(*Source, "TBuffer")->Typ, typType);
  EXPECT_EQ(Top(*Source, "TBuffer")->TypeName, "packed array [ 0 . . 3 ] of Byte ");
  EXPECT_EQ(Top(*Source, "TPair")->Typ, typRecord);
  EXPECT_THAT(ChildNames(Top(*Source, "TPair")), ElementsAre("A", "B"));
  ASSERT_NE(Top(*Source, "TAfter"), nullptr);
  EXPECT_EQ(Top(*Source, "TAfter")->Typ, typClass);
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, VariantRecordFieldsAllBelongToTheRecord) {
  const std::string Text = R"(unit u;
interface
type
  TShape = record
    Name: string[20];
    case Kind: Byte of
      0: (Radius: Double);
      1, 2: (Width, Height: Integer;
             case Filled: Boolean of
               True: (Color: Integer);
               False: ());
      3: (Points: array[0..3] of Integer)
  end;
  TNext = record
    X: Integer;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Shape = Top(*Source, "TShape");
  ASSERT_NE(Shape, nullptr);
  EXPECT_EQ(Shape->Typ, typRecord);
  EXPECT_EQ(Shape->Line, 3);
  EXPECT_THAT(ChildNames(Shape),
              ElementsAre("Color", "Height", "Name", "Points", "Radius", "Width"));
  EXPECT_EQ(Child(Shape, "Width")->TypeName, "Integer");
  EXPECT_EQ(Child(Shape, "Points")->TypeName, "array [ 0 . . 3 ] of Integer");
  EXPECT_EQ(Child(Shape, "Radius")->Bereich, tPublic);
  EXPECT_THAT(ChildNames(Top(*Source, "TNext")), ElementsAre("X"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(UnitStructure, BrokenVariantsAreReportedAndTheParseGoesOn) {
  const std::string Head = "unit u;\ninterface\ntype\n  TA = record\n    case Integer of\n";
  const std::string Tail = "  end;\n  TC = record\n    X: Integer;\n  end;\nimplementation\nend.\n";
  struct Case {
    std::string Variant;
    std::string Error;
  };
  for (const Case& C : {Case{"      0 (X: Integer);\n", "(5): Varianter Record : Erwarte :"},
                        Case{"      0: X: Integer;\n", "(5): Varianter Record : Erwarte ("},
                        Case{"      0: (X: Integer;\n", "(6): Varianter Record : Erwarte )"}}) {
    auto Source = ParseText(Head + C.Variant + Tail);
    EXPECT_THAT(Errors(*Source), testing::Contains("Error C:\\Src\\Unit1.pas" + C.Error)) << C.Variant;
    EXPECT_NE(Top(*Source, "TA"), nullptr);
  }
  // After the error in the variant, a record declared later is still found.
  auto Source = ParseText(Head + "      0: X: Integer;\n" + Tail);
  ASSERT_NE(Top(*Source, "TC"), nullptr);
  EXPECT_THAT(ChildNames(Top(*Source, "TC")), ElementsAre("X"));
}

TEST(UnitStructure, EndOfTextInsideAProcedureNamesTheConstruct) {
  const std::string Text = "unit u;\ninterface\nimplementation\nprocedure P;\nbegin\n  if X then begin\n";
  auto Source = ParseText(Text);
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(3): End of file during parse of Procedure"));
  EXPECT_NE(Top(*Source, "P"), nullptr);
}

TEST(UnitStructure, NoTokenSourceAndErrorLinesOutsideTheTextAreSafe) {
  // A source without a token source parses nothing and fails nothing.
  TPascalSource Empty(nullptr);
  Empty.Modified = true;
  EXPECT_NO_THROW(Empty.CreateSymbols({oCompileImplementation}));
  EXPECT_FALSE(Empty.Modified);
  EXPECT_EQ(Empty.symbols.symbols->Count(), 0);

  auto Source = ParseText("unit u;\n");
  Source->AddError(99, "far away");  // a line outside the text is not read
  Source->AddError(-1, "before");
  EXPECT_EQ(Errors(*Source).back(), "Error C:\\Src\\Unit1.pas(-1): before");
}

// Every prefix of a unit parses without an exception: a parse error is
// never an exception, and the end of text is always noticed.
TEST(UnitStructure, EveryPrefixOfAUnitParses) {
  const std::string Text = R"(unit Shapes;
interface
uses Classes, SysUtils;
const
  Max = 10; // the most
  Names: array[0..1] of string = ('a', 'b');
type
  TKind = (kCircle, kBox);
  TShape = class(TPersistent)
  private
    FKind: TKind;
    function GetArea: Double; virtual;
  public
    property Kind: TKind read FKind write FKind default kBox;
    property Area: Double read GetArea;
  end;
  TRec = packed record
    case Integer of
      0: (A: Integer);
      1: (B: Byte)
  end;
  IThing = interface ['{00000000-0000-0000-0000-000000000000}']
    procedure Go;
  end;
var
  Count: Integer;
procedure Global(const S: string; var N: Integer);
implementation
// Area of the shape
function TShape.GetArea: Double;
  procedure Inner;
  begin
  end;
var
  X: Integer;
begin
  try
    case FKind of
      kCircle: Result := 1;
    end;
  finally
  end;
end;
procedure Global(const S: string; var N: Integer);
begin
  asm
    nop
  end;
end;
initialization
  Count := 0;
end.
)";
  for (size_t N = 0; N <= Text.size(); ++N) {
    for (TCompilerOptionsSet Options : {TCompilerOptionsSet{oCompileImplementation, oCompileLocalVar},
                                        TCompilerOptionsSet{}}) {
      std::unique_ptr<TPascalSource> Source;
      ASSERT_NO_THROW(Source = ParseText(Text.substr(0, N), Options)) << "prefix of " << N;
    }
  }
  auto Whole = ParseText(Text);
  EXPECT_TRUE(Errors(*Whole).empty()) << Errors(*Whole).front();
}

}  // namespace

namespace {

// The status window shows a parse while DisplayCompilerProcess is on.
class ParseStatusTest : public testing::Test {
 protected:
  void SetUp() override {
    IDE = std::make_unique<TMemoryIDE>();
    FormVelmoricCompiling = new TFormVelmoricCompiling(nullptr);
    DisplayCompilerProcess = false;  // the setting starts on
  }
  void TearDown() override {
    DisplayCompilerProcess = true;
    delete FormVelmoricCompiling;
    FormVelmoricCompiling = nullptr;
    IDE.reset();
  }
  std::unique_ptr<TMemoryIDE> IDE;
};

TEST_F(ParseStatusTest, ShownOnlyWhenAskedAndHiddenAfterwards) {
  const std::string Text = "unit u;\ninterface\nimplementation\nend.\n";
  FormVelmoricCompiling->ShowStatus("Project1.dpr");  // an enclosing parse
  ParseText(Text);
  EXPECT_EQ(FormVelmoricCompiling->FileCount, 1);

  DisplayCompilerProcess = true;
  ParseText(Text);
  EXPECT_EQ(FormVelmoricCompiling->FileCount, 2);
  EXPECT_EQ(FormVelmoricCompiling->TotalLines, 4);
  EXPECT_EQ(FormVelmoricCompiling->LabelUnit->Caption, "C:\\Src\\Unit1.pas");
  EXPECT_TRUE(FormVelmoricCompiling->Visible());
  FormVelmoricCompiling->HideStatus(0);
  EXPECT_FALSE(FormVelmoricCompiling->Visible());
}

TEST_F(ParseStatusTest, HiddenAlsoWhenTheParseRaises) {
  DisplayCompilerProcess = true;
  auto* Lines = new TSaveStringList("strings", "TPascalSource");
  TPascalSource Source(new TToken(Lines));
  Source.Token->EofCount = 50;  // the scanner's guard raises at the next end of text
  Source.Modified = true;
  EXPECT_THROW(Source.CreateSymbols({oCompileImplementation}), Exception);
  EXPECT_FALSE(FormVelmoricCompiling->Visible());
  EXPECT_EQ(FormVelmoricCompiling->ShowLevel, 0);
  EXPECT_FALSE(Source.Modified);
}

}  // namespace

namespace {

struct TFakeNotifier : TIModuleNotifier {
  explicit TFakeNotifier(bool& AGone) : Gone(AGone) {}
  ~TFakeNotifier() override { Gone = true; }
  void Notify(TNotifyCode) override {}
  void ComponentRenamed(void*, const std::string&, const std::string&) override {}
  bool& Gone;
};

struct TFakeModule : TIModuleInterface {
  TIEditorInterface* GetEditorInterface() override { return nullptr; }
  bool Close() override { return true; }
  bool Save(bool) override { return true; }
  bool ShowSource() override { return true; }
  bool ShowForm() override { return true; }
  bool AddNotifier(TIModuleNotifier*) override { return true; }
  bool RemoveNotifier(TIModuleNotifier* N) override {
    Removed = N;
    return true;
  }
  TIModuleNotifier* Removed = nullptr;
};

TEST(UnitStructure, DestroyUnregistersAndFreesTheNotifier) {
  bool Gone = false;
  TFakeModule Module;
  auto* Notifier = new TFakeNotifier(Gone);
  auto* Source = new TPascalSource(nullptr);
  Module.AddRef();  // the source holds a reference while its notifier is registered
  Source->ModuleIntf = &Module;
  Source->Notifier = Notifier;
  delete Source;
  EXPECT_EQ(Module.Removed, Notifier);
  EXPECT_TRUE(Gone);
}

}  // namespace

namespace {

std::vector<std::string> TraceLinesOf(const std::function<void()>& Work) {
  const std::string Log = testing::TempDir() + std::to_string(::getpid()) + "-parser-trace.log";
  tracelet->SetLogfile(Log);
  Work();
  tracelet->CloseLogfile();
  TStringList Lines;
  Lines.LoadFromFile(Log);
  std::remove(Log.c_str());
  std::vector<std::string> Result;
  for (int I = 0; I < Lines.Count(); ++I) Result.push_back(Lines[I]);
  return Result;
}

TEST(UnitStructure, ErrorsAndDebugSwitchesWriteTheirTraceLines) {
  const std::string Text =
      "unit u;\ninterface\nuses A,\n  a;\ntype\n  TC = class\n  end;\nimplementation\nprocedure TC.Run;\nbegin\nend;\nend.\n";
  ProcDebug = true;
  const auto Lines = TraceLinesOf([&] { ParseText(Text); });
  ProcDebug = false;
  using ::testing::Contains;
  EXPECT_THAT(Lines, Contains("stdOut:********* Error C:\\Src\\Unit1.pas(3) Uses doppelt: 'a'"));
  EXPECT_THAT(Lines, Contains("stdOut:*********   a;"));
  EXPECT_THAT(Lines, Contains("stdOut:********* --> Starting at 0 : "));
  EXPECT_THAT(Lines, Contains("stdOut:********* --> Starting at unit u;"));
  EXPECT_THAT(Lines, Contains("stdOut:******* enter scan class"));
  EXPECT_THAT(Lines, Contains("stdOut:******* exit scan class"));
  EXPECT_THAT(Lines, Contains("stdOut:********* Error C:\\Src\\Unit1.pas(8) Prozedure TC.Run hat keinen Prototyp"));
  EXPECT_THAT(Lines, Contains("stdOut:********* --> Starting at 8 : Procedure"));
  EXPECT_THAT(Lines, Contains("stdOut:Exit ScanProcInformation line 11 TC Run"));
}

}  // namespace
