// velmoric lsp [--stdio]: the language server on standard input and output.
// Only protocol messages go to standard output; anything else the process
// prints lands on standard error.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/lsp/LspServer.h"

namespace {

bool WriteAll(int Fd, const std::string& Bytes) {
  size_t Done = 0;
  while (Done < Bytes.size()) {
    const ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    Done += static_cast<size_t>(N);
  }
  return true;
}

int RunLsp(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  for (const std::string& A : Args)
    if (A != "--stdio") throw CliUsageError{"unknown option " + A};
  Out.flush();
  const int Protocol = ::dup(STDOUT_FILENO);
  if (Protocol < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    Err << "velmoric lsp: cannot set up standard output\n";
    return 1;
  }
  ::signal(SIGPIPE, SIG_IGN);  // a client that went away ends the writes, not the process
  bool Broken = false;
  int Status;
  {
    TLspServer Server([&](const std::string& Body) {
      if (!Broken && !WriteAll(Protocol, FrameMessage(Body))) Broken = true;
    });
    TFdInput In(STDIN_FILENO);
    Status = Server.Run(In);
  }
  ::close(Protocol);
  return Status;
}

CliRegistration Register{{"lsp", "[--stdio]",
                          "Runs the language server on standard input and output", RunLsp}};

}  // namespace
