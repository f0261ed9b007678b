// A quick compile of an editor buffer takes the model of the buffer's last
// compile when the edit since cannot change what the parser reads. Every
// model a compile gives, taken or parsed, is the one a parse of the buffer's
// text gives: checked on edits of every kind, on small units and real ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../parser/ModelImage.h"
#include "../support/ScratchSettings.h"
#include "ProjectTestUtil.h"
#include "hosts/memory/MemoryIDE.h"
#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"

namespace fs = std::filesystem;
using projecttest::ScratchDir;

namespace {

const char* const Unit =
    "unit Kept;\n"                             // 0
    "\n"                                       // 1
    "interface\n"                              // 2
    "\n"                                       // 3
    "type\n"                                   // 4
    "  TShape = class(TObject)\n"              // 5
    "  private\n"                              // 6
    "    FWidth: Integer; // the width\n"      // 7
    "  public\n"                               // 8
    "    procedure Draw(Scale: Integer);\n"    // 9
    "  end;\n"                                 // 10
    "\n"                                       // 11
    "const\n"                                  // 12
    "  Open = '{';\n"                          // 13
    "  Answer = 42;\n"                         // 14
    "  Close = #125; // }\n"                   // 15
    "\n"                                       // 16
    "procedure Go;\n"                          // 17
    "\n"                                       // 18
    "implementation\n"                         // 19
    "\n"                                       // 20
    "{ Draws the shape\n"                      // 21
    "  at its scale\n"                         // 22
    "  and no more. }\n"                       // 23
    "\n"                                       // 24
    "procedure TShape.Draw(Scale: Integer);\n" // 25
    "var S: string;\n"                         // 26
    "begin\n"                                  // 27
    "  S := 'a b';\n"                          // 28
    "  S := 'runs\n"                           // 29
    "  over\n"                                 // 30
    "  on' + S;\n"                             // 31
    "  FWidth := FWidth * Scale;\n"            // 32
    "end;\n"                                   // 33
    "\n"                                       // 34
    "procedure Go;\n"                          // 35
    "begin\n"                                  // 36
    "end;\n"                                   // 37
    "\n"                                       // 38
    "initialization\n"                         // 39
    "  Go;\n"                                  // 40
    "end.\n";                                  // 41

class KeptParseTest : public testing::Test {
 protected:
  void SetUp() override { gQuickRecompile = true; }
  void TearDown() override { gQuickRecompile = SavedQuick; }

  // Opens the unit Name with Text in the editor.
  void Open(const std::string& Name, const std::string& Text) {
    File = Dir.Write(Name, Text);
    ASSERT_TRUE(IDE.OpenFile(File));
    Restart(Text);
  }

  // Gives the buffer Text and compiles it into a fresh memory project, as
  // the compile button does first.
  void Restart(const std::string& Text) {
    IDE.Buffer(File).Reset(Text);
    Memory = std::make_unique<TPascalProject>();
    TPascalProject P;
    P.FMemoryProject = Memory.get();
    P.Compile(File, {oCompileImplementation});
    ASSERT_GT(Memory->FUnitLIst->Count(), 0);
  }

  // Compiles the buffer as the expert's commands do; the memory project
  // holds the source.
  TPascalSource* Compile() {
    TIModuleInterface* Module = ToolServices->GetModuleInterface(File);
    TIEditorInterface* Editor = Module->GetEditorInterface();
    TPascalSource* S = nullptr;
    {
      TPascalProject P;
      P.FMemoryProject = Memory.get();
      S = P.CompileEditor(Editor);
    }
    Editor->Release();
    Module->Release();
    return S;
  }

  // The image of a parse of the buffer's text as it is now.
  std::string Parsed() const {
    auto* Lines = new TSaveStringList("strings", "TPascalSource");
    Lines->SetText(IDE.Buffer(File).Text());
    TPascalSource Source(new TToken(Lines));
    Source.FileName = File;
    Source.CreateSymbols({oCompileImplementation});
    return model_image::Model(Source);
  }

  // Inserts Text at column Col (0-based; at its end when negative) of the
  // 0-based line L.
  void Insert(int L, int Col, const std::string& Text) {
    TEditBuffer& B = IDE.Buffer(File);
    IDE.EditText(File, B.LineStart(L + 1) + (Col < 0 ? B.LineLength(L + 1) : Col), 0, Text);
  }

  // Compiles after an edit: whether the last parse was taken, and the model
  // checked against a parse of the text.
  bool CompileTakes() {
    TPascalSource* S = Compile();
    EXPECT_NE(S, nullptr);
    if (!S) return false;
    EXPECT_EQ(model_image::Model(*S), Parsed());
    return S->ParseTaken;
  }

