// The source modifier over editor buffers of the in-process IDE: each
// generated text against its template, the symbol tree against a fresh
// parse, one undo for the whole change.
#include <memory>
#include <string>
#include <vector>

#include "WizardTestSupport.h"
#include "project/VelmoricProjectSettings.h"

namespace {

const std::string OrderUnit =
    "unit Orders;\n"                             // 0
    "\n"                                         // 1
    "interface\n"                                // 2
    "\n"                                         // 3
    "type\n"                                     // 4
    "  TOrder = class(TObject)\n"                // 5
    "  private\n"                                // 6
    "    FTotal: Integer;\n"                     // 7
    "  published\n"                              // 8
    "    procedure Clear;\n"                     // 9
    "  end;\n"                                   // 10
    "\n"                                         // 11
    "  TOther = class\n"                         // 12
    "    FName: string;\n"                       // 13
    "  end;\n"                                   // 14
    "\n"                                         // 15
    "implementation\n"                           // 16
    "\n"                                         // 17
    "// -----\n"                                 // 18
    "// clears it\n"                             // 19
    "procedure TOrder.Clear;\n"                  // 20
    "var\n"                                      // 21
    "  I: Integer;\n"                            // 22
    "begin\n"                                    // 23
    "  FTotal := 0;\n"                           // 24
    "end;\n"                                     // 25
    "\n"                                         // 26
    "procedure Helper;\n"                        // 27
    "begin\n"                                    // 28
    "end;\n"                                     // 29
    "\n"                                         // 30
    "end.\n";                                    // 31

std::vector<std::string> Slice(const std::vector<std::string>& L, int From, int Count) {
  return std::vector<std::string>(L.begin() + From, L.begin() + From + Count);
}

using CocoTest = WizardTest;

TEST_F(CocoTest, FieldGoesBelowItsSectionKeyword) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  ASSERT_NE(Order, nullptr);
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  const int ClearLine = Clear->Line;
  TOrvikSymbol* Count = NewSymbol(Order, typVar, "Count");
  Count->TypeName = "Integer";
  Count->Bereich = tPrivate;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(Count);
  }
  const auto L = BufferLines();
  EXPECT_EQ(L[6], "  private");
  EXPECT_EQ(L[7], "      Count:Integer;");
  EXPECT_EQ(L[8], "    FTotal: Integer;");
  EXPECT_EQ(Count->Line, 7);
  EXPECT_EQ(Clear->Line, ClearLine + 1);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, FieldWithCommentIsPaddedTo80) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* A = NewSymbol(Order, typVar, "Count");
  A->TypeName = "Integer";
  A->Comment = "how many";
  A->Bereich = tPrivate;
  TOrvikSymbol* B = NewSymbol(Order, typVar, "Count2");
  B->TypeName = "array [0..9] of " + std::string(70, 'x');
  B->Comment = "long";
  B->Bereich = tPrivate;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(A);
    Coco.InsertSymbol(B);
  }
  const auto L = BufferLines();
  const std::string Short = "      Count:Integer;";
  EXPECT_EQ(L[A->Line], Short + std::string(80 - Short.size(), ' ') + "//how many");
  EXPECT_EQ(L[B->Line], "      Count2:" + B->TypeName + ";//long");
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, PropertyInClassWithoutItsSectionGetsANewSection) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* P = NewSymbol(Order, typProperty, "Count");
  P->TypeName = "integer";
  P->Bereich = tPublic;
  P->Extra().ReadAccess = "GetCount";
  P->Extra().WriteAccess = "FTotal";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(P);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 9, 4), (std::vector<std::string>{"    procedure Clear;", "    Public",
                                                       "    property Count : integer read GetCount write FTotal;",
                                                       "  end;"}));
  EXPECT_EQ(P->Line, 11);
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, PropertyGoesToTheEndOfAnExistingSection) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* P = NewSymbol(Order, typProperty, "Items");
  P->TypeName = "string";
  P->Bereich = tPrivate;
  P->Extra().IndexName = "index";
  P->Extra().IndexType = "integer";
  P->Extra().ReadAccess = "GetItems";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(P);
  }
  const auto L = BufferLines();
  // Fields stay before properties.
  EXPECT_EQ(Slice(L, 6, 4), (std::vector<std::string>{"  private", "    FTotal: Integer;",
                                                      "    property Items [index:integer] : string read GetItems;",
                                                      "  published"}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, LocalVariableWithoutVarSection) {
  Load(OrderUnit);
  TOrvikSymbol* Helper = Find("Helper", {typProcedure});
  ASSERT_NE(Helper, nullptr);
  TOrvikSymbol* V = NewSymbol(Helper, typVar, "N");
  V->TypeName = "Integer";
  V->Bereich = tLocal;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 27, 4),
            (std::vector<std::string>{"procedure Helper;", "var", "      N:Integer;", "begin"}));
  EXPECT_EQ(Helper->Line, 30);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, LocalVariableJoinsTheVarSection) {
  Load(OrderUnit);
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  TOrvikSymbol* V = NewSymbol(Clear, typVar, "J");
  V->TypeName = "Integer";
  V->Bereich = tLocal;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 21, 4), (std::vector<std::string>{"var", "  I: Integer;", "      J:Integer;", "begin"}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, NewMethodIsDeclaredAndImplementedAtTheEnd) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* M = NewSymbol(Order, typProcedure, "Total");
  M->ProcTyp = tFunction;
  M->Bereich = tPublished;
  M->Params = "Discount: real";
  M->ResultType = "real";
  M->Comment = "-----\r\nfunction TOrder Total\r\n-----";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(M);
  }
  const auto L = BufferLines();
  // Declared at the end of the published section.
  EXPECT_EQ(L[10], "    Function Total(Discount: real):real;");
  EXPECT_EQ(L[11], "  end;");
  EXPECT_EQ(M->DeclLine, 10);
  // Implemented in front of the blank line above "end.", which stays.
  const int End = int(L.size()) - 1;
  EXPECT_EQ(L[End], "end.");
  EXPECT_EQ(Slice(L, End - 11, 11),
            (std::vector<std::string>{"// -----", "// function TOrder Total", "// -----", "", "",
                                      "Function TOrder.Total(Discount: real):real;", "begin",
                                      "  // Velmoric: Insert your code here", "end;", "", ""}));
  EXPECT_EQ(M->defbegin, End - 6);
  EXPECT_EQ(M->Line, End - 5);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, OverrideWithoutCodeCallsInherited) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* M = NewSymbol(Order, typProcedure, "Destroy");
  M->ProcTyp = tDestructor;
  M->Bereich = tPublic;
  M->Options = {tOverride};
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(M);
  }
  const auto L = BufferLines();
  // A public section is made for it, the heading inside it.
  EXPECT_EQ(Slice(L, 9, 4), (std::vector<std::string>{"    procedure Clear;", "    Public",
                                                      "    Destructor Destroy; override; ", "  end;"}));
  const int End = int(L.size()) - 1;
  EXPECT_EQ(Slice(L, End - 9, 9),
            (std::vector<std::string>{"", "", "Destructor TOrder.Destroy;", "begin", "  inherited;",
                                      "  // Velmoric: Insert your code here", "end;", "", ""}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, CodeLinesAndSeveralMembersInOneUndoStep) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* G = NewSymbol(Order, typProcedure, "GetCount");
  G->ProcTyp = tFunction;
  G->Bereich = tPrivate;
  G->ResultType = "integer";
  G->Extra().code = new TStringList;
  G->code()->Add("  result := FCount;");
  TOrvikSymbol* V = NewSymbol(Order, typVar, "FCount");
  V->TypeName = "integer";
  V->Bereich = tPrivate;
  TOrvikSymbol* P = NewSymbol(Order, typProperty, "Count");
  P->TypeName = "integer";
  P->Bereich = tPublished;
  P->Extra().ReadAccess = "GetCount";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(G);
    Coco.InsertSymbol(V);
    Coco.InsertSymbol(P);
  }
  delete G->code();
  G->Extra().code = nullptr;
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 5, 9), (std::vector<std::string>{
                                "  TOrder = class(TObject)", "  private", "      FCount:integer;",
                                "    FTotal: Integer;", "    Function GetCount:integer;", "  published",
                                "    procedure Clear;", "    property Count : integer read GetCount;",
                                "  end;"}));
  const int End = int(L.size()) - 1;
  EXPECT_EQ(Slice(L, End - 8, 8),
            (std::vector<std::string>{"", "", "Function TOrder.GetCount:integer;", "begin",
                                      "  result := FCount;", "end;", "", ""}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, ChangingAProcedureReplacesHeadingAndComment) {
  Load(OrderUnit);
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  ASSERT_GT(Clear->Line, 0);
  Clear->Params = "All: Boolean";
  Clear->Options = {tVirtual};
  Clear->Comment = "new one\r\nnew two\r\nnew three";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(Clear);
  }
  const auto L = BufferLines();
  EXPECT_EQ(L[9], "    Procedure Clear(All: Boolean); virtual; ");
  EXPECT_EQ(Slice(L, 17, 5), (std::vector<std::string>{"", "// new one", "// new two", "// new three",
                                                       "procedure TOrder.Clear;"}));
  EXPECT_EQ(L.size(), SplitLines(Original).size() + 1);
  EXPECT_EQ(Clear->defbegin, 21);
  EXPECT_EQ(Clear->Line, 24);
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, ChangingReplacesAOneLineCommentAndKeepsOtherDirectives) {
  const std::string Text =
      "unit U;\n"
      "interface\n"
      "type\n"
      "  TA = class\n"
      "    procedure Run(A: Integer;\n"
      "      B: Integer); stdcall; virtual;\n"
      "    procedure Stop;\n"
      "  end;\n"
      "implementation\n"
      "// old\n"
      "procedure TA.Run(A: Integer; B: Integer);\n"
      "begin\n"
      "end;\n"
      "procedure TA.Stop;\n"
      "begin\n"
      "end;\n"
      "end.\n";
  Load(Text);
  TOrvikSymbol* Run = Find("Run", {typProcedure});
  ASSERT_NE(Run, nullptr);
  Run->Comment = "fresh";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(Run);
  }
  const auto L = BufferLines();
  EXPECT_EQ(L[4], "    Procedure Run(" + Run->Params + "); virtual;  stdcall;");
  EXPECT_EQ(L[5], "    procedure Stop;");
  EXPECT_EQ(Slice(L, 7, 3), (std::vector<std::string>{"implementation", "// fresh", "procedure TA.Run(A: Integer; B: Integer);"}));
  EXPECT_EQ(L.size(), SplitLines(Text).size() - 1);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, GlobalProcedureIsDeclaredInTheInterface) {
  Load(OrderUnit);
  TOrvikSymbol* G = NewSymbol(&Source->symbols, typProcedure, "Tidy");
  G->Bereich = tGlobal;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(G);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 16, 2), (std::vector<std::string>{"    Procedure Tidy;", "implementation"}));
  const int End = int(L.size()) - 1;
  EXPECT_EQ(Slice(L, End - 6, 3), (std::vector<std::string>{"    Procedure Tidy;", "begin",
                                                            "  // Velmoric: Insert your code here"}));
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, LocalProcedureGoesBeforeItsParentsBegin) {
  Load(OrderUnit);
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  TOrvikSymbol* Inner = NewSymbol(Clear, typProcedure, "Inner");
  Inner->Bereich = tLocal;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(Inner);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 22, 8), (std::vector<std::string>{"  I: Integer;", "", "", "    Procedure Inner;", "begin",
                                                       "  // Velmoric: Insert your code here", "end;", ""}));
  EXPECT_EQ(L[30], "begin");
  EXPECT_EQ(Clear->Line, 30);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, ImplementationGoesAboveInitialization) {
  const std::string Text =
      "unit U;\n"
      "interface\n"
      "type\n"
      "  TA = class\n"
      "  end;\n"
      "implementation\n"
      "initialization\n"
      "  Foo;\n"
      "end.\n";
  Load(Text);
  TOrvikSymbol* A = Find("TA", {typClass});
  TOrvikSymbol* M = NewSymbol(A, typProcedure, "Run");
  M->Bereich = tPublic;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(M);
  }
  const auto L = BufferLines();
  // "implementation" is code: the block goes below it, never above.
  EXPECT_EQ(Slice(L, 3, 4), (std::vector<std::string>{"  TA = class", "    Public", "    Procedure Run;", "  end;"}));
  EXPECT_EQ(L[7], "implementation");
  EXPECT_EQ(L[10], "Procedure TA.Run;");
  EXPECT_EQ(L[15], "initialization");
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, AbstractMethodGetsNoBody) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* M = NewSymbol(Order, typProcedure, "Draw");
  M->Bereich = tPrivate;
  M->Options = {tVirtual, tAbstract};
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(M);
  }
  const auto L = BufferLines();
  EXPECT_EQ(L[8], "    Procedure Draw; virtual;  abstract; ");
  EXPECT_EQ(L.size(), SplitLines(Original).size() + 1);
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, PropertyOutsideAClassChangesNothing) {
  Load(OrderUnit);
  TOrvikSymbol* Helper = Find("Helper", {typProcedure});
  TOrvikSymbol* P = NewSymbol(Helper, typProperty, "Bad");
  P->TypeName = "integer";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(P);
    EXPECT_FALSE(Coco.Changed());
  }
  EXPECT_EQ(BufferText(), Original);
  EXPECT_FALSE(IDE->Undo(FileName));
}

