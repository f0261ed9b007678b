// The cursor queries of a parsed unit: the procedure at a line, the symbol
// under the editor cursor, and bringing a line into view.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "NavigationTestUtil.h"
#include "hosts/memory/MemoryIDE.h"
#include "platform/opentools/ToolIntf.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricPascalScanner.h"

using navtest::ColOf;
using navtest::LineOf;

namespace {

const char* const WidgetsUnit =
    "unit Widgets;\n"
    "interface\n"
    "type\n"
    "  TWidget = class\n"
    "  public\n"
    "    Caption: string;\n"
    "    procedure Paint; virtual;\n"
    "  end;\n"
    "  TCustomEdit = class(TWidget)\n"
    "  private\n"
    "    FText: string;\n"
    "  public\n"
    "    property Text: string read FText write FText;\n"
    "  end;\n"
    "  TEdit = class(TCustomEdit)\n"
    "  end;\n"
    "  TPoint = record\n"
    "    X, Y: Integer;\n"
    "  end;\n"
    "  PPoint = ^TPoint;\n"
    "  TLoopA = class(TLoopB)\n"
    "  end;\n"
    "  TLoopB = class(TLoopA)\n"
    "  end;\n"
    "implementation\n"
    "procedure TWidget.Paint;\n"
    "begin\n"
    "end;\n"
    "end.\n";

const char* const MainUnit =
    "unit Main;\n"
    "interface\n"
    "uses Widgets;\n"
    "type\n"
    "  TForm1 = class(TWidget)\n"
    "    Edit1: TEdit;\n"
    "    Loop: TLoopA;\n"
    "    procedure Button1Click(Sender: TObject);\n"
    "  end;\n"
    "var\n"
    "  Form1: TForm1;\n"
    "  Origin: PPoint;\n"
    "implementation\n"
    "procedure First;\n"
    "begin\n"
    "  First;\n"
    "end;\n"
    "procedure Second;\n"
    "begin\n"
    "end;\n"
    "procedure Helper(Count: Integer);\n"
    "var\n"
    "  Total: Integer;\n"
    "  procedure Inner;\n"
    "  begin\n"
    "    Total := Count;\n"
    "  end;\n"
    "begin\n"
    "  Inner;\n"
    "end;\n"
    "procedure TForm1.Button1Click(Sender: TObject);\n"
    "var\n"
    "  Local: Integer;\n"
    "begin\n"
    "  Self.Edit1.Text := Caption;\n"
    "  Local := 1;\n"
    "  if sender = nil then Exit;\n"
    "  Origin.X := Loop.Missing;  \n"
    "end;\n"
    "end.\n";

class CursorQueriesTest : public testing::Test {
 protected:
  void SetUp() override {
    Dir.Write("Widgets.pas", WidgetsUnit);
    MainFile = Dir.Write("Main.pas", MainUnit);
    ASSERT_TRUE(IDE.OpenFile(MainFile));
    MainFile = IDE.GetCurrentFile();
    TIModuleInterface* Module = ToolServices->GetModuleInterface(MainFile);
    TIEditorInterface* Editor = Module->GetEditorInterface();
    Compile = std::make_unique<TPascalProject>();
    Compile->FMemoryProject = &Memory;
    Source = Compile->CompileEditor(Editor);
    Editor->Release();
    Module->Release();
    ASSERT_NE(Source, nullptr);
  }

  // Puts the editor cursor on the 1-based line of Needle (at or after the
  // line holding After), at the first character of Needle plus Offset.
  void CursorAt(const std::string& Needle, int Offset = 0, const std::string& After = "") {
    const int From = After.empty() ? 1 : LineOf(MainUnit, After);
    const int Line = LineOf(MainUnit, Needle, From);
    ASSERT_GT(Line, 0) << Needle;
    const int Col = ColOf(MainUnit, Line, Needle) + Offset;
    IDE.Buffer(MainFile).Cursor = TEditPos{static_cast<int16_t>(Col), Line};
  }

  // The symbol resolved at the cursor; Word receives the last part.
  TOrvikSymbol* Resolve(std::string& Word) {
    Find = TFindSymbol();
    Source->GetSymbolFromCursor(&Find, Word);
    return Find.Symbol;
  }

  TOrvikSymbol* Member(const std::string& Class, const std::string& Name) {
    TOrvikSymbol* C = Compile->FindSymbol(Class, typClass);
    return C && C->symbols ? C->symbols->FindAnyFlatSymbol(Name) : nullptr;
  }

