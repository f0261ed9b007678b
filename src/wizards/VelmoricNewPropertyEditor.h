// The new property editor wizard ("New property editor"): writes the
// skeleton of a design-time property editor class into a unit: the class
// declaration after the unit's "type" (or before its "implementation", with
// a "type" line of its own) and the method bodies before its initialization,
// finalization or final "end.". Five pages: names, kind and attributes;
// items to display; dialog to call; example source; create.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "scanner/VelmoricPascalScanner.h"

class TPascalProject;

// Cls and the classes above it, each once: Base gives a class's ancestor
// (nil when it is not parsed); an ancestor met again ends the walk.
std::vector<TOrvikSymbol*> ClassChain(TOrvikSymbol* Cls,
                                      const std::function<TOrvikSymbol*(TOrvikSymbol*)>& Base);

// A letter or "_", then letters, digits and "_".
bool IsPascalIdentifier(const std::string& S);

// The line of the unit's "initialization" or "finalization", or of the
// "end" of its "end.", whichever comes first from line From on; -1 when
// there is none.
int UnitEndLine(TStrings& Lines, int From);

// The attributes in table order.
extern const char* const PropertyAttributeNames[8];

// What the skeleton is made of.
struct TPropertyEditorSpec {
  std::string ClassName;    // C
  std::string Ancestor;     // B
  std::string Kind;         // K: "Float", "Method", "Ord", "Str", "Var" or empty
  std::string Dialog;       // D, may be empty
  std::string DisplayName;  // N, may be empty
  bool Attributes[8] = {};  // selected attributes, table order
  std::vector<std::string> Items;  // the values of paValueList
};

// Writes the skeleton into Lines. False, with Lines unchanged, when the text
// has neither "type" nor "implementation".
bool GeneratePropertyEditor(TStrings& Lines, const TPropertyEditorSpec& Spec);

class TFormVelmoricNewPropertyEditor : public TForm {
 public:
  explicit TFormVelmoricNewPropertyEditor(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricNewPropertyEditor"; }

  void FormShow(TObject* Sender);
  void ListBoxTypeClick(TObject* Sender);
  void ButtonNextClick(TObject* Sender);
  void ButtonPrevClick(TObject* Sender);
  void ButtonCreateClick(TObject* Sender);
  // The page (1 to 5) after or before Page for the selected attributes.
  int NextPage(int Page) const;
  int PrevPage(int Page) const;
  void ShowPage(int Page);
  TPropertyEditorSpec Spec() const;

  TPageControl* PageControl1;
  TTabSheet* TabSheet1;
  TLabel* LabelName;
  TEdit* EditName;
  TLabel* LabelBaseclass;
  TComboBox* ComboBoxBaseclass;
  TLabel* LabelType;
  TComboBox* ComboBoxType;
  TLabel* LabelDisplayName;
  TEdit* EditDisplayName;
  TLabel* LabelAttributes;
  TListBox* ListBoxType;
  TMemo* Memo1;
  TTabSheet* TabSheet2;
  TLabel* LabelItems;
  TMemo* MemoItems;
  TTabSheet* TabSheet3;
  TLabel* LabelDialog;
  TComboBox* ComboBoxDialog;
  TTabSheet* TabSheet4;
  TRadioGroup* RadioGroupSample;
  TTabSheet* TabSheet5;
  TLabel* LabelCreate;
  TPanel* Panel1;
  TButton* ButtonPrev;
  TButton* ButtonNext;
  TButton* ButtonCreate;
  TButton* ButtonCancel;

  TStrings* Lines = nullptr;          // the unit's editor text, not owned
  TPascalProject* Project = nullptr;  // not owned

 private:
  bool Attribute(int Index) const;
  int FPage = 1;
};
