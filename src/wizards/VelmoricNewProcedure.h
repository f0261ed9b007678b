// The class expert ("Class expert" dialog): creates or changes one member of
// a class (or of a procedure, for local variables) through the source
// modifier. Five tabs: Procedure, Variable, Property, Messages and Export
// Property.
//
// Where the methods live:
//   VelmoricNewProcedure.cpp          the form, its controls, showing, the
//                                     Procedure and Variable tabs
//   VelmoricNewProcedureProperty.cpp  the Property, Messages and Export
//                                     Property tabs
//   VelmoricVariableTable.cpp         the variable defaults (defaults.dat)
//   VelmoricCommentBlock.cpp          the comment block
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "scanner/VelmoricPascalScanner.h"
#include "wizards/VelmoricCommentBlock.h"
#include "wizards/VelmoricVariableTable.h"

class TPascalProject;
class TPascalCoco;

class TFormVelmoricNewProcedure : public TForm {
 public:
  explicit TFormVelmoricNewProcedure(TComponent* AOwner);
  ~TFormVelmoricNewProcedure() override;
  std::string ClassName() const override { return "TFormVelmoricNewProcedure"; }

  // ---- the dialog as a whole
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void UpdateComboboxes();
  TBereichTokenType GetScope(const std::string& Scope);
  TPascalSource* FindSource(TComboBox* Box);
  void ModifyCaption(TComboBox* Box);
  int FindSymbol(TComboBox* Box, const std::string& Name);
  std::string MakeComment(const std::vector<std::string>& OldLines, const std::string& Description,
                          const std::string& Heading);
  void FindOtherSymbol(const std::string& Name);
  void ButtonCreateClick(TObject* Sender);
  void ButtonLikeClick(TObject* Sender);

  // ---- Procedure and Variable tabs
  void CreateProcedure();
  void CreateVariable();
  void ComboBoxProctypChange(TObject* Sender);
  void ComboBoxResultChange(TObject* Sender);
  void ComboBoxClass1Change(TObject* Sender);
  void ComboBoxVarTypeChange(TObject* Sender);
  void ComboBoxVarScopeChange(TObject* Sender);
  void ComboBoxLocalToChange(TObject* Sender);
  void EditVarNameChange(TObject* Sender);

  // ---- Property, Messages and Export Property tabs
  void ExportProperty(const TStrings& Lines, const TList& Objects, TOrvikSymbol* Context);
  void CreateProperty();
  void CreateMessage();
  void CreateExportProperties();
  void UpdateMessagesComboBoxes(TPascalSource* Unit);
  void EditNamePropertyChange(TObject* Sender);
  void ComboBoxClassPropertyChange(TObject* Sender);
  void CheckBoxUpdateNotificationClick(TObject* Sender);
  void CheckBoxHideClick(TObject* Sender);
  void ComboBoxMessageChange(TObject* Sender);
  void EditPrefixChange(TObject* Sender);

  // ---- controls
  TPageControl* PageControl1;
  TTabSheet* TabSheetNewProcedure;
  TLabel* LabelProctyp;
  TComboBox* ComboBoxProctyp;
  TLabel* LabelClass1;
  TComboBox* ComboBoxClass1;
  TLabel* LabelProcName;
  TEdit* EditProcName;
  TLabel* LabelParameter;
  TEdit* EditParameter;
  TLabel* LabelResult;
  TComboBox* ComboBoxResult;
  TLabel* LabelProcScope;
  TComboBox* ComboBoxProcScope;
  TCheckBox* CheckBoxVirtual;
  TCheckBox* CheckBoxOverride;
  TCheckBox* CheckBoxAbstract;
  TLabel* LabelComment;
  TMemo* MemoComment;

  TTabSheet* TabSheetNewVariable;
  TLabel* LabelClassVar;
  TComboBox* ComboBoxClassVar;
  TLabel* LabelVarName;
  TEdit* EditVarName;
  TLabel* LabelVarScope;
  TComboBox* ComboBoxVarScope;
  TLabel* LabelLocalTo;
  TComboBox* ComboBoxLocalTo;
  TLabel* LabelVarType;
  TComboBox* ComboBoxVarType;
  TLabel* LabelVarComment;
  TEdit* EditVarComment;
  TLabel* LabelConstructor;
  TEdit* EditConstructor;
  TLabel* LabelDestructor;
  TEdit* EditDestructor;
  TLabel* LabelConstructorPos;
  TComboBox* ComboBoxConstructorPos;