TEST_F(CocoTest, RunTestWritesTheLinesIntoTheDataDirectory) {
  Load(OrderUnit);
  const std::string SavedPath = VelmoricPath;
  VelmoricPath = Dir.Path + "/data/";
  std::filesystem::create_directories(VelmoricPath);
  RunTest = true;
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* V = NewSymbol(Order, typVar, "X");
  V->TypeName = "byte";
  V->Bereich = tPrivate;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  RunTest = false;
  VelmoricPath = SavedPath;
  const std::string Saved = ReadFileBytes(Dir.Path + "/data/test.pas");
  EXPECT_NE(Saved.find("      X:byte;"), std::string::npos);
}

TEST_F(CocoTest, AddLineMovesEveryPositionAtOrBelow) {
  Load(OrderUnit);
  TOrvikSymbol* Clear = Find("Clear", {typProcedure});
  TOrvikSymbol* Total = Find("FTotal", {typVar});
  const int ClearDecl = Clear->DeclLine, ClearBegin = Clear->defbegin, ClearLine = Clear->Line,
            ClearEnd = Clear->defend, TotalLine = Total->Line;
  TPascalCoco Coco(Source);
  Coco.AddLine(ClearDecl, 3);
  EXPECT_EQ(Total->Line, TotalLine);
  EXPECT_EQ(Clear->DeclLine, ClearDecl + 3);
  EXPECT_EQ(Clear->defbegin, ClearBegin + 3);
  Coco.AddLine(ClearBegin + 3, -3);
  EXPECT_EQ(Clear->defbegin, ClearBegin);
  EXPECT_EQ(Clear->Line, ClearLine);
  EXPECT_EQ(Clear->defend, ClearEnd);
  EXPECT_EQ(Clear->DeclLine, ClearDecl + 3);
  EXPECT_FALSE(Coco.Changed());
}

}  // namespace

