// The trace protocol from the wire to the log window's model: a byte stream
// cut into frames however it arrives, each frame handled by the receiver as a
// sender's frame would be. Frames re-encode to the bytes they came from, a
// readable line is stored and listed with its stream and text, the payload
// builder of the trace client gives back what the window read, and the
// model's store and view stay consistent.
//
// Input: one mode byte, then the stream. Mode bits 0-1 choose how the stream
// arrives (at once, byte by byte, in varying or in fixed pieces), bits 2-3 how
// often it is sent (once, 8 times, or until the store has been filled over),
// bit 4 has the window write its log file and save its store.
// A frame whose code has 0xFF in its top byte is no message but a window
// action (scrolling, folding, the streams dialog) taken from its payload;
// only the first 32 actions of an input are taken.
#include <algorithm>
#include <set>

#include "platform/rtl/SysUtils.h"

#include "FuzzSupport.h"
#include "core/LogModel.h"
#include "platform/ipc/IpcWindow.h"
#include "server/LogReceiver.h"
#include "trace/TracePayload.h"

namespace {

constexpr uint32_t ActionCode = 0xFF000000u;
constexpr size_t MaxFrames = 30000;
constexpr size_t MaxFed = 4u << 20;
// Most actions rebuild the view over the whole store: only the first ones count.
constexpr int MaxActions = 32;

std::string_view UpToNul(std::string_view S) {
  const size_t Nul = S.find('\0');
  return Nul == std::string_view::npos ? S : S.substr(0, Nul);
}

// What the window makes of a line payload: taken, its stream and its text.
struct TExpectedLine {
  bool Taken = false;
  std::string_view Stream;
  std::string_view Text;
};

TExpectedLine Expect(const ipc::TIpcFrame& F) {
  TExpectedLine E;
  const std::string_view P = F.Payload;
  if (P.empty() || (F.Code == ipc::MsgTraceLine && P.size() > kMaxPayload)) return E;
  const int L = static_cast<int8_t>(P[0]);
  if (L < 0 || 1 + static_cast<size_t>(L) > P.size()) return E;
  E.Stream = P.substr(1, L);
  if (E.Stream.find('\0') != std::string_view::npos) return E;
  E.Text = UpToNul(P.substr(1 + L)).substr(0, kMaxText);
  E.Taken = true;
  return E;
}

// The trace client's builder on what the window read gives the payload back,
// cut where the client cuts.
void CheckBuilder(const ipc::TIpcFrame& F, const TExpectedLine& E) {
  const std::string Stream(E.Stream);
  const std::string Text(F.Payload.substr(1 + Stream.size()));
  const auto Built = BuildTracePayload(Stream, Text);
  if (Stream.empty()) {
    FUZZ_CHECK(!Built, "a payload was built for an empty stream name");
    return;
  }
  FUZZ_CHECK(Built.has_value(), "no payload for stream '" + Stream + "'");
  const size_t TextLen = std::min(UpToNul(Text).size(), MaxTracePayload - 1 - Stream.size());
  FUZZ_CHECK(*Built == F.Payload.substr(0, 1 + Stream.size() + TextLen), "built payload differs");
  FUZZ_CHECK(Built->size() <= MaxTracePayload && Built->find('\0') == std::string::npos,
             "built payload is no atom name");
}

void CheckView(const TLogModel& M) {
  FUZZ_CHECK(M.LineCount() >= 0 && M.LineCount() <= kViewSize, "line count");
  FUZZ_CHECK(M.TopLine() >= 0 && M.TopLine() <= M.LineCount(), "top line");
  FUZZ_CHECK(M.WritePos() >= 0 && M.WritePos() <= kStoreSize, "write position");
  if (M.LineCount() > 0)
    FUZZ_CHECK(M.ViewEntry(M.LineCount() - 1).Record < M.WritePos(), "a listed record past the store");
}

// Every listed line is a stored record, in store order.
void CheckStore(const TLogModel& M) {
  std::set<int> Starts;
  int Pos = 0;
  M.ForEachRecord([&](int Slot, bool, std::string_view Text) {
    FUZZ_CHECK(Slot > 0 && Slot < M.StreamCount(), "a record of slot " + std::to_string(Slot));
    FUZZ_CHECK(Text.size() <= static_cast<size_t>(kMaxText), "a record longer than a line");
    Starts.insert(Pos);
    Pos += static_cast<int>(Text.size()) + 2;
  });
  FUZZ_CHECK(Pos == M.WritePos(), "records do not fill the store up to the write position");
  int Last = -1;
  for (int Line = 0; Line < M.LineCount(); ++Line) {
    const int Record = M.ViewEntry(Line).Record;
    FUZZ_CHECK(Starts.count(Record) == 1, "view line " + std::to_string(Line) + " is no record");
    FUZZ_CHECK(Record > Last, "view out of store order");
    Last = Record;
  }
}

void WindowAction(TLogModel& M, const std::string& P) {
  TFuzzBytes B(reinterpret_cast<const uint8_t*>(P.data()), P.size());
  const int Line = M.LineCount() ? static_cast<int>(B.Below(M.LineCount() + 2)) - 1 : 0;
  switch (B.Byte() % 12) {
    case 0: M.Collapse(); break;
    case 1: M.Expand(); break;
    case 2: M.ToggleStream(static_cast<int>(B.Below(M.StreamCount() + 1))); break;
    case 3: M.Unfold(Line); break;
    case 4: M.PageDown(B.Byte()); break;
    case 5: M.PageUp(B.Byte()); break;
    case 6: M.LineDown(); M.LineUp(); M.LineDown(); break;
    case 7: M.SetTopLine(Line); break;
    case 8: {
      std::vector<std::string> Selected;
      for (const TStreamDialogLine& L : M.StreamDialogLines())
        if (B.Byte() & 1) Selected.push_back(L.Text);
      M.StreamDialogOk(Selected);
      break;
    }
    case 9: M.RebuildView(); break;
    case 10: M.PageRight(B.Byte()); M.LineLeft(); M.PageLeft(B.Byte()); break;
    case 11: if (Line >= 0 && Line < M.LineCount()) M.ShowNewLine(Line, 1 + B.Byte() % 40); break;
  }
}

}  // namespace

