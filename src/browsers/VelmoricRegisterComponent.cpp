#include "browsers/VelmoricRegisterComponent.h"

#include "platform/vcl/FormBuilding.h"

TFormRegisterComponent::TFormRegisterComponent(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormRegisterComponent");
  Caption = "Create the RegisterComponents procedure";
  BorderStyle = bsDialog;
  SetBounds((Screen ? Screen->Width - 260 : 0) / 2, (Screen ? Screen->Height - 120 : 0) / 2, 260, 120);
  Label1 = MakeControl<TLabel>(this, this, "Label1", 8, 8, 80, 13);
  Label1->Caption = "Palette page";
  Edit1 = MakeControl<TEdit>(this, this, "Edit1", 8, 24, 240, 21);
  ButtonCancel = MakeControl<TButton>(this, this, "ButtonCancel", 92, 56, 75, 25);
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->Cancel = true;
  ButtonCancel->ModalResult = mrCancel;
  ButtonOk = MakeControl<TButton>(this, this, "ButtonOk", 172, 56, 75, 25);
  ButtonOk->Caption = "Ok";
  ButtonOk->Default = true;
  ButtonOk->ModalResult = mrOk;
}
