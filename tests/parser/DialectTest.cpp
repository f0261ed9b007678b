// Free Pascal, Lazarus and later Delphi constructs, read into the same symbol
// kinds: each construct with the exact symbols it gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ParserTestSupport.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const TCompilerOptionsSet Fullest{oCompileImplementation, oCompileLocalVar};

TEST(Dialect, NestedSectionsInAClassTakeTheSectionsScope) {
  const std::string Text = R"(unit u;
{$mode objfpc}{$H+}
interface
type
  TOuter = class
  private
    type
      TInner = class
        procedure Run;
      end;
      TKind = (kA, kB);
    const
      Max = 10;
      Name: string = 'outer';
  strict private
    var FCount: Integer;
  strict protected
    class var Instances: Integer;
  public
    class property Count: Integer read Instances;
    procedure Work;
  end;
  TAfter = Integer;
implementation
procedure TOuter.TInner.Run;
begin
end;
procedure TOuter.Work;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("TAfter", "TOuter"));
  TOrvikSymbol* Outer = Top(*Source, "TOuter");
  EXPECT_THAT(ChildNames(Outer), ElementsAre("Count", "FCount", "Instances", "Max", "Name", "TInner", "TKind", "Work"));
  struct TWant {
    const char* Name;
    TSymTyp Typ;
    TBereichTokenType Bereich;
  };
  for (const TWant& W : {TWant{"Count", typProperty, tPublic}, TWant{"FCount", typVar, tPrivate},
                         TWant{"Instances", typVar, tProtected}, TWant{"Max", typConst, tPrivate},
                         TWant{"Name", typConst, tPrivate}, TWant{"TInner", typClass, tPrivate},
                         TWant{"TKind", typType, tPrivate}, TWant{"Work", typProcedure, tPublic}}) {
    TOrvikSymbol* S = Child(Outer, W.Name);
    ASSERT_NE(S, nullptr) << W.Name;
    EXPECT_EQ(S->Typ, W.Typ) << W.Name;
    EXPECT_EQ(S->Bereich, W.Bereich) << W.Name;
    EXPECT_EQ(S->Parent, Outer) << W.Name;
  }
  EXPECT_EQ(Child(Outer, "Max")->TypeName, "10");
  EXPECT_EQ(Child(Outer, "Name")->TypeName, "outer");
  EXPECT_EQ(Child(Outer, "Name")->ConstType(), "string");
  EXPECT_EQ(Child(Outer, "TKind")->TypeName, "( kA , kB ) ");
  EXPECT_EQ(Child(Outer, "FCount")->TypeName, "Integer");
  EXPECT_EQ(Child(Outer, "Count")->ReadAccess(), "Instances");
  EXPECT_EQ(Outer->defend, LineOf(Text, "TAfter") - 1);

  // The nested class's method implementation completes its prototype.
  TOrvikSymbol* Run = Child(Child(Outer, "TInner"), "Run");
  ASSERT_NE(Run, nullptr);
  EXPECT_EQ(Run->DeclLine, LineOf(Text, "procedure Run"));
  EXPECT_EQ(Run->defbegin, LineOf(Text, "procedure TOuter.TInner.Run"));
  EXPECT_EQ(Run->Line, LineOf(Text, "begin"));
  std::string FullName;
  GetFullNameOfSymbol(Run, FullName);
  EXPECT_EQ(FullName, "TOuter.TInner.Run");
  EXPECT_EQ(Child(Outer, "Work")->Line, LineOf(Text, "begin", LineOf(Text, "procedure TOuter.Work")));
}

