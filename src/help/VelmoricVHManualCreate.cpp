#include "help/VelmoricVHManualCreate.h"

#include <filesystem>

#include "project/VelmoricPascalProject.h"
#include "project/VelmoricProjectSettings.h"
#include "trace/traceletVelmoric.h"

namespace {

template <typename T>
T* Make(TComponent* Owner, const char* Name) {
  T* C = new T(Owner);
  C->SetName(Name);
  C->SetParent(static_cast<TWinControl*>(Owner));
  return C;
}

}  // namespace

TFormVelmoricManualCreate::TFormVelmoricManualCreate(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricManualCreate.Create");
  SetName("FormVelmoricManualCreate");
  Caption = "Create a manual or help file";
  SetBounds(Left(), Top(), 520, 420);
  ComboBoxTemplate = Make<TComboBox>(this, "ComboBoxTemplate");
  ComboBoxTemplate->SetBounds(8, 8, 300, 21);
  ButtonLoad = Make<TButton>(this, "ButtonLoad");
  ButtonLoad->Caption = "Load";
  ButtonLoad->SetBounds(316, 6, 75, 25);
  ComboBoxUnits = Make<TComboBox>(this, "ComboBoxUnits");
  ComboBoxUnits->Style = csDropDownList;
  ComboBoxUnits->SetBounds(8, 40, 240, 21);
  ListBoxUnits = Make<TListBox>(this, "ListBoxUnits");
  ListBoxUnits->MultiSelect = true;
  ListBoxUnits->SetBounds(8, 68, 240, 260);
  StringGridStyles = Make<TStringGrid>(this, "StringGridStyles");
  StringGridStyles->SetBounds(256, 40, 256, 200);
  StringGridStyles->SetColCount(2);
  StringGridStyles->SetRowCount(2);
  StringGridStyles->SetFixedRows(1);
  StringGridStyles->SetFixedCols(0);
  StringGridStyles->SetCells(0, 0, "Name");
  StringGridStyles->SetCells(1, 0, "Used for");
  ComboBox1 = Make<TComboBox>(this, "ComboBox1");
  ComboBox1->Style = csDropDownList;
  ComboBox1->SetBounds(256, 248, 160, 21);
  for (const char* Tag : RTFTagNames) ComboBox1->Items()->Add(Tag);
  RichEditSample = Make<TRichEdit>(this, "RichEditSample");
  RichEditSample->ReadOnly = true;
  RichEditSample->SetBounds(256, 276, 256, 52);
  ButtonSaveParameters = Make<TButton>(this, "ButtonSaveParameters");
  ButtonSaveParameters->Caption = "Save Parametes";
  ButtonSaveParameters->SetBounds(8, 340, 100, 25);
  ButtonManual = Make<TButton>(this, "ButtonManual");
  ButtonManual->Caption = "Create manual";
  ButtonManual->SetBounds(180, 340, 100, 25);
  ButtonHelp = Make<TButton>(this, "ButtonHelp");
  ButtonHelp->Caption = "Create help file";
  ButtonHelp->SetBounds(288, 340, 100, 25);
  ButtonCancel = Make<TButton>(this, "ButtonCancel");
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->ModalResult = mrCancel;
  ButtonCancel->SetBounds(396, 340, 75, 25);

  OnShow = [this](TObject* S) { FormShow(S); };
  ComboBoxUnits->OnChange = [this](TObject* S) { ComboBoxUnitsChange(S); };
  ListBoxUnits->OnClick = [this](TObject* S) { ListBoxUnitsClick(S); };
  ButtonLoad->OnClick = [this](TObject* S) { ButtonLoadClick(S); };
  StringGridStyles->OnClick = [this](TObject* S) { StringGridStylesClick(S); };
  ComboBox1->OnChange = [this](TObject* S) { ComboBox1Change(S); };
  ButtonSaveParameters->OnClick = [this](TObject* S) { ButtonSaveParametersClick(S); };
  ButtonManual->OnClick = [this](TObject*) {
    MakeHelp = false;
    ModalResult = mrOk;
  };
  ButtonHelp->OnClick = [this](TObject*) {
    MakeHelp = true;
    ModalResult = mrOk;
  };
}

