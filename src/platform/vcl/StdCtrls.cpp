#include "platform/vcl/StdCtrls.h"

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/ScriptHooks.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 65, 13); }

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 185, 41); }

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  TabStop = true;
}

void TButton::Click() {
  if (!Enabled) return;
  if (ModalResult != 0)
    if (TCustomForm* Form = GetParentForm(this)) Form->ModalResult = ModalResult;
  TControl::Click();
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 25, 25);
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  TabStop = true;
}

void TEdit::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  if (OnChange) OnChange(this);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  TabStop = true;
}

void TCheckBox::Click() {
  if (!Enabled) return;
  Checked = !Checked;
  TControl::Click();
}

TCustomListControl::TCustomListControl(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  TabStop = true;
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

int TCustomListControl::ItemIndex() const { return FItemIndex < FItems->Count() ? FItemIndex : -1; }

void TCustomListControl::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count())
    throw EListError(Format("List index out of bounds (%d)", Value));
  FItemIndex = Value;
}

void TCustomListControl::Clear() {
  FItems->Clear();
  FItemIndex = -1;
}

TComboBox::TComboBox(TComponent* AOwner) : TCustomListControl(AOwner) { SetBounds(0, 0, 145, 21); }

void TComboBox::SetItemIndex(int Value) {
  TCustomListControl::SetItemIndex(Value);
  if (Value >= 0) FText = Items()->Get(Value);
}

void TComboBox::Clear() {
  TCustomListControl::Clear();
  FText.clear();
}

void TComboBox::Select(int Index) {
  if (!Enabled) return;
  SetItemIndex(Index);
  TControl::Click();
  if (OnChange) OnChange(this);
}

void TComboBox::TypeText(const std::string& Text) {
  if (!Enabled) return;
  TCustomListControl::SetItemIndex(-1);
  FText = Text;
  if (OnChange) OnChange(this);
}

void TComboBox::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (Style == csDropDownList || !Enabled) return;
  if (Key == 8 && !FText.empty()) TypeText(FText.substr(0, FText.size() - 1));
  else if (static_cast<unsigned char>(Key) >= ' ') TypeText(FText + Key);
}

void TComboBox::DropDown() {
  if (Enabled && OnDropDown) OnDropDown(this);
}

TListBox::TListBox(TComponent* AOwner) : TCustomListControl(AOwner) { SetBounds(0, 0, 121, 97); }

TTabControl::TTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FTabs(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 289, 193);
}

// ------------------------------------------------------ speed buttons

void TSpeedButton::Click() {
  if (!Enabled) return;
  if (GroupIndex > 0) {
    if (Parent())
      for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* B = dynamic_cast<TSpeedButton*>(Parent()->Controls(I)))
          if (B != this && B->GroupIndex == GroupIndex) B->Down = false;
    Down = true;
  }
  TControl::Click();
}

void TSpeedButton::ScriptPrint(std::vector<std::string>& Lines) const {
  TControl::ScriptPrint(Lines);
  if (Down) Lines.push_back("  down");
}

// ------------------------------------------------------ edits and checks

void TEdit::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, FText));
}

void TEdit::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (ReadOnly || !Enabled) return;
  if (Key == 8 && !FText.empty()) SetText(FText.substr(0, FText.size() - 1));
  else if (static_cast<unsigned char>(Key) >= ' ') SetText(FText + Key);
}

bool TEdit::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "set") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  if (ReadOnly) throw EScriptError(ScriptName(*this) + " is read-only");
  SetText(Args[0]);
  return true;
}

void TCheckBox::ScriptPrint(std::vector<std::string>& Lines) const {
  TControl::ScriptPrint(Lines);
  Lines.push_back(Checked ? "  checked" : "  unchecked");
}

bool TCheckBox::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "check" && Verb != "uncheck") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 0, 0);
  if (Checked != (Verb == "check")) Click();
  return true;
}

// ------------------------------------------------------ lists

void TCustomListControl::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  for (int I = 0; I < FItems->Count(); ++I) Lines.push_back(ScriptItemLine(FItems->Get(I), ItemSelected(I)));
}

void TComboBox::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, FText));
  for (int I = 0; I < Items()->Count(); ++I)
    Lines.push_back(ScriptItemLine(Items()->Get(I), I == ItemIndex()));
}

bool TComboBox::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "set") {
    ScriptCheckArgs(Verb, Args, 1, 1);
    if (Style == csDropDownList)
      Select(ScriptFindItem(*Items(), Args[0], *this));
    else
      TypeText(Args[0]);
    return true;
  }
  if (Verb == "select") {
    ScriptCheckArgs(Verb, Args, 1, 1);
    DropDown();
    Select(ScriptFindItem(*Items(), Args[0], *this));
    return true;
  }
  return TWinControl::ScriptAction(Verb, Args);
}

bool TListBox::Selected(int Index) const {
  if (Index < 0 || Index >= Items()->Count())
    throw EListError(Format("List index out of bounds (%d)", Index));
  if (!MultiSelect) return Index == ItemIndex();
  return Index < static_cast<int>(FSelected.size()) && FSelected[Index];
}

void TListBox::SetSelected(int Index, bool Value) {
  if (Index < 0 || Index >= Items()->Count())
    throw EListError(Format("List index out of bounds (%d)", Index));
  if (!MultiSelect) {
    if (Value) SetItemIndex(Index);
    else if (ItemIndex() == Index) SetItemIndex(-1);
    return;
  }
  if (static_cast<int>(FSelected.size()) <= Index) FSelected.resize(Items()->Count(), false);
  FSelected[Index] = Value;
}