TEST(Dialect, GenericsAndSpecializations) {
  const std::string Text = R"(unit u;
{$mode objfpc}
interface
type
  generic TList<T> = class(TObject)
    procedure Add(const Item: T);
  end;
  TStack<T: class; U> = class(TList<T>, IUnknown)
    procedure Push(const A: T);
  end;
  TIntList = specialize TList<Integer>;
  TNames = class(specialize TList<string>)
    generic function Find<K>(const Key: K): Integer;
  end;
generic function Largest<T>(const A, B: T): T;
implementation
procedure TList.Add(const Item: T);
begin
end;
procedure TStack<T, U>.Push(const A: T);
begin
end;
generic function TNames.Find<K>(const Key: K): Integer;
begin
end;
generic function Largest<T>(const A, B: T): T;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Largest", "TIntList", "TList", "TNames", "TStack"));
  EXPECT_EQ(Top(*Source, "TList")->Typ, typClass);
  EXPECT_EQ(Top(*Source, "TList")->Ancestor(), "TObject");
  EXPECT_EQ(Top(*Source, "TStack")->Ancestor(), "TList<T>");
  EXPECT_EQ(Top(*Source, "TNames")->Ancestor(), "specialize TList<string>");
  EXPECT_EQ(Top(*Source, "TIntList")->Typ, typType);
  EXPECT_EQ(Top(*Source, "TIntList")->TypeName, "specialize TList < Integer > ");
  for (const auto& [Cls, Method] : {std::pair{"TList", "Add"}, std::pair{"TStack", "Push"}, std::pair{"TNames", "Find"}}) {
    TOrvikSymbol* M = Child(Top(*Source, Cls), Method);
    ASSERT_NE(M, nullptr) << Method;
    EXPECT_THAT(ChildNames(Top(*Source, Cls)), ElementsAre(Method));
    EXPECT_GE(M->Line, 0) << Method;  // the body was matched to the prototype
  }
  EXPECT_EQ(Child(Top(*Source, "TNames"), "Find")->ResultType, "Integer ");
  TOrvikSymbol* Largest = Top(*Source, "Largest");
  EXPECT_EQ(Largest->Params, "const A , B ");
  EXPECT_EQ(Largest->DeclLine, LineOf(Text, "generic function Largest"));
  EXPECT_EQ(Largest->Line, LineOf(Text, "begin", LineOf(Text, "generic function Largest", 20)));
}

TEST(Dialect, AdvancedRecordsHaveMethodsPropertiesAndOperators) {
  const std::string Text = R"(unit u;
{$mode delphi}
interface
type
  TPoint2 = record
  private
    FX, FY: Integer;
    function GetLength: Double;
  public
    constructor Create(AX, AY: Integer);
    class function Zero: TPoint2; static;
    class operator Add(const A, B: TPoint2): TPoint2;
    class operator =(const A, B: TPoint2): Boolean;
    property Length: Double read GetLength;
    case Integer of
      0: (Packed: Int64);
  end;
implementation
function TPoint2.GetLength: Double;
begin
end;
constructor TPoint2.Create(AX, AY: Integer);
begin
end;
class function TPoint2.Zero: TPoint2;
begin
end;
class operator TPoint2.Add(const A, B: TPoint2): TPoint2;
begin
end;
class operator TPoint2.=(const A, B: TPoint2): Boolean;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("TPoint2"));
  TOrvikSymbol* Rec = Top(*Source, "TPoint2");
  EXPECT_EQ(Rec->Typ, typRecord);
  EXPECT_THAT(ChildNames(Rec), ElementsAre("=", "Add", "Create", "FX", "FY", "GetLength", "Length", "Packed", "Zero"));
  EXPECT_EQ(Child(Rec, "FX")->Bereich, tPrivate);
  EXPECT_EQ(Child(Rec, "GetLength")->Bereich, tPrivate);
  EXPECT_EQ(Child(Rec, "Create")->Bereich, tPublic);
  EXPECT_EQ(Child(Rec, "Packed")->TypeName, "Int64");
  EXPECT_EQ(Child(Rec, "Length")->Typ, typProperty);
  for (const char* Method : {"GetLength", "Create", "Zero", "Add", "="}) {
    TOrvikSymbol* M = Child(Rec, Method);
    ASSERT_NE(M, nullptr) << Method;
    EXPECT_EQ(M->Typ, typProcedure) << Method;
    EXPECT_GE(M->Line, 0) << Method;
    EXPECT_GE(M->DeclLine, 0) << Method;
  }
  EXPECT_EQ(Child(Rec, "Add")->Params, "const A , B : TPoint2 ");
  EXPECT_EQ(Child(Rec, "Add")->ResultType, "TPoint2 ");
  EXPECT_EQ(Child(Rec, "Add")->ProcTyp, tFunction);
  EXPECT_EQ(Child(Rec, "Create")->ProcTyp, tConstructor);
}

