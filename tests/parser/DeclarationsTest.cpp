// Constants, variables, fields, properties and same-line comments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ParserTestSupport.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

std::unique_ptr<TPascalSource> ParseInterface(const std::string& Declarations) {
  return ParseText("unit u;\ninterface\n" + Declarations + "implementation\nend.\n");
}

TEST(Constants, ValuesTypesCommentsAndLines) {
  const std::string Text = R"(unit u;
interface
const
  Max = 10;   // the most
  Name = 'abc';
  Arr: array[0..1] of Integer = (1, 2);
  Mask = High(Integer); { bits }
  Sum = 1 + 2;
const
  Point: TPoint = (X: 1; Y: 2);
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Max = Top(*Source, "Max");
  ASSERT_NE(Max, nullptr);
  EXPECT_EQ(Max->Typ, typConst);
  EXPECT_EQ(Max->TypeName, "10");
  EXPECT_EQ(Max->Comment, " the most");
  EXPECT_EQ(Max->Line, 3);
  EXPECT_EQ(Max->defbegin, 3);
  EXPECT_EQ(Max->defend, 3);
  EXPECT_EQ(Max->Parent, &Source->symbols);
  EXPECT_EQ(Top(*Source, "Name")->TypeName, "abc");
  // The type text is joined like the value; how a word after "]" is joined
  // is the joining rule's own business (its tests), so only its start here.
  EXPECT_THAT(Top(*Source, "Arr")->ConstType(), testing::StartsWith("array[0..1]"));
  EXPECT_EQ(Top(*Source, "Arr")->TypeName, "(1,2)");
  EXPECT_EQ(Top(*Source, "Mask")->TypeName, "High(Integer)");
  EXPECT_EQ(Top(*Source, "Mask")->Comment, " bits ");
  EXPECT_EQ(Top(*Source, "Sum")->TypeName, "1+2");
  EXPECT_EQ(Top(*Source, "Point")->TypeName, "(X:1; Y:2)");
  EXPECT_EQ(Top(*Source, "Point")->ConstType(), "TPoint");
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Constants, JoinedTextsOfValuesAndTypes) {
  const std::string Text = R"(unit u;
interface
const
  A = High(Integer);
  B: array[0..1] of Integer = (1,2);
  C = a or b;
  D = 1+2;
  E: array[0..1] of TColorKind = (ckRed, ckGreen);
  F = [fsBold, fsItalic];
  G = Windows.MAX_PATH;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_EQ(Top(*Source, "A")->TypeName, "High(Integer)");
  EXPECT_EQ(Top(*Source, "B")->ConstType(), "array[0..1] of Integer");
  EXPECT_EQ(Top(*Source, "B")->TypeName, "(1,2)");
  EXPECT_EQ(Top(*Source, "C")->TypeName, "a or b");
  EXPECT_EQ(Top(*Source, "D")->TypeName, "1+2");
  EXPECT_EQ(Top(*Source, "E")->ConstType(), "array[0..1] of TColorKind");
  EXPECT_EQ(Top(*Source, "E")->TypeName, "(ckRed, ckGreen)");
  EXPECT_EQ(Top(*Source, "F")->TypeName, "[fsBold, fsItalic]");
  EXPECT_EQ(Top(*Source, "G")->TypeName, "Windows.MAX_PATH");
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Constants, ErrorsStillRecordTheConstant) {
  auto Source = ParseInterface("const\n  A;\n  B = 1;\n");
  EXPECT_THAT(Errors(*Source), ElementsAre("Error C:\\Src\\Unit1.pas(3): Erwarte = "));
  ASSERT_NE(Top(*Source, "A"), nullptr);
  EXPECT_EQ(Top(*Source, "A")->TypeName, "");
  EXPECT_EQ(Top(*Source, "B")->TypeName, "1");

  // After an unexpected token the section goes on with the next token (and
  // may record stray tokens as constants).
  Source = ParseInterface("const\n  C 5;\n");
  ASSERT_FALSE(Errors(*Source).empty());
  EXPECT_EQ(Errors(*Source).front(), "Error C:\\Src\\Unit1.pas(3): Unexpected 5");
  ASSERT_NE(Top(*Source, "C"), nullptr);
  EXPECT_EQ(Top(*Source, "C")->Typ, typConst);
}

TEST(Constants, EndOfTextInsideAValue) {
  auto Source = ParseText("unit u;\ninterface\nconst\n  A = (1,\n  2\n");
  EXPECT_THAT(Errors(*Source), Contains("Error C:\\Src\\Unit1.pas(4): End of file in const"));
  ASSERT_NE(Top(*Source, "A"), nullptr);
  EXPECT_EQ(Top(*Source, "A")->TypeName, "(1,");
}

