// The log window's model: the fixed line store, the stream table, the view
// index over the listed lines, the display numbers the window paints with,
// the log file and the statistics. It knows nothing of windows or sockets;
// the receiver feeds it messages and the window paints what it lists.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Sizes of the model's fixed tables.
constexpr int kStoreSize = 500000;    // bytes of the line store
constexpr int kStreamSlots = 127;     // slots of the stream table (0 is "null")
constexpr int kViewSize = 20000;      // entries of the view index
constexpr int kDiscardBytes = 10000;  // at least this much is dropped when the store is full
constexpr int kMaxPayload = 255;      // a line, register or question payload (an atom's name)
constexpr int kMaxText = 254;         // text of one record: the 256-byte buffer less stream byte and 0
constexpr int kRegisterNameLength = 10;
constexpr int kViewDrop = 1000;       // view entries given up when the view index is full
constexpr uint8_t kUnfoldMark = 0x80;

// View markers: "+" hidden records follow, "-" unfolded records hang below.
enum TMarker : uint8_t { mkPlus = 0, mkMinus = 1, mkNone = 2 };

struct TViewEntry {
  int Record = -1;  // store position of the listed record
  uint8_t Marker = mkNone;
};

struct TStreamSlot {
  std::string Name;
  bool Used = false;
  bool Shown = false;
};

// One line of the stream dialog's list.
struct TStreamDialogLine {
  std::string Text;  // "%d\t%s": slot and name
  bool Selected = false;
};

// What the window does after a received line (ShowNewLine).
enum TShowAction {
  saNone,        // not listed: nothing to draw
  saRepaintAll,  // the view was rebuilt while storing
  saDrawLine,    // the line lies in the visible rows: draw it in place
  saJump         // TopLine moved so the line stands a third down: repaint
};

// Result of a received line.
struct TReceived {
  bool Taken = false;  // the payload was readable and the line was handled
  int Line = -1;       // its view index when listed, else -1
};

class TLogModel {
 public:
  TLogModel();
  ~TLogModel();
  TLogModel(const TLogModel&) = delete;
  TLogModel& operator=(const TLogModel&) = delete;

  // ---- messages
  // A line: L (0..127), L bytes of stream name, the text up to a 0 byte or
  // the end. CountEvent for 1235 (by atom), not for 74 (by copy). A payload
  // that cannot be read as a line (empty, longer than an atom for 1235, a
  // length byte of 128 or more, a name past the end or holding a 0) is not
  // taken; a text longer than a record is cut.
  TReceived ReceiveLine(std::string_view Payload, bool CountEvent);
  // 1236: the name, cut to its first 10 characters, registered hidden.
  void RegisterMessage(std::string_view Payload);
  // 1237: the answer to a question (empty in this program).
  std::string Answer(std::string_view Question);

  // ---- store
  // Logs the line, stores it under its stream (registered hidden when new)
  // and lists it when the stream is shown. Returns its view index or -1.
  int StoreLine(std::string_view Text, std::string_view Stream);
  // Drops the oldest records (at least kDiscardBytes) and rebuilds the view.
  void DiscardOldest();
  void RebuildView();
  void Clear();
  int WritePos() const { return FWritePos; }
  int RecordCount() const;
  const uint8_t* Store() const { return FStore.data(); }
  // Calls Fn(stream slot, unfold mark, text) for every stored record in order.
  void ForEachRecord(const std::function<void(int, bool, std::string_view)>& Fn) const;

  // ---- streams
  int FindStream(std::string_view Name) const;  // slot, or -1 when absent
  int RegisterStream(std::string_view Name);    // slot (new ones hidden), -1 when full
  int StreamCount() const;                      // registered slots (0 .. count-1)
  const TStreamSlot& Stream(int Slot) const { return FStreams[Slot]; }
  void Collapse();  // hides every stream from slot 3 on
  void Expand();    // shows every stream from slot 3 on
  void ToggleStream(int Slot);
  std::vector<TStreamDialogLine> StreamDialogLines() const;  // sorted as the list box shows them
  void StreamDialogOk(const std::vector<std::string>& SelectedLines);

  // ---- view
  int LineCount() const { return FLineCount; }
  int TopLine() const { return FTopLine; }
  void SetTopLine(int Line);
  int MaxWidth() const { return FMaxWidth; }
  int LeftOffset() const { return FLeftOffset; }
  bool FullRepaint() const { return FFullRepaint; }
  const TViewEntry& ViewEntry(int Line) const { return FView[Line]; }
  std::string_view LineText(int Line) const;
  int LineStream(int Line) const;
  std::string ListedText() const;  // every listed line, each ended by "\n"
  // Unfolds or folds the hidden records below a listed line (double click).
  void Unfold(int Line);
  // ShowNewLine's decision for a line just received, with Rows whole rows
  // visible; raises MaxWidth and may move TopLine.
  TShowAction ShowNewLine(int Line, int Rows);

  // Scroll requests; each returns true when it changed the position.
  bool LineUp();
  bool LineDown();
  bool PageUp(int Rows);
  bool PageDown(int Rows);
  void LineLeft();
  void PageLeft(int ClientWidth);
  void LineRight(int ClientWidth) { ScrollRight(ClientWidth, 10); }
  void PageRight(int ClientWidth) { ScrollRight(ClientWidth, ClientWidth); }
  // The width of the window's client area (the scroll calls pass it too):
  // LeftOffset is kept between 5 and the right end of the scroll range,
  // now and after every rebuild of the view.
  void SetClientWidth(int ClientWidth);

  // Width of a line as MaxWidth counts it. The default counts characters
  // with tabs expanded to multiples of 8; the window measures pixels.
  void SetMeasure(std::function<int(std::string_view)> Measure);
  int Measure(std::string_view Text) const { return FMeasure(Text); }

  // ---- log file
  // Closes an open log file, then creates or truncates FileName.
  bool OpenLogFile(const std::string& FileName, std::string* Error = nullptr);
  void CloseLogFile();
  bool LogOpen() const { return FLogFile != nullptr; }
  void FlushLog();
  // Writes every stored line to FileName in the log file's line format.
  bool SaveToFile(const std::string& FileName, std::string* Error = nullptr) const;
  // One line of the log file: stream left-aligned in 8, "|", text, line end.
  static std::string LogLine(std::string_view Stream, std::string_view Text);

  // ---- statistics
  int EventCount() const { return FEventCount; }
  int TotalMem() const { return kStoreSize; }
  int Used() const { return FWritePos; }
  int Free() const { return kStoreSize - FWritePos; }

 private:
  int NextRecord(int Pos) const;
  void RebuildFrom(int TopRecord);
  void AppendListed(int Record);
  void ScrollRight(int ClientWidth, int Step);
  void ClampLeftOffset();
  void WriteLog(std::string_view Stream, std::string_view Text);

  std::vector<uint8_t> FStore;
  int FWritePos = 0;
  std::array<TStreamSlot, kStreamSlots> FStreams;
  std::vector<TViewEntry> FView;
  int FLineCount = 0;
  int FTopLine = 0;
  int FMaxWidth = 0;
  int FLeftOffset = 5;
  int FClientWidth = 0;  // 0 until known
  bool FFullRepaint = false;
  int FEventCount = 0;
  std::FILE* FLogFile = nullptr;
  bool FLogErrorReported = false;
  std::function<int(std::string_view)> FMeasure;
};