TEST(Dialect, HelpersAreRecordsOrClassesWithTheirMethods) {
  const std::string Text = R"(unit u;
{$mode objfpc}{$modeswitch typehelpers}
interface
type
  TStrHelper = type helper for string
    function Upper: string;
  end;
  TListHelper = class helper(TBaseHelper) for TList
    procedure Clear2;
  end;
  TPointHelper = record helper for Types.TPoint
    function IsZero: Boolean;
  end;
implementation
function TStrHelper.Upper: string;
begin
end;
procedure TListHelper.Clear2;
begin
end;
function TPointHelper.IsZero: Boolean;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("TListHelper", "TPointHelper", "TStrHelper"));
  EXPECT_EQ(Top(*Source, "TStrHelper")->Typ, typRecord);
  EXPECT_EQ(Top(*Source, "TPointHelper")->Typ, typRecord);
  EXPECT_EQ(Top(*Source, "TListHelper")->Typ, typClass);
  EXPECT_EQ(Top(*Source, "TListHelper")->Ancestor(), "TBaseHelper");
  for (const auto& [Owner, Method] : {std::pair{"TStrHelper", "Upper"}, std::pair{"TListHelper", "Clear2"},
                                      std::pair{"TPointHelper", "IsZero"}}) {
    EXPECT_THAT(ChildNames(Top(*Source, Owner)), ElementsAre(Method));
    EXPECT_GE(Child(Top(*Source, Owner), Method)->Line, 0) << Method;
  }
}

TEST(Dialect, OperatorsAreProceduresNamedByTheOperator) {
  const std::string Text = R"(unit u;
{$mode objfpc}
interface
type
  TVec = record X: Double; end;
operator + (const A, B: TVec) R: TVec;
operator := (const S: string): TVec;
operator and (const A, B: TVec): Boolean;
var
  Operator: Integer;
implementation
operator + (const A, B: TVec) R: TVec;
var
  Sum: Double;
begin
  R.X := A.X + B.X;
end;
operator := (const S: string): TVec;
begin
end;
operator and (const A, B: TVec): Boolean;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("+", ":=", "and", "Operator", "TVec"));
  TOrvikSymbol* Plus = Top(*Source, "+");
  EXPECT_EQ(Plus->Typ, typProcedure);
  EXPECT_EQ(Plus->ProcTyp, tFunction);
  EXPECT_EQ(Plus->Params, "const A , B ");
  EXPECT_EQ(Plus->ResultType, "TVec ");
  EXPECT_EQ(Plus->DeclLine, LineOf(Text, "operator + "));
  EXPECT_EQ(Plus->Line, LineOf(Text, "begin"));
  // The parameter record of "A, B: TVec" is B's only, as for any heading; and the local variable.
  EXPECT_THAT(ChildNames(Plus), ElementsAre("B", "Sum"));
  EXPECT_EQ(Top(*Source, ":=")->ResultType, "TVec ");
  EXPECT_EQ(Top(*Source, "and")->ResultType, "Boolean ");
  EXPECT_EQ(Top(*Source, "Operator")->Typ, typVar);
}

