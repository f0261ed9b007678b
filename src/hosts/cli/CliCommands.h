// The command table of the `velmoric` command line. Each command lives in a
// file of its own and registers itself with a static CliRegistration.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

struct CliCommand {
  std::string Name;
  std::string Usage;    // arguments, as shown by --help
  std::string Summary;  // one line
  // Runs with the arguments after the command name; returns the exit status.
  std::function<int(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err)> Run;
};

std::vector<CliCommand>& CliCommandTable();

struct CliRegistration {
  explicit CliRegistration(CliCommand Command) { CliCommandTable().push_back(std::move(Command)); }
};

// Raised by a command for a usage error; main prints it with the usage line.
struct CliUsageError {
  std::string Message;
};
