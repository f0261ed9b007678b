#include "platform/vcl/StdCtrls.h"

#include "platform/vcl/Forms.h"

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

void TComboBox::DropDown() {
  if (Enabled && OnDropDown) OnDropDown(this);
}

TListBox::TListBox(TComponent* AOwner) : TCustomListControl(AOwner) { SetBounds(0, 0, 121, 97); }

void TListBox::Select(int Index) {
  if (!Enabled) return;
  SetItemIndex(Index);
  TControl::Click();
}

TTabControl::TTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FTabs(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 289, 193);
}
