#include "help/VelmoricRTFEditor.h"

#include <vector>

#include "help/VelmoraRtfEditorNewSubTopic.h"
#include "help/VelmoricCreateTable.h"
#include "help/VelmoricFormatBar.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormBuilding.h"
#include "trace/traceletVelmoric.h"

TFFormVelmoricRTFEdit* FFormVelmoricRTFEdit = nullptr;
TFormVelmoricNewEntry* FormVelmoricNewEntry = nullptr;

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

// The part of a topic's name after its last ".", or the whole name.
std::string ShortName(const std::string& Name) {
  const size_t Dot = Name.rfind('.');
  return Dot == std::string::npos ? Name : Name.substr(Dot + 1);
}

void Report(const std::string& Text) {
  TMessageBoxRequest Box;
  Box.Caption = "Velmoric";
  Box.Text = Text;
  Box.DlgType = mtError;
  ShowMessageBox(Box);
}

// Runs Step; a failure is reported with Text and swallowed.
template <typename F>
void Guarded(const std::string& Text, F Step) {
  try {
    Step();
  } catch (const std::exception& E) {
    Write(Text + ": " + E.what());
    Report(Text);
  }
}

template <typename T>
void FreeWindow(T*& Form) {
  T* F = Form;
  Form = nullptr;
  delete F;
}

const char* const RtfFilter = "rich text|*.rtf";

}  // namespace

TFFormVelmoricRTFEdit* GetFormVelmoricRTFEdit() {
  if (!FFormVelmoricRTFEdit) {
    FFormVelmoricRTFEdit = new TFFormVelmoricRTFEdit(Application);
    if (tracelet) tracelet->StrWrite("velmoric.createForm", FFormVelmoricRTFEdit->Name());
  }
  return FFormVelmoricRTFEdit;
}