int TListBox::SelCount() const {
  if (!MultiSelect) return -1;
  int Count = 0;
  for (int I = 0; I < Items()->Count() && I < static_cast<int>(FSelected.size()); ++I)
    Count += FSelected[I] ? 1 : 0;
  return Count;
}

void TListBox::Clear() {
  TCustomListControl::Clear();
  FSelected.clear();
}

void TListBox::ItemsChanged() {
  if (Items()->Count() == 0) FSelected.clear();
  else if (static_cast<int>(FSelected.size()) > Items()->Count()) FSelected.resize(Items()->Count());
}

void TListBox::Select(int Index) {
  if (!Enabled) return;
  SetItemIndex(Index);
  if (MultiSelect && Index >= 0) SetSelected(Index, true);
  TControl::Click();
}

void TListBox::Unselect(int Index) {
  if (!Enabled) return;
  SetSelected(Index, false);
  TControl::Click();
}

bool TListBox::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "select" || Verb == "unselect") {
    ScriptCheckArgs(Verb, Args, 1, 1);
    const int Index = ScriptFindItem(*Items(), Args[0], *this);
    if (Verb == "select") Select(Index);
    else Unselect(Index);
    return true;
  }
  if (Verb == "dblclick" && Args.size() == 1) {
    Select(ScriptFindItem(*Items(), Args[0], *this));
    DblClick();
    return true;
  }
  return TWinControl::ScriptAction(Verb, Args);
}

void TTabControl::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  for (int I = 0; I < FTabs->Count(); ++I) Lines.push_back(ScriptItemLine(FTabs->Get(I), I == TabIndex));
}

bool TTabControl::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "tab") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  const int Index = ScriptFindItem(*FTabs, Args[0], *this);
  if (Index == TabIndex) return true;
  bool Allow = true;
  if (OnChanging) OnChanging(this, Allow);
  if (!Allow) return true;
  TabIndex = Index;
  if (OnChange) OnChange(this);
  return true;
}

// ------------------------------------------------------ memo

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner), FLines(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 89);
  TabStop = true;
  FLines->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
}

std::string TMemo::Text() const {
  std::string Result;
  for (int I = 0; I < FLines->Count(); ++I) {
    if (I > 0) Result += "\r\n";
    Result += FLines->Get(I);
  }
  return Result;
}

void TMemo::SetText(const std::string& Value) {
  if (Value == Text()) return;
  FLines->SetText(std::string_view(Value));
}

void TMemo::KeyPress(char& Key) {
  TWinControl::KeyPress(Key);
  if (ReadOnly || !Enabled) return;
  const int Last = FLines->Count() - 1;
  auto Append = [&](const std::string& Text) {
    if (Last < 0) FLines->Add(Text);
    else FLines->Put(Last, FLines->Get(Last) + Text);
  };
  if (Key == 8) {
    if (Last < 0) return;
    const std::string Line = FLines->Get(Last);
    if (!Line.empty()) FLines->Put(Last, Line.substr(0, Line.size() - 1));
    else FLines->Delete(Last);  // back onto the line before
  } else if (Key == '\r') {
    if (!WantReturns) return;
    if (Last < 0) FLines->Add("");
    FLines->Add("");
  } else if (Key == '\t') {
    if (WantTabs) Append("\t");
  } else if (static_cast<unsigned char>(Key) >= ' ') {
    Append(std::string(1, Key));
  }
}

void TMemo::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  for (int I = 0; I < FLines->Count(); ++I) Lines.push_back("  | " + FLines->Get(I));
}

bool TMemo::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "set") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  if (ReadOnly) throw EScriptError(ScriptName(*this) + " is read-only");
  SetText(Args[0]);
  return true;
}

// ------------------------------------------------------ group and radio buttons

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 185, 105); }

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  TabStop = true;
}

void TRadioButton::SetChecked(bool Value) {
  FChecked = Value;
  if (!Value || !Parent()) return;
  for (int I = 0; I < Parent()->ControlCount(); ++I)
    if (auto* R = dynamic_cast<TRadioButton*>(Parent()->Controls(I)))
      if (R != this) R->FChecked = false;
}

void TRadioButton::Click() {
  if (!Enabled) return;
  SetChecked(true);
  TControl::Click();
}

void TRadioButton::ScriptPrint(std::vector<std::string>& Lines) const {
  TControl::ScriptPrint(Lines);
  Lines.push_back(FChecked ? "  checked" : "  unchecked");
}

bool TRadioButton::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb == "uncheck") throw EScriptError(ScriptName(*this) + " is unchecked by checking another");
  if (Verb != "check") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 0, 0);
  Click();
  return true;
}

// ------------------------------------------------------ scroll bar

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 16);
  TabStop = true;
}

void TScrollBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, std::max(FMin, FMax));
  if (Value == FPosition) return;
  FPosition = Value;
  if (OnChange) OnChange(this);
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
  FMin = AMin;
  FMax = AMax;
  SetPosition(APosition);
}

void TScrollBar::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  Lines.push_back(Format("  position %d of %d..%d", FPosition, FMin, FMax));
}

bool TScrollBar::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "set") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  const bool Negative = !Args[0].empty() && Args[0][0] == '-';
  const int N = ScriptNumber(Negative ? Args[0].substr(1) : Args[0], "position");
  SetPosition(Negative ? -N : N);
  return true;
}
