// Procedure prototypes, headings, implementations, bodies and parameters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ParserTestSupport.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

const std::string BarUnit = R"(unit Bar;
interface
type
  TBar = class(TObject)
    procedure Foo(a: Integer); virtual;
    procedure WMSize(var Msg: TWMSize); message WM_SIZE;
    function Count: Integer;
  end;
implementation

procedure TBar.Foo(a: Integer);
begin
end;

procedure TBar.Baz;
begin
end;

procedure TBar.WMSize(var Msg: TWMSize);
begin
  inherited;
end;

function TBar.Count: Integer;
begin
  Result := 0;
end;

end.
)";

TEST(Procedures, PrototypeAndImplementationShareOneRecord) {
  auto Source = ParseText(BarUnit);
  TOrvikSymbol* Bar = Top(*Source, "TBar");
  ASSERT_NE(Bar, nullptr);
  TOrvikSymbol* Foo = Child(Bar, "Foo");
  ASSERT_NE(Foo, nullptr);
  EXPECT_EQ(Foo->Typ, typProcedure);
  EXPECT_EQ(Foo->DeclLine, LineOf(BarUnit, "procedure Foo"));
  EXPECT_EQ(Foo->defbegin, LineOf(BarUnit, "procedure TBar.Foo"));
  EXPECT_EQ(Foo->Line, LineOf(BarUnit, "begin", Foo->defbegin));
  EXPECT_EQ(Foo->defend, LineOf(BarUnit, "procedure TBar.Baz"));  // the token after "end;"
  EXPECT_EQ(Foo->Options, TProcOptionsSet{tVirtual});
  EXPECT_EQ(Foo->Params, "a : Integer ");  // the prototype's text
  EXPECT_EQ(Foo->Bereich, tPublic);
  EXPECT_EQ(Foo->ProcTyp, tProcedure);
  EXPECT_EQ(Foo->Parent, Bar);
  EXPECT_EQ(Top(*Source, "Foo"), nullptr);

  TOrvikSymbol* Size = Child(Bar, "WMSize");
  EXPECT_EQ(Size->MessageId(), "WM_SIZE");
  EXPECT_EQ(Size->Options, TProcOptionsSet{tMessage});

  TOrvikSymbol* Count = Child(Bar, "Count");
  EXPECT_EQ(Count->ResultType, "Integer ");
  EXPECT_EQ(Count->ProcTyp, tFunction);  // set by the implementation heading
  EXPECT_EQ(Count->Line, LineOf(BarUnit, "begin", LineOf(BarUnit, "function TBar.Count")));
}

TEST(Procedures, MethodWithoutPrototypeIsReportedAndRecorded) {
  auto Source = ParseText(BarUnit);
  const int Line = LineOf(BarUnit, "procedure TBar.Baz");
  EXPECT_THAT(Errors(*Source),
              Contains(Format("Error C:\\Src\\Unit1.pas(%d): Prozedure TBar.Baz hat keinen Prototyp", Line)));
  TOrvikSymbol* Baz = Top(*Source, "Baz");
  ASSERT_NE(Baz, nullptr);
  EXPECT_EQ(Baz->Bereich, tPublic);
  EXPECT_EQ(Baz->DeclLine, -1);
  EXPECT_EQ(Baz->defbegin, Line);
  EXPECT_EQ(Baz->Line, Line + 1);
}

TEST(Procedures, FunctionPrototypeWithoutResultTypeIsHeldTwice) {
  const std::string Text = R"(unit u;
interface
type
  TBar = class
    function Broken(X: Integer) virtual;
    procedure Lost;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(Errors(*Source), Contains("Error C:\\Src\\Unit1.pas(4): Erwarte ':'"));
  TOrvikSymbol* InClass = Child(Top(*Source, "TBar"), "Broken");
  ASSERT_NE(InClass, nullptr);
  EXPECT_EQ(Top(*Source, "Broken"), InClass);
  EXPECT_EQ(InClass->RefCount, 2);
  EXPECT_EQ(InClass->Params, "X : Integer ");
  // Freeing the source releases the shared record once (checked by the sanitizers).
}

