#include "platform/vcl/Dialogs.h"

#include <iostream>

#include "platform/vcl/Forms.h"

TVclHost& VclHost() {
  static TVclHost Host;
  return Host;
}

namespace {
std::string ProcessClipboard;
}  // namespace

int MessageBoxDefaultAnswer(TMsgDlgButtons Buttons) {
  if (Buttons & MsgDlgButton(mbCancel)) return mrCancel;
  if (Buttons & MsgDlgButton(mbNo)) return mrNo;
  if (Buttons & MsgDlgButton(mbAbort)) return mrAbort;
  if (Buttons & MsgDlgButton(mbOK)) return mrOk;
  if (Buttons & MsgDlgButton(mbIgnore)) return mrIgnore;
  return mrCancel;
}

int ShowMessageBox(const TMessageBoxRequest& Request) {
  if (VclHost().MessageBox) return VclHost().MessageBox(Request);
  std::cerr << Request.Caption << ": " << Request.Text << "\n";
  return MessageBoxDefaultAnswer(Request.Buttons);
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  static const char* const Captions[] = {"Warning", "Error", "Information", "Confirm"};
  TMessageBoxRequest Request;
  Request.Caption = DlgType == mtCustom ? Application->Title : Captions[DlgType];
  Request.Text = Msg;
  Request.DlgType = DlgType;
  Request.Buttons = Buttons;
  return ShowMessageBox(Request);
}

void ShowMessage(const std::string& Msg) {
  MessageDlg(Msg, mtCustom, MsgDlgButton(mbOK), 0);
}

void MessageBeep(uint32_t Type) {
  if (VclHost().Beep) VclHost().Beep(Type);
}

bool TOpenDialog::Execute() { return VclHost().FileDialog && VclHost().FileDialog(*this); }

std::string TClipboard::AsText() const {
  return VclHost().GetClipboardText ? VclHost().GetClipboardText() : ProcessClipboard;
}

void TClipboard::SetAsText(const std::string& Text) {
  if (VclHost().SetClipboardText) VclHost().SetClipboardText(Text);
  else ProcessClipboard = Text;
}

TClipboard& Clipboard() {
  static TClipboard Instance;
  return Instance;
}
