// Editor buffers as the IDE offers them: modules, editors, readers,
// writers, views and module notifiers.
#pragma once

#include <cstdint>
#include <string>

#include "platform/opentools/VirtIntf.h"

// A position on the screen of an editor view: 1-based column (tabs
// expanded) and 1-based line.
struct TEditPos {
  int16_t Col = 1;
  int32_t Line = 1;
};

// A position in the text: 0-based character index in the line, 1-based line.
struct TCharPos {
  int16_t CharIndex = 0;
  int32_t Line = 1;
};

struct TViewSize {
  int32_t cx = 0;  // columns
  int32_t cy = 0;  // lines
};

// Reads the buffer. Offsets are 0-based character counts, line ends included.
class TIEditReader : public TInterface {
 public:
  // Copies up to Count characters from Position into Buffer; returns how
  // many were copied (fewer than Count at the end of the buffer).
  virtual int GetText(int Position, char* Buffer, int Count) = 0;
};

// Changes the buffer moving forward through it. Positions are offsets in the
// buffer as it was when the writer was created, so text inserted on the way
// does not move later positions.
class TIEditWriter : public TInterface {
 public:
  // Advances to Pos, keeping the text on the way.
  virtual bool CopyTo(int Pos) = 0;
  // Deletes from the current position up to (not including) Pos.
  virtual bool DeleteTo(int Pos) = 0;
  // Inserts a zero-terminated text at the current position.
  virtual bool Insert(const char* Text) = 0;
  // The current position (in the original buffer) and as line/column.
  virtual int Position() = 0;
  virtual TCharPos GetCurrentPos() = 0;
};

class TIEditorInterface;

// One view of an editor: GetPos/SetPos index 0 is the cursor, 1 the top of
// the view.
class TIEditView : public TInterface {
 public:
  virtual TEditPos GetPos(int Index) = 0;
  virtual void SetPos(int Index, TEditPos Value) = 0;
  virtual TViewSize GetViewSize() = 0;
  virtual TCharPos PosToCharPos(int Pos) = 0;
  virtual int CharPosToPos(TCharPos CharPos) = 0;
  // Converts between a screen position and a text position; the direction
  // is EdPosToCharPos (true: EditPos -> CharPos).
  virtual void ConvertPos(bool EdPosToCharPos, TEditPos& EditPos, TCharPos& CharPos) = 0;

  TEditPos CursorPos() { return GetPos(0); }
  void SetCursorPos(TEditPos Value) { SetPos(0, Value); }
  TEditPos TopPos() { return GetPos(1); }
  void SetTopPos(TEditPos Value) { SetPos(1, Value); }
};

// The source editor of a module.
class TIEditorInterface : public TInterface {
 public:
  virtual std::string FileName() = 0;
  virtual int LinesInBuffer() = 0;
  virtual bool BufferModified() = 0;
  virtual bool MarkModified() = 0;
  virtual int GetViewCount() = 0;
  // A new view interface for view Index (0 is the first), or nullptr.
  virtual TIEditView* GetView(int Index) = 0;
  virtual TIEditReader* CreateReader() = 0;
  // Changes of a writer from CreateUndoableWriter form one undo step; those
  // of CreateWriter cannot be undone.
  virtual TIEditWriter* CreateWriter() = 0;
  virtual TIEditWriter* CreateUndoableWriter() = 0;
};

enum TNotifyCode {
  ncModuleDeleted,
  ncModuleRenamed,
  ncEditorModified,
  ncFormModified,
  ncEditorSelected,
  ncFormSelected,
  ncBeforeSave,
  ncAfterSave,
  ncFormSaving,
  ncProjResModified
};

// Receives the events of one module. Registered with the module's
// AddNotifier; the IDE does not own it.
class TIModuleNotifier : public TInterface {
 public:
  virtual void Notify(TNotifyCode NotifyCode) = 0;
  virtual void ComponentRenamed(void* ComponentHandle, const std::string& OldName,
                                const std::string& NewName) = 0;
};

// A file open in the IDE.
class TIModuleInterface : public TInterface {
 public:
  // A new editor interface for the module's source, or nullptr.
  virtual TIEditorInterface* GetEditorInterface() = 0;
  virtual bool Close() = 0;
  virtual bool Save(bool ForceSave) = 0;
  // Brings the source editor to the front.
  virtual bool ShowSource() = 0;
  virtual bool ShowForm() = 0;
  virtual bool AddNotifier(TIModuleNotifier* AModuleNotifier) = 0;
  virtual bool RemoveNotifier(TIModuleNotifier* AModuleNotifier) = 0;
};