  TTabSheet* TabSheetProperty;
  TLabel* LabelClassProperty;
  TComboBox* ComboBoxClassProperty;
  TLabel* LabelNameProperty;
  TEdit* EditNameProperty;
  TLabel* LabelPropScope;
  TComboBox* ComboBoxPropScope;
  TLabel* LabelPropType;
  TComboBox* ComboBoxPropType;
  TLabel* LabelPropVariable;
  TComboBox* ComboBoxPropVariable;
  TLabel* LabelPropArray;
  TComboBox* ComboBoxPropArray;
  TLabel* LabelRange;
  TEdit* EditRange;
  TCheckBox* CheckBoxUpdateNotification;
  TCheckBox* CheckBoxHide;
  TCheckBox* CheckBoxGet;
  TEdit* EditGet;
  TCheckBox* CheckBoxSet;
  TEdit* EditPut;

  TTabSheet* TabSheetMessages;
  TLabel* LabelMessageClass;
  TComboBox* ComboBoxMessageClass;
  TLabel* LabelMessageName;
  TEdit* EditMessageName;
  TLabel* LabelMessage;
  TComboBox* ComboBoxMessage;
  TLabel* LabelMessageStruct;
  TComboBox* ComboBoxMessageStruct;
  TLabel* StaticText1;

  TTabSheet* TabSheetExport;
  TLabel* LabelPrefix;
  TEdit* EditPrefix;
  TLabel* LabelFormat;
  TEdit* EditFormat;
  TCheckBox* CheckBoxCombine;
  TLabel* LabelProperties;
  TListBox* ListBoxProperties;
  TLabel* LabelExportedPropertes;
  TListBox* ListBoxExportedPropertes;

  TPanel* Panel1;
  TButton* ButtonLike;
  TButton* ButtonCreate;
  TButton* Button1;

  // ---- state
  TSaveList* ExportObjects = nullptr;
  TSaveStringList* ExportProperties = nullptr;
  TSaveStringList* FSymbolList = nullptr;
  int SavedLine = -1;
  int SavedDeclLine = -1;
  int SavedDefBegin = -1;
  std::string OldCaption;
  TSaveStringList* TypList = nullptr;
  TSaveStringList* ClassList = nullptr;
  TPascalProject* Project = nullptr;     // not owned; set by the opener
  TOrvikSymbol* ContextSymbol = nullptr;  // not owned; set by the opener
  TOrvikSymbol* EditSymbol = nullptr;     // not owned; set by the opener
  bool ChangeMode = false;

 private:
  TTabSheet* AddSheet(const std::string& Name, const std::string& Caption);
  // The ClassList symbol behind the selected item of a class box, or nil.
  TOrvikSymbol* SelectedClass(TComboBox* Box) const;
  // The class a box names: its selected item while that item shows the
  // box's text (of two classes of one name, the one chosen), else the
  // project's top-level symbol of that name.
  TOrvikSymbol* NamedClass(TComboBox* Box) const;
  // The index of Sym among the class boxes' items, else of the first item
  // of its name; -1 when neither.
  int ClassIndexOf(TOrvikSymbol* Sym);
  // A fresh symbol of Source; freed by the tree that takes it, else by Release.
  TOrvikSymbol* NewSymbol(TPascalSource* Source);
  // Enters Sym into Parent's children unless it is there already.
  static void Adopt(TOrvikSymbol* Parent, TOrvikSymbol* Sym);
  // Inserts Sym and lets go of what the tree does not hold.
  void Insert(TPascalCoco& Coco, TOrvikSymbol* Sym);
  // Adds Text as the last statement of the body of procedure Proc.
  void AddToBody(TPascalCoco& Coco, TOrvikSymbol* Proc, const std::string& Text);
  void ShowTab(TTabSheet* Sheet);
};

// The instance while the dialog is open.
extern TFormVelmoricNewProcedure* FormVelmoricNewProcedure;
// The constructor used or created by the last creation with construction code.
extern TOrvikSymbol* gSym;
