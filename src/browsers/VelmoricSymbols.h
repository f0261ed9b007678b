// The symbol explorer ("Symbol Explorer"): the symbols of the whole parsed
// project, or the members of one explored symbol, in a grid filtered by
// kind and searched by typing; the selected symbol's details and comment;
// jumps to a symbol's line (with the bookmark stack); a pop-up menu to
// explore members, types and base classes.
#pragma once

#include <string>

#include "browsers/VelmoricSymbolList.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricWizard;
class TPascalSource;
class TPascalProject;

class TFFormVelmoricSymbols : public TForm {
 public:
  explicit TFFormVelmoricSymbols(TComponent* AOwner);
  ~TFFormVelmoricSymbols() override;
  std::string ClassName() const override { return "TFFormVelmoricSymbols"; }

  // Rebuilds the entries from the project or the explored symbol.
  void CreateList();
  // The symbol of a grid row (1 is the first), or nil.
  TOrvikSymbol* RowSymbol(int Row) const;
  TOrvikSymbol* SelectedSymbol() const { return RowSymbol(DrawGrid1->Row()); }
  // Selects a grid row and shows its symbol's details.
  void SelectRow(int Row);
  // Explores Sym's members, or the whole project for nil.
  void Explore(TOrvikSymbol* Sym);

  // Event handlers.
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void CheckBoxClick(TObject* Sender);
  void DrawGrid1DrawCell(TObject* Sender, int ACol, int ARow, const TRect& Rect,
                         TGridDrawState State);
  void DrawGrid1SelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
  void DrawGrid1DblClick(TObject* Sender);
  void EditSearchChange(TObject* Sender);
  void EditSearchKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void ButtonJumpClick(TObject* Sender);
  void ButtonJumpPrototypeClick(TObject* Sender);
  void PopupMenu1Popup(TObject* Sender);
  void ExploreSymbol1Click(TObject* Sender);
  void ExploreTyp1Click(TObject* Sender);
  void GoToBaseclass1Click(TObject* Sender);
  void GoBack1Click(TObject* Sender);
  void GoToRoot1Click(TObject* Sender);

  TPanel* PanelTop;
  TCheckBox* CheckBoxProcedures;
  TCheckBox* CheckBoxClasses;
  TCheckBox* CheckBoxVariables;
  TCheckBox* CheckBoxRecords;
  TCheckBox* CheckBoxProperties;
  TCheckBox* CheckBoxConstants;
  TCheckBox* CheckBoxTypes;
  TCheckBox* CheckBoxSubSymbols;  // "Display sub symbols"
  TLabel* LabelSearch;
  TEdit* EditSearch;
  TDrawGrid* DrawGrid1;
  TPanel* PanelBottom;
  TEdit* EditInfo;
  TEdit* EditLines;
  TMemo* MemoComment;
  TLabel* LabelTime;
  TLabel* LabelSymbols;
  TButton* ButtonJump;           // "&Jump"
  TButton* ButtonJumpPrototype;  // "&Jump to Prottype"
  TButton* ButtonOK;             // "OK"
  TPopupMenu* PopupMenu1;
  TMenuItem* ExploreSymbol1;
  TMenuItem* ExploreTyp1;
  TMenuItem* GoToBaseclass1;
  TMenuItem* GoBack1;
  TMenuItem* GoToRoot1;

  TPascalSource* Source = nullptr;    // set by the opener; not owned
  TPascalProject* Project = nullptr;  // the source's project; not owned
  TVelmoricWizard* Expert = nullptr;  // for the bookmark stack; not owned
  TOrvikSymbol* InitialSymbol = nullptr;
  TOrvikSymbol* Explored = nullptr;   // nil: the whole project
  TStringList* Entries = nullptr;     // key -> TOrvikSymbol; owned
  std::string BaseCaption;

 private:
  void ShowDetails(TOrvikSymbol* Sym);
  void Jump(TOrvikSymbol* Sym, int Line);
  bool FSearching = false;
};

// The explorer, nil until first needed; freed by the expert's release.
extern TFFormVelmoricSymbols* FFormVelmoricSymbols;
// The explorer, created on first use.
TFFormVelmoricSymbols* FormVelmoricSymbols();
