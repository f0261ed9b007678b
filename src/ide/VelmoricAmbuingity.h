// The ambiguity list: lets the user pick one of the symbols that carry the
// same name. One symbol is taken without showing the dialog.
#pragma once

#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TPascalProject;
struct TOrvikSymbol;

class TFormVelmoricAmbuingity : public TForm {
 public:
  explicit TFormVelmoricAmbuingity(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricAmbuingity"; }

  // Lists every symbol of Project named Word. Exactly one is Selected at
  // once; with more the dialog is shown and a double click or Enter chooses.
  int ShowModal() override;

  void ListBox1DblClick(TObject* Sender);
  void ListBox1KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

  TListBox* ListBox1;
  TOrvikSymbol* Selected = nullptr;  // the choice, or nil
  std::string Word;                  // the name to look up
  TPascalProject* Project = nullptr;  // not owned
};