void TFormVelmoricManualCreate::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricManualCreate.FormShow");
  ComboBoxTemplate->Items()->Clear();
  std::error_code Ec;
  if (!VelmoricPath.empty())
    for (const auto& E : std::filesystem::directory_iterator(VelmoricPath, Ec))
      if (E.is_regular_file() && SameText(E.path().extension().string(), ".rtf"))
        ComboBoxTemplate->Items()->Add(E.path().string());
  ComboBoxTemplate->Items()->Sort();
  ComboBoxUnits->Clear();
  if (Project && Project->FUnitLIst) {
    TStringList Dirs;
    Dirs.SetSorted(true);
    Dirs.SetDuplicates(dupIgnore);
    for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
      if (S && S->Found && !S->FileName.empty()) Dirs.Add(ExtractFilePath(S->FileName));
    }
    ComboBoxUnits->Items()->Assign(Dirs);
  }
}

void TFormVelmoricManualCreate::ComboBoxUnitsChange(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricManualCreate.ComboBoxUnitsChange");
  ListBoxUnits->Clear();
  const std::string Dir = ComboBoxUnits->Text();
  std::error_code Ec;
  TStringList Files;
  Files.SetSorted(true);
  for (const auto& E : std::filesystem::directory_iterator(Dir, Ec))
    if (E.is_regular_file() && SameText(E.path().extension().string(), ".pas"))
      Files.Add(IncludeTrailingPathDelimiter(Dir) + E.path().filename().string());
  ListBoxUnits->Items()->Assign(Files);
  for (int I = 0; I < ListBoxUnits->Items()->Count(); ++I)
    ListBoxUnits->SetSelected(I, Units.IndexOf(LowerCase(ListBoxUnits->Items()->Get(I))) >= 0);
}

void TFormVelmoricManualCreate::ListBoxUnitsClick(TObject* Sender) {
  for (int I = 0; I < ListBoxUnits->Items()->Count(); ++I) {
    const std::string File = LowerCase(ListBoxUnits->Items()->Get(I));
    const int At = Units.IndexOf(File);
    if (ListBoxUnits->Selected(I) && At < 0) Units.Add(File);
    if (!ListBoxUnits->Selected(I) && At >= 0) Units.Delete(At);
  }
}

void TFormVelmoricManualCreate::FillStyles() {
  StringGridStyles->SetRowCount(std::max(2, RTF.GetSheetCount() + 1));
  StringGridStyles->SetCells(0, 1, "");
  StringGridStyles->SetCells(1, 1, "");
  for (int I = 0; I < RTF.GetSheetCount(); ++I) {
    StringGridStyles->SetCells(0, I + 1, RTF.GetSheet(I)->StyleName);
    StringGridStyles->SetCells(1, I + 1, RTF.GetSheet(I)->UsedFor);
  }
}

void TFormVelmoricManualCreate::ButtonLoadClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricManualCreate.ButtonLoadClick");
  RTF.ReadFromFile(ComboBoxTemplate->Text());
  if (RTF.FileName.empty()) {
    FillStyles();
    return;
  }
  RTF.ReadStylesheets();
  Units.Clear();
  if (FileExists(UnitsFileName())) {
    TStringList Read;
    Read.LoadFromFile(UnitsFileName());
    for (int I = 0; I < Read.Count(); ++I)
      if (!Trim(Read[I]).empty()) Units.Add(LowerCase(Read[I]));
  }
  FillStyles();
}

void TFormVelmoricManualCreate::StringGridStylesClick(TObject* Sender) {
  const int Row = StringGridStyles->Row();
  TStyleSheet* Sheet = Row >= 1 && Row <= RTF.GetSheetCount() ? RTF.GetSheet(Row - 1) : nullptr;
  if (!Sheet) return;
  RichEditSample->SetRtfText("{\\rtf1 " + Sheet->Format + " " + Sheet->StyleName + "\\par}");
  const int Tag = TVelmoricRTF::GetTagID(Sheet->UsedFor);
  if (Tag < RTFNoTag) ComboBox1->SetItemIndex(Tag);
}

void TFormVelmoricManualCreate::ComboBox1Change(TObject* Sender) {
  const int Row = StringGridStyles->Row();
  if (Row < 1 || Row > RTF.GetSheetCount() || ComboBox1->ItemIndex() < 0) return;
  RTF.GetSheet(Row - 1)->UsedFor = ComboBox1->Text();
  StringGridStyles->SetCells(1, Row, ComboBox1->Text());
}

void TFormVelmoricManualCreate::ButtonSaveParametersClick(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricManualCreate.ButtonSaveParametersClick");
  if (RTF.FileName.empty()) return;
  RTF.SaveParameters();
  Units.SaveToFile(UnitsFileName());
}
