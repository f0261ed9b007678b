// The code editor of velmoric-ide over a buffer of the in-process IDE: the
// buffer stays the truth both ways, with CR LF files, tabs and undo.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>

#include "../support/QtApplication.h"
#include "../support/ScratchDir.h"
#include "hosts/ide/CodeEditor.h"
#include "hosts/memory/MemoryIDE.h"

namespace {

class CodeEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApplication(); }

  // Opens a file of that text and an editor over it.
  TCodeEditor& Open(const std::string& Text) {
    File = Dir.Write("Unit1.pas", Text);
    EXPECT_TRUE(IDE.OpenFile(File));
    Editor = std::make_unique<TCodeEditor>(IDE, File);
    Editor->resize(500, 300);
    Editor->show();
    return *Editor;
  }
  TEditBuffer& Buffer() { return IDE.Buffer(File); }
  std::string Shown() const { return Editor->text().toStdString(); }

  TScratchDir Dir;
  TMemoryIDE IDE;
  std::string File;
  std::unique_ptr<TCodeEditor> Editor;
};

TEST_F(CodeEditorTest, TypingBecomesUndoableBufferEdits) {
  TCodeEditor& E = Open("unit Unit1;\r\ninterface\r\nimplementation\r\nend.\r\n");
  EXPECT_EQ(Shown(), Buffer().Text());
  E.setCursorPosition(1, 9);  // after "interface"
  E.setFocus();
  QTest::keyClicks(&E, " x");
  QTest::keyClick(&E, Qt::Key_Return);
  EXPECT_EQ(Buffer().Text(), "unit Unit1;\r\ninterface x\r\n\r\nimplementation\r\nend.\r\n");
  EXPECT_TRUE(Buffer().Modified);
  EXPECT_EQ(Buffer().Cursor.Line, 3);
  EXPECT_EQ(Buffer().Cursor.Col, 1);
  QTest::keyClick(&E, Qt::Key_Backspace);
  EXPECT_EQ(Buffer().Text(), "unit Unit1;\r\ninterface x\r\nimplementation\r\nend.\r\n");

  // Each key is one step of the IDE's undo; the editor shows the result.
  ASSERT_TRUE(IDE.Undo(File));
  E.SyncFromBuffer();
  EXPECT_EQ(Shown(), "unit Unit1;\r\ninterface x\r\n\r\nimplementation\r\nend.\r\n");
  while (IDE.Undo(File)) {
  }
  E.SyncFromBuffer();
  EXPECT_EQ(Shown(), "unit Unit1;\r\ninterface\r\nimplementation\r\nend.\r\n");
  // The editor's own undo does nothing: it keeps no history.
  E.undo();
  EXPECT_EQ(Shown(), Buffer().Text());
}

TEST_F(CodeEditorTest, EditsAndMovesOfTheBufferShowInTheEditor) {
  TCodeEditor& E = Open("program P;\nbegin\n\tWriteLn;\nend.\n");
  // An add-in writes into the middle; the editor keeps the rest.
  IDE.EditText(File, 18, 0, "Hello");  // after the tab
  E.SyncFromBuffer();
  EXPECT_EQ(Shown(), "program P;\nbegin\n\tHelloWriteLn;\nend.\n");
  // Screen columns count the tab as the buffer does.
  Buffer().Cursor = TEditPos{10, 3};  // after "\tH"
  E.SyncFromBuffer();
  int Line = 0, Index = 0;
  E.getCursorPosition(&Line, &Index);
  EXPECT_EQ(Line, 2);
  EXPECT_EQ(Index, 2);
  EXPECT_EQ(E.CursorPos().Col, 10);
  // A block set by the IDE is the editor's selection.
  Buffer().BlockStart = TEditPos{1, 2};
  Buffer().BlockAfter = TEditPos{6, 2};
  Buffer().Cursor = TEditPos{6, 2};
  E.SyncFromBuffer();
  EXPECT_EQ(E.selectedText().toStdString(), "begin");
  // The user's move goes back to the buffer; the block follows the selection.
  E.setFocus();
  QTest::keyClick(&E, Qt::Key_End);
  QTest::keyClick(&E, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(Buffer().Cursor.Line, 2);
  EXPECT_EQ(Buffer().Cursor.Col, 5);
  EXPECT_EQ(Buffer().BlockStart.Col, 5);
  EXPECT_EQ(Buffer().BlockAfter.Col, 6);
  // The whole text replaced (a reload) shows whole.
  Buffer().Reset("unit Other;\nend.\n");
  E.SyncFromBuffer();
  EXPECT_EQ(Shown(), "unit Other;\nend.\n");
}

TEST_F(CodeEditorTest, CharactersOfTheEightBitSetStayOneByte) {
  TCodeEditor& E = Open("{ caf\xe9 }\n");
  EXPECT_EQ(E.length(), 9);
  E.setCursorPosition(0, 2);
  E.setFocus();
  QKeyEvent Key(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, QString::fromLatin1("\xfc"));
  QApplication::sendEvent(&E, &Key);
  EXPECT_EQ(Buffer().Text(), "{ \xfc""caf\xe9 }\n");
}

}  // namespace
