// velmoric COMMAND [ARGS...]: runs the add-in's commands from the shell.
#include <algorithm>
#include <iostream>

#include "hosts/cli/CliCommands.h"
#include "platform/rtl/SysUtils.h"

std::vector<CliCommand>& CliCommandTable() {
  static std::vector<CliCommand> Table;
  return Table;
}

static void PrintHelp(std::ostream& Out) {
  Out << "Usage: velmoric COMMAND [ARGS...]\n"
         "       velmoric --help | --version\n\nCommands:\n";
  auto Table = CliCommandTable();
  std::sort(Table.begin(), Table.end(),
            [](const CliCommand& A, const CliCommand& B) { return A.Name < B.Name; });
  for (const CliCommand& C : Table) {
    Out << "  " << C.Name << (C.Usage.empty() ? "" : " " + C.Usage) << "\n      " << C.Summary
        << "\n";
  }
}

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  if (Args.empty()) {
    PrintHelp(std::cerr);
    return 2;
  }
  if (Args[0] == "--help" || Args[0] == "-h" || (Args[0] == "help" && Args.size() == 1)) {
    PrintHelp(std::cout);
    return 0;
  }
  if (Args[0] == "--version") {
    std::cout << "velmoric " << VELMORIC_VERSION << "\n";
    return 0;
  }
  for (const CliCommand& C : CliCommandTable()) {
    if (C.Name != Args[0]) continue;
    const std::vector<std::string> Rest(Args.begin() + 1, Args.end());
    try {
      return C.Run(Rest, std::cout, std::cerr);
    } catch (const CliUsageError& E) {
      std::cerr << "velmoric " << C.Name << ": " << E.Message << "\nUsage: velmoric " << C.Name
                << " " << C.Usage << "\n";
      return 2;
    } catch (const Exception& E) {
      std::cerr << "velmoric " << C.Name << ": " << E.Message() << "\n";
      return 1;
    } catch (const std::exception& E) {
      std::cerr << "velmoric " << C.Name << ": " << E.what() << "\n";
      return 1;
    }
  }
  std::cerr << "velmoric: unknown command '" << Args[0] << "' (see velmoric --help)\n";
  return 2;
}