TEST(Dialect, LaterDirectivesAfterPrototypesAreReadOver) {
  const std::string Text = R"(unit u;
interface
type
  TFoo = class
    procedure A; overload; inline;
    procedure A(X: Integer); overload; virtual;
    function B: Integer; reintroduce; deprecated 'use C';
    class function C: TFoo; static; experimental;
    procedure D; final; override;
  end;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  TOrvikSymbol* Foo = Top(*Source, "TFoo");
  EXPECT_THAT(ChildNames(Foo), ElementsAre("A", "A", "B", "C", "D"));
  const TProcOptionsSet Options[] = {Foo->symbols->GetSymbol(0)->Options, Foo->symbols->GetSymbol(1)->Options};
  EXPECT_THAT(Options, testing::UnorderedElementsAre(TProcOptionsSet{}, TProcOptionsSet{tVirtual}));
  EXPECT_EQ(Child(Foo, "D")->Options, TProcOptionsSet{tOverride});
  EXPECT_EQ(Child(Foo, "C")->ResultType, "TFoo ");
}

TEST(Dialect, DirectivesOfTheOriginalCompilerStillEndTheOptions) {
  // The first compilers knew "cdecl": after a prototype it is still read as a
  // field list without type, as it always was.
  auto Source = ParseText("unit u;\ninterface\ntype\n  TFoo = class\n    procedure A; cdecl;\n  end;\nimplementation\nend.\n");
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(4): Variable(n) haben keinen Typ: cdecl"));
}

TEST(Dialect, ObjectsAndRecordsReadOverEveryDirective) {
  const std::string Text = R"(unit u;
interface
type
  TGtkThing = object
    procedure Show; cdecl; inline;
    function Get: Integer; cdecl;
  public
    procedure Hide; stdcall;
  end;
  TRec = record
    procedure Run; cdecl; static;
  end;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(Top(*Source, "TGtkThing")), ElementsAre("Get", "Hide", "Show"));
  EXPECT_EQ(Child(Top(*Source, "TGtkThing"), "Hide")->Options, TProcOptionsSet{tStdCall});
  EXPECT_THAT(ChildNames(Top(*Source, "TRec")), ElementsAre("Run"));
}

TEST(Dialect, ObjectTypesAreReadAsClasses) {
  const std::string Text = R"(unit u;
interface
type
  TView = object(TObject)
    Size: Integer;
    constructor Init;
    procedure Draw; virtual;
  end;
  PView = ^TView;
  TRect2 = packed object
    A: Integer;
  end;
procedure After;
implementation
constructor TView.Init;
begin
end;
procedure After;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("After", "PView", "TRect2", "TView"));
  TOrvikSymbol* View = Top(*Source, "TView");
  EXPECT_EQ(View->Typ, typClass);
  EXPECT_EQ(View->Ancestor(), "TObject");
  EXPECT_THAT(ChildNames(View), ElementsAre("Draw", "Init", "Size"));
  EXPECT_EQ(Child(View, "Init")->Line, LineOf(Text, "begin"));
  EXPECT_GE(Top(*Source, "After")->Line, 0);
}

TEST(Dialect, IncludeDirectivesArePassedOver) {
  const std::string Text = R"(unit u;
{$mode objfpc}
interface
{$I defs.inc}
type
  TA = Integer;
{$include more.inc}
  TB = Integer;
implementation
{$i body.inc}
procedure P;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("P", "TA", "TB"));
}

TEST(Dialect, WordsOfTheDialectRemainNamesInOldCode) {
  // Identifiers that later compilers made into words keep their meaning.
  const std::string Text = R"(unit u;
interface
type
  TRec = record
    Public: Boolean;
    Helper, Strict: Integer;
    Generic: Char;
  end;
  TCls = class
    Strict: Boolean;
    Operator: Char;
  end;
  Generic = Integer;
var
  Operator: Integer;
  Strict: Boolean;
const
  Specialize = 3;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Generic", "Operator", "Specialize", "Strict", "TCls", "TRec"));
  EXPECT_THAT(ChildNames(Top(*Source, "TRec")), ElementsAre("Generic", "Helper", "Public", "Strict"));
  EXPECT_EQ(Child(Top(*Source, "TRec"), "Public")->Bereich, tPublic);
  EXPECT_THAT(ChildNames(Top(*Source, "TCls")), ElementsAre("Operator", "Strict"));
  EXPECT_EQ(Top(*Source, "Generic")->Typ, typType);
}

