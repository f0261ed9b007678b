// tracelet [--headless] [--log FILE]: the log window, or without a window
// the same receiver and store.
#include <cstdio>
#include <string>

#include "platform/ipc/IpcWindow.h"
#include "qt/LogWindow.h"
#include "server/Headless.h"

int main(int argc, char** argv) {
  std::string SocketPath = ipc::WindowSocketPath("tracelet");
  bool Headless = false;
  for (int I = 1; I < argc; ++I) Headless |= std::string(argv[I]) == "--headless";
  if (!Headless) return RunLogWindow(argc, argv, SocketPath);  // Qt takes its options first

  std::string LogFile;
  for (int I = 1; I < argc; ++I) {
    std::string Arg = argv[I];
    if (Arg == "--log" && I + 1 < argc) {
      LogFile = argv[++I];
    } else if (Arg != "--headless") {
      std::fprintf(stderr, "tracelet: unknown argument %s\nusage: tracelet [--headless] [--log FILE]\n",
                   Arg.c_str());
      return 2;
    }
  }
  return RunHeadless(SocketPath, LogFile);
}
