// The parser over an IDE editor buffer (the way the expert reads the unit
// being edited) gives the model it gives over the file read from disk.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ParserTestSupport.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricEditorStrings.h"

namespace {

std::string Describe(const TOrvikSymbol& Sym, int Depth = 0) {
  std::string S;
  for (int I = 0; I < ChildCount(&Sym); ++I) {
    const TOrvikSymbol* C = Sym.symbols->GetSymbol(I);
    S += std::string(2 * Depth, ' ') +
         Format("%d %s %d %d %d %d [%s] [%s] [%s]\n", C->Typ, C->name, C->Line, C->DeclLine,
                C->defbegin, C->defend, C->TypeName, C->Params, C->Comment);
    S += Describe(*C, Depth + 1);
  }
  return S;
}

TEST(EditorBuffer, ParsesLikeTheFile) {
  const std::string FileName = std::string(VELMORIC_SOURCE_DIR) + "/examples/demo/MainForm.pas";
  auto IDE = std::make_unique<TMemoryIDE>();
  ASSERT_TRUE(ToolServices->OpenFile(FileName));
  TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
  ASSERT_NE(Module, nullptr);
  TIEditorInterface* Editor = Module->GetEditorInterface();
  Module->Release();
  ASSERT_NE(Editor, nullptr);

  TPascalSource FromEditor(new TToken(new TEditorStrings(Editor)));
  FromEditor.FileName = FileName;
  FromEditor.CreateSymbols({oCompileImplementation, oCompileLocalVar});
  const auto FromFile = ParseText(ReadFileBytes(FileName), {oCompileImplementation, oCompileLocalVar}, FileName);

  EXPECT_GT(ChildCount(&FromEditor.symbols), 3);
  EXPECT_EQ(Describe(FromEditor.symbols), Describe(FromFile->symbols));
  EXPECT_EQ(Errors(FromEditor), Errors(*FromFile));
  EXPECT_EQ(Uses(FromEditor), Uses(*FromFile));
  Editor->Release();
}

}  // namespace
