#include "browsers/VelmoricNewClasspas.h"

#include "browsers/VelmoricSourceExplorer.h"
#include "ide/VelmoricEditorStrings.h"
#include "ide/VelmoricWizard.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewPropertyEditor.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

std::string ClassHead(const std::string& ClassName, const std::string& BaseClass) {
  return BaseClass.empty() ? Format("%s = class", ClassName) : Format("%s = class(%s)", ClassName, BaseClass);
}

}  // namespace

bool InsertClassSkeleton(TStrings& Lines, const std::string& ClassName, const std::string& BaseClass) {
  TTraceProc Trace("InsertClassSkeleton");
  TToken Token(&Lines);
  Write("searching");
  while (Token.Next()) {
    Write(Token.TokenText);
    if (Token.LowerText != "type") continue;
    int Line = Token.TokenLine;
    Write(Format("insert at %d", Line));
    for (const std::string& S : {ClassHead(ClassName, BaseClass), std::string("  private"),
                                 std::string("  protected"), std::string("  public"),
                                 std::string("  published"), std::string("end;"), std::string()})
      Lines.Insert(++Line, S);
    return true;
  }
  return false;
}

std::vector<std::string> NewClassUnit(const std::string& FileName, const std::string& ClassName,
                                      const std::string& BaseClass) {
  return {"unit " + ChangeFileExt(ExtractFileName(FileName), "") + ";",
          "",
          "interface",
          "type",
          "  " + ClassHead(ClassName, BaseClass),
          "  private",
          "  protected",
          "  public",
          "  published",
          "  private",
          "end;",
          "",
          "implementation",
          "end."};
}

TFormVelmoricNewClass::TFormVelmoricNewClass(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormVelmoricNewClass.Create");
  SetName("FormVelmoricNewClass");
  Caption = "New class";
  BorderStyle = bsDialog;
  SetBounds((Screen ? Screen->Width - 300 : 0) / 2, (Screen ? Screen->Height - 190 : 0) / 2, 300, 190);
  auto Label = [&](const std::string& Name, const std::string& Caption, int Top) {
    auto* L = MakeControl<TLabel>(this, this, Name, 8, Top, 100, 13);
    L->Caption = Caption;
    return L;
  };
  LabelClass = Label("LabelClass", "Class name", 8);
  EditClass = MakeControl<TEdit>(this, this, "EditClass", 8, 24, 280, 21);
  LabelSourcefile = Label("LabelSourcefile", "Source file", 48);
  ComboBoxSourcefile = MakeControl<TComboBox>(this, this, "ComboBoxSourcefile", 8, 64, 252, 21);
  ComboBoxSourcefile->SetSorted(true);
  SpeedButton1 = MakeControl<TSpeedButton>(this, this, "SpeedButton1", 264, 64, 23, 22);
  SpeedButton1->Caption = "...";
  SpeedButton1->OnClick = [this](TObject* S) { SpeedButton1Click(S); };
  LabelBaseclass = Label("LabelBaseclass", "Base class", 88);
  ComboBoxBaseclass = MakeControl<TComboBox>(this, this, "ComboBoxBaseclass", 8, 104, 280, 21);
  ComboBoxBaseclass->SetSorted(true);
  Button1 = MakeControl<TButton>(this, this, "Button1", 132, 136, 75, 25);
  Button1->Caption = "Create";
  Button1->Default = true;
  Button1->OnClick = [this](TObject* S) { Button1Click(S); };
  ButtonCancel = MakeControl<TButton>(this, this, "ButtonCancel", 212, 136, 75, 25);
  ButtonCancel->Caption = "Cancel";
  ButtonCancel->Cancel = true;
  ButtonCancel->ModalResult = mrCancel;
  OnShow = [this](TObject* S) { FormShow(S); };
}

