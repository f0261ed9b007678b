#include "wizards/VelmoricUsesManagerAdd.h"

#include "trace/traceletVelmoric.h"

TFormAddUses::TFormAddUses(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormAddUses.Create");
  SetName("FormAddUses");
  Caption = "Add to uses";
  BorderStyle = bsDialog;
  SetBounds(Left(), Top(), 260, 100);
  Edit1 = new TEdit(this);
  Edit1->SetName("Edit1");
  Edit1->SetParent(this);
  Edit1->SetBounds(8, 8, 236, 21);
  Edit1->TabOrder = 0;
  Button2 = new TButton(this);
  Button2->SetName("Button2");
  Button2->SetParent(this);
  Button2->Caption = "OK";
  Button2->SetBounds(88, 40, 75, 25);
  Button2->ModalResult = mrOk;
  Button2->Default = true;
  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetParent(this);
  Button1->Caption = "Cancel";
  Button1->SetBounds(168, 40, 75, 25);
  Button1->ModalResult = mrCancel;
  Button1->Cancel = true;
  SetActiveControl(Edit1);
}
