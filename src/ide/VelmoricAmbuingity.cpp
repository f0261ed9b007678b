#include "ide/VelmoricAmbuingity.h"

#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

namespace {
void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}
}  // namespace

TFormVelmoricAmbuingity::TFormVelmoricAmbuingity(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricAmbuingity.Create");
  SetName("FormVelmoricAmbuingity");
  Caption = "Select a symbol";
  BorderStyle = bsDialog;
  SetBounds(Left(), Top(), 360, 240);
  ListBox1 = new TListBox(this);
  ListBox1->SetName("ListBox1");
  ListBox1->SetParent(this);
  ListBox1->SetAlign(alClient);
  ListBox1->OnDblClick = [this](TObject* Sender) { ListBox1DblClick(Sender); };
  ListBox1->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
    ListBox1KeyDown(Sender, Key, Shift);
  };
}

int TFormVelmoricAmbuingity::ShowModal() {
  TTraceProc Trace("TFormVelmoricAmbuingity.ShowModal");
  Selected = nullptr;
  ListBox1->Clear();
  if (Project) {
    TSaveList* List = Project->GetSymbolList(Word);
    Write("Ambuinity.FormShow");
    for (int I = 0; I < List->Count(); ++I) {
      auto* Sym = static_cast<TOrvikSymbol*>(List->Get(I));
      std::string Name;
      GetFullNameOfSymbol(Sym, Name);
      ListBox1->Items()->AddObject(Name, Sym);
    }
    delete List;
  }
  const int Count = ListBox1->Items()->Count();
  Write("Ambuingity: ShowModal: count=" + IntToStr(Count));
  if (Count == 1) {
    Selected = static_cast<TOrvikSymbol*>(ListBox1->Items()->Objects(0));
    return mrOk;
  }
  if (Count == 0) return mrCancel;
  return TForm::ShowModal();
}

void TFormVelmoricAmbuingity::ListBox1DblClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricAmbuingity.ListBox1DblClick");
  const int I = ListBox1->ItemIndex();
  if (I < 0) return;
  Selected = static_cast<TOrvikSymbol*>(ListBox1->Items()->Objects(I));
  ModalResult = mrOk;
}

void TFormVelmoricAmbuingity::ListBox1KeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  TTraceProc Trace("TFormVelmoricAmbuingity.ListBox1KeyDown");
  if (Key == VK_RETURN) ListBox1DblClick(Sender);
}
