// The palette page dialog of the class wizard: asks on which page of the
// component palette a class is registered.
#pragma once

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFormRegisterComponent : public TForm {
 public:
  explicit TFormRegisterComponent(TComponent* AOwner);
  std::string ClassName() const override { return "TFormRegisterComponent"; }

  TLabel* Label1;
  TEdit* Edit1;
  TButton* ButtonCancel;
  TButton* ButtonOk;
};
