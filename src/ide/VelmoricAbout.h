// The about box: the product's name, version and purpose in a plain modal
// window.
#pragma once

#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFFormVelmoricAbout : public TForm {
 public:
  explicit TFFormVelmoricAbout(TComponent* AOwner);
  std::string ClassName() const override { return "TFFormVelmoricAbout"; }

  TLabel* LabelProduct;
  TLabel* LabelVersion;
  TLabel* LabelComment;
  TButton* ButtonOK;
};

// The about box while it is shown; nil otherwise.
extern TFFormVelmoricAbout* FFormVelmoricAbout;
