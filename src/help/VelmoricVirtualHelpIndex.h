// The index window of the virtual help: every symbol name of the project,
// searched as the user types, and the symbols of the chosen name.
#pragma once

#include <functional>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

struct TOrvikSymbol;
class TPascalProject;

class TFormVirtualHelpIndex : public TForm {
 public:
  explicit TFormVirtualHelpIndex(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVirtualHelpIndex"; }

  // Selects the entry nearest the typed text by a halving search over the
  // sorted list.
  void EditSearchChange(TObject* Sender);
  // Lists every symbol of the project named like the entry, by full name.
  void ListBoxListClick(TObject* Sender);
  // Shows the page of the symbol.
  void ListBoxItemsDblClick(TObject* Sender);

  // The index of the halving search for Text in Items (-1 for no items).
  static int SearchIndex(const TStrings& Items, const std::string& Text);

  TEdit* EditSearch;
  TListBox* ListBoxList;
  TListBox* ListBoxItems;
  TPascalProject* Project = nullptr;  // not owned
  std::function<void(TOrvikSymbol*)> ShowSymbol;
};
