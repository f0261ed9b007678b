#include "platform/vcl/Menus.h"

#include <algorithm>

#include "platform/vcl/ScriptHooks.h"

namespace {

struct TKeyName {
  uint16_t Key;
  const char* Name;
};

const TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},  {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {33, "PgUp"},   {34, "PgDn"},         {35, "End"},
    {36, "Home"},        {37, "Left"},   {38, "Up"},           {39, "Right"},
    {40, "Down"},        {45, "Ins"},    {VK_DELETE, "Del"},
};

std::string KeyToText(uint16_t Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return std::string(1, char(Key));
  if (Key >= 0x70 && Key <= 0x87) return "F" + IntToStr(Key - 0x6F);
  for (const TKeyName& K : KeyNames)
    if (K.Key == Key) return K.Name;
  return {};
}

}  // namespace

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut Result = Key;
  if (Shift & ssShift) Result |= scShift;
  if (Shift & ssCtrl) Result |= scCtrl;
  if (Shift & ssAlt) Result |= scAlt;
  return Result;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = 0;
  if (ShortCut & scShift) Shift |= ssShift;
  if (ShortCut & scCtrl) Shift |= ssCtrl;
  if (ShortCut & scAlt) Shift |= ssAlt;
}

std::string ShortCutToText(TShortCut ShortCut) {
  const std::string Name = KeyToText(ShortCut & 0xFF);
  if (Name.empty()) return {};
  std::string Result;
  if (ShortCut & scShift) Result += "Shift+";
  if (ShortCut & scCtrl) Result += "Ctrl+";
  if (ShortCut & scAlt) Result += "Alt+";
  return Result + Name;
}

TShortCut TextToShortCut(const std::string& Text) {
  TShortCut Mods = 0;
  std::string Rest = Text;
  for (;;) {
    if (SameText(Copy(Rest, 1, 6), "Shift+")) Mods |= scShift, Rest = Copy(Rest, 7, INT32_MAX);
    else if (SameText(Copy(Rest, 1, 5), "Ctrl+")) Mods |= scCtrl, Rest = Copy(Rest, 6, INT32_MAX);
    else if (SameText(Copy(Rest, 1, 4), "Alt+")) Mods |= scAlt, Rest = Copy(Rest, 5, INT32_MAX);
    else break;
  }
  for (uint16_t Key = 1; Key < 256; ++Key) {
    const std::string Name = KeyToText(Key);
    if (!Name.empty() && SameText(Name, Rest)) return TShortCut(Key | Mods);
  }
  return scNone;
}

std::string StripHotkey(const std::string& Caption) {
  std::string Result = Caption;
  const size_t P = Result.find('&');
  if (P != std::string::npos) Result.erase(P, 1);
  return Result;
}

// --------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (FParent) FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[Index];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EComponentError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  const int I = IndexOf(Item);
  if (I >= 0) Delete(I);
}

void TMenuItem::Delete(int Index) {
  TMenuItem* Item = Items(Index);
  FItems.erase(FItems.begin() + Index);
  Item->FParent = nullptr;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  for (TMenuItem* Item : FItems)
    if (SameText(StripHotkey(Item->Caption), StripHotkey(ACaption))) return Item;
  return nullptr;
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

// -------------------------------------------------------------- TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() { delete FItems; }

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
}

void TMenuItem::ScriptPrint(std::vector<std::string>& Lines) const {
  std::string Line = ClassName();
  if (!Name().empty()) Line += " " + Name();
  Line += " " + ScriptQuote(Caption);
  if (Checked) Line += " checked";
  if (!Enabled) Line += " disabled";
  if (!Visible) Line += " hidden";
  Lines.push_back(Line);
}

bool TMenuItem::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "click") return false;
  ScriptCheckArgs(Verb, Args, 0, 0);
  if (!Enabled || !Visible) throw EScriptError(ScriptName(*this) + " cannot be clicked now");
  Click();
  return true;
}
