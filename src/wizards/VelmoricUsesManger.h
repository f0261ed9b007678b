// The uses manager ("Unit manager"): both uses clauses of the unit in the
// active editor as two lists to add to, delete from, move between and
// reorder; "Ok" rewrites both clauses in the editor buffer. Opened for the
// symbol under the cursor, it adds the unit that declares the symbol.
#pragma once

#include <string>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "wizards/VelmoricUsesClauses.h"

class TPascalSource;
struct TOrvikSymbol;

class TFormVelmoricUsesManager : public TForm {
 public:
  explicit TFormVelmoricUsesManager(TComponent* AOwner);
  ~TFormVelmoricUsesManager() override;
  std::string ClassName() const override { return "TFormVelmoricUsesManager"; }

  // Fills both lists from the unit text.
  void ScanUses();
  // Rewrites both clauses in the source's lines (and editor buffer).
  void Rewrite();

  bool ListsSorted() const;
  void SetListsSorted(bool Value);

  // Event handlers.
  void FormShow(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void SpeedButton7Click(TObject* Sender);   // + interface
  void SpeedButton10Click(TObject* Sender);  // + implementation
  void SpeedButton5Click(TObject* Sender);   // X interface
  void SpeedButton9Click(TObject* Sender);   // X implementation
  void SpeedButton2Click(TObject* Sender);   // interface -> implementation
  void SpeedButton1Click(TObject* Sender);   // implementation -> interface
  void SpeedButton6Click(TObject* Sender);   // interface down
  void SpeedButton8Click(TObject* Sender);   // interface up
  void SpeedButton11Click(TObject* Sender);  // implementation down
  void SpeedButton12Click(TObject* Sender);  // implementation up
  void Button3Click(TObject* Sender);        // Sort
  void Button2Click(TObject* Sender);        // Ok
  // Dropping a unit dragged from the other list moves it there, as the
  // move buttons do.
  void ListBoxDragOver(TObject* Sender, TObject* Source, int X, int Y, bool& Accept);
  void ListBoxDragDrop(TObject* Sender, TObject* Source, int X, int Y);

  TGroupBox* GroupBox1;
  TListBox* ListBoxInterface;
  TSpeedButton* SpeedButton7;
  TSpeedButton* SpeedButton5;
  TSpeedButton* SpeedButton6;
  TSpeedButton* SpeedButton8;
  TGroupBox* GroupBox2;
  TListBox* ListBoxImplementation;
  TSpeedButton* SpeedButton10;
  TSpeedButton* SpeedButton9;
  TSpeedButton* SpeedButton11;
  TSpeedButton* SpeedButton12;
  TSpeedButton* SpeedButton2;
  TSpeedButton* SpeedButton1;
  TSpeedButton* SpeedButton3;
  TSpeedButton* SpeedButton4;
  TPanel* Panel1;
  TButton* Button3;  // "Sort"
  TButton* Button2;  // "Ok"
  TButton* Button1;  // "Cancel"
  TStatusBar* StatusBar1;

  TPascalSource* Source = nullptr;  // not owned; its token reader covers the lines
  std::string UnitName;             // the unit to add, may be empty
  TOrvikSymbol* Symbol = nullptr;   // the symbol that asked for it, may be nil

 private:
  void AddUnit(TListBox* List);
  void DeleteUnit(TListBox* List);
  void MoveUnit(TListBox* From, TListBox* To);
  void MoveWithin(TListBox* List, int Delta);
};

// The uses manager while it is shown, else nil.
extern TFormVelmoricUsesManager* FormVelmoricUsesManager;
