// The desktop manager: named layouts (position, size and visibility of
// every IDE window), kept in "desktop.cnf" in the data path, restored by
// hand, cycled through, or switched automatically by a magic word in the
// IDE main window's caption.
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/Classes.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

// One window's place in a desktop.
class TVelmoricDeskForm : public TObject {
 public:
  int32_t top = 0, left = 0, height = 0, width = 0;
  bool visible = false;
  std::string formname;
};

// Mode bits of a desktop.
constexpr uint8_t DeskOnEdit = 1;   // restore when the magic word is absent
constexpr uint8_t DeskOnDebug = 2;  // restore when the magic word is present

class TVelmoricDesktop : public TObject {
 public:
  TVelmoricDesktop();
  ~TVelmoricDesktop() override;
  TVelmoricDesktop(const TVelmoricDesktop&) = delete;
  TVelmoricDesktop& operator=(const TVelmoricDesktop&) = delete;

  // Frees every form entry.
  void ClearForms();
  TVelmoricDeskForm* FindForm(const std::string& FormName) const;

  std::string name;
  std::string description;
  uint8_t mode = 0;
  bool automatic = false;
  TStringList* forms;  // form name -> TVelmoricDeskForm, owned
  std::string magic;
  bool saveonchange = false;
  bool cycle = false;
};

class TFormDesktopManager : public TForm {
 public:
  // Creates Desktops, reads the file and fills the list.
  explicit TFormDesktopManager(TComponent* AOwner);
  ~TFormDesktopManager() override;
  std::string ClassName() const override { return "TFormDesktopManager"; }

  // "desktop.cnf" in the data path. A damaged file is read as far as it
  // goes and reported in one message box.
  void ReadFromFile();
  // Replaces the file whole. A name, description or magic word holding a
  // quote cannot be read back: raises Exception and writes nothing.
  void SaveToFile();
  static std::string FileName();

  // Records every screen form but this one into Desktop.
  void Capture(TVelmoricDesktop* Desktop);
  // Names the desktop in the application's title and places the forms.
  void Apply(TVelmoricDesktop* Desktop);
  // The list's selected desktop, or nullptr.
  TVelmoricDesktop* SelectedDesktop() const;

  // Handlers.
  void FormShow(TObject* Sender);
  void ListBoxDesktopsClick(TObject* Sender);
  void ListBoxFormsDblClick(TObject* Sender);
  void ButtonSaveClick(TObject* Sender);
  void ButtonNewClick(TObject* Sender);
  void ButtonDeleteClick(TObject* Sender);
  void ButtonActivateClick(TObject* Sender);
  void ButtonAutomaticClick(TObject* Sender);
  void ButtonCycleClick(TObject* Sender);
  void EditMagicChange(TObject* Sender);
  void RadioButtonModeClick(TObject* Sender);
  void Timer1Timer(TObject* Sender);

  TListBox* ListBoxDesktops;
  TListBox* ListBoxForms;
  TLabel* LabelName;
  TEdit* EditName;
  TLabel* LabelDescription;
  TEdit* EditDescription;
  TCheckBox* CheckBoxAutomatic;  // "Automatcally use this when"
  TRadioButton* RadioButtonOnEdit;
  TRadioButton* RadioButtonOnDebug;
  TLabel* LabelMagic;
  TEdit* EditMagic;
  TCheckBox* CheckBoxCycle;
  TCheckBox* CheckBoxSaveOnChange;
  TButton* ButtonSave;
  TButton* ButtonNew;
  TButton* ButtonDelete;
  TButton* ButtonActivate;
  TButton* ButtonCycle;
  TButton* ButtonAutomatic;
  TTimer* Timer1;

  bool Loaded = false;
  TVelmoricDesktop* LastAuto = nullptr;

 private:
  void FillList();
  void ShowDesktop(TVelmoricDesktop* Desktop);
  // Save and New: the controls into Desktop (a new one when Desktop is
  // nullptr), the layout captured, the file written.
  void StoreDesktop(TVelmoricDesktop* Desktop);
  void ClearDesktops();
  bool FUpdating = false;
};

// Name -> TVelmoricDesktop (owned); exists while the window does.
extern TStringList* Desktops;
extern TFormDesktopManager* FormDesktopManager;
// Creates the window on first use.
TFormDesktopManager* GetFormDesktopManager();
