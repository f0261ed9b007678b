// TEditorStrings and its descendants over real buffers of the in-process IDE.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../support/ScratchDir.h"
#include "hosts/memory/MemoryIDE.h"
#include "ide/VelmoricEditorStrings.h"
#include "trace/traceletVelmoric.h"

namespace {

class EditorStringsTest : public testing::Test {
 protected:
  void SetUp() override { IDE = std::make_unique<TMemoryIDE>(); }
  void TearDown() override {
    if (Ed) Ed->Release();
    IDE.reset();
  }

  // Opens a file holding Text and returns its editor (released by the fixture).
  TIEditorInterface* Open(const std::string& Text, const std::string& Name = "u.pas") {
    FileName = Dir.Write(Name, Text);
    EXPECT_TRUE(ToolServices->OpenFile(FileName));
    TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
    Ed = Module->GetEditorInterface();
    Module->Release();
    return Ed;
  }
  const std::string& Buffer() const { return IDE->Buffer(FileName).Text(); }

  TScratchDir Dir;
  std::unique_ptr<TMemoryIDE> IDE;
  std::string FileName;
  TIEditorInterface* Ed = nullptr;
};

std::string Lines(const TStrings& L) {
  std::string S;
  for (int I = 0; I < L.Count(); ++I) S += "[" + L[I] + "]";
  return S;
}

TEST_F(EditorStringsTest, EmptyBufferHasNoLines) {
  TEditorStrings L(Open(""));
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.GetTextLen(), 0);
  TEditorStrings Unloaded(nullptr);
  EXPECT_EQ(Unloaded.Count(), 0);
}

TEST_F(EditorStringsTest, LinesCarryTheirBufferOffsets) {
  TEditorStrings L(Open("ab\r\nc"));
  EXPECT_EQ(Lines(L), "[ab][c]");
  EXPECT_EQ(L.GetPosition(0), 0);
  EXPECT_EQ(L.GetPosition(1), 4);
  EXPECT_EQ(L.GetTextLen(), 5);
  EXPECT_EQ(L.CharPosToPos(TCharPos{5, 2}), 5);  // column clamped to the line's length
  EXPECT_EQ(L.CharPosToPos(TCharPos{1, 1}), 1);
  TCharPos P;
  L.PosToCharPos(3, P);  // on the line end of line 1
  EXPECT_EQ(P.Line, 1);
  EXPECT_EQ(P.CharIndex, 2);
  L.PosToCharPos(4, P);
  EXPECT_EQ(P.Line, 2);
  EXPECT_EQ(P.CharIndex, 0);
  L.GetCharPos(1, P);
  EXPECT_EQ(P.Line, 2);
  EXPECT_EQ(P.CharIndex, 0);
  // The object slot holds the offset.
  EXPECT_EQ(reinterpret_cast<intptr_t>(L.GetObject(1)), 4);
}

TEST_F(EditorStringsTest, LoneCrAndLfCountOneCharacterCrLfTwo) {
  TEditorStrings L(Open("a\rbb\ncc\r\nd\n\ne"));
  EXPECT_EQ(Lines(L), "[a][bb][cc][d][][e]");
  const int Expected[] = {0, 2, 5, 9, 11, 12};
  for (int I = 0; I < 6; ++I) EXPECT_EQ(L.GetPosition(I), Expected[I]) << I;
  EXPECT_EQ(L.BufferLineBreak(), "\r");  // the buffer's first line end
}

