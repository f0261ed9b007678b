// Data-aware controls: a grid that shows the records of its data source's
// data set, and the controls that show one field of the current record
// (edits, texts, memos, check and combo boxes, lookup boxes, navigators).
#pragma once

#include <string>
#include <vector>

#include "platform/db/DB.h"
#include "platform/vcl/Controls.h"

// What every data-aware control has: its data source, cleared when the
// source is destroyed.
class TDBDataLink : public TWinControl {
 public:
  explicit TDBDataLink(TComponent* AOwner) : TWinControl(AOwner) {}
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  // The data set behind the data source, or nullptr.
  TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSource* FDataSource = nullptr;
};

// The grid: a header of field names, then one row per record, the current
// one marked. Printing walks the records and goes back to the current one;
// while a record is edited only that record is shown.
class TDBGrid : public TDBDataLink {
 public:
  using TDBDataLink::TDBDataLink;
  std::string ClassName() const override { return "TDBGrid"; }
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  // The rows as shown: field names first, values separated by " | ".
  std::vector<std::string> Rows(int& Current) const;
};

// One field of the current record; lookup boxes also name their list
// source, list field and key field. The class name is the one it was made
// with ("TDBEdit", "TDBText", "TDBLookupComboBox", ...).
class TDBFieldControl : public TDBDataLink {
 public:
  TDBFieldControl(TComponent* AOwner, std::string AClassName)
      : TDBDataLink(AOwner), FClassName(std::move(AClassName)) {}
  std::string ClassName() const override { return FClassName; }
  // The field shown, or nullptr when the data set is closed or has none.
  TField* Field() const;
  void ScriptPrint(std::vector<std::string>& Lines) const override;

  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* Value);

  std::string DataField;
  std::string ListField, KeyField;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::string FClassName;
  TDataSource* FListSource = nullptr;
};
