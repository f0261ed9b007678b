#include "help/VelmoraRtfEditorNewSubTopic.h"

#include "help/VelmoricRTFEditor.h"
#include "platform/db/DBTables.h"
#include "platform/vcl/FormBuilding.h"
#include "platform/vcl/RichText.h"
#include "trace/traceletVelmoric.h"

TFormVelmoricRTFNewSubTopic::TFormVelmoricRTFNewSubTopic(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormVelmoricRTFNewSubTopic");
  Caption = "Velmoric Edit Manual - Create new sub topic";
  SetBounds(Left(), Top(), 360, 240);
  PageControl1 = MakeControl<TPageControl>(this, this, "PageControl1", 0, 0, 360, 200);
  TabSheetManual = new TTabSheet(this);
  TabSheetManual->SetName("TabSheetManual");
  TabSheetManual->Caption = "Manual";
  TabSheetManual->SetPageControl(PageControl1);
  TabSheetTable = new TTabSheet(this);
  TabSheetTable->SetName("TabSheetTable");
  TabSheetTable->Caption = "From Table";
  TabSheetTable->SetPageControl(PageControl1);
  PageControl1->SetActivePage(TabSheetManual);

  EditName = MakeControl<TEdit>(this, TabSheetManual, "EditName", 8, 8, 330, 21);
  CheckBoxAddParent = MakeControl<TCheckBox>(this, TabSheetManual, "CheckBoxAddParent", 8, 36, 330, 17);
  CheckBoxAddParent->Caption = "Add parent name to topic name";
  CheckBoxAddParent->Checked = true;
  RadioGroupType = MakeControl<TRadioGroup>(this, TabSheetManual, "RadioGroupType", 8, 60, 330, 60);
  RadioGroupType->Caption = "Type";
  for (const char* T : {"cls", "pro", "var", "typ", "rec"}) RadioGroupType->Items()->Add(T);

  ComboBoxAlias = MakeControl<TComboBox>(this, TabSheetTable, "ComboBoxAlias", 8, 8, 330, 21);
  ComboBoxAlias->Style = csDropDownList;
  ComboBoxAlias->OnChange = [this](TObject* S) { ComboBoxAliasChange(S); };
  ComboBoxTable = MakeControl<TComboBox>(this, TabSheetTable, "ComboBoxTable", 8, 36, 330, 21);
  ComboBoxTable->Style = csDropDownList;

  ButtonOK = MakeControl<TButton>(this, this, "ButtonOK", 196, 208, 75, 25);
  ButtonOK->Caption = "OK";
  ButtonOK->OnClick = [this](TObject* S) { ButtonOKClick(S); };
  ButtonCancel = MakeControl<TButton>(this, this, "ButtonCancel", 276, 208, 75, 25);
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->ModalResult = mrCancel;
  OnShow = [this](TObject* S) { FormShow(S); };
}

void TFormVelmoricRTFNewSubTopic::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricRTFNewSubTopic.FormShow");
  ComboBoxAlias->Clear();
  ComboBoxTable->Clear();
  Session().GetDatabaseNames(*ComboBoxAlias->Items());
  EditName->SetText("");
  ParentName.clear();
  ParentNr = -1;
  if (Editor && Editor->TableMDB->Active() && Editor->TableMDB->Locate("Nr", TFieldValue(Editor->CurrentNr()))) {
    ParentName = Editor->TableMDB->FieldByName("XName")->AsString();
    ParentNr = Editor->CurrentNr();
  }
}

void TFormVelmoricRTFNewSubTopic::ComboBoxAliasChange(TObject* Sender) {
  ComboBoxTable->Clear();
  if (ComboBoxAlias->Text().empty()) return;
  try {
    Session().GetTableNames(ComboBoxAlias->Text(), *ComboBoxTable->Items());
  } catch (const EDatabaseError& E) {
    if (tracelet) tracelet->write(E.Message());
  }
}

std::string TFormVelmoricRTFNewSubTopic::TitleBody(const std::string& Title, const std::string& Line) {
  TRichTextDocument Doc;
  TCharFormat Format;
  Format.FontName = "TimesNewRoman";
  Format.HalfPoints = 48;
  Doc.Replace(0, 0, Title, Format);
  Doc.ApplyParaFormat(0, 0, [](TParaFormat& P) { P.Alignment = taCenter; });
  // After the title: 14 points, left-aligned.
  const int End = Doc.TextLength();
  Format.HalfPoints = 28;
  Doc.Replace(End, 0, "\r\n" + Line, Format);
  Doc.ApplyParaFormat(End + 2, 0, [](TParaFormat& P) { P.Alignment = taLeftJustify; });
  return Doc.SaveRtf();
}

std::string TFormVelmoricRTFNewSubTopic::FieldTypeText(int DataType, int Size) {
  const auto Type = static_cast<TFieldType>(DataType);
  if (Type == ftString) return "String(" + IntToStr(Size) + ")";
  return FieldTypeName(Type);
}

void TFormVelmoricRTFNewSubTopic::CreateManualTopic() {
  const std::string Name = Trim(EditName->Text());
  if (Name.empty()) throw Exception("Enter the name of the new topic");
  const std::string Full = CheckBoxAddParent->Checked && !ParentName.empty() ? ParentName + "." + Name : Name;
  Editor->InsertTopic(Full, ParentNr, TitleBody(Full));
}

void TFormVelmoricRTFNewSubTopic::CreateTableTopics() {
  const std::string Alias = ComboBoxAlias->Text(), Table = ComboBoxTable->Text();
  if (Alias.empty() || Table.empty()) throw Exception("Choose an alias and a table");
  TTable Source(nullptr);
  Source.DatabaseName = Alias;
  Source.TableName = Table;
  Source.FieldDefs.Update();
  const std::string Title = "Table " + Table;
  const int64_t TableNr = Editor->InsertTopic(Title, ParentNr, TitleBody(Title));
  for (int I = 0; I < Source.FieldDefs.Count(); ++I) {
    const TFieldDef& F = Source.FieldDefs.Items(I);
    const std::string Name = Table + "." + F.Name;
    Editor->InsertTopic(Name, TableNr, TitleBody("Field " + Name, "Field Type = " + FieldTypeText(F.DataType, F.Size)));
  }
}

void TFormVelmoricRTFNewSubTopic::ButtonOKClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricRTFNewSubTopic.ButtonOKClick");
  if (!Editor) return;
  if (PageControl1->ActivePage() == TabSheetTable)
    CreateTableTopics();
  else
    CreateManualTopic();
  ModalResult = mrOk;
}