TEST_F(EditorStringsTest, EditsChangeOnlyTheCacheAndKeepOtherPositions) {
  TEditorStrings L(Open("one\r\ntwo\r\nthree\r\n"));
  L.Insert(1, "new");
  L.Put(0, "ONE");
  EXPECT_EQ(Lines(L), "[ONE][new][two][three]");
  EXPECT_EQ(L.GetPosition(0), 0);
  EXPECT_EQ(L.GetPosition(1), 0);  // an inserted line has position 0
  EXPECT_EQ(L.GetPosition(2), 5);
  L.Delete(2);
  EXPECT_EQ(L.GetPosition(2), 10);
  EXPECT_EQ(Buffer(), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(EditorStringsTest, IndexErrorsNameTheLineCache) {
  TEditorStrings L(Open("a\r\nb\r\nc"));
  try {
    L.Get(3);
    FAIL() << "no error";
  } catch (const EStringListError& E) {
    EXPECT_EQ(E.Message(), "Index out of range (index=3 max = 3) in List fStrings TEditorStrings");
  }
  EXPECT_THROW(L.GetObject(-1), EStringListError);
  EXPECT_THROW(L.Put(7, "x"), EStringListError);
  EXPECT_THROW(L.Delete(3), EStringListError);
  EXPECT_THROW(L.GetPosition(5), EStringListError);
  EXPECT_THROW(L.CharPosToPos(TCharPos{0, 5}), EStringListError);  // beyond the line after the last
  EXPECT_THROW(L.CharPosToPos(TCharPos{0, 0}), EStringListError);
  EXPECT_EQ(Lines(L), "[a][b][c]");
}

// Mend: SaveToEditor leaves exactly the cached lines, with the buffer's own
// line ends; the buffer's former last character no longer stays behind.
TEST_F(EditorStringsTest, SaveToEditorLeavesExactlyTheCachedLines) {
  TEditorStrings L(Open("ab\r\nc"));
  L.Insert(0, "x");
  L.SaveToEditor();
  EXPECT_EQ(Buffer(), "x\r\nab\r\nc");
  EXPECT_EQ(Lines(L), "[x][ab][c]");
  // One undo step brings back the buffer byte for byte.
  EXPECT_TRUE(IDE->Undo(FileName));
  EXPECT_EQ(Buffer(), "ab\r\nc");
}

TEST_F(EditorStringsTest, SaveToEditorKeepsUnixLineEnds) {
  const std::string Text = "unit u;\ninterface\nimplementation\nend.\n";
  TEditorStrings L(Open(Text));
  EXPECT_EQ(L.BufferLineBreak(), "\n");
  L.SaveToEditor();  // unchanged lines give the same bytes
  EXPECT_EQ(Buffer(), Text);
  L.Insert(2, "uses SysUtils;");
  L.SaveToEditor();
  EXPECT_EQ(Buffer(), "unit u;\ninterface\nuses SysUtils;\nimplementation\nend.\n");
}

TEST_F(EditorStringsTest, SaveToEditorRoundTripsCrLfFiles) {
  const std::string Text = "a\r\n\r\nb\r\n";
  TEditorStrings L(Open(Text));
  L.SaveToEditor();
  EXPECT_EQ(Buffer(), Text);
  L.Clear();
  L.SaveToEditor();
  EXPECT_EQ(Buffer(), "");
}

// Mend: the editor's writer takes zero-terminated texts, so a buffer holding
// a NUL character lost everything after it when its lines were written back.
// A text holding a NUL is now refused and the buffer stays as it was.
TEST_F(EditorStringsTest, TextHoldingANulIsRefusedAndTheBufferKept) {
  const std::string Text("a\r\nb\0c\r\nd\r\n", 10);
  TEditorStrings L(Open(Text));
  EXPECT_EQ(Lines(L), std::string("[a][b\0c][d]", 11));
  L.Put(0, "x");
  EXPECT_THROW(L.SaveToEditor(), Exception);
  EXPECT_EQ(Buffer(), Text);

  TUpdateEditorStrings U(Ed);
  EXPECT_THROW(U.ChangeLine(0, std::string("y\0z", 3)), Exception);
  EXPECT_EQ(Buffer(), Text);
  U.Insert(0, "y");  // texts without a NUL are written as before
  EXPECT_EQ(Buffer(), "y\r\n" + Text);
}

TEST_F(EditorStringsTest, WriteBackStringsSaveWhenDestroyed) {
  Open("a\nb\n");
  {
    TWriteBackEditorStrings L(Ed);
    L.Put(1, "B");
  }
  EXPECT_EQ(Buffer(), "a\nB\n");
}

TEST_F(EditorStringsTest, ReaderStreamReadsLargeBuffersInPieces) {
  std::string Text;
  for (int I = 0; I < 10000; ++I) Text += "line " + IntToStr(I) + (I % 2 ? "\r\n" : "\n");
  ASSERT_GT(Text.size(), 2u * 31744);
  TEditorStrings L(Open(Text));
  ASSERT_EQ(L.Count(), 10000);
  EXPECT_EQ(L[9999], "line 9999");
  EXPECT_EQ(L.GetTextLen(), static_cast<int32_t>(Text.size()));
  EXPECT_EQ(L.GetPosition(9999), static_cast<int32_t>(Text.rfind("line 9999")));

  TEditReaderStream S(Ed);
  EXPECT_EQ(S.Seek(0, 2), static_cast<int32_t>(Text.size()));
  EXPECT_EQ(S.Seek(-4, 1), static_cast<int32_t>(Text.size()) - 4);
  char Buf[16] = {};
  EXPECT_EQ(S.Read(Buf, 16), 4);  // the buffer ends first
  EXPECT_EQ(std::string(Buf, 4), Text.substr(Text.size() - 4));
  EXPECT_EQ(S.Seek(0, 0), 0);
  EXPECT_EQ(S.Read(Buf, 6), 6);
  EXPECT_EQ(std::string(Buf, 6), "line 0");
  try {
    S.Write("x", 1);
    FAIL();
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Attempt to write to readonly stream!");
  }
  try {
    S.Seek(0, 3);
    FAIL();
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Invalid seek origin, 3");
  }
}

TEST_F(EditorStringsTest, ColumnsBeyondSixteenBitsRaiseARangeError) {
  TEditorStrings L(Open(std::string(40000, 'x') + "\r\ny"));
  TCharPos P;
  L.PosToCharPos(30000, P);
  EXPECT_EQ(P.CharIndex, 30000);
  EXPECT_THROW(L.PosToCharPos(35000, P), ERangeError);
}

TEST_F(EditorStringsTest, UpdateStringsInsertAsNewLineAndReRead) {
  TUpdateEditorStrings L(Open("a\r\nb\r\nc\r\n"));
  L.Insert(1, "x");
  EXPECT_EQ(Buffer(), "a\r\nx\r\nb\r\nc\r\n");
  EXPECT_EQ(Lines(L), "[a][x][b][c]");
  EXPECT_EQ(L.GetPosition(2), 6);
  EXPECT_EQ(L.GetPosition(3), 9);
  // At the end (the line after the last line).
  L.Insert(4, "z");
  EXPECT_EQ(Buffer(), "a\r\nx\r\nb\r\nc\r\nz\r\n");
  // Each write is one undo step.
  EXPECT_TRUE(IDE->Undo(FileName));
  EXPECT_TRUE(IDE->Undo(FileName));
  EXPECT_EQ(Buffer(), "a\r\nb\r\nc\r\n");
}

TEST_F(EditorStringsTest, UpdateStringsDeleteLinesRemovesFromToBeforeTo) {
  TUpdateEditorStrings L(Open("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n"));
  L.DeleteLines(2, 5);
  EXPECT_EQ(Lines(L), "[0][1][5][6]");
  L.Delete(0);
  EXPECT_EQ(Buffer(), "1\r\n5\r\n6\r\n");
}

// Mend: the start of the line after the last line is the end of the buffer,
// so the last line can be deleted and changed.
TEST_F(EditorStringsTest, UpdateStringsChangeAndDeleteTheLastLine) {
  TUpdateEditorStrings L(Open("a\r\nb\r\nc"));
  L.ChangeLine(2, "C");
  EXPECT_EQ(Buffer(), "a\r\nb\r\nC\r\n");
  L.Delete(2);
  EXPECT_EQ(Buffer(), "a\r\nb\r\n");
  L.DeleteLines(0, 2);
  EXPECT_EQ(Buffer(), "");
  EXPECT_EQ(L.Count(), 0);
}

TEST_F(EditorStringsTest, UpdateStringsKeepTheBuffersLineEnds) {
  TUpdateEditorStrings L(Open("a\nb"));
  L.Insert(2, "c");  // after a last line without line end: c gets a line of its own
  EXPECT_EQ(Buffer(), "a\nb\nc\n");
  L.ChangeLine(0, "A");
  EXPECT_EQ(Buffer(), "A\nb\nc\n");
  TStringList List;
  List.Add("x");
  List.Add("y");
  L.InsertList(1, List);  // the list, then the empty line InsertPos adds
  EXPECT_EQ(Buffer(), "A\nx\ny\n\nb\nc\n");
  L.Replace(2, 5, "Y\n");  // lines 2 to 4 (1-based)
  EXPECT_EQ(Buffer(), "A\nY\nb\nc\n");
  L.ReplaceList(0, 2, List);  // offsets: "A\n"
  EXPECT_EQ(Buffer(), "x\ny\nY\nb\nc\n");
}

TEST_F(EditorStringsTest, ChangeLineWithoutIdeChangesOnlyTheCache) {
  TUpdateEditorStrings L(Open("a\r\nb\r\n"));
  TIToolServices* Saved = ToolServices;
  ToolServices = nullptr;
  L.ChangeLine(1, "B");
  ToolServices = Saved;
  EXPECT_EQ(Lines(L), "[a][B]");
  EXPECT_EQ(Buffer(), "a\r\nb\r\n");
}

TEST(ListToStr, EveryLineFollowedByCrLf) {
  TStringList L;
  std::string S = "old";
  ListToStr(L, S);
  EXPECT_EQ(S, "");
  L.Add("a");
  L.Add("");
  ListToStr(L, S);
  EXPECT_EQ(S, "a\r\n\r\n");
}

class EditorStringsTraceTest : public EditorStringsTest {
 protected:
  void SetUp() override {
    EditorStringsTest::SetUp();
    Log = Dir.File("trace.log");
    tracelet->SetLogfile(Log);
  }
  void TearDown() override {
    FlagTrace = false;
    TraceIndent.clear();
    tracelet->CloseLogfile();
    EditorStringsTest::TearDown();
  }
  std::string Logged() { return ReadFileBytes(Log); }
  std::string Log;
};

TEST_F(EditorStringsTraceTest, IndexedOperationsTraceTheirArgumentsOnEntryOnly) {
  TEditorStrings L(Open("a\r\nb\r\n"));
  FlagTrace = true;
  L.Get(1);
  L.GetPosition(0);
  FlagTrace = false;
  const std::string T = Logged();
  EXPECT_NE(T.find("velmoric.trace:->TEditorStrings.Get(Index=1)\r\n"), std::string::npos) << T;
  EXPECT_NE(T.find("velmoric.trace:  <-TEditorStrings.Get\r\n"), std::string::npos) << T;
  EXPECT_NE(T.find("->TEditorStrings.GetPosition(Index=0)\r\n"), std::string::npos) << T;
  EXPECT_NE(T.find("<-TEditorStrings.GetPosition\r\n"), std::string::npos) << T;
}

TEST_F(EditorStringsTraceTest, BufferChangesAreNotedOnTheirStream) {
  TUpdateEditorStrings L(Open("a\r\nb\r\nc\r\n"));
  L.Delete(0);
  L.DeleteLines(0, 1);
  L.ChangeLine(0, "C");
  L.Insert(0, "x");
  EXPECT_THROW(L.ChangeLine(5, "v"), EStringListError);
  const std::string T = Logged();
  for (const char* Line :
       {"TEditorStrings:delet\r\n", "TEditorStrings:delete from 0 to 1\r\n",
        "TEditorStrings:Change line 0 C\r\n", "TEditorStrings:Insert 0 x\r\n",
        "TEditorStrings:old Line = C\r\n",
        "stdOut:**** FATAL: Temp to write outside of list line = 5 string = v\r\n"})
    EXPECT_NE(T.find(Line), std::string::npos) << Line << "\n" << T;
  EXPECT_EQ(Buffer(), "x\r\nC\r\n");
}

}  // namespace
