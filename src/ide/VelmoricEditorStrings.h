// An IDE editor buffer seen as a list of lines. Every cached line keeps the
// buffer offset of its first character, so that line/column positions and
// buffer offsets convert both ways; changed text goes back into the buffer
// through the IDE's undoable writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/opentools/EditIntf.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Streams.h"

class TSaveStringList;

// A read-only stream over an editor buffer.
class TEditReaderStream : public TStream {
 public:
  explicit TEditReaderStream(TIEditorInterface* Editor);
  ~TEditReaderStream() override;

  // Reads in pieces of at most 31744 characters; stops early when the
  // buffer ends.
  int32_t Read(void* Buffer, int32_t Count) override;
  // Raises Exception "Attempt to write to readonly stream!".
  int32_t Write(const void* Buffer, int32_t Count) override;
  // Origin 0, 1 or 2; another raises "Invalid seek origin, %d".
  int32_t Seek(int32_t Offset, uint16_t Origin) override;
  // Measures the buffer.
  int32_t GetSize();

 private:
  int32_t FPosition = 0;
  TIEditReader* FReader;
};

// The lines of a buffer. Edits change only the cached lines until
// SaveToEditor writes them all back.
class TEditorStrings : public TStrings {
 public:
  // With an editor the lines are loaded at once; with nullptr the list
  // starts empty for the caller to fill.
  explicit TEditorStrings(TIEditorInterface* Editor);
  ~TEditorStrings() override;

  void LoadFromEditor(TIEditorInterface* Editor);
  // Replaces the whole buffer with the cached lines, each ended by the
  // buffer's own line end (CR LF when the buffer has none yet), as one undo
  // step. The cache is not re-read. Lines holding a NUL character cannot be
  // written: that raises Exception and leaves the buffer as it was (so do the
  // writes of TUpdateEditorStrings).
  void SaveToEditor();
  // The number of characters in the buffer.
  int32_t GetTextLen();

  std::string Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  void Clear() override;

  // The buffer offset of line Index's first character (its object slot).
  virtual int32_t GetPosition(int Index);
  virtual void GetCharPos(int Index, TCharPos& CharPos);
  // Offset of a 1-based line and 0-based column; the column is clamped to
  // the line's length. The line after the last one starts at the end of
  // the buffer.
  int32_t CharPosToPos(TCharPos CharPos);
  void PosToCharPos(int32_t Pos, TCharPos& CharPos);

  TIEditorInterface* Editor() const { return FEditor; }
  // The buffer's text as last loaded: later edits of the lines are not in
  // it, and a cleared list has none.
  std::string_view LoadedText() const;
  // The line end of the loaded buffer: its first one, or CR LF.
  const std::string& BufferLineBreak() const { return FLineBreak; }

 protected:
  TSaveStringList* fStrings;
  TIEditorInterface* FEditor;  // not owned
  std::string FLineBreak = "\r\n";
  bool FEndsWithLineBreak = true;  // whether the loaded buffer ended with a line end
};

// Writes its lines back into the buffer when destroyed.
class TWriteBackEditorStrings : public TEditorStrings {
 public:
  using TEditorStrings::TEditorStrings;
  // A failure to write is reported on stderr and the trace; the cached
  // lines are then lost.
  ~TWriteBackEditorStrings() override;
};

// Edits go straight into the buffer, each as one undo step, and the lines
// are read again after each one.
class TUpdateEditorStrings : public TEditorStrings {
 public:
  explicit TUpdateEditorStrings(TIEditorInterface* Editor);

  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;

  void InsertPos(int32_t Pos, const std::string& Str);
  void InsertList(int Index, TStrings& List);
  void InsertListPos(int32_t Pos, TStrings& List);
  void ReplacePos(int32_t von, int32_t bis, const std::string& Str);
  // von and bis are 1-based line numbers: the lines von to bis - 1 go.
  void Replace(int von, int bis, const std::string& Str);
  void ReplaceListPos(int32_t von, int32_t bis, TStrings& List);
  void ReplaceList(int32_t von, int32_t bis, TStrings& List);
  // Removes lines lineFrom to lineTo - 1 (0-based).
  void DeleteLines(int lineFrom, int lineTo);
  void ChangeLine(int Index, const std::string& Value);

 private:
  // One writer: copy to From, delete to To (when To >= 0), insert Text.
  void Write(int32_t From, int32_t To, const std::string& Text);
  TIEditorInterface* FUpdateEditor;
};

// Every line of List followed by LineBreak; an empty list gives "".
void ListToStr(TStrings& List, std::string& S, const std::string& LineBreak = "\r\n");