TFFormVelmoricRTFEdit::TFFormVelmoricRTFEdit(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.FormCreate");
  SetName("FFormVelmoricRTFEdit");
  Caption = "Edit documentation";
  SetBounds(Left(), Top(), 640, 480);

  TableMDB = new TTable(this);
  TableMDB->SetName("TableMDB");
  TableMDB1 = new TTable(this);
  TableMDB1->SetName("TableMDB1");
  DataSourceMDB = new TDataSource(this);
  DataSourceMDB->SetName("DataSourceMDB");
  DataSourceMDB->SetDataSet(TableMDB);

  PanelTop = MakeControl<TPanel>(this, this, "PanelTop", 0, 0, 640, 30);
  PanelTop->SetAlign(alTop);
  struct TButtonDef {
    TButton* TFFormVelmoricRTFEdit::*Field;
    const char* Name;
    const char* Caption;
    void (TFFormVelmoricRTFEdit::*Click)(TObject*);
  };
  const TButtonDef Buttons[] = {
      {&TFFormVelmoricRTFEdit::ButtonParent, "ButtonParent", "<no parent>", &TFFormVelmoricRTFEdit::ButtonParentClick},
      {&TFFormVelmoricRTFEdit::ButtonNewSubTopic, "ButtonNewSubTopic", "New sub topic...",
       &TFFormVelmoricRTFEdit::ButtonNewSubTopicClick},
      {&TFFormVelmoricRTFEdit::ButtonOpenEntry, "ButtonOpenEntry", "Open Entry",
       &TFFormVelmoricRTFEdit::ButtonOpenEntryClick},
      {&TFFormVelmoricRTFEdit::ButtonOpen, "ButtonOpen", "Open", &TFFormVelmoricRTFEdit::ButtonOpenClick},
      {&TFFormVelmoricRTFEdit::ButtonSave, "ButtonSave", "Save", &TFFormVelmoricRTFEdit::ButtonSaveFileClick},
      {&TFFormVelmoricRTFEdit::ButtonPrint, "ButtonPrint", "Print", &TFFormVelmoricRTFEdit::ButtonPrintClick},
      {&TFFormVelmoricRTFEdit::ButtonParagraph, "ButtonParagraph", "Paragraph...",
       &TFFormVelmoricRTFEdit::ButtonParagraphClick},
  };
  int X = 4;
  for (const TButtonDef& B : Buttons) {
    const int Width = B.Field == &TFFormVelmoricRTFEdit::ButtonParent ? 160 : 84;
    TButton* Button = MakeControl<TButton>(this, PanelTop, B.Name, X, 3, Width, 25);
    Button->Caption = B.Caption;
    Button->OnClick = [this, Click = B.Click](TObject* S) { (this->*Click)(S); };
    this->*B.Field = Button;
    X += Width + 4;
  }

  PanelFormat = MakeControl<TPanel>(this, this, "PanelFormat", 0, 30, 640, 26);
  PanelFormat->SetAlign(alTop);
  ListBoxMembers = MakeControl<TListBox>(this, this, "ListBoxMembers", 480, 56, 160, 424);
  ListBoxMembers->SetAlign(alRight);
  ListBoxMembers->OnClick = [this](TObject* S) { ListBoxMembersClick(S); };
  OleEdit1 = MakeControl<TRichEdit>(this, this, "OleEdit1", 0, 56, 480, 424);
  OleEdit1->SetAlign(alClient);
  OleEdit1->ScrollBars = ssBoth;
  OleEdit1->DefAttributes()->SetName("Arial");
  OleEdit1->DefAttributes()->SetSize(12);
  OleEdit1->OnSelectionChange = [this](TObject*) {
    if (!FLoading) FormatBar->SelectionChanged();
  };
  FormatBar = std::make_unique<TVelmoricFormatBar>(this, PanelFormat, OleEdit1, "Arial", 12);
  Edit2 = MakeControl<TEdit>(this, this, "Edit2", 0, 0, 10, 21);
  Edit2->Hide();

  PopupMenuText = new TPopupMenu(this);
  PopupMenuText->SetName("PopupMenuText");
  AddMenuItem(PopupMenuText, "MenuJump", "Jump", [this](TObject* S) { MenuJumpClick(S); });
  AddMenuItem(PopupMenuText, "MenuInsertLink", "Insert link", [this](TObject* S) { MenuInsertLinkClick(S); });
  AddMenuItem(PopupMenuText, "MenuParagraph", "Paragraph...", [this](TObject* S) { ButtonParagraphClick(S); });
  OleEdit1->SetPopupMenu(PopupMenuText);
  PopupMenuMembers = new TPopupMenu(this);
  PopupMenuMembers->SetName("PopupMenuMembers");
  AddMenuItem(PopupMenuMembers, "MenuCopyLink", "Copy topic as link", [this](TObject* S) { MenuCopyLinkClick(S); });
  ListBoxMembers->SetPopupMenu(PopupMenuMembers);

  OnShow = [this](TObject* S) { FormShow(S); };
  OnClose = [this](TObject* S, TCloseAction& Action) { FormClose(S, Action); };
}

TFFormVelmoricRTFEdit::~TFFormVelmoricRTFEdit() {
  TTraceProc Trace("TFFormVelmoricRTFEdit.FormDestroy");
  BeginDestroy();
  if (FFormVelmoricRTFEdit == this) FFormVelmoricRTFEdit = nullptr;
  // Freed while shown: the closing steps, without the messages.
  try {
    if (TableMDB->Active()) SaveEditor();
  } catch (const std::exception& E) {
    Write(std::string("Error in Save Editor / Close tables: ") + E.what());
  }
  FreeWindow(FormNewSubTopic);
  FreeWindow(FormParagraph);
  FreeWindow(FormVelmoricNewEntry);
}

// ------------------------------------------------------------- the tables