namespace {

const std::string NestedUnit =
    "unit Nested;\n"
    "interface\n"
    "type\n"
    "  TBox = class\n"
    "  strict private\n"
    "    FInfo: record\n"
    "      A: Integer;\n"
    "    end;\n"
    "  public\n"
    "    procedure Open;\n"
    "  end;\n"
    "  TLid = class\n"
    "    FSize: Integer;\n"
    "  end;\n"
    "implementation\n"
    "procedure TBox.Open;\n"
    "begin\n"
    "end;\n"
    "\n"
    "end.\n";

TEST_F(CocoTest, NestedRecordEndIsNotTheClassEnd) {
  Load(NestedUnit);
  TOrvikSymbol* Box = Find("TBox", {typClass});
  ASSERT_NE(Box, nullptr);
  TOrvikSymbol* M = NewSymbol(Box, typProcedure, "Close");
  M->Bereich = tPrivate;
  TOrvikSymbol* H = NewSymbol(Box, typProcedure, "WMPaint");
  H->Bereich = tPublic;
  H->Params = "var message : TWMPaint";
  H->Extra().MessageId = "WM_PAINT";
  H->Options = {tMessage};
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(M);
    Coco.InsertSymbol(H);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 3, 12),
            (std::vector<std::string>{"  TBox = class", "  strict private", "    FInfo: record", "      A: Integer;",
                                      "    end;", "    Procedure Close;", "  public", "    procedure Open;",
                                      "    Procedure WMPaint(var message : TWMPaint); message WM_PAINT; ",
                                      "  end;", "  TLid = class", "    FSize: Integer;"}));
  EXPECT_NE(std::find(L.begin(), L.end(), "Procedure TBox.WMPaint(var message : TWMPaint);"), L.end());
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, FieldInAClassWhoseHeaderEndsTheLine) {
  Load(NestedUnit);
  TOrvikSymbol* Lid = Find("TLid", {typClass});
  TOrvikSymbol* Box = Find("TBox", {typClass});
  const int BoxEnd = Box->defend;
  TOrvikSymbol* V = NewSymbol(Lid, typVar, "FColor");
  V->TypeName = "Integer";
  V->Bereich = tProtected;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 11, 5), (std::vector<std::string>{"  TLid = class", "    FSize: Integer;", "    Protected",
                                                       "      FColor:Integer;", "  end;"}));
  EXPECT_EQ(Box->defend, BoxEnd);
  ExpectTreeMatchesBuffer();
  ExpectOneUndoRestores();
}

