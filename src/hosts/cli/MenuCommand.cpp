// velmoric menu: loads the expert into the in-process IDE and prints its
// menus as installed, the "V&elmoric" menu and then "Relevant files" of the
// File menu, one line per item:
//   <indent><caption>\t<name>\t<short cut>
// indented by two blanks per level below the main menu; the short cut as
// text ("Alt+J"), empty when there is none. Short cuts from the registry's
// "Menus" key show as set.
#include <ostream>

#include "hosts/cli/CliCommands.h"
#include "hosts/memory/ExpertSession.h"
#include "hosts/script/ScriptMenus.h"

namespace {

int RunMenu(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (!Args.empty()) throw CliUsageError{"takes no arguments"};
  TExpertSession Session;
  Session.SetDataDirectory(TExpertSession::DefaultDataDirectory());
  Session.RegisterExpert();
  TIMainMenuIntf* Menu = Session.IDE().GetMainMenu();
  PrintExpertMenus(Menu, Out);
  Menu->Release();
  Session.ReleaseExpert();
  Out.flush();
  return 0;
}

CliRegistration Register{{"menu", "",
                          "Prints the expert's menus as installed: caption, name and short cut",
                          RunMenu}};

}  // namespace
