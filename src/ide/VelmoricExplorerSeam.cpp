#include "ide/VelmoricExplorerSeam.h"

#include "ide/VelmoricWizard.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "trace/traceletVelmoric.h"

#if __has_include("browsers/VelmoricSourceExplorer.h")
#include "browsers/VelmoricSourceExplorer.h"
#define VELMORIC_HAS_SOURCE_EXPLORER 1
#endif

namespace explorer {

#ifdef VELMORIC_HAS_SOURCE_EXPLORER

bool Available() { return true; }

void Create(TVelmoricWizard* Expert) {
  TFFormSourceExplorer* Form = FormSourceExplorer();
  Form->Show();
  Form->Hide();
  Form->Expert = Expert;
  Form->Bookmarks = Expert->BookmarkStack;
}

void UpdateClassBox() {
  if (FFormSourceExplorer) FFormSourceExplorer->UpdateClassBox();
}

void UpdateButtons() {
  if (FFormSourceExplorer) FFormSourceExplorer->UpdateButtons();
}

void CopyToolBar(TPanel* Panel, TCustomForm* Window) {
  TFFormSourceExplorer* Form = FFormSourceExplorer;
  if (!Form) return;
  auto CopyControl = [&](TControl* From, TControl* To) {
    To->SetBounds(From->Left(), From->Top(), From->Width(), From->Height());
    To->SetName(From->Name());
    To->Hint = From->Hint;
    To->ShowHint = From->ShowHint;
    To->Show();
    To->SetParent(Panel);
  };
  auto CopySpeedButton = [&](TSpeedButton* From) {
    auto* To = new TSpeedButton(Panel);
    CopyControl(From, To);
    To->Glyph = From->Glyph;
    To->NumGlyphs = From->NumGlyphs;
    To->Caption = From->Caption;
    To->OnClick = From->OnClick;
  };
  auto CopyBitButton = [&](TBitBtn* From) {
    auto* To = new TBitBtn(Panel);
    CopyControl(From, To);
    To->Glyph = From->Glyph;
    To->NumGlyphs = From->NumGlyphs;
    To->Caption = From->Caption;
    To->OnClick = From->OnClick;
    To->SetPopupMenu(From->PopupMenu());
  };
  auto CopyComboBox = [&](TComboBox* From) {
    auto* To = new TComboBox(Window);
    CopyControl(From, To);
    To->OnChange = From->OnChange;
    To->OnKeyDown = From->OnKeyDown;
    To->OnDropDown = From->OnDropDown;
    To->SetText(From->Text());
    To->SetPopupMenu(From->PopupMenu());
    To->TabOrder = 100;
  };
  CopySpeedButton(Form->ButtonPrev);
  CopySpeedButton(Form->ButtonNext);
  CopySpeedButton(Form->SpeedButtonCompile);
  CopyBitButton(Form->SpeedButtonFinde);
  CopySpeedButton(Form->SpeedButtonTableExpert);
  CopySpeedButton(Form->SpeedButtonBookmark);
  CopyComboBox(Form->ComboBoxClass);
  CopyComboBox(Form->ComboBoxFinde);
  CopyComboBox(Form->ComboBoxSuchen);
}

bool Free() {
  if (!FFormSourceExplorer) return false;
  if (tracelet) tracelet->write("Release form FFormSourceExplorer");
  TFFormSourceExplorer* Form = FFormSourceExplorer;
  FFormSourceExplorer = nullptr;
  delete Form;
  return true;
}

#else

bool Available() { return false; }
void Create(TVelmoricWizard*) {}
void UpdateClassBox() {}
void UpdateButtons() {}
void CopyToolBar(TPanel*, TCustomForm*) {}
bool Free() { return false; }

#endif

}  // namespace explorer