TEST(Procedures, ForwardDeclarationAndImplementationShareOneRecord) {
  const std::string Text = R"(unit u;
interface
implementation
procedure Later(X: Integer); forward;
procedure First;
begin
  Later(1);
end;
procedure Later(X: Integer);
begin
end;
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("First", "Later"));
  TOrvikSymbol* Later = Top(*Source, "Later");
  EXPECT_EQ(Later->DeclLine, 3);
  EXPECT_EQ(Later->defbegin, 8);
  EXPECT_EQ(Later->Line, 9);
  EXPECT_EQ(Later->defend, 11);
  EXPECT_EQ(Later->Bereich, tGlobal);
  EXPECT_TRUE(Errors(*Source).empty());
}

const std::string NestedUnit = R"(unit Nest;
interface
type
  TMyForm = class(TForm)
    procedure Button1Click(Sender: TObject);
  end;
implementation
procedure TMyForm.Button1Click(Sender: TObject);
var
  Total: Integer;
  function Inner(A: Integer): Integer;
    procedure Deepest;
    begin
    end;
  begin
    Result := A;
  end;
const
  Step = 2;
type
  TLocal = class
    F: Integer;
  end;
  TLocalRange = 1..9;
var
  More: string;
begin
  try
    case Total of
      1: Total := Inner(Step);
    else
      begin
        Total := 0;
      end;
    end;
  finally
    asm
      nop
    end;
  end;
end;

procedure After;
begin
end;
end.
)";

TEST(Procedures, NestedProceduresAreLocalChildren) {
  auto Source = ParseText(NestedUnit);
  TOrvikSymbol* Click = Child(Top(*Source, "TMyForm"), "Button1Click");
  ASSERT_NE(Click, nullptr);
  TOrvikSymbol* Inner = Child(Click, "Inner");
  ASSERT_NE(Inner, nullptr);
  EXPECT_EQ(Inner->Bereich, tLocal);
  EXPECT_EQ(Inner->Parent, Click);
  EXPECT_EQ(Inner->ResultType, "Integer ");
  EXPECT_EQ(Inner->defbegin, LineOf(NestedUnit, "function Inner"));
  TOrvikSymbol* Deepest = Child(Inner, "Deepest");
  ASSERT_NE(Deepest, nullptr);
  std::string Name;
  GetFullNameOfSymbol(Deepest, Name);
  EXPECT_EQ(Name, "TMyForm.Button1Click.Inner.Deepest");
  GetFullNameOfSymbol(Inner, Name);
  EXPECT_EQ(Name, "TMyForm.Button1Click.Inner");
}

TEST(Procedures, BodiesWithBlocksEndAtTheirOwnEnd) {
  auto Source = ParseText(NestedUnit);
  TOrvikSymbol* Click = Child(Top(*Source, "TMyForm"), "Button1Click");
  const int After = LineOf(NestedUnit, "procedure After");
  EXPECT_EQ(Click->Line, LineOf(NestedUnit, "begin", LineOf(NestedUnit, "var", 20)));
  EXPECT_EQ(Click->defend, After);
  TOrvikSymbol* AfterSym = Top(*Source, "After");
  ASSERT_NE(AfterSym, nullptr);
  EXPECT_EQ(AfterSym->defbegin, After);
  EXPECT_TRUE(Errors(*Source).empty()) << Errors(*Source).front();
}

TEST(Procedures, LocalTypesGoToTheUnitRoot) {
  auto Source = ParseText(NestedUnit);
  TOrvikSymbol* Click = Child(Top(*Source, "TMyForm"), "Button1Click");
  TOrvikSymbol* Local = Top(*Source, "TLocal");
  ASSERT_NE(Local, nullptr);
  EXPECT_EQ(Local->Typ, typClass);
  EXPECT_EQ(Local->Parent, Click);  // a class keeps its declaring procedure as parent
  EXPECT_EQ(Top(*Source, "TLocalRange")->Parent, &Source->symbols);
  // Local constants are not recorded; without oCompileLocalVar neither are variables.
  EXPECT_EQ(Child(Click, "Step"), nullptr);
  EXPECT_EQ(Child(Click, "Total"), nullptr);
  EXPECT_EQ(Child(Click, "Sender"), nullptr);
}

