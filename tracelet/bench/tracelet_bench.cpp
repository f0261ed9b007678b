// Lines per second from the add-in's trace client through the socket into
// Tracelet's store (and, in a second run, its log file as well). The receiver
// runs on its own thread as it would in its own process; a question sent
// after the lines marks the moment every line has been handled.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/LogModel.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "server/LogReceiver.h"
#include "trace/traceletVelmoric.h"

namespace {

bool Run(const std::string& Socket, int Lines, const std::string& LogFile) {
  TLogModel Model;
  if (!LogFile.empty() && !Model.OpenLogFile(LogFile)) return false;
  TLogReceiver Receiver(Model);
  std::string Error;
  if (Receiver.Listen(Socket, Error) != ipc::TListenResult::Ok) {
    std::fprintf(stderr, "tracelet_bench: %s\n", Error.c_str());
    return false;
  }
  std::atomic<bool> Stop = false;
  std::thread Loop([&] {
    while (!Stop) Receiver.Pump(50);
  });

  tracelet->start();
  auto Start = std::chrono::steady_clock::now();
  for (int I = 0; I < Lines; ++I)
    tracelet->StrWrite("velmoric.trace", Format("  ->TPascalSource.CreateSymbols %d", I));
  bool Answered = ipc::SendQuestion(tracelet->Wnd(), "done?", 60000).has_value();
  double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  Stop = true;
  Loop.join();
  tracelet->start();  // disconnects

  // Nothing lost: every line counted, and the lines still stored (the
  // oldest were dropped when the store filled) end with the last one sent
  // and run on without a gap.
  int Expected = Lines - 1;
  bool Complete = Answered && Model.EventCount() == Lines;
  std::string Last;
  int Kept = 0;
  Model.ForEachRecord([&](int, bool, std::string_view Text) {
    Last = std::string(Text);
    ++Kept;
  });
  Complete &= Last == Format("  ->TPascalSource.CreateSymbols %d", Expected);
  int First = Lines - Kept;
  Model.ForEachRecord([&](int, bool, std::string_view Text) {
    Complete &= Text == Format("  ->TPascalSource.CreateSymbols %d", First++);
  });
  std::printf("%-22s %9d lines  %7.3f s  %10.0f lines/s  %s\n",
              LogFile.empty() ? "client -> store" : "client -> store + log", Lines, Seconds,
              Lines / Seconds, Complete ? "complete" : "LINES LOST");
  return Complete;
}

}  // namespace

int main(int argc, char** argv) {
  int Lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::string Dir = "/tmp/tracelet-bench-" + std::to_string(::getpid());
  std::string Socket = Dir + "/tracelet";
  ::setenv("TRACELET_SOCKET", Socket.c_str(), 1);
  bool Ok = Run(Socket, Lines, "");
  Ok &= Run(Socket, Lines, Dir + "/bench.log");
  std::remove((Dir + "/bench.log").c_str());
  std::remove((Socket + ".lock").c_str());
  ::rmdir(Dir.c_str());
  return Ok ? 0 : 1;
}
