// The member list window of the virtual help: the symbols behind one label,
// by class or by name; a click shows a symbol's page.
#pragma once

#include <functional>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

struct TOrvikSymbol;

class TFormVelmoricVirtualHelpProperty : public TForm {
 public:
  explicit TFormVelmoricVirtualHelpProperty(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricVirtualHelpProperty"; }

  // Shows the symbols; Sort sorts the list "By name".
  void ShowList(const std::vector<TOrvikSymbol*>& Symbols, bool Sort);
  void FillList();
  void RadioGroupOrderClick(TObject* Sender);
  void ListBoxMembersClick(TObject* Sender);

  TRadioGroup* RadioGroupOrder;  // "By class", "By name"
  TListBox* ListBoxMembers;
  std::function<void(TOrvikSymbol*)> ShowSymbol;

 private:
  std::vector<TOrvikSymbol*> FSymbols;
  bool FSort = false;
};