TEST(Dialect, ClassMethodsAfterASectionAreNotLost) {
  const std::string Text = R"(unit u;
interface
type
  TFoo = class
    class procedure Make;
  end;
implementation
var
  Count: Integer;
class procedure TFoo.Make;
begin
end;
const
  Limit = 3;
class procedure TFoo.Make2;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_EQ(Child(Top(*Source, "TFoo"), "Make")->Line, LineOf(Text, "begin"));
  EXPECT_EQ(Top(*Source, "Count")->Typ, typVar);
  EXPECT_EQ(Top(*Source, "Limit")->TypeName, "3");
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(14): Prozedure TFoo.Make2 hat keinen Prototyp"));
}

// Conditional directives are comments to the scanner: the alternatives they
// offer are all read, one after the other.
TEST(Dialect, AlternativeBodiesOfOneHeadingLeaveTheRestOfTheUnitInTheModel) {
  const std::string Text = R"(unit u;
interface
function Find(const Name: string): Integer;
procedure Later;
implementation
function Find(const Name: string): Integer;
{$ifdef Windows}
begin
  Result := 1;
end;
{$else}
begin
  if Name = '' then begin
    Result := 0;
  end else
    Result := 2;
end;
{$endif}

procedure Guarded;
begin
  try
    Find('x');
  {$ifdef Debug}
  finally
    Find('y');
  end;
  {$else}
  except
    Find('z');
  end;
  {$endif}
end;

procedure Later;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Find", "Guarded", "Later"));
  EXPECT_EQ(Top(*Source, "Find")->defbegin, LineOf(Text, "function Find", LineOf(Text, "implementation")));
  EXPECT_EQ(Top(*Source, "Later")->defbegin, LineOf(Text, "procedure Later;", LineOf(Text, "implementation")));
  EXPECT_EQ(Source->Token->Line, LineOf(Text, "end.")) << "the parse reaches the unit's end";
}

TEST(Dialect, DefaultParameterValuesMayHoldParentheses) {
  const std::string Text = R"(unit u;
{$mode objfpc}
interface
type
  TTree = class
    procedure SetData(Item: Pointer; const Role: Integer = Ord(rUser) + (2 * 3));
    function Count(Kind: Integer = High(Integer)): Integer;
  end;
implementation
procedure TTree.SetData(Item: Pointer; const Role: Integer = Ord(rUser) + (2 * 3));
var
  V: Integer;
begin
end;
function TTree.Count(Kind: Integer = High(Integer)): Integer;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  TOrvikSymbol* Tree = Top(*Source, "TTree");
  TOrvikSymbol* SetData = Child(Tree, "SetData");
  ASSERT_NE(SetData, nullptr);
  EXPECT_EQ(SetData->Params, "Item : Pointer ; const Role : Integer = Ord ( rUser ) + ( 2 * 3 ) ");
  EXPECT_THAT(ChildNames(SetData), ElementsAre("Item", "Role", "V"));
  EXPECT_EQ(Child(SetData, "Role")->TypeName, "Integer = Ord ( rUser ) + ( 2 * 3 )");
  EXPECT_EQ(SetData->defbegin, LineOf(Text, "procedure TTree.SetData"));
  TOrvikSymbol* Count = Child(Tree, "Count");
  ASSERT_NE(Count, nullptr);
  EXPECT_EQ(Count->ResultType, "Integer ");
  EXPECT_EQ(Count->defbegin, LineOf(Text, "function TTree.Count"));
}

