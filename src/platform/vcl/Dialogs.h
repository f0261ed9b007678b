// Message boxes, file dialogs, the clipboard and the beep. All go through
// the host hook (VclHost.h).
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/Component.h"
#include "platform/vcl/VclHost.h"

// Shows the message box through the host; returns the modal result of the
// button chosen.
int ShowMessageBox(const TMessageBoxRequest& Request);
// The answer without a host: the most cautious of the buttons (Cancel, No,
// Abort, OK, Ignore, in this order).
int MessageBoxDefaultAnswer(TMsgDlgButtons Buttons);
// The library's message dialog: its caption names the type ("Warning",
// "Error", "Information", "Confirm", or the application's title).
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
// A plain message with an OK button and the application's title.
void ShowMessage(const std::string& Msg);
void MessageBeep(uint32_t Type);

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofAllowMultiSelect,
                   ofPathMustExist, ofFileMustExist, ofNoChangeDir };
using TOpenOptions = uint32_t;  // one bit per TOpenOption

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TOpenDialog"; }
  // Asks the host; true when the user chose a file (FileName holds it).
  virtual bool Execute();
  virtual bool IsSaveDialog() const { return false; }

  std::string FileName;
  std::string Filter;  // "source text|*.pas|all|*.*"
  int FilterIndex = 1;
  std::string DefaultExt;
  std::string InitialDir;
  std::string Title;
  TOpenOptions Options = 0;
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  std::string ClassName() const override { return "TSaveDialog"; }
  bool IsSaveDialog() const override { return true; }
};

class TClipboard {
 public:
  std::string AsText() const;
  void SetAsText(const std::string& Text);
  bool HasText() const { return !AsText().empty(); }
  void Clear() { SetAsText(""); }
};

TClipboard& Clipboard();
