#include "trace/traceletWizard.h"

#include "platform/ipc/IpcWindow.h"
#include "trace/TracePayload.h"

namespace traceletWizard {

TTracelet* tracelet = new TTracelet;

namespace {
struct TFinalization {
  ~TFinalization() {
    delete tracelet;
    tracelet = nullptr;
  }
} Finalization;
}  // namespace

TTracelet::~TTracelet() { ipc::CloseWindow(FWnd); }

void TTracelet::start() {
  ipc::CloseWindow(FWnd);
  FWnd = ipc::FindWindow("tracelet");
}

void TTracelet::StrWrite(const std::string& Stream, const std::string& Text) {
  if (FWnd == 0) return;
  if (const auto Payload = BuildTracePayload(Stream, Text))
    ipc::SendFrame(FWnd, ipc::MsgTraceLine, *Payload);
}

}  // namespace traceletWizard
