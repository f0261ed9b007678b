// Menu items and pop-up menus of forms, and short-cut words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"

// Key code in the low byte; scShift 0x2000, scCtrl 0x4000, scAlt 0x8000.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift);
// "Alt+S", "Ctrl+Shift+F5", "Alt+Enter"; empty for scNone.
std::string ShortCutToText(TShortCut ShortCut);
// The reverse of ShortCutToText (case ignored); scNone when not understood.
TShortCut TextToShortCut(const std::string& Text);

// A menu item with sub-items. Destroying an item destroys its sub-items,
// whoever owns them.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  std::string ClassName() const override { return "TMenuItem"; }

  TMenuItem* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const;  // EListError when out of range
  int IndexOf(const TMenuItem* Item) const;
  int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);  // takes it out without destroying it
  void Delete(int Index);        // the same by index
  void Clear();                  // destroys every sub-item
  TMenuItem* Find(const std::string& ACaption) const;  // '&' and case ignored

  // Fires OnClick when enabled, as the user's choice does.
  virtual void Click();

  // Script hooks: the caption with "checked", "disabled", "hidden"; "click".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  std::string Caption;
  std::string Hint;
  TShortCut ShortCut = scNone;
  bool Enabled = true;
  bool Visible = true;
  bool Checked = false;
  bool RadioItem = false;
  int GroupIndex = 0;
  TNotifyEvent OnClick;

 private:
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  std::string ClassName() const override { return "TPopupMenu"; }

  // The invisible root whose sub-items the menu shows.
  TMenuItem* Items() const { return FItems; }
  // Fires OnPopup; the user's choice is then a Click on one of the items.
  void Popup(int X, int Y);

  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

 private:
  TMenuItem* FItems;
};

// The caption without its first '&' ("&Options" gives "Options").
std::string StripHotkey(const std::string& Caption);
