// velmoric hyperjump [--project DPR] FILE LINE COL [--choose N]: runs
// "Hyper&jump" with the cursor at LINE and COL (1-based, as the editor shows
// them) and prints where the cursor lands:
//   <path>:<line>:<col>
// When the ambiguity dialog would open with several symbols, one line per
// symbol is printed instead and nothing moves:
//   ? <full name>\t<path>:<line>
// --choose N picks the N-th of them (1-based) as a double click would.
// A LINE or COL outside FILE is a usage error (status 2).
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/cli/NavigationSession.h"

namespace {

int RunHyperjump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  const TNavigationArgs A = ParseNavigationArgs(Args, true);
  if (A.Rest.size() != 3) throw CliUsageError{"expects FILE, LINE and COL"};
  const int Line = PositiveArg(A.Rest[1], "LINE");
  const int Col = PositiveArg(A.Rest[2], "COL");

  TNavigationSession Session(A.Project, A.Rest[0]);
  Session.Choose = A.Choose;
  Session.CheckColumn("COL", Line, Col);
  Session.SetCursor(Line, Col);
  Session.Click("Velmoric9");  // Hyper&jump
  if (!Session.ChooseError.empty()) {
    Err << "velmoric hyperjump: " << Session.ChooseError << "\n";
    return 1;
  }
  if (!Session.Candidates.empty()) {
    for (const std::string& C : Session.Candidates) Out << C << '\n';
  } else {
    Out << Session.Position() << '\n';
  }
  Out.flush();
  return 0;
}

CliRegistration Register{{"hyperjump", "[--project DPR] FILE LINE COL [--choose N]",
                          "Runs Hyperjump at a cursor position and prints where it lands",
                          RunHyperjump}};

}  // namespace