TEST(Constants, AProgramBodyEndsTheSection) {
  auto Source = ParseText("program P;\nconst\n  Greeting = 'hi';\nbegin\n  Writeln(Greeting);\nend.\n");
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Greeting"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, ListsTypesAndComments) {
  const std::string Text = R"(unit u;
interface
var
  i, j: Integer; // counters
  Grid: array[0..9] of Integer; (* cells *)
  Start: Integer = 5;
  Hook: procedure(A: Integer; B: string) of object;
  Point:
    TPoint;
implementation
end.
)";
  auto Source = ParseText(Text);
  for (const char* Name : {"i", "j"}) {
    TOrvikSymbol* V = Top(*Source, Name);
    ASSERT_NE(V, nullptr) << Name;
    EXPECT_EQ(V->Typ, typVar);
    EXPECT_EQ(V->TypeName, "Integer");
    EXPECT_EQ(V->Comment, " counters");
    EXPECT_EQ(V->Bereich, tGlobal);
    EXPECT_EQ(V->Line, 3);
  }
  EXPECT_EQ(Top(*Source, "Grid")->TypeName, "array [ 0 . . 9 ] of Integer");
  EXPECT_EQ(Top(*Source, "Grid")->Comment, " cells ");
  EXPECT_EQ(Top(*Source, "Start")->TypeName, "Integer = 5");
  EXPECT_EQ(Top(*Source, "Hook")->TypeName, "procedure ( A : Integer ; B : string ) of object");
  EXPECT_EQ(Top(*Source, "Point")->TypeName, "TPoint");
  EXPECT_EQ(Top(*Source, "Point")->Line, 8);  // the line of the closing ";"
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, WithoutTypeAnErrorAndNoSymbol) {
  auto Source = ParseInterface("var\n  x;\n  a, b;\n  y: Integer;\n");
  EXPECT_THAT(Errors(*Source),
              ElementsAre("Error C:\\Src\\Unit1.pas(3): Variable(n) haben keinen Typ: x",
                          "Error C:\\Src\\Unit1.pas(4): Variable(n) haben keinen Typ: a,b"));
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("y"));
}

