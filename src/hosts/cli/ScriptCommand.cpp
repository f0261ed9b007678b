// velmoric script [--project DPR] [--trace] [SCRIPT]: runs a script (standard
// input when SCRIPT is absent or "-") in the in-process IDE with the expert
// loaded; see hosts/script/ScriptHost.h for the language. Exit status 0, 1
// when a modal form found no answer, 2 when a statement failed.
#include <iostream>
#include <iterator>
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/script/ScriptHost.h"
#include "platform/rtl/SysUtils.h"

namespace {

int RunScript(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  TScriptOptions Options;
  std::string File;
  bool HaveFile = false;
  for (size_t I = 0; I < Args.size(); ++I) {
    const std::string& A = Args[I];
    if (A == "--project") {
      if (I + 1 >= Args.size()) throw CliUsageError{"--project needs a value"};
      Options.Project = Args[++I];
    } else if (A == "--trace") {
      Options.Trace = true;
    } else if (A.size() > 1 && A[0] == '-') {
      throw CliUsageError{"unknown option " + A};
    } else if (HaveFile) {
      throw CliUsageError{"takes one SCRIPT"};
    } else {
      File = A;
      HaveFile = true;
    }
  }
  std::string Text;
  if (!HaveFile || File == "-") {
    Text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    try {
      Text = ReadFileBytes(File);
    } catch (const Exception& E) {
      Err << "velmoric script: " << E.Message() << '\n';
      return 2;
    }
  }
  TScriptHost Host(Out, Err);
  try {
    return Host.Run(Text, Options);
  } catch (const Exception& E) {
    Out.flush();
    Err << "velmoric script: " << E.Message() << '\n';
    return 2;
  }
}

CliRegistration Register{{"script", "[--project DPR] [--trace] [SCRIPT]",
                          "Runs a script of IDE actions and dialog answers (standard input without "
                          "SCRIPT or with -)",
                          RunScript}};

}  // namespace
