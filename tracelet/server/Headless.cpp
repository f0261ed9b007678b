#include "server/Headless.h"

#include <csignal>
#include <cstdio>

#include "server/LogReceiver.h"

namespace {
volatile std::sig_atomic_t StopRequested = 0;
void RequestStop(int) { StopRequested = 1; }
}  // namespace

int RunHeadless(const std::string& SocketPath, const std::string& LogFile) {
  TLogModel Model;
  std::string Error;
  if (!LogFile.empty() && !Model.OpenLogFile(LogFile, &Error)) {
    std::fprintf(stderr, "tracelet: %s\n", Error.c_str());
    return 1;
  }
  TLogReceiver Receiver(Model);
  switch (Receiver.Listen(SocketPath, Error)) {
    case ipc::TListenResult::Ok:
      break;
    case ipc::TListenResult::AlreadyRunning:
      std::fprintf(stderr, "tracelet: Tracelet is already running (%s)\n", SocketPath.c_str());
      return 1;
    case ipc::TListenResult::Failed:
      std::fprintf(stderr, "tracelet: %s\n", Error.c_str());
      return 1;
  }

  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  std::fprintf(stderr, "tracelet: listening on %s\n", SocketPath.c_str());
  while (!StopRequested) Receiver.Pump(200);
  Receiver.Drain();  // what was sent before the stop still counts

  Model.FlushLog();
  std::fprintf(stderr, "tracelet: %d events, %d lines stored, %d bytes used, %llu frames dropped\n",
               Model.EventCount(), Model.RecordCount(), Model.Used(),
               static_cast<unsigned long long>(Receiver.DroppedFrames()));
  return 0;
}
