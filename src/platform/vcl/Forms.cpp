#include "platform/vcl/Forms.h"

#include <algorithm>

#include "platform/vcl/Dialogs.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

// ------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  ChangeVisible(false);
  SetBounds(0, 0, 400, 300);
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Screen->RemoveForm(this);
  auto& Released = Application->FReleased;
  Released.erase(std::remove(Released.begin(), Released.end(), this), Released.end());
  if (Application->MainForm == this) Application->MainForm = nullptr;
}

void TCustomForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  ChangeVisible(Value);
  if (Value) {
    if (OnShow) OnShow(this);
    Screen->SetActiveForm(this);
  } else {
    if (OnHide) OnHide(this);
    if (Screen->ActiveForm() == this) Screen->ActivateNext(this);
  }
}

void TCustomForm::Activate() {
  if (!Visible()) SetVisible(true);
  else Screen->SetActiveForm(this);
}

void TCustomForm::Close() {
  if (FModal) {
    ModalResult = mrCancel;
    return;
  }
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  if (!CanClose) return;
  TCloseAction Action = caHide;
  if (OnClose) OnClose(this, Action);
  if (Action == caHide) Hide();
  else if (Action == caFree) Release();
}

int TCustomForm::ShowModal() {
  if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  ModalResult = mrNone;
  FModal = true;
  int Answer = mrNone;
  try {
    Show();
    if (VclHost().ShowModal) Answer = VclHost().ShowModal(*this);
  } catch (...) {
    FModal = false;
    Hide();
    throw;
  }
  FModal = false;
  if (ModalResult == mrNone) ModalResult = Answer != mrNone ? Answer : mrCancel;
  Hide();
  return ModalResult;
}

bool TCustomForm::DropFiles(const std::vector<std::string>& FileNames) {
  if (!AcceptFiles || !OnDropFiles) return false;
  OnDropFiles(FileNames);
  return true;
}

void TCustomForm::Release() {
  auto& Released = Application->FReleased;
  if (std::find(Released.begin(), Released.end(), this) == Released.end()) Released.push_back(this);
  Hide();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == FActiveControl) return;
  if (Control && !ContainsControl(Control))
    throw EInvalidOperation("Cannot focus a control of another form");
  if (FActiveControl) RemoveFreeNotification(FActiveControl);
  TWinControl* Old = FActiveControl;
  FActiveControl = Control;
  if (Control) FreeNotification(Control);
  if (Old && Old->OnExit) Old->OnExit(Old);
  if (Control && Control->OnEnter) Control->OnEnter(Control);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
}

// ----------------------------------------------------------------- TScreen

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FForms[Index];
}

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm != Form) return;
  FActiveForm = nullptr;  // the form going is not told of its deactivation
  for (TCustomForm* F : FForms)
    if (F->Visible()) return SetActiveForm(F);
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (Form == FActiveForm) return;
  TCustomForm* Old = FActiveForm;
  FActiveForm = Form;
  if (Form) {
    FForms.erase(std::find(FForms.begin(), FForms.end(), Form));
    FForms.insert(FForms.begin(), Form);
  }
  if (Old && Old->OnDeactivate) Old->OnDeactivate(Old);
  if (OnActiveFormChange) OnActiveFormChange(this);
  if (Form && Form == FActiveForm && Form->OnActivate) Form->OnActivate(Form);
}

void TScreen::ActivateNext(TCustomForm* Except) {
  for (TCustomForm* F : FForms)
    if (F != Except && F->Visible()) return SetActiveForm(F);
  SetActiveForm(nullptr);
}

// ------------------------------------------------------------ TApplication

TApplication::~TApplication() { DestroyComponents(); }

void TApplication::ProcessMessages() {
  while (!FReleased.empty()) {
    TCustomForm* Form = FReleased.back();
    FReleased.pop_back();
    delete Form;
  }
  if (VclHost().ProcessMessages) VclHost().ProcessMessages();
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags) {
  TMessageBoxRequest Request;
  Request.Caption = Caption;
  Request.Text = Text;
  switch (Flags & 0x0F) {
    case MB_OKCANCEL: Request.Buttons = mbOKCancel; break;
    case MB_ABORTRETRYIGNORE:
      Request.Buttons = MsgDlgButton(mbAbort) | MsgDlgButton(mbRetry) | MsgDlgButton(mbIgnore);
      break;
    case MB_YESNOCANCEL: Request.Buttons = mbYesNoCancel; break;
    case MB_YESNO: Request.Buttons = MsgDlgButton(mbYes) | MsgDlgButton(mbNo); break;
    case MB_RETRYCANCEL: Request.Buttons = MsgDlgButton(mbRetry) | MsgDlgButton(mbCancel); break;
    default: Request.Buttons = MsgDlgButton(mbOK); break;
  }
  switch (Flags & 0xF0) {
    case MB_ICONERROR: Request.DlgType = mtError; break;
    case MB_ICONQUESTION: Request.DlgType = mtConfirmation; break;
    case MB_ICONWARNING: Request.DlgType = mtWarning; break;
    case MB_ICONINFORMATION: Request.DlgType = mtInformation; break;
    default: Request.DlgType = mtCustom; break;
  }
  return ShowMessageBox(Request);
}

void TApplication::ShowException(const std::exception& E) {
  MessageBox(E.what(), Title, MB_OK | MB_ICONERROR);
}

void TApplication::Guard(const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (const std::exception& E) {
    ShowException(E);
  }
}
