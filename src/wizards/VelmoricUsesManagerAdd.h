// "Add to uses": asks for one unit name.
#pragma once

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFormAddUses : public TForm {
 public:
  explicit TFormAddUses(TComponent* AOwner);
  std::string ClassName() const override { return "TFormAddUses"; }

  TEdit* Edit1;
  TButton* Button2;  // "OK"
  TButton* Button1;  // "Cancel"
};
