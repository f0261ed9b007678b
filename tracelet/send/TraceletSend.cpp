// tracelet-send [--stream NAME] [TEXT...]: sends each TEXT argument, or each
// line of standard input when there is none, as a line on the stream (default
// "stdOut") to the running Tracelet, through the add-in's trace client.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/ipc/IpcWindow.h"
#include "trace/traceletVelmoric.h"

namespace {

void Usage(std::FILE* To) {
  std::fprintf(To,
               "usage: tracelet-send [--stream NAME] [TEXT...]\n"
               "Sends each TEXT as one line to Tracelet, or each line of standard input\n"
               "when no TEXT is given. The stream defaults to \"stdOut\".\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string Stream = "stdOut";
  std::vector<std::string> Texts;
  bool Options = true;
  for (int I = 1; I < argc; ++I) {
    std::string Arg = argv[I];
    if (Options && Arg == "--stream") {
      if (++I == argc) {
        Usage(stderr);
        return 2;
      }
      Stream = argv[I];
    } else if (Options && (Arg == "--help" || Arg == "-h")) {
      Usage(stdout);
      return 0;
    } else if (Options && Arg == "--") {
      Options = false;
    } else {
      Texts.push_back(Arg);
    }
  }
  if (Stream.empty() || Stream.size() > 127) {
    std::fprintf(stderr, "tracelet-send: a stream name has 1 to 127 bytes\n");
    return 2;
  }

  tracelet->start();
  if (tracelet->Wnd() == 0) {
    std::fprintf(stderr, "tracelet-send: no Tracelet is running at %s; nothing sent\n",
                 ipc::WindowSocketPath("tracelet").c_str());
    return 1;
  }
  if (!Texts.empty()) {
    for (const std::string& Text : Texts) tracelet->StrWrite(Stream, Text);
    return 0;
  }
  std::string Line;
  while (std::getline(std::cin, Line)) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    tracelet->StrWrite(Stream, Line);
  }
  return 0;
}
