// The table component editor: the designer's context menu of a table gets
// "Edit table" ahead of the verbs of the editor it had before, and "Edit
// table" opens a window with the table's data as the form sets it up, all
// of its fields, and the tree of data sets it reaches through lookup fields
// and master sources.
#pragma once

#include <string>
#include <vector>

#include "platform/db/DBCtrls.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Designer.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TRizaDizTableEditor : public TComponentEditor {
 public:
  using TComponentEditor::TComponentEditor;
  int GetVerbCount() override { return 3; }
  // 0: "Edit table"; above: the previous editor's verb one lower ("" when
  // there is no previous editor or it has no such verb).
  std::string GetVerb(int Index) override;
  void ExecuteVerb(int Index) override;
};

namespace VelmoricTableEditor {
// Registers TRizaDizTableEditor for table components, keeping the editor
// they had before as the previous editor (trace "OldEditor = NIL" when they
// had none). Registering again keeps the first previous editor.
void Register();
// The previous editor, or an empty function.
const TComponentEditorClass& PreviousEditor();
}  // namespace VelmoricTableEditor

class TFormVelmoricTableEditor : public TForm {
 public:
  // The window for DataSet (not shown yet); it frees itself when closed.
  TFormVelmoricTableEditor(TComponent* AOwner, TDataSet* ADataSet);
  ~TFormVelmoricTableEditor() override;
  std::string ClassName() const override { return "TFormVelmoricTableEditor"; }

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void PageControl1Change(TObject* Sender);
  void TreeView1Change(TObject* Sender, TTreeNode* Node);
  void ButtonOpenClick(TObject* Sender);
  // Builds the connections tree once.
  void BuildConnections();
  // Adds DataSet under Node and walks on through its lookup fields and
  // master source; a data set already on the way is marked circular.
  void ConnectTable(TDataSet* DataSet, TTreeNode* Node, const std::vector<TDataSet*>& Visited);

  TDataSet* DataSet() const { return FDataSet; }

  TPageControl* PageControl1;
  TTabSheet* TabSheetData;
  TTabSheet* TabSheetFields;
  TTabSheet* TabSheetConnections;
  TDBGrid* DBGrid1;
  TDBGrid* DBGrid2;
  TTreeView* TreeView1;
  TDBGrid* DBGridLink;
  TButton* ButtonOpen;
  TDataSource* DataSource1;
  TTable* Table1;
  TDataSource* DataSource2;
  TDataSource* DataSourceLink;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TDataSet* FDataSet;
  bool FWasActive;
  bool FTreeBuilt = false;
};

// Opens a new editing window for DataSet, captioned after it, and shows it.
TFormVelmoricTableEditor* ShowTableEditor(TDataSet* DataSet);