void TFFormVelmoricRTFEdit::OpenTables() {
  TTraceProc Trace("TFFormVelmoricRTFEdit.OpenTables");
  SetupHelpTable(*TableMDB);
  SetupHelpTable(*TableMDB1);
  CreateDataFiles();
  TableMDB->Open();
  // Jump looks topics up by name, and by parent and name.
  const struct {
    const char* Name;
    const char* Fields;
  } Lookups[] = {{"I_MDB_FULLNAME", "XName"}, {"I_MDBXParentXName", "XParent;XName"}};
  for (const auto& L : Lookups) {
    if (TableMDB->IndexDefs.IndexOf(L.Name) >= 0) continue;
    try {
      TableMDB->AddIndex(L.Name, L.Fields, ixCaseInsensitive);
    } catch (const EDatabaseError& E) {
      // A read-only table is searched without them.
      Write(E.Message());
    }
  }
  TableMDB1->SetIndexName("IVHPARENT");
  TableMDB1->MasterFields = "Nr";
  TableMDB1->SetMasterSource(DataSourceMDB);
  TableMDB1->Open();
  if (!TableMDB->Locate("XParent", TFieldValue(int64_t(-1)))) {
    TableMDB->Append();
    TableMDB->FieldByName("XParent")->SetAsInteger(-1);
    TableMDB->FieldByName("XName")->SetAsString("Root");
    TableMDB->Post();
  }
  if (FCurrent < 0 || !Locate(FCurrent)) {
    if (!TableMDB->Locate("XParent", TFieldValue(int64_t(-1)))) TableMDB->First();
    FCurrent = TableMDB->FieldByName("Nr")->AsInteger();
  }
}

void TFFormVelmoricRTFEdit::FormShow(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.FormShow");
  if (TableMDB->Active()) return;
  try {
    OpenTables();
  } catch (const Exception& E) {
    Write(E.Message());
    TableMDB1->Close();
    TableMDB->Close();
    Report("Could not open the manual: " + E.Message());
    return;
  }
  UpdateListBox();
}

bool TFFormVelmoricRTFEdit::Locate(int64_t Nr) {
  return TableMDB->Locate("Nr", TFieldValue(Nr));
}

void TFFormVelmoricRTFEdit::LoadBody(const std::string& Rtf) {
  FLoading = true;
  OleEdit1->SetRtfText(Rtf);
  OleEdit1->Modified = false;
  FLoading = false;
}

void TFFormVelmoricRTFEdit::SaveEditor() {
  TTraceProc Trace("TFFormVelmoricRTFEdit.SaveEditor");
  if (!TableMDB->Active() || !Locate(FCurrent)) return;
  TableMDB->Edit();
  TableMDB->FieldByName("XText")->SetAsString(OleEdit1->RtfText());
  TableMDB->Post();
}

void TFFormVelmoricRTFEdit::UpdateListBox() {
  TTraceProc Trace("TFFormVelmoricRTFEdit.UpdateListBox");
  if (!TableMDB->Active() || !Locate(FCurrent)) return;
  LoadBody(TableMDB->FieldByName("XText")->AsString());
  Caption = "Edit documentation for " + TableMDB->FieldByName("XName")->AsString();
  ListBoxMembers->Items()->Clear();
  FMemberNrs.clear();
  FMemberNames.clear();
  for (TableMDB1->First(); !TableMDB1->Eof(); TableMDB1->Next()) {
    const std::string Name = TableMDB1->FieldByName("XName")->AsString();
    ListBoxMembers->Items()->Add(ShortName(Name));
    FMemberNames.push_back(Name);
    FMemberNrs.push_back(TableMDB1->FieldByName("Nr")->AsInteger());
  }
  const TField* Parent = TableMDB->FieldByName("XParent");
  FParentNr = Parent->IsNull() ? -1 : Parent->AsInteger();
  if (FParentNr != FCurrent && Locate(FParentNr)) {
    ButtonParent->Caption = TableMDB->FieldByName("XName")->AsString();
  } else {
    ButtonParent->Caption = "<no parent>";
    FParentNr = -1;
  }
  Locate(FCurrent);
}

bool TFFormVelmoricRTFEdit::GoToTopic(int64_t Nr) {
  TTraceProc Trace([&] { return "TFFormVelmoricRTFEdit.GoToTopic(" + IntToStr(Nr) + ")"; });
  if (!TableMDB->Active()) return false;
  SaveEditor();
  if (!Locate(Nr)) return false;
  FCurrent = Nr;
  UpdateListBox();
  return true;
}

// ------------------------------------------------------------- navigation

void TFFormVelmoricRTFEdit::ListBoxMembersClick(TObject* Sender) {
  const int I = ListBoxMembers->ItemIndex();
  if (I >= 0 && I < static_cast<int>(FMemberNrs.size())) GoToTopic(FMemberNrs[I]);
}

