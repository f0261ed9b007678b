// The options dialog: search paths, the project model's and the trace's
// switches, menu short cuts, the data directory, the file repository and
// the database passwords. "Ok" applies them to the running add-in and
// stores the lasting ones in the registry, where the expert finds them at
// its next start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricWizard;

// The entries joined with ";", none after the last.
std::string ListToString(const TStrings& List);
// Every ";" splits, from left to right; each part (also an empty one) is an entry.
void StringToList(const std::string& S, TStrings& List);
// "Shift ", "Alt ", "Ctrl " as held, in this order.
std::string GetShift(TShiftState Shift);
// The virtual-key constant's name (VK_F5, VK_BACK, ...), else the character.
std::string KeyName(uint16_t Key);
// Moves the selected entry by Delta when it stays inside the list.
void MoveItem(TListBox* List, int Delta);

class TFFormVelmoricOptions : public TForm {
 public:
  explicit TFFormVelmoricOptions(TComponent* AOwner);
  std::string ClassName() const override { return "TFFormVelmoricOptions"; }

  void FormShow(TObject* Sender);
  void Button2Click(TObject* Sender);  // "Ok"
  void Button1Click(TObject* Sender);  // "Cancel"
  // Files dropped on the window: their folders join the active page's list.
  void OnDragFiles(const std::vector<std::string>& Files);

  TVelmoricWizard* Expert = nullptr;
  std::string DelphiPath;  // the IDE's library path while the dialog is open

  TPageControl* PageControl1;
  TPanel* Panel1;
  TButton* Button2;  // "Ok"
  TButton* Button1;  // "Cancel"
  TButton* ButtonDeleteList;

  TTabSheet* TabSheetCompiler;
  TListBox* ListBoxSearchPath;
  TEdit* EditPath;
  TButton* ButtonBrowsePath;
  TButton* ButtonAddPath;
  TButton* ButtonDeletePath;
  TSpeedButton* SpeedButtonUp;
  TSpeedButton* SpeedButtonDown;
  TCheckBox* CheckBoxDisplayCompiler;
  TCheckBox* CheckBoxQuickRecompile;
  TCheckBox* CheckBoxUseDelphiPath;
  TButton* ButtonAddDelphisPath;

  TTabSheet* TabSheetDelphiPath;
  TListBox* ListBoxDelphiPath;
  TEdit* EditDelphiPath;
  TButton* ButtonBrowseDelphiPath;
  TButton* ButtonAddDelphiPath;
  TButton* ButtonDeleteDelphiPath;
  TSpeedButton* SpeedButtonDelphiUp;
  TSpeedButton* SpeedButtonDelphiDown;

  TTabSheet* TabSheet3;
  TCheckBox* CheckBoxFindFiles;
  TCheckBox* CheckBoxLoadSymbols;
  TCheckBox* CheckBoxCompiler;
  TCheckBox* CheckBoxLines;
  TCheckBox* CheckBoxSymbols;
  TCheckBox* CheckBoxTrace;
  TCheckBox* CheckBoxLogfile;
  TEdit* EditLogfile;
  TEdit* EditDelhiTitle;
  TButton* ButtonSetTitle;
  TCheckBox* CheckBoxAutoFind;

  TTabSheet* TabSheet1;
  TListBox* ListBoxMenu;
  TEdit* Edit1;
  TCheckBox* CheckBoxEnableShortCut;

  TTabSheet* TabSheetGeneral;
  TEdit* EditPath1;

  TTabSheet* TabSheetRepository;
  TListBox* ListBoxFileRepository;

  TTabSheet* TabSheet2;
  TListBox* ListBoxPasswords;
  TEdit* EditPassword;
  TButton* ButtonAddPassword;
  TButton* ButtonRemovePassword;

  TOpenDialog* OpenDialog1;

 private:
  void AddPath(TEdit* Edit, TListBox* List);
  void DeletePath(TListBox* List);
  void PathClick(TEdit* Edit, TListBox* List);
  void PathDblClick(TListBox* List);
  void Browse(TEdit* Edit);
  void LogfileClick();
  void MenuClick();
  void MenuKeyDown(uint16_t& Key, TShiftState Shift);
  void RepositoryDblClick();
  void PageChange();
};

extern TFFormVelmoricOptions* FFormVelmoricOptions;
// The one dialog, created on first use.
TFFormVelmoricOptions* FormVelmoricOptions();
