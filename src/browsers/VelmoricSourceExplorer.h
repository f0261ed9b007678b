// The source explorer: a one-line tool bar with the bookmark history, the
// project's classes and records, the members of the selected class, a search
// box for a symbol, a dotted expression or a line number, and buttons that
// parse the project, add a bookmark and open the table expert.
//
// With editor panels on the form stays hidden and the expert copies its tool
// bar onto every code editor window; the copies call this form's handlers
// with themselves as Sender, so the handlers read the Sender they are given
// and copy their results back to every copy (UpdateEditors).
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TVelmoricWizard;
class TBookmarkStack;
class TPascalProject;
struct TOrvikSymbol;

class TFFormSourceExplorer : public TForm {
 public:
  explicit TFFormSourceExplorer(TComponent* AOwner);
  ~TFFormSourceExplorer() override;
  std::string ClassName() const override { return "TFFormSourceExplorer"; }

  // Refills the class box from the memory project's units.
  void UpdateClassBox();
  // Copies the class and member boxes to the copies on every editor window.
  void UpdateEditors();
  // Enables the history buttons after the bookmark stack's position.
  void UpdateButtons();
  // Gives the keyboard focus back to the active editor window's editor.
  void SelectEditor();

  // Event handlers.
  void FormActivate(TObject* Sender);
  void FormCreate(TObject* Sender);
  bool FormHelp(uint16_t Command, int Data);
  void FormShow(TObject* Sender);
  void ButtonPrevClick(TObject* Sender);
  void ButtonNextClick(TObject* Sender);
  void SpeedButtonBookmarkClick(TObject* Sender);
  void SpeedButtonCompileClick(TObject* Sender);
  void SpeedButtonTableExpertClick(TObject* Sender);
  void ComboBoxFindeChange(TObject* Sender);
  void ComboBoxClassChange(TObject* Sender);
  void ComboBoxClassDropDown(TObject* Sender);
  void ComboBoxSuchenChange(TObject* Sender);
  void ComboBoxSuchenKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void SpeedButtonFindeClick(TObject* Sender);
  void DisplayClass1Click(TObject* Sender);
  void NewClass1Click(TObject* Sender);
  void NewVariable1Click(TObject* Sender);
  void JumptoPrototype1Click(TObject* Sender);
  void UnitHeader1Click(TObject* Sender);
  void Uses11Click(TObject* Sender);
  void Uses21Click(TObject* Sender);
  void Implementation1Click(TObject* Sender);
  void Implementation2Click(TObject* Sender);
  void initialization1Click(TObject* Sender);
  void finalization1Click(TObject* Sender);

  TPanel* Panel1;
  TSpeedButton* ButtonPrev;
  TSpeedButton* ButtonNext;
  TSpeedButton* SpeedButtonBookmark;
  TSpeedButton* SpeedButtonCompile;
  TSpeedButton* SpeedButtonTableExpert;
  TComboBox* ComboBoxFinde;
  TComboBox* ComboBoxClass;
  TComboBox* ComboBoxSuchen;
  TBitBtn* SpeedButtonFinde;
  TPopupMenu* PopupMenuClass;
  TMenuItem* DisplayClass1;
  TMenuItem* NewClass1;
  TPopupMenu* PopupMenu1;
  TMenuItem* NewVariable1;
  TMenuItem* JumptoPrototype1;
  TPopupMenu* PopupMenuFind;
  TMenuItem* UnitHeader1;
  TMenuItem* Uses11;
  TMenuItem* Uses21;
  TMenuItem* Implementation1;
  TMenuItem* Implementation2;
  TMenuItem* initialization1;
  TMenuItem* finalization1;

  TVelmoricWizard* Expert = nullptr;    // not owned
  TBookmarkStack* Bookmarks = nullptr;  // not owned

 private:
  // Goes to the Nth (1-based) occurrence of the word Lower in the current
  // editor's text; with AtSemicolon to just before the ";" that follows it.
  void GotoWord(const std::string& Lower, int Nth, bool AtSemicolon, bool Push);
};

// Searches a dotted expression ("TForm1.Button1Click", "TFormMain.FShapes.Clear")
// in Project: the first part anywhere (or, failing that, as a unit's name),
// each further part in the type of the one before: a class, record or
// interface itself, a variable, field or property through its type, a
// function through its result type; a class's missing member in its
// ancestors. Nil when any part cannot be resolved.
TOrvikSymbol* FindExpression(TPascalProject* Project, const std::string& S);

// The explorer, nil until first needed; freed by the expert's release.
extern TFFormSourceExplorer* FFormSourceExplorer;
// Creates the explorer (no owner) for Expert and its bookmark stack and makes
// it FFormSourceExplorer; the expert's start-up calls it with panels on.
TFFormSourceExplorer* CreateSourceExplorer(TVelmoricWizard* Expert);
// The explorer, created for TheVelmoricFairy on first use.
TFFormSourceExplorer* FormSourceExplorer();
