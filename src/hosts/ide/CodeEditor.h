// The IDE's code editor: a QScintilla editor with the Pascal lexer showing
// one buffer of the in-process IDE. The buffer stays the truth: what the
// user types becomes undoable edits of the buffer, edits others make to
// the buffer show in the editor, and cursor, selected block and top line
// follow both ways. The editor keeps no undo history of its own; undo is
// the IDE's.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <string>

#include "hosts/memory/EditBuffer.h"

class TMemoryIDE;

class TCodeEditor : public QsciScintilla {
 public:
  TCodeEditor(TMemoryIDE& IDE, std::string FileName, QWidget* Parent = nullptr);

  const std::string& FileName() const { return FFileName; }
  // Copies what changed in the buffer since the last call: its text, then
  // the cursor, block and top line where the buffer moved them.
  void SyncFromBuffer();
  // The 1-based line and screen column of the editor's cursor.
  TEditPos CursorPos() const;
  // Hands the editor's cursor, block and top line to the buffer.
  void SyncToBuffer();
  // Stops all traffic with the buffer (its IDE is going).
  void Detach() { FDetached = true; }

 protected:
  // The cursor reaches the buffer as soon as a key or the mouse moved it.
  void keyPressEvent(QKeyEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

 private:
  TEditBufferPtr Buffer() const;
  const char* Bytes() const;
  int Length() const;
  void OnModified(int Position, int Type, const char* Inserted, int Count);
  void MoveTo(TEditBuffer& B);

  TMemoryIDE& FIDE;
  std::string FFileName;
  uint64_t FVersion = 0;  // of the buffer text shown
  // Cursor, block and top line as last exchanged with the buffer.
  TEditPos FCursor, FBlockStart, FBlockAfter, FTop;
  int FApplying = 0;
  bool FDetached = false;
};
