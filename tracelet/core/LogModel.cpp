#include "core/LogModel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/SysUtils.h"

namespace {

int TabExpandedLength(std::string_view Text) {
  int Column = 0;
  for (char C : Text) Column = C == '\t' ? (Column / 8 + 1) * 8 : Column + 1;
  return Column;
}

// Cuts a text at its first 0 byte: records and log lines never hold one.
std::string_view UpToNul(std::string_view Text) {
  size_t Nul = Text.find('\0');
  return Nul == std::string_view::npos ? Text : Text.substr(0, Nul);
}

}  // namespace

TLogModel::TLogModel()
    : FStore(kStoreSize, 0), FView(kViewSize), FMeasure(TabExpandedLength) {
  const char* Initial[] = {"null", "stdOut", "stdError"};
  for (int I = 0; I < 3; ++I) FStreams[I] = {Initial[I], true, true};
}

TLogModel::~TLogModel() { CloseLogFile(); }

// ------------------------------------------------------------------ messages

TReceived TLogModel::ReceiveLine(std::string_view Payload, bool CountEvent) {
  TReceived Result;
  if (Payload.empty() || (CountEvent && Payload.size() > kMaxPayload)) return Result;
  if (CountEvent) ++FEventCount;
  int L = static_cast<int8_t>(Payload[0]);
  if (L < 0 || 1 + static_cast<size_t>(L) > Payload.size()) return Result;
  std::string_view Stream = Payload.substr(1, L);
  if (Stream.find('\0') != std::string_view::npos) return Result;
  std::string_view Text = UpToNul(Payload.substr(1 + L));
  FFullRepaint = false;
  Result.Taken = true;
  Result.Line = StoreLine(Text.substr(0, kMaxText), Stream);
  return Result;
}

void TLogModel::RegisterMessage(std::string_view Payload) {
  std::string_view Name = UpToNul(Payload).substr(0, kRegisterNameLength);
  if (Name.empty() || FindStream(Name) >= 0) return;
  RegisterStream(Name);
}

std::string TLogModel::Answer(std::string_view Question) { return std::string(); }

// --------------------------------------------------------------------- store

int TLogModel::StoreLine(std::string_view Text, std::string_view Stream) {
  Text = UpToNul(Text).substr(0, kMaxText);
  WriteLog(Stream, Text);

  int Slot = FindStream(Stream);
  if (Slot < 0) Slot = RegisterStream(Stream);
  if (Slot <= 0) return -1;  // "null", or the table is full

  int Size = static_cast<int>(Text.size()) + 2;
  while (FWritePos > 0 && FWritePos + Size > kStoreSize) DiscardOldest();

  int Line = -1;
  if (FStreams[Slot].Shown) {
    if (FLineCount == kViewSize) {
      // The view index is full: give up its oldest entries.
      std::copy(FView.begin() + kViewDrop, FView.begin() + FLineCount, FView.begin());
      std::fill(FView.begin() + FLineCount - kViewDrop, FView.begin() + FLineCount, TViewEntry());
      FLineCount -= kViewDrop;
      FTopLine = std::max(0, FTopLine - kViewDrop);
      FFullRepaint = true;
    }
    Line = FLineCount;
    FView[FLineCount++] = {FWritePos, mkNone};
  }
  FStore[FWritePos] = static_cast<uint8_t>(Slot);
  std::memcpy(&FStore[FWritePos + 1], Text.data(), Text.size());
  FStore[FWritePos + 1 + Text.size()] = 0;
  FWritePos += Size;
  return Line;
}

int TLogModel::NextRecord(int Pos) const {
  const void* End = std::memchr(&FStore[Pos + 1], 0, kStoreSize - Pos - 1);
  return static_cast<int>(static_cast<const uint8_t*>(End) - FStore.data()) + 1;
}

int TLogModel::RecordCount() const {
  int Count = 0;
  for (int Pos = 0; Pos < FWritePos; Pos = NextRecord(Pos)) ++Count;
  return Count;
}

void TLogModel::ForEachRecord(const std::function<void(int, bool, std::string_view)>& Fn) const {
  for (int Pos = 0; Pos < FWritePos; Pos = NextRecord(Pos)) {
    const char* Text = reinterpret_cast<const char*>(&FStore[Pos + 1]);
    Fn(FStore[Pos] & 0x7F, (FStore[Pos] & kUnfoldMark) != 0, std::string_view(Text));
  }
}

void TLogModel::DiscardOldest() {
  int Drop = 0;
  while (Drop < FWritePos && Drop < kDiscardBytes) Drop = NextRecord(Drop);
  int Top = FTopLine < FLineCount ? FView[FTopLine].Record : -1;
  if (Top >= 0) Top = Top >= Drop ? Top - Drop : 0;
  std::memmove(FStore.data(), FStore.data() + Drop, FWritePos - Drop);
  std::memset(FStore.data() + FWritePos - Drop, 0, Drop);
  FWritePos -= Drop;
  RebuildFrom(Top);
}

