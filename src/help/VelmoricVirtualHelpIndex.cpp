#include "help/VelmoricVirtualHelpIndex.h"

#include <algorithm>

#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricSymbols.h"
#include "trace/traceletVelmoric.h"

namespace {

void AddNamed(TOrvikSymbol* S, const std::string& Lower, TStrings& Out) {
  if (!S || !S->symbols) return;
  for (int I = 0; I < S->symbols->Count(); ++I) {
    TOrvikSymbol* C = S->symbols->GetSymbol(I);
    if (LowerCase(C->name) == Lower) {
      std::string Full;
      GetFullNameOfSymbol(C, Full);
      Out.AddObject(Full, C);
    }
    AddNamed(C, Lower, Out);
  }
}

}  // namespace

TFormVirtualHelpIndex::TFormVirtualHelpIndex(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVirtualHelpIndex.Create");
  SetName("FormVirtualHelpIndex");
  Caption = "Index";
  SetBounds(Left(), Top(), 320, 420);
  EditSearch = new TEdit(this);
  EditSearch->SetName("EditSearch");
  EditSearch->SetParent(this);
  EditSearch->SetAlign(alTop);
  ListBoxItems = new TListBox(this);
  ListBoxItems->SetName("ListBoxItems");
  ListBoxItems->SetParent(this);
  ListBoxItems->SetAlign(alBottom);
  ListBoxItems->SetHeight(120);
  ListBoxList = new TListBox(this);
  ListBoxList->SetName("ListBoxList");
  ListBoxList->SetParent(this);
  ListBoxList->SetAlign(alClient);
  EditSearch->OnChange = [this](TObject* S) { EditSearchChange(S); };
  ListBoxList->OnClick = [this](TObject* S) { ListBoxListClick(S); };
  ListBoxItems->OnDblClick = [this](TObject* S) { ListBoxItemsDblClick(S); };
}

int TFormVirtualHelpIndex::SearchIndex(const TStrings& Items, const std::string& Text) {
  const std::string T = LowerCase(Text);
  const int Count = Items.Count();
  int Low = 0, High = Count - 1, Mid = 0;
  for (;;) {
    Mid = std::max(0, std::min((Low + High) / 2, Count - 1));
    if (High - Low < 2) break;
    const std::string Prefix = LowerCase(Copy(Items[Mid], 1, static_cast<int>(T.size())));
    if (Prefix == T) break;
    if (Prefix < T)
      Low += (High - Low) / 2;
    else
      High -= (High - Low) / 2;
  }
  return Count ? Mid : -1;
}

void TFormVirtualHelpIndex::EditSearchChange(TObject* Sender) {
  TTraceProc Trace("TFormVirtualHelpIndex.EditSearchChange");
  const int I = SearchIndex(*ListBoxList->Items(), EditSearch->Text());
  if (I >= 0) ListBoxList->SetItemIndex(I);
}

void TFormVirtualHelpIndex::ListBoxListClick(TObject* Sender) {
  TTraceProc Trace("TFormVirtualHelpIndex.ListBoxListClick");
  const int I = ListBoxList->ItemIndex();
  if (I < 0) return;
  const std::string Name = ListBoxList->Items()->Get(I);
  EditSearch->SetText(Name);
  ListBoxItems->Clear();
  if (!Project || !Project->FUnitLIst) return;
  const std::string Lower = LowerCase(Name);
  for (int U = 0; U < Project->FUnitLIst->Count(); ++U) {
    auto* Source = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(U));
    if (Source) AddNamed(&Source->symbols, Lower, *ListBoxItems->Items());
  }
}

void TFormVirtualHelpIndex::ListBoxItemsDblClick(TObject* Sender) {
  TTraceProc Trace("TFormVirtualHelpIndex.ListBoxItemsDblClick");
  const int I = ListBoxItems->ItemIndex();
  if (I < 0 || !ShowSymbol) return;
  ShowSymbol(static_cast<TOrvikSymbol*>(ListBoxItems->Items()->Objects(I)));
}