void TFormVelmoricNewClass::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewClass.FormShow");
  ComboBoxSourcefile->Items()->Clear();
  ComboBoxBaseclass->Items()->Clear();
  TPascalProject* Project = Expert ? Expert->Project : nullptr;
  if (Project) {
    for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
      auto* S = static_cast<TPascalSource*>(Project->FUnitLIst->GetObjects(I));
      if (S && S->Found && ComboBoxSourcefile->Items()->IndexOf(S->FileName) < 0)
        ComboBoxSourcefile->Items()->Add(S->FileName);
    }
    TStringList Classes;
    Project->CreateSymbolList(typClass, &Classes);
    for (int I = 0; I < Classes.Count(); ++I)
      if (ComboBoxBaseclass->Items()->IndexOf(Classes.Get(I)) < 0) ComboBoxBaseclass->Items()->Add(Classes.Get(I));
  } else if (ToolServices) {
    for (int I = 0; I < ToolServices->GetUnitCount(); ++I) ComboBoxSourcefile->Items()->Add(ToolServices->GetUnitName(I));
  }
}

void TFormVelmoricNewClass::SpeedButton1Click(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewClass.SpeedButton1Click");
  TOpenDialog Dialog(nullptr);
  Dialog.DefaultExt = "PAS";
  Dialog.FileName = "NewFile";
  Dialog.Filter = "Pascal source|*.pas";
  if (Dialog.Execute()) ComboBoxSourcefile->SetText(Dialog.FileName);
}

void TFormVelmoricNewClass::Button1Click(TObject* Sender) {
  TTraceProc Trace("TFormVelmoricNewClass.Button1Click");
  const std::string ClassName = Trim(EditClass->Text());
  const std::string BaseClass = Trim(ComboBoxBaseclass->Text());
  const std::string Source = Trim(ComboBoxSourcefile->Text());
  auto Refuse = [](const std::string& Text) {
    Application->MessageBox(Text, "Velmoric", MB_OK | MB_ICONINFORMATION);
  };
  if (!IsPascalIdentifier(ClassName) || (!BaseClass.empty() && !IsPascalIdentifier(BaseClass)))
    return Refuse("Enter the name of the class and of its base class.");
  if (Source.empty()) return Refuse("Enter the source file.");
  if (!ToolServices) return;
  std::string FileName = Source;
  if (Expert) Expert->FindSource(Source, FileName);
  if (!ToolServices->IsFileOpen(FileName)) {
    // A file that is not there yet starts as an empty buffer.
    const bool Opened = FileExists(FileName)
                            ? ToolServices->OpenFile(FileName)
                            : ToolServices->CreateModule(FileName, "", CreateModuleFlag(cmShowSource) |
                                                                           CreateModuleFlag(cmMarkModified));
    if (!Opened) return Refuse("Cannot open " + FileName);
  }
  TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
  TIEditorInterface* Editor = Module ? Module->GetEditorInterface() : nullptr;
  if (!Editor) {
    if (Module) Module->Release();
    return Refuse("Cannot open " + FileName);
  }
  bool Compile = false;
  try {
    TEditorStrings Lines(Editor);
    if (Lines.Count() > 0) {
      if (!InsertClassSkeleton(Lines, ClassName, BaseClass)) {
        Editor->Release();
        Module->Release();
        return Refuse("There is no type section in " + ExtractFileName(FileName));
      }
      Compile = true;
    } else {
      for (const std::string& L : NewClassUnit(FileName, ClassName, BaseClass)) Lines.Add(L);
    }
    Lines.SaveToEditor();
  } catch (...) {
    Editor->Release();
    Module->Release();
    throw;
  }
  Editor->Release();
  Module->Release();
  if (Compile && Expert && Expert->Project) {
    Write("compile " + FileName);
    Expert->Project->Compile(FileName, {oCompileUnits, oCompileImplementation});
    if (FFormSourceExplorer) FFormSourceExplorer->UpdateClassBox();
  }
  ModalResult = mrOk;
}