TEST(Dialect, ObjectivePascalClassesAndCategoriesAreClasses) {
  const std::string Text = R"(unit u;
{$modeswitch objectivec1}
interface
type
  TAppDelegate = objcclass(NSObject)
  private
    FWindow: NSWindow;
  public
    procedure applicationDidFinishLaunching(Note: NSNotification); message 'applicationDidFinishLaunching:';
  end;
  NSGraphicsContextHelper = objccategory (NSGraphicsContext)
    function lclCGContext: CGContextRef; message 'lclCGContext';
  end;
  NSImported = objcclass external (NSObject)
    procedure run; message 'run';
  end;
  NSForward = objcclass;
implementation
procedure TAppDelegate.applicationDidFinishLaunching(Note: NSNotification);
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("NSGraphicsContextHelper", "NSImported", "TAppDelegate"));
  TOrvikSymbol* App = Top(*Source, "TAppDelegate");
  EXPECT_EQ(App->Typ, typClass);
  EXPECT_EQ(App->Ancestor(), "NSObject");
  EXPECT_THAT(ChildNames(App), ElementsAre("applicationDidFinishLaunching", "FWindow"));
  TOrvikSymbol* Launch = Child(App, "applicationDidFinishLaunching");
  EXPECT_TRUE(Launch->Options.Contains(tMessage));
  EXPECT_EQ(Launch->defbegin, LineOf(Text, "procedure TAppDelegate."));
  EXPECT_EQ(Top(*Source, "NSGraphicsContextHelper")->Ancestor(), "NSGraphicsContext");
  EXPECT_THAT(ChildNames(Top(*Source, "NSGraphicsContextHelper")), ElementsAre("lclCGContext"));
  EXPECT_EQ(Top(*Source, "NSImported")->Ancestor(), "NSObject");
}

}  // namespace

// ---- what the Free Pascal and Lazarus trees need beyond the constructs above

TEST(Dialect, ProgramRoutinesHaveBodiesAndTheMainBlockIsReadWhole) {
  const std::string Text = R"(program Tool;
uses SysUtils;
var
  Count: Integer;

procedure Run(N: Integer);
var
  I: Integer;
begin
  for I := 1 to N do begin
    if I > 2 then begin
      Inc(Count);
    end;
  end;
end;

function Twice(N: Integer): Integer;
begin
  case N of
    0: Result := 0;
  else
    Result := 2 * N;
  end;
end;

begin
  try
    Run(3);
  finally
    Writeln(Twice(Count));
  end;
end.
)";
  auto Source = ParseText(Text, Fullest, "tool.lpr");
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Count", "Run", "Twice"));
  TOrvikSymbol* Run = Top(*Source, "Run");
  EXPECT_EQ(Run->defbegin, LineOf(Text, "procedure Run"));
  EXPECT_EQ(Run->Line, LineOf(Text, "begin", LineOf(Text, "procedure Run")));
  EXPECT_EQ(Run->defend, LineOf(Text, "function Twice"));
  EXPECT_THAT(ChildNames(Run), ElementsAre("I", "N"));
  TOrvikSymbol* Twice = Top(*Source, "Twice");
  EXPECT_EQ(Twice->defbegin, LineOf(Text, "function Twice"));
  EXPECT_EQ(Twice->ResultType, "Integer ");
  EXPECT_EQ(Source->Token->Line, LineOf(Text, "end.")) << "the parse reaches the program's end";

  // Without the implementation option a program's routines stay declarations.
  auto Interface = ParseText(Text, {}, "tool.lpr");
  EXPECT_EQ(Top(*Interface, "Run")->DeclLine, LineOf(Text, "procedure Run"));
  EXPECT_EQ(Top(*Interface, "Run")->defend, LineOf(Text, "procedure Run"));
}