void TFFormVelmoricRTFEdit::ButtonParentClick(TObject* Sender) {
  if (FParentNr >= 0) GoToTopic(FParentNr);
}

void TFFormVelmoricRTFEdit::MenuJumpClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.MenuJumpClick");
  const std::string Word = Trim(OleEdit1->SelText());
  if (!TableMDB->Active() || Word.empty()) return;
  SaveEditor();
  int64_t Target = -1;
  if (TableMDB->Locate("XName", TFieldValue(Word), loCaseInsensitive)) {
    Target = TableMDB->FieldByName("Nr")->AsInteger();
  } else {
    // A member of the current topic, by its full or its short name.
    for (size_t I = 0; I < FMemberNames.size() && Target < 0; ++I)
      if (SameText(FMemberNames[I], Word) || SameText(ShortName(FMemberNames[I]), Word)) Target = FMemberNrs[I];
  }
  if (Target < 0) {
    Write("Jump: no topic " + Word);
    Locate(FCurrent);
    return;
  }
  FCurrent = Target;
  UpdateListBox();
}

// ------------------------------------------------------------------ links

void TFFormVelmoricRTFEdit::MenuCopyLinkClick(TObject* Sender) {
  const int I = ListBoxMembers->ItemIndex();
  if (I < 0 || I >= static_cast<int>(FMemberNames.size())) return;
  TEdit Temp(nullptr);
  Temp.SetName("_temp");
  Temp.SetText(FMemberNames[I]);
  Clipboard().SetAsText(Temp.Text());
}

void TFFormVelmoricRTFEdit::MenuInsertLinkClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.MenuInsertLinkClick");
  Edit2->SetText(Clipboard().AsText());
  const std::string Link = Edit2->Text();
  if (Link.empty()) return;
  TTextAttributes* A = OleEdit1->SelAttributes();
  const TColor Color = A->Color();
  const TFontStyles Style = A->Style();
  const int Start = OleEdit1->SelStart();
  OleEdit1->SetSelText(Link);
  OleEdit1->Select(Start, static_cast<int>(Link.size()));
  A->SetStyle(Style | fsUnderline);
  A->SetColor(clBlue);
  // Typing goes on in the colour and style from before.
  OleEdit1->SetSelStart(Start + static_cast<int>(Link.size()));
  A->SetColor(Color);
  A->SetStyle(Style);
}

// ------------------------------------------------------------- sub-topics

int64_t TFFormVelmoricRTFEdit::InsertTopic(const std::string& Name, int64_t Parent, const std::string& Body) {
  TableMDB->Insert();
  TableMDB->FieldByName("XName")->SetAsString(Name);
  TableMDB->FieldByName("XParent")->SetAsInteger(Parent);
  TableMDB->FieldByName("XText")->SetAsString(Body);
  TableMDB->Post();
  const int64_t Nr = TableMDB->FieldByName("Nr")->AsInteger();
  Locate(FCurrent);
  return Nr;
}

void TFFormVelmoricRTFEdit::ButtonNewSubTopicClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.ButtonNewSubTopicClick");
  if (!TableMDB->Active()) return;
  SaveEditor();
  if (!FormNewSubTopic) FormNewSubTopic = new TFormVelmoricRTFNewSubTopic(nullptr);
  FormNewSubTopic->Editor = this;
  FormNewSubTopic->ShowModal();
  UpdateListBox();
}

// ---------------------------------------------------------- other commands

void TFFormVelmoricRTFEdit::ButtonOpenEntryClick(TObject* Sender) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.ButtonOpenEntryClick");
  if (!TableMDB->Active()) return;
  SaveEditor();
  if (!FormVelmoricNewEntry) FormVelmoricNewEntry = new TFormVelmoricNewEntry(nullptr);
  FormVelmoricNewEntry->Bind(TableMDB, FCurrent);
  FormVelmoricNewEntry->ShowModal();
  const int64_t Chosen = FormVelmoricNewEntry->SelectedNr();
  TableMDB->Refresh();
  TableMDB1->Refresh();
  if (Chosen >= 0 && Locate(Chosen)) FCurrent = Chosen;
  UpdateListBox();
}

