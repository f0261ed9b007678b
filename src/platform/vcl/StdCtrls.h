// The controls of forms: labels, panels, buttons, edits, check boxes,
// combo boxes, list boxes and tab controls. Methods named after what a user
// does (Click, Select, TypeText, KeyDown, DropDown) fire the events the
// user's action would; setting state from code fires nothing, except an
// edit's Text, which fires OnChange as in the library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  std::string ClassName() const override { return "TLabel"; }
  bool AutoSize = true;
};

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);
  std::string ClassName() const override { return "TPanel"; }
};

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  std::string ClassName() const override { return "TButton"; }
  // Also sets the form's ModalResult to this button's.
  void Click() override;
  int ModalResult = 0;
  bool Default = false;
  bool Cancel = false;
};

class TBitBtn : public TButton {
 public:
  using TButton::TButton;
  std::string ClassName() const override { return "TBitBtn"; }
  std::string Glyph;  // the picture, by resource name
  int NumGlyphs = 1;
};

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  std::string ClassName() const override { return "TSpeedButton"; }
  // A speed button of a group (GroupIndex > 0) goes down and its group
  // fellows come up; then OnClick.
  void Click() override;
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  std::string Glyph;  // the picture, by resource name
  int NumGlyphs = 1;
  int GroupIndex = 0;
  bool Down = false;
  bool Flat = false;
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* AOwner);
  std::string ClassName() const override { return "TEdit"; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);  // fires OnChange when it changes
  // After OnKeyPress, a character the handler left is typed at the end of
  // the text (a backspace takes the last one away).
  void KeyPress(char& Key) override;
  // Script hooks: the text; "set TEXT".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;
  bool ReadOnly = false;
  TNotifyEvent OnChange;

 private:
  std::string FText;
};

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  std::string ClassName() const override { return "TCheckBox"; }
  // Toggles Checked and fires OnClick.
  void Click() override;
  // Script hooks: "  checked" or "  unchecked"; "check", "uncheck".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;
  bool Checked = false;
};

// Items with objects and a selected index, shared by list and combo boxes.
class TCustomListControl : public TWinControl {
 public:
  explicit TCustomListControl(TComponent* AOwner);
  TStringList* Items() const { return FItems.get(); }
  // -1 when nothing is selected (also after the items shrank below it).
  int ItemIndex() const;
  virtual void SetItemIndex(int Value);  // EListError outside -1..count-1
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool Value) { FItems->SetSorted(Value); }
  virtual void Clear();
  // Whether item Index shows as selected (the item index, unless a list
  // box allows more).
  virtual bool ItemSelected(int Index) const { return Index == ItemIndex(); }
  // Script hooks: the items, selected ones marked.
  void ScriptPrint(std::vector<std::string>& Lines) const override;

 protected:
  // Called after the items changed.
  virtual void ItemsChanged() {}

 private:
  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TComboBox : public TCustomListControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  std::string ClassName() const override { return "TComboBox"; }

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value) { FText = Value; }
  // Selecting an item also shows its text.
  void SetItemIndex(int Value) override;
  void Clear() override;  // items and text

  // The user picks item Index: text and index change, then OnClick and OnChange.
  void Select(int Index);
  // The user types Text over the edit part: no item is selected, OnChange.
  void TypeText(const std::string& Text);
  // The user opens the list: OnDropDown.
  void DropDown();
  // As an edit's, unless the style is a drop-down list.
  void KeyPress(char& Key) override;
  // Script hooks: the text and the items; "set TEXT", "select ITEM".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  TComboBoxStyle Style = csDropDown;
  int DropDownCount = 8;
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;

 private:
  std::string FText;
};

class TListBox : public TCustomListControl {
 public:
  explicit TListBox(TComponent* AOwner);
  std::string ClassName() const override { return "TListBox"; }
  // The user clicks item Index: it becomes the selection (in a multi-select
  // list it joins the selection), then OnClick.
  void Select(int Index);
  // The user takes item Index out of a multi-select list's selection (or
  // clears a single selection of that item), then OnClick.
  void Unselect(int Index);

  // Multiple selection. Without MultiSelect, Selected is the item index and
  // SelCount is -1, as in the library. Selection follows the item indexes.
  bool Selected(int Index) const;           // EListError out of range
  void SetSelected(int Index, bool Value);  // EListError out of range
  int SelCount() const;
  bool ItemSelected(int Index) const override { return Selected(Index); }
  void Clear() override;

  // Script hooks: "select ITEM", "unselect ITEM", "dblclick [ITEM]".
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  int ItemHeight = 13;
  bool MultiSelect = false;

 protected:
  void ItemsChanged() override;

 private:
  std::vector<bool> FSelected;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TTabControl : public TWinControl {
 public:
  explicit TTabControl(TComponent* AOwner);
  std::string ClassName() const override { return "TTabControl"; }
  TStringList* Tabs() const { return FTabs.get(); }
  // Script hooks: the tabs, the current one marked; "tab NAME".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;
  int TabIndex = -1;
  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 private:
  std::unique_ptr<TStringList> FTabs;
};

// A multi-line edit. Lines and Text show the same text; any change of the
// lines, from code or from the user, fires OnChange.
class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* AOwner);
  std::string ClassName() const override { return "TMemo"; }
  TStringList* Lines() const { return FLines.get(); }
  // The lines joined by line breaks (CR LF), without one after the last.
  std::string Text() const;
  // Splits at CR LF, LF or CR.
  void SetText(const std::string& Value);
  void Clear() { FLines->Clear(); }
  bool WantsKey(uint16_t Key) const override {
    return (Key == VK_RETURN && WantReturns) || (Key == VK_TAB && WantTabs);
  }
  // As an edit's; Enter starts a new line when WantReturns.
  void KeyPress(char& Key) override;
  // Script hooks: the lines; "set TEXT".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  bool ReadOnly = false;
  bool WantReturns = true;
  bool WantTabs = false;
  bool WordWrap = true;
  TNotifyEvent OnChange;

 private:
  std::unique_ptr<TStringList> FLines;
};

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* AOwner);
  std::string ClassName() const override { return "TGroupBox"; }
};

// Checking a radio button unchecks the other radio buttons of its parent.
class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  std::string ClassName() const override { return "TRadioButton"; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  // Checks the button, then OnClick.
  void Click() override;
  // Script hooks: "  checked" or "  unchecked"; "check", "click".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

 private:
  bool FChecked = false;
};

enum TScrollBarKind { sbHorizontal, sbVertical };

class TScrollBar : public TWinControl {
 public:
  explicit TScrollBar(TComponent* AOwner);
  std::string ClassName() const override { return "TScrollBar"; }
  int Position() const { return FPosition; }
  // Clamped to Min..Max; OnChange when it changes.
  void SetPosition(int Value);
  // Min and Max, the position clamped into them.
  void SetParams(int APosition, int AMin, int AMax);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  // Script hooks: "  position P of MIN..MAX"; "set NAME P".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  TScrollBarKind Kind = sbHorizontal;
  int SmallChange = 1;
  int LargeChange = 1;
  TNotifyEvent OnChange;

 private:
  int FPosition = 0, FMin = 0, FMax = 100;
};
