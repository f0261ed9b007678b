// The unit dependency browser ("Velmoric Unit"): how the units of the
// parsed project use each other. "by dependencies" shows a tree of units
// and the units each uses, and lists the units that depend on the selected
// one; "Locate" marks every unit from which a chosen unit is reached. "by
// directory" groups the units reachable from a chosen unit by folder and
// adds them to the IDE project or copies them elsewhere.
#pragma once

#include <string>

#include "browsers/VelmoricUnitGraph.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TPascalProject;

class TFFormVelmoricUnits : public TForm {
 public:
  explicit TFFormVelmoricUnits(TComponent* AOwner);
  ~TFFormVelmoricUnits() override;
  std::string ClassName() const override { return "TFFormVelmoricUnits"; }

  // Builds the graph from the project and fills every view again.
  void Rebuild();
  // The tree texts of a unit and of one of its uses: "name (path)", the
  // path taken from the current folder when the file lies below it, or
  // "name not found".
  static std::string UnitNodeText(const TUnitDepend* Unit);
  static std::string UsesNodeText(const TUnitDepend* Unit, int Index);
  // The files of the selected directory of the directory page, with the
  // folder they are in ("" for the project directory); false when none.
  bool SelectedFiles(std::string& Folder, TStrings*& Files) const;

  // Event handlers.
  void FormShow(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void ButtonCompileClick(TObject* Sender);
  void TreeView1Expanding(TObject* Sender, TTreeNode* Node, bool& AllowExpansion);
  void TreeView1Change(TObject* Sender, TTreeNode* Node);
  void ComboBoxFilesChange(TObject* Sender);
  void ListBoxDirectoriesClick(TObject* Sender);
  void CheckBoxLocateClick(TObject* Sender);
  void PageControl1Change(TObject* Sender);
  void ButtonAddToProjectClick(TObject* Sender);
  void ButtonCopyClick(TObject* Sender);
  void ListUnits1Click(TObject* Sender);

  TPageControl* PageControl1;
  TTabSheet* TabSheet1;  // "by dependencies"
  TTreeView* TreeView1;
  TListBox* ListBoxDependants;
  TCheckBox* CheckBoxLocate;
  TComboBox* ComboBoxLocate;
  TTabSheet* TabSheet2;  // "by directory"
  TComboBox* ComboBoxFiles;
  TListBox* ListBoxDirectories;
  TListBox* ListBoxFiles;
  TPanel* Panel1;
  TButton* ButtonCompile;
  TButton* ButtonOpen;
  TButton* ButtonAddToProject;
  TButton* ButtonCopy;
  TSaveDialog* SaveDialog1;
  TPopupMenu* PopupMenu1;
  TMenuItem* ListUnits1;  // "List Units (internal debug function!)"

  TPascalProject* Project = nullptr;  // not owned
  TUnitDependGraph Graph;
  TStringList* Answers = nullptr;  // unit name -> 0 or 1: whether it reaches the located unit
  bool Locate = false;
  std::string LocatedUnit;

 private:
  void AddUsesChildren(TTreeNode* Node);
  void ClearDirectories();
  void MarkLocated();
  bool ReachesLocated(const std::string& Name, TUnitDepend* Unit);
};

extern TFFormVelmoricUnits* FFormVelmoricUnits;
// The browser, created on first use.
TFFormVelmoricUnits* FormVelmoricUnits();