void TFFormVelmoricRTFEdit::ButtonOpenClick(TObject* Sender) {
  TOpenDialog Dialog(nullptr);
  Dialog.Filter = RtfFilter;
  Dialog.DefaultExt = "rtf";
  if (!Dialog.Execute() || Dialog.FileName.empty()) return;
  const std::string Rtf = ReadFileBytes(Dialog.FileName);
  OleEdit1->SetRtfText(Rtf);
  OleEdit1->Modified = true;
}

void TFFormVelmoricRTFEdit::ButtonSaveFileClick(TObject* Sender) {
  TSaveDialog Dialog(nullptr);
  Dialog.Filter = RtfFilter;
  Dialog.DefaultExt = "rtf";
  if (!Dialog.Execute() || Dialog.FileName.empty()) return;
  WriteFileAtomically(Dialog.FileName, OleEdit1->RtfText());
}

void TFFormVelmoricRTFEdit::ButtonPrintClick(TObject* Sender) {
  OleEdit1->Print("Velmoric Manual entry");
}

void TFFormVelmoricRTFEdit::ButtonParagraphClick(TObject* Sender) {
  if (!FormParagraph) FormParagraph = new TFFormVelmoricFormatParagraph(nullptr);
  FormParagraph->Execute(*OleEdit1);
}

// ---------------------------------------------------------------- closing

void TFFormVelmoricRTFEdit::FormClose(TObject* Sender, TCloseAction& Action) {
  TTraceProc Trace("TFFormVelmoricRTFEdit.FormClose");
  Guarded("Error in Save Editor / Close tables", [&] {
    if (TableMDB->Active()) SaveEditor();
    TableMDB1->Close();
    TableMDB->Close();
  });
  Guarded("Error in Release of FormVelmoricRTFNewSubTopic", [&] { FreeWindow(FormNewSubTopic); });
  Guarded("Error in Release of FFormVelmoricFormatParagraph", [&] { FreeWindow(FormParagraph); });
  Guarded("Error in Release of FormVelmoricNewEntry", [&] { FreeWindow(FormVelmoricNewEntry); });
  Action = caHide;
}

// ------------------------------------------------------------ entry grid

namespace {
const char* const EntryColumns[] = {"Nr", "XName", "XParent", "XTyp"};
}

TFormVelmoricNewEntry::TFormVelmoricNewEntry(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormVelmoricNewEntry");
  Caption = "Manual Entrys";
  SetBounds(Left(), Top(), 480, 320);
  DBGrid1 = MakeControl<TStringGrid>(this, this, "DBGrid1", 0, 0, 480, 250);
  DBGrid1->SetColCount(static_cast<int>(std::size(EntryColumns)));
  DBGrid1->SetFixedCols(0);
  DBGrid1->OnClick = [this](TObject*) { GridSelect(); };
  EditXName = MakeControl<TEdit>(this, this, "EditXName", 4, 258, 240, 21);
  EditXParent = MakeControl<TEdit>(this, this, "EditXParent", 248, 258, 60, 21);
  ButtonPost = MakeControl<TButton>(this, this, "ButtonPost", 312, 256, 75, 25);
  ButtonPost->Caption = "Post";
  ButtonPost->OnClick = [this](TObject* S) { ButtonPostClick(S); };
  ButtonOK = MakeControl<TButton>(this, this, "ButtonOK", 392, 256, 75, 25);
  ButtonOK->Caption = "OK";
  ButtonOK->ModalResult = mrOk;
}

void TFormVelmoricNewEntry::Bind(TTable* Table, int64_t Nr) {
  FTable = Table;
  std::vector<std::vector<std::string>> Rows;
  int Selected = -1;
  for (Table->First(); !Table->Eof(); Table->Next()) {
    std::vector<std::string> Row;
    for (const char* C : EntryColumns) Row.push_back(Table->FieldByName(C)->AsString());
    if (Table->FieldByName("Nr")->AsInteger() == Nr) Selected = static_cast<int>(Rows.size()) + 1;
    Rows.push_back(std::move(Row));
  }
  Table->Locate("Nr", TFieldValue(Nr));
  // An empty table shows one empty row below the titles.
  DBGrid1->SetRowCount(static_cast<int>(Rows.size()) + 1);
  for (int C = 0; C < DBGrid1->ColCount(); ++C) {
    DBGrid1->SetCells(C, 0, EntryColumns[C]);
    for (int R = 1; R < DBGrid1->RowCount(); ++R)
      DBGrid1->SetCells(C, R, R <= static_cast<int>(Rows.size()) ? Rows[R - 1][C] : std::string());
  }
  if (Selected > 0) DBGrid1->SetRow(Selected);
  GridSelect();
}