void FuzzTracelet(const uint8_t* Data, size_t Size) {
  if (Size == 0) return;
  const uint8_t Mode = Data[0];
  const std::string_view Stream = AsText(Data + 1, Size - 1);
  TLogModel Model;
  TLogReceiver Receiver(Model);
  TReceived Last;
  bool Called = false;
  Receiver.OnLine = [&](const TReceived& R) {
    Last = R;
    Called = true;
  };
  const bool Logging = Mode & 0x10;
  const std::string LogName = FuzzScratchDir() + "tracelet.log";
  std::string Logged;  // what the log file must hold
  if (Logging) FUZZ_CHECK(Model.OpenLogFile(LogName), "the log file cannot be made");
  ipc::TFrameDecoder Decoder;
  std::string Fed;        // bytes fed; those from Matched on are not yet matched to a frame
  size_t Matched = 0;
  size_t Frames = 0;
  size_t Total = 0;
  int Rounds = 1;
  switch ((Mode >> 2) & 3) {
    case 2: Rounds = 8; break;
    case 3: Rounds = 1000; break;
  }

  const bool UntilFilled = Rounds == 1000;
  // Filled over: the store has dropped its oldest records twice, or the view
  // index its oldest entries once.
  int Discards = 0;
  int ViewDrops = 0;
  int LastWritePos = 0;
  int LastLineCount = 0;
  auto FilledOver = [&] {
    if (Model.WritePos() < LastWritePos) ++Discards;
    if (Model.LineCount() < LastLineCount && Model.LineCount() >= kViewSize - kViewDrop) ++ViewDrops;
    LastWritePos = Model.WritePos();
    LastLineCount = Model.LineCount();
    return UntilFilled && (Discards >= 2 || ViewDrops >= 1);
  };
  bool Filled = false;
  int Actions = 0;

  auto Handle = [&](const ipc::TIpcFrame& F) {
    const std::string Encoded = ipc::EncodeFrame(F.Code, F.Payload);
    FUZZ_CHECK(Fed.compare(Matched, Encoded.size(), Encoded) == 0, "a frame does not re-encode to its bytes");
    Matched += Encoded.size();
    if (Matched > 65536) {
      Fed.erase(0, Matched);
      Matched = 0;
    }
    ++Frames;
    if ((F.Code & 0xFF000000u) == ActionCode) {
      if (++Actions <= MaxActions) WindowAction(Model, F.Payload);
    } else {
      Called = false;
      const int Events = Model.EventCount();
      Receiver.HandleFrame(-1, F);
      if (F.Code == ipc::MsgTraceLine || F.Code == ipc::WM_COPYDATA) {
        const TExpectedLine E = Expect(F);
        FUZZ_CHECK(Called == E.Taken, "a line taken or refused wrongly");
        if (F.Code == ipc::MsgTraceLine && F.Payload.size() <= kMaxPayload && !F.Payload.empty())
          FUZZ_CHECK(Model.EventCount() == Events + 1, "a line by atom not counted");
        if (E.Taken) CheckBuilder(F, E);
        if (E.Taken && Logging) Logged += TLogModel::LogLine(E.Stream, E.Text);
        if (E.Taken && Last.Line >= 0) {
          FUZZ_CHECK(Last.Line < Model.LineCount(), "the line's view index is past the view");
          FUZZ_CHECK(Model.LineText(Last.Line) == E.Text, "the listed text differs");
          FUZZ_CHECK(Model.Stream(Model.LineStream(Last.Line)).Name == E.Stream, "the listed stream differs");
        }
      }
    }
    CheckView(Model);
    Filled = FilledOver();
  };

  for (int Round = 0; Round < Rounds && !Filled && Frames < MaxFrames && Total < MaxFed; ++Round) {
    size_t At = 0;
    uint8_t Roll = Mode;
    while (At < Stream.size()) {
      size_t Piece = Stream.size() - At;
      switch (Mode & 3) {
        case 1: Piece = 1; break;
        case 2: Roll = static_cast<uint8_t>(Roll * 33 + 7); Piece = std::min<size_t>(Piece, 1 + Roll % 23); break;
        case 3: Piece = std::min<size_t>(Piece, 7); break;
      }
      Decoder.Feed(Stream.data() + At, Piece);
      Fed.append(Stream.data() + At, Piece);
      At += Piece;
      ipc::TIpcFrame F;
      while (!Filled && Frames < MaxFrames && Decoder.Next(F)) Handle(F);
      if (Filled || Frames >= MaxFrames) break;
    }
    Total += Stream.size();
    if (UntilFilled && Model.WritePos() == 0 && Round > 0) break;  // nothing is stored
  }
  if (!Filled && Frames < MaxFrames) {
    const std::string_view Left = std::string_view(Fed).substr(Matched);
    FUZZ_CHECK(Decoder.Pending() == Left.size(), "pending bytes lost or made up");
    FUZZ_CHECK(Left.size() < ipc::FrameHeaderSize ||
                   Left.size() < ipc::FrameHeaderSize + (static_cast<uint8_t>(Left[4]) |
                                                         static_cast<uint8_t>(Left[5]) << 8),
               "a complete frame was left pending");
  }
  CheckStore(Model);
  if (Logging) {
    Model.CloseLogFile();
    FUZZ_CHECK(ReadFileBytes(LogName) == Logged, "the log file does not hold the lines received");
    std::string Saved;
    Model.ForEachRecord([&](int Slot, bool, std::string_view Text) {
      Saved += TLogModel::LogLine(Model.Stream(Slot).Name, Text);
    });
    FUZZ_CHECK(Model.SaveToFile(LogName), "the store cannot be saved");
    FUZZ_CHECK(ReadFileBytes(LogName) == Saved, "the saved store differs from the records");
  }
}
