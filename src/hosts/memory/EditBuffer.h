// The text of one open file in the in-process IDE, with its undo history,
// its lines and the conversion between offsets, text positions and screen
// positions.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/opentools/EditIntf.h"

class TEditWindow;
class TMemoryIDE;

// One replacement: at Pos, Removed was replaced by Inserted.
struct TBufferEdit {
  int Pos = 0;
  std::string Removed;
  std::string Inserted;
};

// The edits of one writer, undone and redone together.
using TUndoStep = std::vector<TBufferEdit>;

class TEditBuffer {
 public:
  TEditBuffer(std::string AFileName, std::string AText);

  const std::string& FileName() const { return FFileName; }
  const std::string& Text() const { return FText; }
  int Length() const { return static_cast<int>(FText.size()); }

  // Replaces Count characters at Pos by Insert (both clamped to the text)
  // and returns the edit made.
  TBufferEdit Replace(int Pos, int Count, std::string_view Insert);
  // Replaces the whole text and forgets the undo history.
  void Reset(std::string AText);

  // A step of edits made by an undoable writer; clears the redo list.
  void PushUndo(TUndoStep Step);
  void ClearUndo();
  bool CanUndo() const { return !FUndo.empty(); }
  bool CanRedo() const { return !FRedo.empty(); }
  // Take back or repeat the last step, byte for byte; false when none.
  bool Undo();
  bool Redo();

  // Lines end at CR LF, LF or a lone CR; a text ending in a line end has an
  // empty last line, as an editor shows it.
  int LineCount() const;
  int LineStart(int Line) const;   // 1-based line; past the last: the length
  int LineLength(int Line) const;  // without the line end
  TCharPos PosToCharPos(int Pos) const;
  int CharPosToPos(TCharPos CharPos) const;  // the index is clamped to the line
  TCharPos EditPosToCharPos(TEditPos EditPos) const;
  TEditPos CharPosToEditPos(TCharPos CharPos) const;

  // The screen column just after the last character of a 1-based line.
  int LineEndColumn(int Line) const;
  // Pos moved into the text as an editor moves its cursor: the line to the
  // first or last, the column to 1 or just after the line's last character.
  TEditPos ClampEditPos(TEditPos Pos) const;
  // Cursor and Top clamped to the text (after it changed).
  void ClampView();

  // View state: the cursor and the top of the view (screen positions).
  TEditPos Cursor;
  TEditPos Top;
  // The selected block, from BlockStart up to BlockAfter (screen
  // positions); there is none when the two are equal.
  TEditPos BlockStart;
  TEditPos BlockAfter;
  int TabWidth = 8;

  bool Modified = false;
  bool Closed = false;
  int ActiveWriters = 0;
  std::vector<TIModuleNotifier*> Notifiers;
  TEditWindow* Window = nullptr;
  TMemoryIDE* IDE = nullptr;  // cleared when the IDE goes

 private:
  void Index() const;
  std::string FFileName;
  std::string FText;
  std::vector<TUndoStep> FUndo;
  std::vector<TUndoStep> FRedo;
  mutable std::vector<int> FLineStarts;  // built on demand
  mutable bool FIndexed = false;
};

using TEditBufferPtr = std::shared_ptr<TEditBuffer>;