void TLogModel::RebuildView() {
  RebuildFrom(FTopLine < FLineCount ? FView[FTopLine].Record : -1);
}

void TLogModel::RebuildFrom(int TopRecord) {
  FMaxWidth = 0;
  FFullRepaint = true;
  std::fill(FView.begin(), FView.begin() + FLineCount, TViewEntry());
  FLineCount = 0;

  // More listable records than view entries: the oldest stay unlisted.
  int Skip = -kViewSize;
  for (int Pos = 0; Pos < FWritePos; Pos = NextRecord(Pos))
    if (FStreams[FStore[Pos] & 0x7F].Shown || (FStore[Pos] & kUnfoldMark)) ++Skip;

  int NewTop = -1;
  for (int Pos = 0; Pos < FWritePos; Pos = NextRecord(Pos)) {
    if (Pos == TopRecord) NewTop = FLineCount;
    int Stream = FStore[Pos] & 0x7F;
    bool Unfolded = FStore[Pos] & kUnfoldMark;
    bool Listed = FStreams[Stream].Shown || Unfolded;
    if (Listed && Skip > 0) {
      --Skip;
      continue;
    }
    if (Unfolded) {
      for (int K = FLineCount - 1; K >= 0; --K)
        if (LineStream(K) != Stream) {
          FView[K].Marker = mkMinus;
          break;
        }
    }
    if (Listed)
      AppendListed(Pos);
    else if (FLineCount > 0)
      FView[FLineCount - 1].Marker = mkPlus;
  }
  FTopLine = NewTop >= 0 ? NewTop : std::min(FTopLine, FLineCount);
  ClampLeftOffset();
}

void TLogModel::AppendListed(int Record) {
  FView[FLineCount++] = {Record, mkNone};
  FMaxWidth = std::max(FMaxWidth, FMeasure(LineText(FLineCount - 1)));
}

void TLogModel::Clear() {
  std::memset(FStore.data(), 0, FWritePos);
  FWritePos = 0;
  FLineCount = 0;
  FTopLine = 0;
  RebuildView();
}

// ------------------------------------------------------------------- streams

int TLogModel::FindStream(std::string_view Name) const {
  for (int Slot = 0; Slot < kStreamSlots && FStreams[Slot].Used; ++Slot)
    if (FStreams[Slot].Name == Name) return Slot;
  return -1;
}

int TLogModel::RegisterStream(std::string_view Name) {
  int Slot = FindStream(Name);
  if (Slot >= 0) return Slot;
  Slot = StreamCount();
  if (Slot == kStreamSlots) return -1;
  FStreams[Slot] = {std::string(Name), true, false};
  return Slot;
}

int TLogModel::StreamCount() const {
  int Count = 0;
  while (Count < kStreamSlots && FStreams[Count].Used) ++Count;
  return Count;
}

void TLogModel::Collapse() {
  for (int Slot = 3; Slot < StreamCount(); ++Slot) FStreams[Slot].Shown = false;
  RebuildView();
}

void TLogModel::Expand() {
  for (int Slot = 3; Slot < StreamCount(); ++Slot) FStreams[Slot].Shown = true;
  RebuildView();
}

void TLogModel::ToggleStream(int Slot) {
  if (Slot < 0 || Slot >= StreamCount()) return;
  FStreams[Slot].Shown = !FStreams[Slot].Shown;
  RebuildView();
}

std::vector<TStreamDialogLine> TLogModel::StreamDialogLines() const {
  std::vector<TStreamDialogLine> Lines;
  for (int Slot = 0; Slot < StreamCount(); ++Slot)
    Lines.push_back({Format("%d\t%s", Slot, FStreams[Slot].Name), FStreams[Slot].Shown});
  std::stable_sort(Lines.begin(), Lines.end(), [](const auto& A, const auto& B) {
    return CompareText(A.Text, B.Text) < 0;
  });
  return Lines;
}

void TLogModel::StreamDialogOk(const std::vector<std::string>& SelectedLines) {
  for (auto& Slot : FStreams) Slot.Shown = false;
  for (const std::string& Line : SelectedLines) {
    size_t Tab = Line.find('\t');
    if (Tab == std::string::npos) continue;
    int Slot = FindStream(std::string_view(Line).substr(Tab + 1));
    if (Slot >= 0) FStreams[Slot].Shown = true;
  }
  RebuildView();
}

// ---------------------------------------------------------------------- view

void TLogModel::SetTopLine(int Line) { FTopLine = std::clamp(Line, 0, FLineCount); }

std::string_view TLogModel::LineText(int Line) const {
  return std::string_view(reinterpret_cast<const char*>(&FStore[FView[Line].Record + 1]));
}

int TLogModel::LineStream(int Line) const { return FStore[FView[Line].Record] & 0x7F; }

std::string TLogModel::ListedText() const {
  std::string Text;
  for (int Line = 0; Line < FLineCount; ++Line) {
    Text += LineText(Line);
    Text += '\n';
  }
  return Text;
}

