#include "help/VelmoricVirtualHelpProperty.h"

#include "scanner/VelmoricSymbols.h"
#include "trace/traceletVelmoric.h"

TFormVelmoricVirtualHelpProperty::TFormVelmoricVirtualHelpProperty(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricVirtualHelpProperty.Create");
  SetName("FormVelmoricVirtualHelpProperty");
  Caption = "Members";
  SetBounds(Left(), Top(), 280, 360);
  RadioGroupOrder = new TRadioGroup(this);
  RadioGroupOrder->SetName("RadioGroupOrder");
  RadioGroupOrder->SetParent(this);
  RadioGroupOrder->SetAlign(alTop);
  RadioGroupOrder->Items()->Add("By class");
  RadioGroupOrder->Items()->Add("By name");
  RadioGroupOrder->SetItemIndex(0);
  ListBoxMembers = new TListBox(this);
  ListBoxMembers->SetName("ListBoxMembers");
  ListBoxMembers->SetParent(this);
  ListBoxMembers->SetAlign(alClient);
  RadioGroupOrder->OnClick = [this](TObject* S) { RadioGroupOrderClick(S); };
  ListBoxMembers->OnClick = [this](TObject* S) { ListBoxMembersClick(S); };
}

void TFormVelmoricVirtualHelpProperty::ShowList(const std::vector<TOrvikSymbol*>& Symbols, bool Sort) {
  TTraceProc Trace("TFormVelmoricVirtualHelpProperty.ShowList");
  FSymbols = Symbols;
  FSort = Sort;
  FillList();
}

void TFormVelmoricVirtualHelpProperty::FillList() {
  TTraceProc Trace("TFormVelmoricVirtualHelpProperty.FillList");
  ListBoxMembers->Clear();
  const bool ByName = RadioGroupOrder->ItemIndex() == 1;
  ListBoxMembers->SetSorted(ByName && FSort);
  for (TOrvikSymbol* S : FSymbols) {
    const std::string Owner = S->Parent ? S->Parent->name : std::string();
    ListBoxMembers->Items()->AddObject(ByName ? S->name + " (" + Owner + ")" : Owner + "." + S->name, S);
  }
}

void TFormVelmoricVirtualHelpProperty::RadioGroupOrderClick(TObject* Sender) { FillList(); }

void TFormVelmoricVirtualHelpProperty::ListBoxMembersClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricVirtualHelpProperty.ListBoxMembersClick");
  const int I = ListBoxMembers->ItemIndex();
  if (I >= 0 && ShowSymbol) ShowSymbol(static_cast<TOrvikSymbol*>(ListBoxMembers->Items()->Objects(I)));
}
