// The class wizard ("Inheritance Experte"): one class of the unit in the
// active editor with what it inherits. It lists the class's own methods, the
// overridable methods of its ancestors, its variables, properties and
// message handlers, the sub-objects whose properties can be exported and the
// property editors that can be registered for its properties; its buttons
// start the class expert (new member, overriding method, exported
// properties), register the class as a component and register property
// editors. Registrations live in the unit's Register procedure, read when
// the dialog opens and rewritten when it closes.
//
// Where the methods live:
//   VelmoricInheritance.cpp          the form, the lists, grids, tabs,
//                                    buttons and sorting
//   VelmoricInheritanceRegister.cpp  the Register procedure, component and
//                                    property editor registration
#pragma once

#include <string>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/StdCtrls.h"
#include "scanner/VelmoricPascalScanner.h"

class TPascalProject;
class TFormVelmoricNewProcedure;

// One RegisterComponents entry: the class and its palette page.
class TComponenInfo : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TComponenInfo"; }
  std::string FClassName;
  std::string Page;
};

// One RegisterPropertyEditor entry.
class TPropertyEditorInfo : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TPropertyEditorInfo"; }
  std::string PropertyType;  // "Typinfo(string)"
  std::string ComponentClass;
  std::string PropertyName;
  std::string EditorClass;
};

// The registration line of an entry, as WriteRegister writes it.
std::string RegistrationLine(TComponent* Entry);

class TFormVelmoricClasses : public TForm {
 public:
  explicit TFormVelmoricClasses(TComponent* AOwner);
  ~TFormVelmoricClasses() override;
  std::string ClassName() const override { return "TFormVelmoricClasses"; }
  // Shows the dialog; the registrations are written when it closes.
  int ShowModal() override;

  // ---- building the lists
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void BuildClassList();
  void ComboBoxClassChange(TObject* Sender);
  void DisplayClass();
  void UpdateProcedures(TOrvikSymbol* Cls, TSaveList* List);
  void UpdateInheritance();
  void UpdateInheritedProcedures(TOrvikSymbol* Cls, TSaveList* List);
  void CreateVariables();
  void CreateProperties();
  void CreateMessages();
  void CreateExportProperties();
  void ListBoxExportVariablesClick(TObject* Sender);

  // ---- buttons and tabs
  void ButtonProcNewClick(TObject* Sender);
  void ButtonProcInheritClick(TObject* Sender);
  // Hands the selected objects and properties to the class expert.
  void CallExportProperties(TFormVelmoricNewProcedure* Expert);
  void PageControl1Change(TObject* Sender);
  void ShowComment(TDrawGrid* Grid, TSaveList* List);
  void SorTSaveList(TSaveStringList* List, int Column, bool Properties);
  void SorTSaveList1(TSaveList* List, int Column);

  // ---- registrations (VelmoricInheritanceRegister.cpp)
  void ReadRegister();
  void WriteRegister();
  TComponenInfo* FindRegisterComponents(TOrvikSymbol* Cls);
  TPropertyEditorInfo* FindPropertyEditor(TOrvikSymbol* Prop);
  void UpdateRegisterButton();
  void ButtonRegisterClick(TObject* Sender);
  void UpdatePropertyEditors();
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void NewPropertyEditor();

  // ---- controls
  TPanel* Panel1;
  TLabel* Label1;
  TComboBox* ComboBoxClass;
  TPageControl* PageControl1;
  TTabSheet* TabSheetProcedure;
  TGroupBox* GroupBox1;
  TDrawGrid* DrawGridProcedures;
  TGroupBox* GroupBox2;
  TDrawGrid* DrawGridInherited;
  TGroupBox* GroupBox3;
  TMemo* MemoProcComment;
  TTabSheet* TabSheetVariables;
  TDrawGrid* DrawGridVariables;
  TTabSheet* TabSheetProperties;
  TDrawGrid* DrawGridProperties;
  TLabel* Label2;
  TEdit* Edit1;
  TTabSheet* TabSheetMessages;
  TDrawGrid* DrawGridMessages;
  TTabSheet* TabSheetExport;
  TListBox* ListBoxExportVariables;
  TLabel* Label3;
  TLabel* LabelNumProperties;
  TListBox* ListBoxExportProperties;
  TTabSheet* TabSheetPropertyEditoren;
  TGroupBox* GroupBox4;
  TListBox* ListBoxPropertyEditors;
  TGroupBox* GroupBox5;
  TDrawGrid* DrawGridPropertyWithEdit;
  TSpeedButton* SpeedButton2;
  TSpeedButton* SpeedButton1;
  TPanel* Panel2;
  TLabel* Label4;
  TButton* ButtonProcNew;
  TButton* ButtonProcInherit;
  TButton* ButtonRegister;

  // ---- opening fields, set by the opener
  TPascalSource* Source = nullptr;    // not owned
  TPascalProject* Project = nullptr;  // not owned

  // ---- state
  TOrvikSymbol* CurrentClass = nullptr;
  TSaveList* FProceduresList = nullptr;
  TSaveList* FInheritedProcedures = nullptr;
  TSaveStringList* FVarList = nullptr;
  TSaveStringList* FPropList = nullptr;
  TSaveStringList* FPropertyWithEdit = nullptr;
  TSaveList* FMessageList = nullptr;
  TSaveList* FExportProperties = nullptr;
  TSaveList* FRegistered = nullptr;  // of TComponenInfo and TPropertyEditorInfo, owned
  bool FRegisterChanged = false;
  bool FPropertyEditorsLoaded = false;

 private:
  TTabSheet* AddSheet(const std::string& Name, const std::string& Caption);
  TDrawGrid* MakeGrid(TWinControl* Parent, const std::string& Name, int Cols, int Left, int Top,
                      int Width, int Height);
  // The project that holds every parsed unit: the memory project, else the project.
  TPascalProject* Memory() const;
  // The property in the selected row of DrawGridPropertyWithEdit, or nil.
  TOrvikSymbol* SelectedPropertyWithEdit() const;
  // Lets go of every symbol of the source the lists and boxes hold.
  void ForgetSymbols();
  void GridMouseUp(TDrawGrid* Grid, TShiftState Shift, int X, int Y);
};
