#include "ide/VelmoricAbout.h"

#include "trace/traceletVelmoric.h"

TFFormVelmoricAbout* FFormVelmoricAbout = nullptr;

namespace {
TLabel* MakeLabel(TFFormVelmoricAbout* Form, const char* Name, const std::string& Caption, int Top) {
  auto* L = new TLabel(Form);
  L->SetName(Name);
  L->Caption = Caption;
  L->SetParent(Form);
  L->SetBounds(16, Top, 280, 13);
  return L;
}
}  // namespace

TFFormVelmoricAbout::TFFormVelmoricAbout(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricAbout.Create");
  SetName("FormVelmoricAbout");
  Caption = "About Velmoric";
  BorderStyle = bsDialog;
  SetBounds(Left(), Top(), 320, 150);
  LabelProduct = MakeLabel(this, "LabelProduct", "Velmoric the pascal fairy", 16);
  LabelVersion = MakeLabel(this, "LabelVersion", std::string("Version ") + VELMORIC_VERSION, 36);
  LabelComment = MakeLabel(this, "LabelComment", "Ein Pascalcompiler als Editorerweiterung", 56);
  ButtonOK = new TButton(this);
  ButtonOK->SetName("ButtonOK");
  ButtonOK->Caption = "OK";
  ButtonOK->ModalResult = mrOk;
  ButtonOK->Default = true;
  ButtonOK->SetParent(this);
  ButtonOK->SetBounds(122, 88, 75, 25);
}