void TLogModel::Unfold(int Line) {
  if (Line < 0 || Line >= FLineCount) return;
  int Clicked = FView[Line].Record;
  int Stream = FStore[Clicked] & 0x7F;
  int Pos = NextRecord(Clicked);
  if (Pos < FWritePos) {
    uint8_t Pattern = FStore[Pos];
    for (; Pos < FWritePos && (FStore[Pos] & 0x7F) != Stream; Pos = NextRecord(Pos))
      if (FStore[Pos] == Pattern) FStore[Pos] ^= kUnfoldMark;
  }
  RebuildView();
}

TShowAction TLogModel::ShowNewLine(int Line, int Rows) {
  if (FFullRepaint) return saRepaintAll;
  if (Line < 0) return saNone;
  FMaxWidth = std::max(FMaxWidth, FMeasure(LineText(Line)));
  if (Line >= FTopLine && Line <= FTopLine + Rows - 2) return saDrawLine;
  FTopLine = std::max(0, Line - Rows / 3);
  return saJump;
}

bool TLogModel::LineUp() {
  if (FTopLine <= 0) return false;
  --FTopLine;
  return true;
}

bool TLogModel::LineDown() {
  if (FTopLine >= FLineCount) return false;
  ++FTopLine;
  return true;
}

bool TLogModel::PageUp(int Rows) {
  int Old = FTopLine;
  FTopLine = std::clamp(FTopLine - Rows, 0, FLineCount);
  return FTopLine != Old;
}

bool TLogModel::PageDown(int Rows) {
  int Old = FTopLine;
  FTopLine = std::clamp(FTopLine + Rows, 0, FLineCount);
  return FTopLine != Old;
}

void TLogModel::LineLeft() {
  if (FLeftOffset < 5) FLeftOffset += 10;
}

void TLogModel::PageLeft(int ClientWidth) {
  FClientWidth = ClientWidth;
  if (FLeftOffset < 5) FLeftOffset += ClientWidth;
  if (FLeftOffset > 5) FLeftOffset = 5;
}

void TLogModel::ScrollRight(int ClientWidth, int Step) {
  FClientWidth = ClientWidth;
  if (FMaxWidth + FLeftOffset > ClientWidth - 5) FLeftOffset -= Step;
  if (FMaxWidth + FLeftOffset < ClientWidth - 5) FLeftOffset = ClientWidth - FMaxWidth - 5;
  if (FMaxWidth < ClientWidth) FLeftOffset = 5;
}

void TLogModel::SetClientWidth(int ClientWidth) {
  FClientWidth = ClientWidth;
  ClampLeftOffset();
}

void TLogModel::ClampLeftOffset() {
  // The right end is where scrolling right stops: the widest line's end
  // 5 pixels from the edge; a window wider than every line does not scroll.
  int Lowest = 5;
  if (FClientWidth > 0 && FMaxWidth >= FClientWidth) Lowest = std::min(5, FClientWidth - FMaxWidth - 5);
  FLeftOffset = std::clamp(FLeftOffset, Lowest, 5);
}

void TLogModel::SetMeasure(std::function<int(std::string_view)> Measure) {
  FMeasure = Measure ? std::move(Measure) : TabExpandedLength;
}

// ------------------------------------------------------------------ log file

std::string TLogModel::LogLine(std::string_view Stream, std::string_view Text) {
  return Format("%-8s|%s\n", Stream, Text);
}

bool TLogModel::OpenLogFile(const std::string& FileName, std::string* Error) {
  CloseLogFile();
  FLogFile = std::fopen(FileName.c_str(), "w+");
  FLogErrorReported = false;
  if (!FLogFile && Error) *Error = Format("Cannot create file %s: %s", FileName, std::strerror(errno));
  return FLogFile != nullptr;
}

void TLogModel::CloseLogFile() {
  if (FLogFile) std::fclose(FLogFile);
  FLogFile = nullptr;
}

void TLogModel::WriteLog(std::string_view Stream, std::string_view Text) {
  if (!FLogFile) return;
  std::string Line = LogLine(Stream, Text);
  if (std::fwrite(Line.data(), 1, Line.size(), FLogFile) != Line.size() && !FLogErrorReported) {
    std::fprintf(stderr, "tracelet: writing the log file failed: %s\n", std::strerror(errno));
    FLogErrorReported = true;
  }
}

void TLogModel::FlushLog() {
  if (FLogFile && std::fflush(FLogFile) != 0 && !FLogErrorReported) {
    std::fprintf(stderr, "tracelet: writing the log file failed: %s\n", std::strerror(errno));
    FLogErrorReported = true;
  }
}

bool TLogModel::SaveToFile(const std::string& FileName, std::string* Error) const {
  std::string Data;
  ForEachRecord([&](int Slot, bool, std::string_view Text) {
    Data += LogLine(FStreams[Slot].Name, Text);
  });
  try {
    WriteFileBytes(FileName, Data);
    return true;
  } catch (const Exception& E) {
    if (Error) *Error = E.Message();
    return false;
  }
}