TEST(Dialect, LabelSectionsOfRoutinesAreReadOver) {
  const std::string Text = R"(unit u;
interface
implementation
function First(N: Integer): Integer;
label
  Again, 10;
var
  Label: string;
begin
  Again:
  if N > 0 then begin
    Dec(N);
    goto Again;
  end;
  Result := N;
end;

procedure Second;
var
  Done: Boolean;
label
  Fail;
begin
  goto Fail;
Fail:
end;

procedure Last;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("First", "Last", "Second"));
  EXPECT_THAT(ChildNames(Top(*Source, "First")), ElementsAre("Label", "N"));
  EXPECT_EQ(Child(Top(*Source, "First"), "Label")->TypeName, "string");
  EXPECT_THAT(ChildNames(Top(*Source, "Second")), ElementsAre("Done"));
  EXPECT_EQ(Top(*Source, "Second")->Line, LineOf(Text, "begin", LineOf(Text, "procedure Second")));
  EXPECT_EQ(Top(*Source, "Last")->defbegin, LineOf(Text, "procedure Last"));
}

TEST(Dialect, TheLastFieldMayGoWithoutItsSemicolon) {
  const std::string Text = R"(unit u;
interface
type
  TPoint = record
    X,
    Y: Integer
  end;
  PPoint = ^TPoint;
  TShape = class
    Origin: TPoint
  end;
  TAfter = Integer;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("PPoint", "TAfter", "TPoint", "TShape"));
  EXPECT_THAT(ChildNames(Top(*Source, "TPoint")), ElementsAre("X", "Y"));
  EXPECT_EQ(Child(Top(*Source, "TPoint"), "Y")->TypeName, "Integer");
  EXPECT_EQ(Top(*Source, "PPoint")->TypeName, "^ TPoint ");
  EXPECT_EQ(Child(Top(*Source, "TShape"), "Origin")->TypeName, "TPoint");
  EXPECT_EQ(Top(*Source, "TShape")->defend, LineOf(Text, "end;", LineOf(Text, "TShape")));
}

TEST(Dialect, ConstantValuesOfferedTwiceByConditionalsGiveOneConstant) {
  const std::string Text = R"(unit u;
interface
const
  Zero: TRec =
  {$ifdef ENDIAN_LITTLE}
    (Lo: 0; Hi: 0;);
  {$else}
    (Hi: 0; Lo: 0;);
  {$endif}
  Next = 1;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Next", "Zero"));
  EXPECT_EQ(Top(*Source, "Zero")->ConstType(), "TRec");
  EXPECT_EQ(Top(*Source, "Next")->TypeName, "1");

  // Without a conditional directive the stray value is still an error.
  auto Plain = ParseText("unit u;\ninterface\nconst\n  A = 1;\n  (B: 0);\nimplementation\nend.\n", Fullest);
  EXPECT_THAT(Errors(*Plain), Contains("Error C:\\Src\\Unit1.pas(4): Unexpected B"));
}

TEST(Dialect, HintsAfterPropertiesAndResourceStringsEndNothingElse) {
  const std::string Text = R"(unit u;
interface
type
  TNode = class
    property Parent: TNode read FParent; deprecated;
    property Owner: TNode read FOwner; deprecated 'use Parent';
    property Items[I: Integer]: TNode read GetItem; default; platform;
    Platform: Integer;
    procedure Clear;
  end;
const
  Max = 3;
resourcestring
  SNext = 'Ne&xt';
var
  Count: Integer;
resourcestring
  SBack = 'Back';
type
  TAfter = Integer;
resourcestring
  SLast = 'Last';
var
  Late: Integer;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Count", "Late", "Max", "TAfter", "TNode"));
  TOrvikSymbol* Node = Top(*Source, "TNode");
  EXPECT_THAT(ChildNames(Node), ElementsAre("Clear", "Items", "Owner", "Parent", "Platform"));
  EXPECT_EQ(Child(Node, "Owner")->ReadAccess(), "FOwner");
  EXPECT_EQ(Child(Node, "Platform")->Typ, typVar);
}