TEST_F(CocoTest, LocalVariableNeverLandsInAConstSection) {
  const std::string Text =
      "unit U;\n"
      "interface\n"
      "implementation\n"
      "procedure Run(var A: Integer);\n"
      "var\n"
      "  B: Integer;\n"
      "const\n"
      "  C = 1;\n"
      "begin\n"
      "end;\n"
      "end.\n";
  Load(Text);
  TOrvikSymbol* Run = Find("Run", {typProcedure});
  ASSERT_NE(Run, nullptr);
  TOrvikSymbol* V = NewSymbol(Run, typVar, "D");
  V->TypeName = "Byte";
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 6, 5), (std::vector<std::string>{"const", "  C = 1;", "var", "      D:Byte;", "begin"}));
  ExpectOneUndoRestores();
}

}  // namespace

namespace {

TEST_F(CocoTest, ABufferChangedSinceTheParseIsNotOverwritten) {
  Load(OrderUnit);
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  IDE->EditText(FileName, 0, 0, "// typed after the parse\r\n");
  const std::string Typed = BufferText();
  TOrvikSymbol* V = NewSymbol(Order, typVar, "X");
  V->TypeName = "byte";
  V->Bereich = tPrivate;
  try {
    TPascalCoco Coco(Source);
    FAIL() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(std::string(E.what()), "Unit1.pas has changed since it was parsed; parse it again and repeat the command");
  }
  EXPECT_EQ(BufferText(), Typed);
}

TEST_F(CocoTest, TheBufferIsWrittenAfterTheParsingEditorIsGone) {
  Load(OrderUnit);
  // The source keeps its lines; the editor they were read through goes.
  Editor->Release();
  Editor = nullptr;
  TOrvikSymbol* Order = Find("TOrder", {typClass});
  TOrvikSymbol* V = NewSymbol(Order, typVar, "X");
  V->TypeName = "byte";
  V->Bereich = tPrivate;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  EXPECT_EQ(BufferLines()[7], "      X:byte;");
  ExpectOneUndoRestores();
}

}  // namespace

namespace {

TEST_F(CocoTest, ClassesWithoutBodyAreLeftAlone) {
  const std::string Text =
      "unit U;\n"
      "interface\n"
      "type\n"
      "  EFoo = class(Exception);\n"
      "  TBarClass = class of TBar;\n"
      "  TBar = class\n"
      "  end;\n"
      "implementation\n"
      "end.\n";
  Load(Text);
  TOrvikSymbol* Bar = Find("TBar", {typClass});
  ASSERT_NE(Bar, nullptr);
  TOrvikSymbol* V = NewSymbol(Bar, typVar, "FX");
  V->TypeName = "Integer";
  V->Bereich = tPrivate;
  {
    TPascalCoco Coco(Source);
    Coco.InsertSymbol(V);
  }
  const auto L = BufferLines();
  EXPECT_EQ(Slice(L, 3, 6), (std::vector<std::string>{"  EFoo = class(Exception);", "  TBarClass = class of TBar;",
                                                      "  TBar = class", "    Private", "      FX:Integer;", "  end;"}));
  ExpectOneUndoRestores();
}

}  // namespace
