#include "trace/traceletVelmoric.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "trace/TraceCapture.h"
#include "trace/TracePayload.h"

TTracelet* tracelet = new TTracelet;
bool FlagTrace = false;
std::string TraceIndent;

namespace {
thread_local TTraceCapture* Capture = nullptr;

// Unit finalisation: closes a log file still open when the program ends.
struct TTraceletFinalization {
  ~TTraceletFinalization() {
    delete tracelet;
    tracelet = nullptr;
    TraceIndent.clear();
  }
} TraceletFinalization;
}  // namespace

std::optional<std::string> BuildTracePayload(const std::string& Stream, const std::string& Text) {
  if (Stream.empty() || Stream.size() > MaxTraceStreamName) return std::nullopt;
  if (Stream.find('\0') != std::string::npos) return std::nullopt;
  std::string P;
  P.reserve(MaxTracePayload);
  P += static_cast<char>(Stream.size());
  P += Stream;
  // The payload is an atom name: no NUL byte, at most 255 bytes.
  const size_t Room = MaxTracePayload - P.size();
  const size_t Nul = Text.find('\0');
  const size_t TextLen = std::min({Text.size(), Nul, Room});
  P.append(Text, 0, TextLen);
  return P;
}

TTracelet::~TTracelet() {
  CloseLogfile();
  ipc::CloseWindow(FWnd);
}

void TTracelet::start() {
  ipc::CloseWindow(FWnd);
  FWnd = ipc::FindWindow("tracelet");
  CloseLogfile();
}

TTraceCapture::TTraceCapture() : FOuter(Capture) { Capture = this; }

TTraceCapture::~TTraceCapture() { Capture = FOuter; }

void ReplayTraceLines(TTracelet* Client,
                      const std::vector<std::pair<std::string, std::string>>& Lines) {
  if (!Client) return;
  for (const auto& [Stream, Text] : Lines) Client->StrWrite(Stream, Text);
}

void TTracelet::StrWrite(const std::string& Stream, const std::string& Text) {
  if (Capture) {
    Capture->Lines.emplace_back(Stream, Text);
    return;
  }
  if (FLogOpen) {
    const std::string Line = Stream + ":" + Text + "\r\n";
    if (std::fwrite(Line.data(), 1, Line.size(), FLogFile) != Line.size() ||
        std::fflush(FLogFile) != 0) {
      // A log that can't be written is given up, once; tracing never aborts work.
      std::cerr << "tracelet: writing the trace log failed (" << std::strerror(errno)
                << "); the log is closed\n";
      CloseLogfile();
    }
  }
  if (FWnd == 0) return;
  if (const auto Payload = BuildTracePayload(Stream, Text))
    ipc::SendFrame(FWnd, ipc::MsgTraceLine, *Payload);
}

void TTracelet::SetLogfile(const std::string& FileName) {
  if (FLogOpen) return;
  FLogFile = std::fopen(FileName.c_str(), "wb");
  if (!FLogFile) {
    const int Code = errno;
    throw EInOutError(Format("Cannot create log file %s: %s", FileName, std::strerror(Code)),
                      Code);
  }
  FLogOpen = true;
}

void TTracelet::CloseLogfile() {
  if (!FLogOpen) return;
  std::fclose(FLogFile);
  FLogFile = nullptr;
  FLogOpen = false;
}

// ------------------------------------------------------- procedure tracing

static void SendProcLine(const std::string& Text) {
  if (tracelet) tracelet->StrWrite("velmoric.trace", Text);
}

void DebugStartProcedureStartup(const std::string& Name) {
  SendProcLine(TraceIndent + "->" + Name);
  TraceIndent += "  ";
}

void DebugEndProcedureStartup(const std::string& Name) {
  if (TraceIndent.size() > 2) TraceIndent.resize(TraceIndent.size() - 2);
  SendProcLine(TraceIndent + "<-" + Name);
}

void DebugStartProcedure(const std::string& Name) {
  if (FlagTrace) DebugStartProcedureStartup(Name);
}

void DebugEndProcedure(const std::string& Name) {
  if (FlagTrace) DebugEndProcedureStartup(Name);
}

void TTraceProc::Enter(std::string Name) {
  FName = new std::string(std::move(Name));
  DebugStartProcedure(*FName);
}

void TTraceProc::Leave() noexcept {
  try {
    DebugEndProcedure(*FName);
  } catch (...) {
  }
  delete FName;
}

TTraceProcStartup::TTraceProcStartup(std::string Name) : FName(std::move(Name)) {
  DebugStartProcedureStartup(FName);
}

TTraceProcStartup::~TTraceProcStartup() {
  try {
    DebugEndProcedureStartup(FName);
  } catch (...) {
  }
}
