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
#include "platform/vcl/Menus.h"

namespace {

// Levels below the main menu: an entry of the menu bar is level 0.
int MenuLevel(TIMenuItemIntf* Item) {
  int Level = -1;
  TIMenuItemIntf* P = Item->GetParent();
  while (P) {
    ++Level;
    TIMenuItemIntf* Up = P->GetParent();
    P->Release();
    P = Up;
  }
  return Level;
}

void PrintItem(TIMenuItemIntf* Item, int Level, std::ostream& Out) {
  Out << std::string(2 * Level, ' ') << Item->GetCaption() << '\t' << Item->GetName() << '\t'
      << ShortCutToText(Item->GetShortCut()) << '\n';
  for (int I = 0; I < Item->GetItemCount(); ++I) {
    TIMenuItemIntf* Child = Item->GetItem(I);
    if (!Child) continue;
    PrintItem(Child, Level + 1, Out);
    Child->Release();
  }
}

void PrintMenu(TIMainMenuIntf* Menu, const std::string& Name, std::ostream& Out) {
  TIMenuItemIntf* Item = Menu->FindMenuItem(Name);
  if (!Item) return;
  PrintItem(Item, MenuLevel(Item), Out);
  Item->Release();
}

int RunMenu(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (!Args.empty()) throw CliUsageError{"takes no arguments"};
  TExpertSession Session;
  Session.SetDataDirectory(TExpertSession::DefaultDataDirectory());
  Session.RegisterExpert();
  TIMainMenuIntf* Menu = Session.IDE().GetMainMenu();
  PrintMenu(Menu, "Velmoric1", Out);
  PrintMenu(Menu, "VelmoricQuickOpen", Out);
  Menu->Release();
  Session.ReleaseExpert();
  Out.flush();
  return 0;
}

CliRegistration Register{{"menu", "",
                          "Prints the expert's menus as installed: caption, name and short cut",
                          RunMenu}};

}  // namespace
