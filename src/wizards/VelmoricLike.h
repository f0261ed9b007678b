// "Create a symbol like...": lists the symbols of the same name found in the
// parsed units, so that the class expert can copy a type, parameters or a
// comment from one of them.
#pragma once

#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TSaveStringList;
struct TOrvikSymbol;

class TFormVelmoricLike : public TForm {
 public:
  explicit TFormVelmoricLike(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricLike"; }

  // Lists every symbol of SymbolList (objects) as "<type name> <kind word>".
  void FormShow(TObject* Sender);
  // Chooses the item under the double click and closes with OK.
  void ListBox1DblClick(TObject* Sender);

  TListBox* ListBox1;
  TSaveStringList* SymbolList = nullptr;  // not owned
  TOrvikSymbol* Selected = nullptr;       // the choice, or nil
};

// The word the list shows for a symbol's kind: "procedure", "variable",
// "property", else the kind's keyword ("class", "type", "record", "const", ...).
std::string LikeKindWord(const TOrvikSymbol* Sym);