  const bool SavedQuick = gQuickRecompile;
  ScratchDir Dir;
  support::TScratchSettings Settings{Dir.Path};
  TMemoryIDE IDE;
  std::unique_ptr<TPascalProject> Memory;
  std::string File;
};

TEST_F(KeptParseTest, BlanksBetweenTokensTakeTheLastParse) {
  Open("Kept.pas", Unit);
  TPascalSource* First = Compile();
  ASSERT_NE(First, nullptr);
  EXPECT_FALSE(First->ParseTaken);  // the memory copy came from the file
  const std::string Before = model_image::Model(*First);
  EXPECT_EQ(Before, Parsed());

  EXPECT_TRUE(CompileTakes());  // unchanged
  Insert(32, 0, " ");           // indenting a statement
  EXPECT_TRUE(CompileTakes());
  Insert(9, 18, "  ");          // "procedure Draw  (Scale"
  EXPECT_TRUE(CompileTakes());
  Insert(5, -1, " ");           // a blank at the end of a line
  EXPECT_TRUE(CompileTakes());
  Insert(10, -1, "\t ");        // after the ";" of "end;"
  EXPECT_TRUE(CompileTakes());
  IDE.EditText(File, IDE.Buffer(File).LineStart(33), 1, "");  // the statement indented as before
  EXPECT_TRUE(CompileTakes());
  Insert(36, 0, " ");
  TPascalSource* Taken = Compile();
  ASSERT_TRUE(Taken->ParseTaken);
  EXPECT_EQ(model_image::Model(*Taken), Before);
  // The taken model is the new source's own.
  EXPECT_EQ(Taken->symbols.symbols->GetSymbol(0)->Source, Taken);
  EXPECT_NE(Taken, First);
}

TEST_F(KeptParseTest, EditsThatMayChangeWhatTheParserReadsAreParsed) {
  struct TEdit {
    const char* What;
    int Line;
    int Col;
    const char* Text;
  };
  const TEdit Edits[] = {
      {"a blank in a string", 28, 10, " "},
      {"a blank in a comment after a declaration", 7, 24, " "},
      {"a blank in a comment block above a heading", 21, 3, " "},
      {"a blank on a line inside a comment block", 22, 0, " "},
      {"a blank on a line inside a string", 30, 0, " "},
      {"a blank that parts a word", 32, 4, " "},
      {"a letter that changes a name", 35, 11, "o"},
      {"a line break between tokens", 32, 8, "\n"},
      {"a blank on a line that the comment search above a heading reads", 14, 8, " "},
      {"a blank on the last line", 41, 0, " "},
      {"a blank after a word that ends a line", 4, -1, " "},
      {"a blank on an empty line after a word that ends a line", 3, 0, " "},
  };
  Open("Kept.pas", Unit);
  for (const TEdit& E : Edits) {
    SCOPED_TRACE(E.What);
    Restart(Unit);
    ASSERT_NE(Compile(), nullptr);
    ASSERT_TRUE(Compile()->ParseTaken);
    Insert(E.Line, E.Col, E.Text);
    EXPECT_FALSE(CompileTakes());
  }
}

TEST_F(KeptParseTest, RandomEditsOfRealUnitsGiveTheParsedModel) {
  std::vector<std::string> Units = {std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/Shapes.pas",
                                    std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/MainForm.pas"};
  const fs::path Fpc = "/usr/share/fpcsrc/3.2.2";
  for (const char* Rel : {"packages/fcl-base/src/inifiles.pp", "packages/fcl-base/src/custapp.pp"})
    if (fs::exists(Fpc / Rel)) Units.push_back(Fpc / Rel);
  const std::string Pieces[] = {" ", " ", " ", "  ", "x", "\n", "{", "}", "'", "(*", "//", "\r\n", ""};
  std::mt19937 Rng(11);
  int Taken = 0;
  int Reparsed = 0;
  for (const std::string& Path : Units) {
    SCOPED_TRACE(Path);
    Open(fs::path(Path).filename().string() + ".pas", ReadFileBytes(Path));
    ASSERT_NE(Compile(), nullptr);
    for (int Step = 0; Step < 40; ++Step) {
      TEditBuffer& B = IDE.Buffer(File);
      if (Rng() % 2) {
        // Indenting or unindenting a line.
        const int Line = static_cast<int>(Rng() % static_cast<unsigned>(B.LineCount())) + 1;
        if (Rng() % 2 || B.LineLength(Line) == 0) IDE.EditText(File, B.LineStart(Line), 0, " ");
        else IDE.EditText(File, B.LineStart(Line), 1, "");
      } else {
        const int Pos = static_cast<int>(Rng() % static_cast<unsigned>(B.Length() + 1));
        const int Count = Rng() % 4 == 0 ? static_cast<int>(Rng() % 3) : 0;
        IDE.EditText(File, Pos, Count, Pieces[Rng() % std::size(Pieces)]);
      }
      (CompileTakes() ? Taken : Reparsed)++;
      if (HasFailure()) return;
    }
  }
  EXPECT_GT(Taken, 10);
  EXPECT_GT(Reparsed, 10);
}

}  // namespace
