// velmoric find-position [--project DPR] FILE LINE: runs "Find position" with
// the cursor on the 1-based LINE of FILE and prints the name it puts into the
// editor window's caption ("TForm1.Button1Click"), or nothing when no
// procedure holds the line. A LINE outside FILE is a usage error (status 2).
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/cli/NavigationSession.h"
#include "hosts/memory/EditWindow.h"

namespace {

int RunFindPosition(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  const TNavigationArgs A = ParseNavigationArgs(Args, false);
  if (A.Rest.size() != 2) throw CliUsageError{"expects FILE and LINE"};
  const int Line = PositiveArg(A.Rest[1], "LINE");

  TNavigationSession Session(A.Project, A.Rest[0]);
  Session.CheckLine("LINE", Line);
  Session.SetCursor(Line, 1);
  TEditWindow* Window = Session.IDE().EditWindow(Session.FileName());
  const std::string Suffix = " - " + Session.FileName();
  Window->Caption = Session.FileName();
  Session.Click("Velmoric18");  // Find position
  const std::string& Caption = Window->Caption;
  if (Caption.size() > Suffix.size() &&
      Caption.compare(Caption.size() - Suffix.size(), Suffix.size(), Suffix) == 0)
    Out << Caption.substr(0, Caption.size() - Suffix.size()) << '\n';
  Out.flush();
  return 0;
}

CliRegistration Register{{"find-position", "[--project DPR] FILE LINE",
                          "Runs Find position on a line and prints the procedure it names",
                          RunFindPosition}};

}  // namespace
