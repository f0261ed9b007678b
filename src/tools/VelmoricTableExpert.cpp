#include "tools/VelmoricTableExpert.h"

#include "help/VelmoricCreateTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormBuilding.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricTableExpert* FFormVelmoricTableExpert = nullptr;

namespace {

void TraceWrite(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

}  // namespace

TFFormVelmoricTableExpert::TFFormVelmoricTableExpert(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricTableExpert.Create");
  SetName("FFormVelmoricTableExpert");
  Caption = "Table expert";
  SetBounds(Left(), Top(), 420, 250);
  auto* Self = this;

  int Row = 8;
  auto Labelled = [&](TLabel*& Label, const char* LabelName, const char* Text, TComboBox*& Box,
                      const char* BoxName, void (TFFormVelmoricTableExpert::*Handler)(TObject*)) {
    Label = MakeControl<TLabel>(this, this, LabelName, 8, Row + 4, 80, 13);
    Label->Caption = Text;
    Box = MakeControl<TComboBox>(this, this, BoxName, 96, Row, 300, 21);
    Box->Style = csDropDownList;
    Box->OnChange = [Self, Handler](TObject* S) { (Self->*Handler)(S); };
    Row += 28;
  };
  Labelled(LabelDatabases, "LabelDatabases", "Database", ComboBoxDatabases, "ComboBoxDatabases",
           &TFFormVelmoricTableExpert::ComboBoxDatabasesChange);
  Labelled(LabelTable, "LabelTable", "Table", ComboBoxTable, "ComboBoxTable",
           &TFFormVelmoricTableExpert::ComboBoxTableChange);
  Labelled(LabelField, "LabelField", "Field", ComboBoxField, "ComboBoxField",
           &TFFormVelmoricTableExpert::ComboBoxFieldChange);
  Labelled(LabelIndex, "LabelIndex", "Index", ComboBoxIndex, "ComboBoxIndex",
           &TFFormVelmoricTableExpert::ComboBoxIndexChange);
  EditIndexfields = MakeControl<TEdit>(this, this, "EditIndexfields", 96, Row, 300, 21);
  EditIndexfields->ReadOnly = true;
  EditCommand = MakeControl<TEdit>(this, this, "EditCommand", 8, Row + 28, 388, 21);
  ButtonClipboard = MakeControl<TButton>(this, this, "ButtonClipboard", 8, Row + 60, 120, 25);
  ButtonClipboard->Caption = "Copy to Clipboard";
  ButtonCursor = MakeControl<TButton>(this, this, "ButtonCursor", 136, Row + 60, 120, 25);
  ButtonCursor->Caption = "Copy to Cursor";
  for (TButton* B : {ButtonClipboard, ButtonCursor})
    B->OnClick = [Self](TObject* S) { Self->ButtonCopyClick(S); };

  Table1 = new TTable(this);
  Table1->SetName("Table1");

  // The add-in's own database is known to the session under its alias.
  RegisterVelmoricAlias();
  Session().GetDatabaseNames(*ComboBoxDatabases->Items());
}

TFFormVelmoricTableExpert::~TFFormVelmoricTableExpert() {
  TTraceProc Trace("TFFormVelmoricTableExpert.Destroy");
  if (FFormVelmoricTableExpert == this) FFormVelmoricTableExpert = nullptr;
}

void TFFormVelmoricTableExpert::ComboBoxDatabasesChange(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricTableExpert.ComboBoxDatabasesChange");
  ComboBoxTable->Clear();
  if (ComboBoxDatabases->ItemIndex() < 0) return;
  Session().GetTableNames(ComboBoxDatabases->Text(), *ComboBoxTable->Items());
}

void TFFormVelmoricTableExpert::ComboBoxTableChange(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricTableExpert.ComboBoxTableChange");
  Table1->Close();
  ComboBoxField->Clear();
  ComboBoxIndex->Clear();
  if (ComboBoxTable->ItemIndex() < 0) return;
  Table1->DatabaseName = ComboBoxDatabases->Text();
  Table1->TableName = ComboBoxTable->Text();
  Table1->Open();
  for (int I = 0; I < Table1->FieldCount(); ++I) ComboBoxField->Items()->Add(Table1->Fields(I)->FieldName());
  for (int I = 0; I < Table1->IndexDefs.Count(); ++I) ComboBoxIndex->Items()->Add(Table1->IndexDefs.Items(I).Name);
  Table1->Close();
}

std::string TFFormVelmoricTableExpert::FieldAccessor(TFieldType DataType) {
  switch (DataType) {
    case ftString: return "AsString";
    case ftSmallint: return "AsSmallInt";
    case ftInteger:
    case ftAutoInc: return "AsInteger";
    case ftWord: return "AsWord";
    case ftBoolean: return "AsBoolean";
    case ftDate: return "AsDate";
    case ftDateTime: return "AsDateTime";
    default: return "Value";
  }
}

void TFFormVelmoricTableExpert::ComboBoxFieldChange(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricTableExpert.ComboBoxFieldChange");
  const int I = ComboBoxField->ItemIndex();
  TraceWrite("i = " + IntToStr(I));
  if (I < 0) return;
  // The definitions outlive the closed table; its field objects do not.
  const TFieldDef& Def = Table1->FieldDefs.Items(I);
  TraceWrite("field " + Def.Name);
  EditCommand->SetText(Format("FieldByName('%s').", Def.Name) + FieldAccessor(Def.DataType));
}

void TFFormVelmoricTableExpert::ComboBoxIndexChange(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricTableExpert.ComboBoxIndexChange");
  const int I = ComboBoxIndex->ItemIndex();
  if (I < 0) return;
  const TIndexDef& Def = Table1->IndexDefs.Items(I);
  EditCommand->SetText("IndexName := '" + Def.Name + "';");
  EditIndexfields->SetText(Def.Fields);
}

void TFFormVelmoricTableExpert::ButtonCopyClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricTableExpert.ButtonCopyClick");
  Clipboard().SetAsText(EditCommand->Text());
  Close();
}

TFFormVelmoricTableExpert* FormVelmoricTableExpert() {
  if (!FFormVelmoricTableExpert) {
    FFormVelmoricTableExpert = new TFFormVelmoricTableExpert(nullptr);
    if (tracelet) tracelet->StrWrite("velmoric.createForm", FFormVelmoricTableExpert->Name());
  }
  return FFormVelmoricTableExpert;
}
