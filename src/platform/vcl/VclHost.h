// What the host answers for the component library: modal forms, message
// boxes, file dialogs, the clipboard, beeps, message processing and
// printing. Tests script these; the command line answers them from its
// options. Without an answer, a modal form ends with mrCancel, a message box
// prints itself on stderr and takes its most cautious button, a file dialog
// is cancelled, the clipboard is kept in the process and nothing is printed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TCustomForm;
class TOpenDialog;
class TRichTextDocument;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
using TMsgDlgButtons = uint32_t;  // one bit per TMsgDlgBtn
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn B) { return TMsgDlgButtons(1) << B; }
constexpr TMsgDlgButtons mbOKCancel = MsgDlgButton(mbOK) | MsgDlgButton(mbCancel);
constexpr TMsgDlgButtons mbYesNoCancel =
    MsgDlgButton(mbYes) | MsgDlgButton(mbNo) | MsgDlgButton(mbCancel);

// Modal results; message box results use the same numbers (IDOK = mrOk, ...).
enum : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8
};

// One message box as the user would see it.
struct TMessageBoxRequest {
  std::string Caption;
  std::string Text;
  TMsgDlgType DlgType = mtCustom;
  TMsgDlgButtons Buttons = MsgDlgButton(mbOK);
};

struct TVclHost {
  // Runs a form that ShowModal made visible: the answer may work the form's
  // controls (which may set its ModalResult) and returns the modal result
  // to use when the form's ModalResult is still mrNone.
  std::function<int(TCustomForm& Form)> ShowModal;
  // Returns the modal result of the button chosen.
  std::function<int(const TMessageBoxRequest& Request)> MessageBox;
  // May set the dialog's FileName; returns whether the user confirmed.
  std::function<bool(TOpenDialog& Dialog)> FileDialog;
  std::function<std::string()> GetClipboardText;
  std::function<void(const std::string& Text)> SetClipboardText;
  std::function<void(uint32_t Type)> Beep;
  // Called by Application->ProcessMessages.
  std::function<void()> ProcessMessages;
  // Prints a rich text document (a rich edit's Print) under the title of
  // the print job; without an answer nothing is printed.
  std::function<void(const std::string& Title, const TRichTextDocument& Document)> PrintRichText;
};

// The one host hook set of the process.
TVclHost& VclHost();
