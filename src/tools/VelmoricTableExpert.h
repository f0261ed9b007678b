// The table expert: pick a database alias, a table, then a field or an
// index, and the matching line of code (a field access through FieldByName
// with the accessor for the field's type, or an assignment to IndexName)
// is composed for the clipboard.
#pragma once

#include <string>

#include "platform/db/DBTables.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TFFormVelmoricTableExpert : public TForm {
 public:
  explicit TFFormVelmoricTableExpert(TComponent* AOwner);
  ~TFFormVelmoricTableExpert() override;
  std::string ClassName() const override { return "TFFormVelmoricTableExpert"; }

  // Errors of the database runtime (an unknown alias, a table that cannot
  // be opened) reach the caller.
  void ComboBoxDatabasesChange(TObject* Sender);
  void ComboBoxTableChange(TObject* Sender);
  void ComboBoxFieldChange(TObject* Sender);
  void ComboBoxIndexChange(TObject* Sender);
  void ButtonCopyClick(TObject* Sender);

  // The accessor that reads a field of this type ("AsString", ... "Value").
  static std::string FieldAccessor(TFieldType DataType);

  TLabel* LabelDatabases;
  TComboBox* ComboBoxDatabases;
  TLabel* LabelTable;
  TComboBox* ComboBoxTable;
  TLabel* LabelField;
  TComboBox* ComboBoxField;
  TLabel* LabelIndex;
  TComboBox* ComboBoxIndex;
  TEdit* EditCommand;
  TEdit* EditIndexfields;
  TButton* ButtonClipboard;
  TButton* ButtonCursor;
  // Reads the chosen table's structure; its field and index definitions
  // stay after it is closed and stand behind the field and index lists.
  TTable* Table1;
};

// The window while it exists; created on first request and kept.
extern TFFormVelmoricTableExpert* FFormVelmoricTableExpert;
TFFormVelmoricTableExpert* FormVelmoricTableExpert();
