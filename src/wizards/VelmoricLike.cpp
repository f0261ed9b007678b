#include "wizards/VelmoricLike.h"

#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

std::string LikeKindWord(const TOrvikSymbol* Sym) {
  switch (Sym->Typ) {
    case typProcedure: return "procedure";
    case typVar: return "variable";
    case typProperty: return "property";
    case typClass: return "class";
    case typType: return "type";
    case typRecord: return "record";
    case typConst: return "const";
    case typInterface: return "interface";
    case typParameter: return "parameter";
    case typUnit: return "unit";
    default: return "";
  }
}

TFormVelmoricLike::TFormVelmoricLike(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricLike.Create");
  SetName("FormVelmoricLike");
  Caption = "Create a symbol like...";
  BorderStyle = bsSizeable;
  SetBounds(Left(), Top(), 320, 200);
  ListBox1 = new TListBox(this);
  ListBox1->SetName("ListBox1");
  ListBox1->SetParent(this);
  ListBox1->SetAlign(alClient);
  ListBox1->OnDblClick = [this](TObject* Sender) { ListBox1DblClick(Sender); };
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
}

void TFormVelmoricLike::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricLike.FormShow");
  ListBox1->Clear();
  Selected = nullptr;
  if (!SymbolList) return;
  for (int I = 0; I < SymbolList->Count(); ++I) {
    auto* Sym = static_cast<TOrvikSymbol*>(SymbolList->Objects(I));
    if (!Sym) continue;
    ListBox1->Items()->AddObject(Sym->TypeName + " " + LikeKindWord(Sym), Sym);
  }
}

void TFormVelmoricLike::ListBox1DblClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricLike.ListBox1DblClick");
  const int I = ListBox1->ItemIndex();
  if (I < 0) return;
  Selected = static_cast<TOrvikSymbol*>(ListBox1->Items()->Objects(I));
  ModalResult = mrOk;
}
