// The manual editor's window for new sub-topics: one topic by hand, or a
// topic for a database table with one sub-topic per field.
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFFormVelmoricRTFEdit;
class TFieldDefs;

class TFormVelmoricRTFNewSubTopic : public TForm {
 public:
  explicit TFormVelmoricRTFNewSubTopic(TComponent* AOwner);
  std::string ClassName() const override { return "TFormVelmoricRTFNewSubTopic"; }

  // Fills the alias list, empties the name and takes the parent's name.
  void FormShow(TObject* Sender);
  void ComboBoxAliasChange(TObject* Sender);
  // Acts on the active page: "Manual" or "From Table".
  void ButtonOKClick(TObject* Sender);
  void CreateManualTopic();
  void CreateTableTopics();

  // The title body of a topic: the name in Times New Roman 24, centred.
  static std::string TitleBody(const std::string& Title, const std::string& Line = std::string());
  // "String(40)", "Integer", ... for a field.
  static std::string FieldTypeText(int DataType, int Size);

  TFFormVelmoricRTFEdit* Editor = nullptr;  // the topics go under its current one
  std::string ParentName;
  int64_t ParentNr = -1;

  TPageControl* PageControl1;
  TTabSheet* TabSheetManual;
  TTabSheet* TabSheetTable;
  TEdit* EditName;
  TCheckBox* CheckBoxAddParent;  // "Add parent name to topic name"
  TRadioGroup* RadioGroupType;   // "cls", "pro", ...: not used
  TComboBox* ComboBoxAlias;
  TComboBox* ComboBoxTable;
  TButton* ButtonOK;
  TButton* ButtonCancel;
};