TEST(Variables, AProgramBodyEndsTheSection) {
  auto Source = ParseText(
      "program P;\nvar\n  Count: Integer;\nbegin\n  with Form do Count := 1;\n  Run;\nend.\n");
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Count"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, AnInlineRecordTypeDoesNotEndTheSection) {
  const std::string Text = R"(unit u;
interface
var
  R: record A: Integer; end;
  X: Integer;
  Y: string;
const
  K = 1;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("K", "R", "X", "Y"));
  TOrvikSymbol* R = Top(*Source, "R");
  EXPECT_EQ(R->Typ, typVar);
  EXPECT_EQ(R->TypeName, "record A : Integer ; end");
  EXPECT_EQ(R->Bereich, tGlobal);
  EXPECT_EQ(ChildCount(R), 0);  // the record's fields are no variables of their own
  EXPECT_EQ(Top(*Source, "X")->TypeName, "Integer");
  EXPECT_EQ(Top(*Source, "Y")->TypeName, "string");
  EXPECT_EQ(Top(*Source, "K")->Typ, typConst);
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, NestedAndVariantInlineRecords) {
  const std::string Text = R"(program P;
var
  Cell: packed record
    Pos: record Row, Col: Integer; end;
    case Kind: Integer of
      0: (Value: Double);
      1: (Text: record Len: Byte; end);
  end;
  After: Boolean;
begin
  Cell.Pos.Row := 1;
end.
)";
  auto Source = ParseText(Text);
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("After", "Cell"));
  EXPECT_EQ(Top(*Source, "Cell")->TypeName,
            "packed record Pos : record Row , Col : Integer ; end ; case Kind : Integer of 0 : "
            "( Value : Double ) ; 1 : ( Text : record Len : Byte ; end ) ; end");
  EXPECT_EQ(Top(*Source, "After")->Line, 8);
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, AnInlineRecordFieldDoesNotEndTheClass) {
  const std::string Text = R"(unit u;
interface
type
  TGrid = class
  private
    Pos: record Row, Col: Integer; end;
    FCount: Integer;
  public
    procedure Move(Dx: Integer);
    property Count: Integer read FCount;
  end;
  TOther = class
    F: Integer;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* Grid = Top(*Source, "TGrid");
  ASSERT_NE(Grid, nullptr);
  EXPECT_THAT(ChildNames(Grid), ElementsAre("Count", "FCount", "Move", "Pos"));
  EXPECT_EQ(Child(Grid, "Pos")->TypeName, "record Row , Col : Integer ; end");
  EXPECT_EQ(Child(Grid, "Pos")->Bereich, tPrivate);
  EXPECT_EQ(Child(Grid, "FCount")->Bereich, tPrivate);
  EXPECT_EQ(Child(Grid, "Move")->Bereich, tPublic);
  EXPECT_EQ(Grid->defend, LineOf(Text, "  end;"));  // the ";" after its own "end"
  ASSERT_NE(Top(*Source, "TOther"), nullptr);
  EXPECT_THAT(ChildNames(Top(*Source, "TOther")), ElementsAre("F"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Variables, AProceduralTypeKeepsItsCallingConvention) {
  const std::string Text = R"(unit u;
interface
type
  TApi = class
    OnDraw: procedure(Dc: Integer); stdcall;
    Count: Integer;
  end;
var
  Hook: function(A: Integer): Boolean; cdecl;
  Free: procedure; pascal = nil;
  Plain: procedure;
  Cdecl: Integer;
implementation
end.
)";
  auto Source = ParseText(Text);
  EXPECT_TRUE(Errors(*Source).empty());
  EXPECT_THAT(ChildNames(&Source->symbols), ElementsAre("Cdecl", "Free", "Hook", "Plain", "TApi"));
  EXPECT_EQ(Top(*Source, "Hook")->TypeName, "function ( A : Integer ) : Boolean ; cdecl");
  EXPECT_EQ(Top(*Source, "Free")->TypeName, "procedure ; pascal = nil");
  EXPECT_EQ(Top(*Source, "Plain")->TypeName, "procedure");  // "Cdecl" after it is a variable
  EXPECT_EQ(Top(*Source, "Cdecl")->TypeName, "Integer");
  EXPECT_THAT(ChildNames(Top(*Source, "TApi")), ElementsAre("Count", "OnDraw"));
  EXPECT_EQ(Child(Top(*Source, "TApi"), "OnDraw")->TypeName, "procedure ( Dc : Integer ) ; stdcall");
}

TEST(Variables, AnInlineRecordLocalVariable) {
  const std::string Text = R"(unit u;
interface
implementation
procedure P;
var
  R: record A, B: Integer; end;
  N: Integer;
begin
  R.A := N;
end;
end.
)";
  auto Source = ParseText(Text, {oCompileImplementation, oCompileLocalVar});
  TOrvikSymbol* P = Top(*Source, "P");
  ASSERT_NE(P, nullptr);
  EXPECT_THAT(ChildNames(P), ElementsAre("N", "R"));
  EXPECT_EQ(Child(P, "R")->TypeName, "record A , B : Integer ; end");
  EXPECT_EQ(P->Line, LineOf(Text, "begin"));
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Properties, AccessorsIndexAndDefault) {
  const std::string Text = R"(unit u;
interface
type
  TList2 = class
  private
    FCount: Integer;
  public
    property Items[Index: Integer]: string read GetItem write SetItem; default;
    property Count: Integer read FCount default 0;
    property Flag: Boolean read FFlag write FFlag default True;
    property Cells[ACol, ARow: Integer]: string read GetCell;
  published
    property Caption;
    property OnClick: TNotifyEvent read FOnClick write FOnClick;
  end;
implementation
end.
)";
  auto Source = ParseText(Text);
  TOrvikSymbol* List = Top(*Source, "TList2");
  ASSERT_NE(List, nullptr);
  TOrvikSymbol* Items = Child(List, "Items");
  ASSERT_NE(Items, nullptr);
  EXPECT_EQ(Items->Typ, typProperty);
  EXPECT_EQ(Items->IndexName(), "Index");
  EXPECT_EQ(Items->IndexType(), "Integer ");
  EXPECT_EQ(Items->TypeName, "string");
  EXPECT_EQ(Items->ReadAccess(), "GetItem");
  EXPECT_EQ(Items->WriteAccess(), "SetItem");
  EXPECT_EQ(Items->DefaultValue(), "");
  EXPECT_EQ(Items->Line, 7);
  EXPECT_EQ(Items->Bereich, tPublic);
  EXPECT_EQ(Child(List, "Count")->DefaultValue(), "0");
  EXPECT_EQ(Child(List, "Count")->ReadAccess(), "FCount");
  EXPECT_EQ(Child(List, "Count")->WriteAccess(), "");
  EXPECT_EQ(Child(List, "Flag")->DefaultValue(), "true");
  EXPECT_EQ(Child(List, "Cells")->IndexName(), "ACol");
  EXPECT_EQ(Child(List, "Cells")->IndexType(), "ARow : Integer ");
  EXPECT_EQ(Child(List, "Caption")->Bereich, tPublished);
  EXPECT_EQ(Child(List, "Caption")->TypeName, "");
  EXPECT_EQ(Child(List, "OnClick")->Bereich, tPublished);
  EXPECT_EQ(Child(List, "OnClick")->WriteAccess(), "FOnClick");
  EXPECT_EQ(Child(List, "FCount")->Bereich, tPrivate);
  EXPECT_TRUE(Errors(*Source).empty());
}

TEST(Properties, WithoutOwnerNothingIsRecorded) {
  auto Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText("property P: Integer read FP; x");
  TPascalSource Source(new TToken(Lines));
  Source.NextToken();
  Source.ScanProperty(nullptr, tPublic);
  EXPECT_EQ(Source.Token->TokenText, ";");
  EXPECT_EQ(Source.symbols.symbols->Count(), 0);
}

TEST(Comments, TheFirstKindOfDelimiterOnTheLineWins) {
  auto Lines = new TSaveStringList("strings", "TPascalSource");
  Lines->SetText("a { b } (* c *) // d\nx (* y *) { z }\nq { open\nnone");
  TPascalSource Source(new TToken(Lines));
  std::string Comment;
  const std::string Expected[] = {" d", " y ", " open", ""};
  for (int I = 0; I < 4; ++I) {
    Source.Token->SetLine(I);
    Source.GetComment(Comment);
    EXPECT_EQ(Comment, Expected[I]) << I;
  }
}

}  // namespace