TEST(Dialect, EscapedIdentifiersAreNamesNotKeywords) {
  const std::string Text = R"(unit u;
interface
type
  TCmd = class
    &Type: Integer;
    procedure &Begin;
    procedure &ContinueRun(&End: Integer);
  end;
const
  Mask = &777;
implementation
procedure TCmd.&Begin;
begin
end;
procedure TCmd.&ContinueRun(&End: Integer);
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  TOrvikSymbol* Cmd = Top(*Source, "TCmd");
  EXPECT_THAT(ChildNames(Cmd), ElementsAre("Begin", "ContinueRun", "Type"));
  EXPECT_EQ(Child(Cmd, "Begin")->defbegin, LineOf(Text, "procedure TCmd.&Begin"));
  EXPECT_EQ(Child(Cmd, "ContinueRun")->Params, "End : Integer ");
  EXPECT_EQ(Top(*Source, "Mask")->TypeName, "&777");

  TSaveStringList Lines("strings", "test");
  Lines.Add("&begin & x");
  TToken T(&Lines);
  ASSERT_TRUE(T.Next());
  EXPECT_EQ(T.TokenText, "begin");
  EXPECT_EQ(T.LowerText, "&begin");
  ASSERT_TRUE(T.Next());
  EXPECT_EQ(T.TokenText, "&");

  // The lower text of a long escaped word is cut like any other.
  const std::string Long(TToken::MaxLowerText + 20, 'W');
  TSaveStringList LongLines("strings", "test");
  LongLines.Add("&" + Long + " ;");
  TToken L(&LongLines);
  ASSERT_TRUE(L.Next());
  EXPECT_EQ(L.TokenText, Long);
  EXPECT_EQ(L.LowerText, ("&" + LowerCase(Long)).substr(0, TToken::MaxLowerText));
}

TEST(Dialect, AStrayEndInTheImplementationIsReadOver) {
  // A routine whose heading the parser takes for a declaration leaves its
  // body's "end;" at unit level; the routines after it stay in the model.
  const std::string Text = R"(unit u;
interface
implementation
procedure Odd; unknowndirective;
begin
  if A then begin
    B;
  end;
end;

procedure After;
begin
end;
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_NE(Top(*Source, "After"), nullptr);
  EXPECT_EQ(Source->Token->Line, LineOf(Text, "end."));
}

TEST(Dialect, DottedUnitNamesAreOneUnit) {
  auto Source = ParseText(
      "unit u;\ninterface\nuses Generics.Collections, laz.VirtualTrees,\n  laz.VTGraphics;\n"
      "implementation\nuses System.SysUtils, Classes;\nend.\n");
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(Uses(*Source), ElementsAre("generics.collections", "laz.virtualtrees", "laz.vtgraphics",
                                         "system.sysutils", "classes"));
}

TEST(Dialect, DispatchInterfacesAreInterfaces) {
  const std::string Text = R"(unit u;
interface
type
  IDocDisp = dispinterface
    ['{FD8256D0-FD15-11CE-ABC4-02608C9E7553}']
    property Name: WideString readonly dispid 2;
    procedure Save; dispid 8;
    function Get(const Key: WideString): OleVariant; dispid 10;
  end;
  TAfter = Integer;
implementation
end.
)";
  auto Source = ParseText(Text, Fullest);
  EXPECT_THAT(Errors(*Source), IsEmpty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("IDocDisp", "TAfter"));
  TOrvikSymbol* Disp = Top(*Source, "IDocDisp");
  EXPECT_EQ(Disp->Typ, typInterface);
  EXPECT_THAT(ChildNames(Disp), ElementsAre("Get", "Name", "Save"));
  EXPECT_EQ(Child(Disp, "Get")->ResultType, "OleVariant ");
  EXPECT_EQ(Child(Disp, "Name")->Typ, typProperty);
}