// Mend: a class declared inside a heading that turns out to have no body kept
// the heading's record as its parent after that record was freed, and cursor
// queries and full names read freed memory. It now hangs under the unit root.
TEST(Procedures, ALocalClassOfAHeadingWithoutBodyKeepsALiveParent) {
  const std::string Text =
      "unit U;\ninterface\nimplementation\n"
      "procedure Kept;\n  function Inner: Integer;\n  type TDeep = class end;\n  begin end;\nbegin\nend;\n"
      "procedure Cut;\n  procedure Nested;\n  type TNested = class end;\n  begin end;\n"
      "type\n  TLocal = class\n    procedure Go;\n  end;\n"  // no begin follows
      "end.\n";
  auto Source = ParseText(Text, {oCompileImplementation, oCompileLocalVar});
  for (const char* Name : {"TLocal", "TNested"}) {
    TOrvikSymbol* Local = Top(*Source, Name);
    ASSERT_NE(Local, nullptr) << Name;
    EXPECT_EQ(Local->Parent, &Source->symbols) << Name;
    std::string Full;
    GetFullNameOfSymbol(Local, Full);
    EXPECT_EQ(Full, Name);
  }
  EXPECT_EQ(Source->GetProcedureFromCursor(LineOf(Text, "procedure Go")), Top(*Source, "TLocal"));
  // A class inside a procedure that stays keeps that procedure as parent.
  TOrvikSymbol* Deep = Top(*Source, "TDeep");
  ASSERT_NE(Deep, nullptr);
  EXPECT_EQ(Deep->Parent, Child(Top(*Source, "Kept"), "Inner"));
  EXPECT_NE(Deep->Parent, nullptr);
}

TEST(Procedures, LocalVariablesAndParametersWithTheOption) {
  auto Source = ParseText(NestedUnit, {oCompileImplementation, oCompileLocalVar});
  TOrvikSymbol* Click = Child(Top(*Source, "TMyForm"), "Button1Click");
  EXPECT_THAT(ChildNames(Click), ElementsAre("Inner", "More", "Sender", "Total"));
  EXPECT_EQ(Child(Click, "Total")->Bereich, tLocal);
  EXPECT_EQ(Child(Click, "Total")->TypeName, "Integer");
  EXPECT_EQ(Child(Click, "Sender")->Typ, typParameter);
  EXPECT_EQ(Child(Click, "Sender")->TypeName, "TObject");
  EXPECT_EQ(Child(Click, "Sender")->Parent, Click);
}

TEST(Procedures, OnlyTheLastNameBeforeAColonGetsAParameter) {
  const std::string Text = R"(unit u;
interface
implementation
procedure P(const S: string; var N, M: Integer; Flags: set of Byte);
begin
end;
end.
)";
  auto Source = ParseText(Text, {oCompileImplementation, oCompileLocalVar});
  TOrvikSymbol* P = Top(*Source, "P");
  ASSERT_NE(P, nullptr);
  EXPECT_THAT(ChildNames(P), ElementsAre("Flags", "M", "S"));
  EXPECT_EQ(Child(P, "S")->TypeName, "string");
  EXPECT_EQ(Child(P, "M")->TypeName, "Integer");
  EXPECT_EQ(Child(P, "Flags")->TypeName, "set of Byte");
  EXPECT_EQ(P->Params, "const S ; var N , M ; Flags ");
  EXPECT_EQ(P->DeclLine, -1);
  EXPECT_EQ(P->defbegin, 3);
}