int64_t TFormVelmoricNewEntry::SelectedNr() const {
  const int R = DBGrid1->Row();
  if (R < 1 || R >= DBGrid1->RowCount()) return -1;
  return StrToIntDef(DBGrid1->Cells(0, R), -1);
}

void TFormVelmoricNewEntry::GridSelect() {
  const int R = DBGrid1->Row();
  const bool Has = SelectedNr() >= 0;
  EditXName->SetText(Has ? DBGrid1->Cells(1, R) : std::string());
  EditXParent->SetText(Has ? DBGrid1->Cells(2, R) : std::string());
}

void TFormVelmoricNewEntry::ButtonPostClick(TObject* Sender) {
  const int64_t Nr = SelectedNr();
  if (!FTable || Nr < 0 || !FTable->Locate("Nr", TFieldValue(Nr))) return;
  FTable->Edit();
  try {
    FTable->FieldByName("XName")->SetAsString(EditXName->Text());
    FTable->FieldByName("XParent")->SetAsString(Trim(EditXParent->Text()));
    FTable->Post();
  } catch (...) {
    FTable->Cancel();
    throw;
  }
  Bind(FTable, Nr);
}

// ------------------------------------------------------- paragraph window

TFFormVelmoricFormatParagraph::TFFormVelmoricFormatParagraph(TComponent* AOwner) : TForm(AOwner) {
  SetName("FFormVelmoricFormatParagraph");
  Caption = "Paragraph";
  SetBounds(Left(), Top(), 260, 200);
  EditLeftIndent = MakeControl<TEdit>(this, this, "EditLeftIndent", 100, 8, 60, 21);
  EditRightIndent = MakeControl<TEdit>(this, this, "EditRightIndent", 100, 34, 60, 21);
  EditFirstIndent = MakeControl<TEdit>(this, this, "EditFirstIndent", 100, 60, 60, 21);
  RadioGroupAlignment = MakeControl<TRadioGroup>(this, this, "RadioGroupAlignment", 8, 88, 240, 70);
  RadioGroupAlignment->Caption = "Alignment";
  for (const char* A : {"Left", "Right", "Center"}) RadioGroupAlignment->Items()->Add(A);
  ButtonOK = MakeControl<TButton>(this, this, "ButtonOK", 92, 166, 75, 25);
  ButtonOK->Caption = "OK";
  ButtonOK->ModalResult = mrOk;
  ButtonCancel = MakeControl<TButton>(this, this, "ButtonCancel", 172, 166, 75, 25);
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->ModalResult = mrCancel;
}

bool TFFormVelmoricFormatParagraph::Execute(TRichEdit& Edit) {
  TParaAttributes* P = Edit.Paragraph();
  EditLeftIndent->SetText(IntToStr(P->LeftIndent()));
  EditRightIndent->SetText(IntToStr(P->RightIndent()));
  EditFirstIndent->SetText(IntToStr(P->FirstIndent()));
  // The items stand in the order of TAlignment.
  RadioGroupAlignment->SetItemIndex(static_cast<int>(P->Alignment()));
  if (ShowModal() != mrOk) return false;
  // Indents in points; a text that is no number keeps the indent.
  P->SetLeftIndent(StrToIntDef(Trim(EditLeftIndent->Text()), P->LeftIndent()));
  P->SetRightIndent(StrToIntDef(Trim(EditRightIndent->Text()), P->RightIndent()));
  P->SetFirstIndent(StrToIntDef(Trim(EditFirstIndent->Text()), P->FirstIndent()));
  if (RadioGroupAlignment->ItemIndex() >= 0) P->SetAlignment(static_cast<TAlignment>(RadioGroupAlignment->ItemIndex()));
  return true;
}