  navtest::ScratchDir Dir;
  navtest::ScratchSettings Settings{Dir};
  TMemoryIDE IDE;
  TPascalProject Memory;
  std::unique_ptr<TPascalProject> Compile;
  TPascalSource* Source = nullptr;
  std::string MainFile;
  TFindSymbol Find;
};

// 0-based line of Needle in the main unit, as the model counts lines.
int ModelLine(const std::string& Needle, const std::string& After = "") {
  return LineOf(MainUnit, Needle, After.empty() ? 1 : LineOf(MainUnit, After)) - 1;
}

TEST_F(CursorQueriesTest, ProcedureAtALineIsTheInnermostOneHoldingIt) {
  TOrvikSymbol* Click = Member("TForm1", "Button1Click");
  ASSERT_NE(Click, nullptr);
  // Inside a method's body: the method, not its class.
  EXPECT_EQ(Source->GetProcedureFromCursor(ModelLine("Local := 1")), Click);
  // Inside a nested procedure: the nested one.
  TOrvikSymbol* Inner = Source->GetProcedureFromCursor(ModelLine("Total := Count"));
  ASSERT_NE(Inner, nullptr);
  EXPECT_EQ(Inner->name, "Inner");
  EXPECT_EQ(Inner->Parent->name, "Helper");
  // In the outer body after the nested one: the outer procedure.
  EXPECT_EQ(Source->GetProcedureFromCursor(ModelLine("  Inner;"))->name, "Helper");
  // Inside a class declaration: the class.
  EXPECT_EQ(Source->GetProcedureFromCursor(ModelLine("Edit1: TEdit")), Compile->FindSymbol("TForm1", typClass));
  // Between the units' parts: nothing.
  EXPECT_EQ(Source->GetProcedureFromCursor(ModelLine("implementation")), nullptr);
  EXPECT_EQ(Source->GetProcedureFromCursor(-1), nullptr);
}

TEST_F(CursorQueriesTest, ConsecutiveProceduresEachOwnTheirLastLine) {
  // The "end;" of First is followed directly by the heading of Second.
  TOrvikSymbol* AtEnd = Source->GetProcedureFromCursor(ModelLine("end;", "procedure First"));
  ASSERT_NE(AtEnd, nullptr);
  EXPECT_EQ(AtEnd->name, "First");
  EXPECT_EQ(Source->GetProcedureFromCursor(ModelLine("procedure Second"))->name, "Second");
}

TEST_F(CursorQueriesTest, TheCursorsProcedureIsTheOneUnderTheCursorNotTheLineBelow) {
  std::string Word;
  CursorAt("end;", 0, "procedure First");
  Resolve(Word);
  ASSERT_NE(Find.Proc, nullptr);
  EXPECT_EQ(Find.Proc->name, "First");
  EXPECT_EQ(Find.ProcAgain, Find.Proc);
  EXPECT_EQ(Find.CursorLine, LineOf(MainUnit, "end;", LineOf(MainUnit, "procedure First")));
}

TEST_F(CursorQueriesTest, DottedExpressionsResolveThroughTypesAndAncestors) {
  std::string Word;
  CursorAt("Edit1.Text", 2);
  EXPECT_EQ(Resolve(Word), Member("TForm1", "Edit1"));
  EXPECT_EQ(Word, "Edit1");
  EXPECT_EQ(Source->GetWordFromCursor(), "Self.Edit1");

  // Text is declared by TCustomEdit, the ancestor of Edit1's type TEdit.
  CursorAt("Text :=", 1);
  EXPECT_EQ(Resolve(Word), Member("TCustomEdit", "Text"));
  EXPECT_EQ(Word, "Text");
  EXPECT_EQ(Find.Word, "Text");
  EXPECT_EQ(Source->GetWordFromCursor(), "Self.Edit1.Text");
  // The token source stands at the start of the expression for the caller.
  EXPECT_EQ(Source->Token->Line + 1, Find.CursorLine);
  ASSERT_TRUE(Source->NextToken());
  EXPECT_EQ(Source->Token->TokenText, "Self");
}

TEST_F(CursorQueriesTest, ParametersAndLocalsAreFoundBeforeAnythingElse) {
  std::string Word;
  CursorAt("sender = nil", 3);
  TOrvikSymbol* Sender = Resolve(Word);
  ASSERT_NE(Sender, nullptr);
  EXPECT_EQ(Sender->Typ, typParameter);
  EXPECT_EQ(Sender->name, "Sender");
  EXPECT_EQ(Sender->Parent, Member("TForm1", "Button1Click"));
  EXPECT_EQ(Word, "sender");

  CursorAt("Local := 1");
  TOrvikSymbol* Local = Resolve(Word);
  ASSERT_NE(Local, nullptr);
  EXPECT_EQ(Local->Typ, typVar);
  EXPECT_EQ(Find.Owner, Local);

  // A nested procedure sees the locals and parameters of its outer one.
  CursorAt("Count;", 0, "procedure Inner");
  TOrvikSymbol* Count = Resolve(Word);
  ASSERT_NE(Count, nullptr);
  EXPECT_EQ(Count->Typ, typParameter);
  EXPECT_EQ(Count->Parent->name, "Helper");
}

TEST_F(CursorQueriesTest, MembersOfTheMethodsClassAndItsAncestorsAreFound) {
  std::string Word;
  // Caption is a field of TWidget, the ancestor of the method's class.
  CursorAt("Caption;", 1);
  EXPECT_EQ(Resolve(Word), Member("TWidget", "Caption"));
}

TEST_F(CursorQueriesTest, PointerTypesLeadToThePointedToType) {
  std::string Word;
  CursorAt("X :=", 0, "Origin");
  TOrvikSymbol* X = Resolve(Word);
  ASSERT_NE(X, nullptr);
  EXPECT_EQ(X->Parent->name, "TPoint");
  EXPECT_EQ(Find.Owner->name, "TPoint");
}

TEST_F(CursorQueriesTest, AMissingMemberEndsWithTheLastClassSearched) {
  std::string Word;
  // TLoopA and TLoopB derive from each other: the search must still end.
  CursorAt("Missing", 2);
  EXPECT_EQ(Resolve(Word), nullptr);
  EXPECT_EQ(Word, "Missing");
  ASSERT_NE(Find.Owner, nullptr);
  EXPECT_TRUE(Find.Owner->name == "TLoopA" || Find.Owner->name == "TLoopB");
}

TEST_F(CursorQueriesTest, ACursorBeyondTheLineOrOnBlanksOnlyYieldsNoWord) {
  std::string Word = "old";
  const int Line = LineOf(MainUnit, "Origin.X");
  IDE.Buffer(MainFile).Cursor = TEditPos{60, Line};
  EXPECT_EQ(Resolve(Word), nullptr);
  EXPECT_EQ(Word, "");
  EXPECT_EQ(Source->GetWordFromCursor(), "");
  // Just after the last character of a line, the word before it counts.
  const int EndLine = LineOf(MainUnit, "  Inner;");
  IDE.Buffer(MainFile).Cursor = TEditPos{9, EndLine};
  EXPECT_EQ(Source->GetWordFromCursor(), "Inner");
  // An empty line has no word.
  IDE.Buffer(MainFile).Cursor = TEditPos{1, LineOf(MainUnit, "end.") + 1};
  EXPECT_EQ(Source->GetWordFromCursor(), "");
}

TEST_F(CursorQueriesTest, WithoutAnEditorNothingIsResolved) {
  std::string Word = "old";
  // A closed unit is opened again by the query; its cursor is at the start.
  ASSERT_TRUE(IDE.CloseFile(MainFile));
  EXPECT_EQ(Resolve(Word), nullptr);
  EXPECT_EQ(Find.CursorLine, 1);
  // A unit that cannot be opened has no editor.
  ASSERT_TRUE(IDE.CloseFile(MainFile));
  std::filesystem::remove(MainFile);
  EXPECT_EQ(Resolve(Word), nullptr);
  EXPECT_EQ(Find.CursorLine, 0);
  EXPECT_EQ(Find.Proc, nullptr);
  TIToolServices* Saved = ToolServices;
  ToolServices = nullptr;
  Find = TFindSymbol();
  Find.CursorLine = LineOf(MainUnit, "Local := 1");
  Find.CursorCol = 3;
  // Without an IDE the preset cursor is used.
  Source->GetSymbolFromCursor(&Find, Word);
  ToolServices = Saved;
  ASSERT_NE(Find.Symbol, nullptr);
  EXPECT_EQ(Find.Symbol->name, "Local");
}

TEST_F(CursorQueriesTest, GotoLineScrollsOnlyWhenThereIsRoom) {
  TEditBuffer& Buffer = IDE.Buffer(MainFile);
  // The module is not known yet: it is opened and stored first.
  Source->GotoLine(1, 1);
  EXPECT_EQ(Buffer.Cursor.Line, 1);
  EXPECT_EQ(Buffer.Top.Line, 1);
  EXPECT_NE(Source->EditModule, nullptr);
  // With the module known, the view scrolls when the line is above 7.
  Source->GotoLine(7, 3);
  EXPECT_EQ(Buffer.Cursor.Line, 7);
  EXPECT_EQ(Buffer.Cursor.Col, 3);
  EXPECT_EQ(Buffer.Top.Line, 7);
  Source->GotoLine(20, 1);
  EXPECT_EQ(Buffer.Cursor.Line, 20);
  EXPECT_EQ(Buffer.Top.Line, 15);
  // Line 0 or less moves nothing.
  Source->GotoLine(0, 1);
  EXPECT_EQ(Buffer.Cursor.Line, 20);
}

TEST_F(CursorQueriesTest, GotoLineOpensAClosedUnit) {
  ASSERT_TRUE(IDE.CloseFile(MainFile));
  ReleaseInterface(Source->EditModule);
  Source->GotoLine(9, 2);
  ASSERT_TRUE(IDE.IsFileOpen(MainFile));
  EXPECT_EQ(IDE.GetCurrentFile(), MainFile);
  TEditBuffer& Buffer = IDE.Buffer(MainFile);
  EXPECT_EQ(Buffer.Cursor.Line, 9);
  EXPECT_EQ(Buffer.Cursor.Col, 2);
  // The first opening scrolls only above line 10.
  EXPECT_EQ(Buffer.Top.Line, 9);
}

}  // namespace
