// The controls of forms: labels, panels, buttons, edits, check boxes,
// combo boxes, list boxes and tab controls. Methods named after what a user
// does (Click, Select, TypeText, KeyDown, DropDown) fire the events the
// user's action would; setting state from code fires nothing, except an
// edit's Text, which fires OnChange as in the library.
#pragma once

#include <memory>
#include <string>

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
  // The user clicks item Index: it becomes the selection, then OnClick.
  void Select(int Index);
  int ItemHeight = 13;
  bool MultiSelect = false;
};

class TTabControl : public TWinControl {
 public:
  explicit TTabControl(TComponent* AOwner);
  std::string ClassName() const override { return "TTabControl"; }
  TStringList* Tabs() const { return FTabs.get(); }
  int TabIndex = -1;
  TNotifyEvent OnChange;

 private:
  std::unique_ptr<TStringList> FTabs;
};