TEST(Procedures, InterfaceHeadingsEndAtTheirDeclaration) {
  const std::string Text = R"(unit u;
interface
function Compute(A,
  B: Integer): Integer; stdcall;
procedure Ext; external 'lib.dll' name 'Ext';
implementation
function Compute(A, B: Integer): Integer;
begin
end;
procedure Ext2; external 'lib.dll';
procedure Last;
begin
end;
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Compute = Top(*Source, "Compute");
  EXPECT_EQ(Compute->DeclLine, 2);
  EXPECT_EQ(Compute->DeclEndLine, 3);
  EXPECT_EQ(Compute->Params, "A , B ");
  EXPECT_EQ(Compute->Options, TProcOptionsSet{tStdCall});
  EXPECT_EQ(Compute->defbegin, 6);
  EXPECT_EQ(Compute->Line, 7);
  TOrvikSymbol* Ext = Top(*Source, "Ext");
  EXPECT_EQ(Ext->Options, TProcOptionsSet{tExternal});
  EXPECT_EQ(Ext->Line, 4);
  TOrvikSymbol* Ext2 = Top(*Source, "Ext2");
  ASSERT_NE(Ext2, nullptr);
  EXPECT_EQ(Ext2->DeclLine, 9);
  EXPECT_EQ(Ext2->DeclEndLine, 9);
  ASSERT_NE(Top(*Source, "Last"), nullptr);
  EXPECT_EQ(Top(*Source, "Last")->defbegin, 10);
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Procedures, OtherDirectivesBeforeABodyAreReadOver) {
  const std::string Text = R"(unit u;
interface
implementation
procedure A; cdecl;
begin
end;
function B(X: Integer): Integer; overload; inline;
begin
end;
procedure fpc_c; [public, alias: 'FPC_C']; compilerproc;
begin
end;
procedure D;
begin
end;
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("A", "B", "D", "fpc_c"));
  EXPECT_EQ(Top(*Source, "A")->Line, 4);
  EXPECT_EQ(Top(*Source, "B")->Line, 7);
  EXPECT_EQ(Top(*Source, "fpc_c")->Line, 10);
  EXPECT_TRUE(Top(*Source, "A")->Options.Empty());
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Procedures, HeadingErrors) {
  const std::string Text = "unit u;\ninterface\nimplementation\nprocedure P(X: Integer)\nbegin\nend;\nend.\n";
  auto Source = ParseText(Text);
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(4): Erwarte ';'"));
  ASSERT_NE(Top(*Source, "P"), nullptr);
  EXPECT_EQ(Top(*Source, "P")->Line, 4);
}

TEST(Procedures, FindSymbolInClass) {
  auto Source = ParseText(BarUnit);
  EXPECT_EQ(Source->FindSymbolInClass("tbar", "FOO"), Child(Top(*Source, "TBar"), "Foo"));
  EXPECT_EQ(Source->FindSymbolInClass("TBar", "Missing"), nullptr);
  EXPECT_EQ(Source->FindSymbolInClass("TNone", "Foo"), nullptr);
  EXPECT_EQ(Source->FindSymbolInClass("Baz", "Foo"), nullptr);  // not a class
  EXPECT_EQ(Source->FindSymbolInClass("", "tbar"), Top(*Source, "TBar"));
}

TEST(Procedures, ParameterTextsAreParsedAgain) {
  auto Source = ParseText(BarUnit);
  TOrvikSymbol* Foo = Child(Top(*Source, "TBar"), "Foo");
  Foo->Params = "const A, B: Integer; var Key: Char ";
  ReParseProcParamters(Foo);
  EXPECT_THAT(ChildNames(Foo), ElementsAre("A", "B", "Key"));
  EXPECT_EQ(Child(Foo, "A")->TypeName, "Integer");
  EXPECT_EQ(Child(Foo, "Key")->TypeName, "Char");
  EXPECT_EQ(Child(Foo, "Key")->Typ, typParameter);
  EXPECT_EQ(Child(Foo, "Key")->Parent, Foo);
  // The records belong to the procedure's source, not to the one used for parsing.
  EXPECT_EQ(Child(Foo, "Key")->Source, Source.get());

  // Again: the same records are reused.
  TOrvikSymbol* Key = Child(Foo, "Key");
  ReParseProcParamters(Foo);
  EXPECT_EQ(ChildCount(Foo), 3);
  EXPECT_EQ(Child(Foo, "Key"), Key);

  // An empty Params text is filled from the list parsed.
  TOrvikSymbol* Count = Child(Top(*Source, "TBar"), "Count");
  Count->Params = "";
  auto* Lines = new TSaveStringList("str", "test");
  Lines->Add("X: Integer) ;");
  TPascalSource Temp(new TToken(Lines));
  Temp.ParseProcParameters(Count);
  EXPECT_EQ(Count->Params, "X : ) ");
}

TEST(Procedures, DeepNestingIsBounded) {
  std::string Text = "unit u;\ninterface\nimplementation\n";
  for (int I = 0; I < 300; ++I) Text += "procedure P" + std::to_string(I) + ";\n";
  Text += "begin\n";
  for (int I = 0; I < 20000; ++I) Text += "begin ";
  Text += "\nend.\n";
  std::unique_ptr<TPascalSource> Source;
  ASSERT_NO_THROW(Source = ParseText(Text));
  EXPECT_THAT(Errors(*Source), Contains(testing::HasSubstr("Nesting too deep")));
}

}  // namespace
