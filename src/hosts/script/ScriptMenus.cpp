#include "hosts/script/ScriptMenus.h"

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

}  // namespace

void PrintExpertMenus(TIMainMenuIntf* Menu, std::ostream& Out) {
  PrintMenu(Menu, "Velmoric1", Out);
  PrintMenu(Menu, "VelmoricQuickOpen", Out);
}

namespace {
// A caption as typed in a path: without '&' and, when Dots is false,
// without the dots that end it ("Source explorer..." is "Source explorer").
std::string PathCaption(const std::string& Caption, bool Dots) {
  std::string C = StripHotkey(Caption);
  if (!Dots)
    while (!C.empty() && C.back() == '.') C.pop_back();
  return C;
}
}  // namespace

std::string MenuItemAtPath(TIMainMenuIntf* Menu, const std::vector<std::string>& Captions) {
  TIMenuItemIntf* Item = Menu->GetMenuItems();
  std::string Reached;
  for (const std::string& Caption : Captions) {
    TIMenuItemIntf* Found = nullptr;
    // The caption as written first, then without the closing dots.
    for (int Pass = 0; Pass < 2 && !Found; ++Pass)
      for (int I = 0; Item && !Found && I < Item->GetItemCount(); ++I) {
        TIMenuItemIntf* Child = Item->GetItem(I);
        if (!Child) continue;
        if ((Child->GetFlags() & MenuFlag(mfVisible)) &&
            SameText(PathCaption(Child->GetCaption(), Pass == 0), PathCaption(Caption, Pass == 0)))
          Found = Child;
        else
          Child->Release();
      }
    if (Item) Item->Release();
    Item = Found;
    if (!Item)
      throw Exception(Reached.empty() ? Format("the menu bar has no %s", Caption)
                                      : Format("the menu %s has no item %s", Reached, Caption));
    Reached += (Reached.empty() ? "" : " > ") + StripHotkey(Item->GetCaption());
  }
  const std::string Name = Item ? Item->GetName() : std::string();
  if (Item) Item->Release();
  return Name;
}
