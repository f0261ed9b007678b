// Lines per second from the add-in's trace client through the socket into
// Tracelet's store (and, in a second pass, its log file as well). The receiver
// runs on its own thread as it would in its own process; a question sent
// after the lines marks the moment every line has been handled.
//
//   tracelet_bench [--runs N] [--json FILE] [LINES]     (LINES: 1000000)
//
// Each of the N runs (default 1) does both passes; --json writes every
// pass's lines per second and whether every line arrived.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "core/LogModel.h"
#include "platform/ipc/IpcWindow.h"
#include "platform/rtl/SysUtils.h"
#include "server/LogReceiver.h"
#include "trace/traceletVelmoric.h"

namespace {

struct TPass {
  double Seconds = 0;
  bool Complete = false;
};

TPass Run(const std::string& Socket, int Lines, const std::string& LogFile) {
  TLogModel Model;
  if (!LogFile.empty() && !Model.OpenLogFile(LogFile)) return {};
  TLogReceiver Receiver(Model);
  std::string Error;
  if (Receiver.Listen(Socket, Error) != ipc::TListenResult::Ok) {
    std::fprintf(stderr, "tracelet_bench: %s\n", Error.c_str());
    return {};
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
  return {Seconds, Complete};
}

}  // namespace

int main(int argc, char** argv) {
  int Lines = 1000000, Runs = 1;
  std::string JsonFile;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    const bool HasValue = I + 1 < argc;
    if (A == "--runs" && HasValue) Runs = std::max(1, std::atoi(argv[++I]));
    else if (A == "--json" && HasValue) JsonFile = argv[++I];
    else if (!A.empty() && A[0] != '-' && std::atoi(A.c_str()) > 0) Lines = std::atoi(A.c_str());
    else {
      std::fprintf(stderr, "usage: tracelet_bench [--runs N] [--json FILE] [LINES]\n");
      return 2;
    }
  }
  std::string Dir = "/tmp/tracelet-bench-" + std::to_string(::getpid());
  std::string Socket = Dir + "/tracelet";
  ::setenv("TRACELET_SOCKET", Socket.c_str(), 1);
  bool Ok = true;
  bench::Json J = {{"lines", Lines}, {"store", bench::Json::array()}, {"store_and_log", bench::Json::array()}};
  auto PassJson = [&](const TPass& P) {
    return bench::Json{{"seconds", P.Seconds},
                       {"lines_per_second", P.Seconds > 0 ? Lines / P.Seconds : 0.0},
                       {"complete", P.Complete}};
  };
  for (int R = 0; R < Runs; ++R) {
    const TPass Store = Run(Socket, Lines, "");
    const TPass Log = Run(Socket, Lines, Dir + "/bench.log");
    std::remove((Dir + "/bench.log").c_str());
    Ok &= Store.Complete && Log.Complete;
    J["store"].push_back(PassJson(Store));
    J["store_and_log"].push_back(PassJson(Log));
  }
  std::remove((Socket + ".lock").c_str());
  ::rmdir(Dir.c_str());
  bench::WriteJson(JsonFile, J);
  return Ok ? 0 : 1;
}
