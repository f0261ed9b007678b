// Forms, the screen (all forms, the active form and its change event) and
// the application (title, main form, message boxes, message processing).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/VclHost.h"

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TDropFilesEvent = std::function<void(const std::vector<std::string>& FileNames)>;

VELMORIC_DECLARE_EXCEPTION(EInvalidOperation, Exception)

// A top-level window. Forms are hidden when created; Show makes a form
// visible and active. A form's class builds its controls in its
// constructor and runs its own create and destroy handlers.
class TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  std::string ClassName() const override { return "TForm"; }

  void SetVisible(bool Value) override;
  // Makes the form visible and the screen's active form.
  void Activate();
  // OnCloseQuery, then OnClose with caHide (caFree frees the form at the
  // next message processing); in a modal form only sets mrCancel.
  void Close();
  // Shows the form, lets the host answer it (VclHost().ShowModal), hides
  // it again and returns its ModalResult (mrCancel when nothing set one).
  virtual int ShowModal();
  // Frees the form at the next message processing.
  void Release();
  bool Modal() const { return FModal; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);

  int ModalResult = mrNone;
  TFormStyle FormStyle = fsNormal;
  TFormBorderStyle BorderStyle = bsSizeable;
  // Minimised or maximised by the user; the bounds stay those of the normal state.
  TWindowState WindowState = wsNormal;
  // Files dropped from the shell reach OnDropFiles while AcceptFiles is set.
  bool AcceptFiles = false;
  TDropFilesEvent OnDropFiles;
  // The shell drops files on the form; false when it does not take them.
  bool DropFiles(const std::vector<std::string>& FileNames);
  std::string HelpFile;
  bool KeyPreview = false;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TScreen;
  TWinControl* FActiveControl = nullptr;
  bool FModal = false;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TScreen"; }

  // Every existing form, the active one first (front to back).
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int Index) const;  // EListError when out of range
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const {
    return FActiveForm ? FActiveForm->ActiveControl() : nullptr;
  }

  int Width = 1024;
  int Height = 768;
  // Fired whenever another form becomes active (also when none is left).
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveForm(TCustomForm* Form);
  // Activates the frontmost visible form other than Except, or none.
  void ActivateNext(TCustomForm* Except);

  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
};

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner) : TComponent(AOwner) {}
  ~TApplication() override;
  std::string ClassName() const override { return "TApplication"; }

  // Creates a form owned by the application; the first becomes MainForm.
  template <typename T>
  void CreateForm(T*& Reference) {
    Reference = new T(this);
    if (!MainForm) MainForm = Reference;
  }

  // Frees forms whose release was asked for, then lets the host process
  // its pending events (VclHost().ProcessMessages).
  void ProcessMessages();
  // A message box with Flags as the platform's MessageBox takes them
  // (MB_OK, MB_YESNO, ... and an icon); returns IDOK, IDYES, ...
  int MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags = 0);
  // Reports an exception that reached the application: a message box with
  // the application's title and the exception's message.
  void ShowException(const std::exception& E);
  // Runs Handler; an exception it raises is shown with ShowException.
  void Guard(const std::function<void()>& Handler);

  std::string Title;
  std::string HelpFile;
  TCustomForm* MainForm = nullptr;
  TNotifyEvent OnActivate;

 private:
  friend class TCustomForm;
  std::vector<TCustomForm*> FReleased;
};

// Flags and results of TApplication::MessageBox.
constexpr uint32_t MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3,
                   MB_YESNO = 4, MB_RETRYCANCEL = 5, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20,
                   MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

extern TScreen* Screen;
extern TApplication* Application;
