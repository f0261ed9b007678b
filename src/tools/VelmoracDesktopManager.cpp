#include "tools/VelmoracDesktopManager.h"

#include <vector>

#include "platform/opentools/ToolIntf.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/SysUtils.h"
#include "project/VelmoricProjectSettings.h"
#include "scanner/VelmoricPascalScanner.h"
#include "trace/traceletVelmoric.h"

TStringList* Desktops = nullptr;
TFormDesktopManager* FormDesktopManager = nullptr;

namespace {

const char* const ManagerName = "FormDesktopManager";
const char* const MainWindowName = "AppBuilder";
const char* const ManagerCaption = "Velmoric desktop manager";

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

void WriteOn(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

TVelmoricDesktop* DesktopAt(int Index) {
  return static_cast<TVelmoricDesktop*>(Desktops->Objects(Index));
}

// Pos as the runtime has it: an empty word occurs nowhere.
bool Occurs(const std::string& Word, const std::string& Text) {
  return !Word.empty() && Text.find(Word) != std::string::npos;
}

// The IDE's main window, or nullptr.
TCustomForm* IDEMainWindow() {
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (Screen->Forms(I)->Name() == MainWindowName) return Screen->Forms(I);
  return Application->MainForm;
}

// A text the desktop file cannot hold: quotes are not doubled, and a line
// break would read back as a blank.
bool Unwritable(const std::string& Text) {
  return Text.find_first_of("'\r\n") != std::string::npos;
}

// Reading ran into something it cannot take.
struct TDamage {
  std::string Reason;
};

}  // namespace

// --------------------------------------------------------------- desktops

TVelmoricDesktop::TVelmoricDesktop() : forms(new TStringList) {}

TVelmoricDesktop::~TVelmoricDesktop() {
  ClearForms();
  delete forms;
}

void TVelmoricDesktop::ClearForms() {
  for (int I = 0; I < forms->Count(); ++I) delete forms->Objects(I);
  forms->Clear();
}

TVelmoricDeskForm* TVelmoricDesktop::FindForm(const std::string& FormName) const {
  const int I = forms->IndexOf(FormName);
  return I < 0 ? nullptr : static_cast<TVelmoricDeskForm*>(forms->Objects(I));
}

// ------------------------------------------------------------------ window

TFormDesktopManager* GetFormDesktopManager() {
  if (!FormDesktopManager) FormDesktopManager = new TFormDesktopManager(nullptr);
  return FormDesktopManager;
}

TFormDesktopManager::TFormDesktopManager(TComponent* AOwner) : TForm(AOwner) {
  SetName(ManagerName);
  Caption = ManagerCaption;
  SetBounds(200, 150, 520, 360);
  Desktops = new TStringList;

  auto Make = [this](auto*& Control, const char* Name, const std::string& Text, int L, int T,
                     int W, int H) {
    using TControlT = std::remove_reference_t<decltype(*Control)>;
    Control = new TControlT(this);
    Control->SetName(Name);
    Control->Caption = Text;
    Control->SetBounds(L, T, W, H);
    Control->SetParent(this);
  };
  Make(ListBoxDesktops, "ListBoxDesktops", "", 8, 8, 160, 200);
  Make(ListBoxForms, "ListBoxForms", "", 8, 216, 160, 110);
  Make(LabelName, "LabelName", "Name", 180, 8, 80, 13);
  Make(EditName, "EditName", "", 180, 24, 160, 21);
  Make(LabelDescription, "LabelDescription", "Description", 180, 52, 80, 13);
  Make(EditDescription, "EditDescription", "", 180, 68, 320, 21);
  Make(CheckBoxAutomatic, "CheckBoxAutomatic", "Automatcally use this when", 180, 100, 200, 17);
  Make(RadioButtonOnEdit, "RadioButtonOnEdit", "the magic word is not in the caption", 196, 120,
       250, 17);
  Make(RadioButtonOnDebug, "RadioButtonOnDebug", "the magic word is in the caption", 196, 140,
       250, 17);
  Make(LabelMagic, "LabelMagic", "Magic word", 180, 164, 80, 13);
  Make(EditMagic, "EditMagic", "", 180, 180, 160, 21);
  Make(CheckBoxCycle, "CheckBoxCycle", "Cycle", 180, 208, 150, 17);
  Make(CheckBoxSaveOnChange, "CheckBoxSaveOnChange", "Save on change", 180, 228, 150, 17);
  Make(ButtonSave, "ButtonSave", "Save", 180, 260, 70, 25);
  Make(ButtonNew, "ButtonNew", "New", 256, 260, 70, 25);
  Make(ButtonDelete, "ButtonDelete", "Delete", 332, 260, 70, 25);
  Make(ButtonActivate, "ButtonActivate", "Activate", 180, 292, 70, 25);
  Make(ButtonCycle, "ButtonCycle", "Cycle", 256, 292, 70, 25);
  Make(ButtonAutomatic, "ButtonAutomatic", "Automatic", 332, 292, 70, 25);

  ListBoxDesktops->OnClick = [this](TObject* S) { ListBoxDesktopsClick(S); };
  ListBoxForms->OnDblClick = [this](TObject* S) { ListBoxFormsDblClick(S); };
  ButtonSave->OnClick = [this](TObject* S) { ButtonSaveClick(S); };
  ButtonNew->OnClick = [this](TObject* S) { ButtonNewClick(S); };
  ButtonDelete->OnClick = [this](TObject* S) { ButtonDeleteClick(S); };
  ButtonActivate->OnClick = [this](TObject* S) { ButtonActivateClick(S); };
  ButtonCycle->OnClick = [this](TObject* S) { ButtonCycleClick(S); };
  ButtonAutomatic->OnClick = [this](TObject* S) { ButtonAutomaticClick(S); };
  EditMagic->OnChange = [this](TObject* S) { EditMagicChange(S); };
  RadioButtonOnEdit->OnClick = [this](TObject* S) { RadioButtonModeClick(S); };
  RadioButtonOnDebug->OnClick = [this](TObject* S) { RadioButtonModeClick(S); };
  OnShow = [this](TObject* S) { FormShow(S); };

  Timer1 = new TTimer(this);
  Timer1->SetName("Timer1");
  Timer1->SetInterval(1000);
  Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };

  TTraceProc Trace("TFormDesktopManager.FormCreate");
  ReadFromFile();
  FillList();
}

TFormDesktopManager::~TFormDesktopManager() {
  BeginDestroy();
  ClearDesktops();
  FreeAndNil(Desktops);
  if (FormDesktopManager == this) FormDesktopManager = nullptr;
}

std::string TFormDesktopManager::FileName() { return VelmoricPath + "desktop.cnf"; }

void TFormDesktopManager::ClearDesktops() {
  LastAuto = nullptr;
  // The lists show the desktops: they go first.
  ListBoxForms->Clear();
  ListBoxDesktops->Clear();
  if (!Desktops) return;
  for (int I = 0; I < Desktops->Count(); ++I) delete Desktops->Objects(I);
  Desktops->Clear();
}

TVelmoricDesktop* TFormDesktopManager::SelectedDesktop() const {
  const int I = ListBoxDesktops->ItemIndex();
  if (I < 0) return nullptr;
  return static_cast<TVelmoricDesktop*>(ListBoxDesktops->Items()->Objects(I));
}

// ------------------------------------------------------------- the file

void TFormDesktopManager::ReadFromFile() {
  const std::string Name = FileName();
  TTraceProc Trace("TFormDesktopManager.ReadFromFile");
  Write("Loading " + Name);
  ClearDesktops();
  Loaded = true;
  if (!FileExists(Name)) return;
  Write("found");
  TStringList Lines;
  Lines.LoadFromFile(Name);
  TToken Token(&Lines);

  auto Next = [&Token]() {
    if (!Token.Next()) throw TDamage{"the file ends before \"end\""};
  };
  auto Integer = [&]() {
    Next();
    if (Token.IsString) throw TDamage{"'" + Token.TokenText + "' is not a valid integer value"};
    return StrToInt(Token.TokenText);
  };
  // The value after "=".
  auto Value = [&]() {
    Next();
    Next();
    return Token.TokenText;
  };

  try {
    while (Token.Next()) {
      if (Token.IsString) continue;
      if (Token.LowerText == "end") break;
      if (Token.LowerText != "desktop") continue;
      Next();
      auto* Desktop = new TVelmoricDesktop;
      Desktop->name = Token.TokenText;
      Desktops->AddObject(Desktop->name, Desktop);
      for (;;) {
        Next();
        const std::string Word = Token.IsString ? std::string() : Token.LowerText;
        if (Word == "end") break;
        if (Word == "description") {
          Desktop->description = Value();
        } else if (Word == "magic") {
          Desktop->magic = Value();
        } else if (Word == "automatic" || Word == "saveauto" || Word == "cycle") {
          Next();
          const bool On = Integer() != 0;
          if (Word == "automatic") Desktop->automatic = On;
          else if (Word == "saveauto") Desktop->saveonchange = On;
          else Desktop->cycle = On;
        } else if (Word == "onedit" || Word == "ondebug") {
          const uint8_t Bit = Word == "onedit" ? DeskOnEdit : DeskOnDebug;
          if (Value() == "1") Desktop->mode |= Bit;
        } else if (Word == "form") {
          Next();
          const std::string FormName = Token.TokenText;
          Write("Loading form " + FormName);
          auto* Form = new TVelmoricDeskForm;
          Form->formname = FormName;
          try {
            Form->left = Integer();
            Form->top = Integer();
            Form->width = Integer();
            Form->height = Integer();
            Form->visible = Integer() == 1;
          } catch (...) {
            delete Form;
            throw;
          }
          if (Desktop->FindForm(FormName)) {
            delete Form;  // the first entry of a form counts
          } else {
            Desktop->forms->AddObject(FormName, Form);
          }
        }
      }
    }
  } catch (const TDamage& D) {
    Application->MessageBox(Format("%s is damaged near line %d: %s. The desktops before it are kept.",
                                   Name, Token.TokenLine + 1, D.Reason),
                            ManagerCaption, MB_OK | MB_ICONWARNING);
  } catch (const Exception& E) {
    Application->MessageBox(Format("%s is damaged near line %d: %s. The desktops before it are kept.",
                                   Name, Token.TokenLine + 1, std::string(E.what())),
                            ManagerCaption, MB_OK | MB_ICONWARNING);
  }
}

void TFormDesktopManager::SaveToFile() {
  TTraceProc Trace("TFormDesktopManager.SaveToFile");
  for (int I = 0; I < Desktops->Count(); ++I) {
    const TVelmoricDesktop* D = DesktopAt(I);
    if (Unwritable(D->name) || Unwritable(D->description) || Unwritable(D->magic))
      throw Exception("The desktop \"" + D->name +
                      "\" cannot be saved: its name, description and magic word must not hold a "
                      "quote (') or a line break.");
  }
  std::string Text;
  auto Line = [&Text](const std::string& S) {
    Text += S;
    Text += "\r\n";
  };
  auto Flag = [](bool B) { return std::string(B ? "1" : "0"); };
  for (int I = 0; I < Desktops->Count(); ++I) {
    TVelmoricDesktop* D = DesktopAt(I);
    Line("Desktop '" + D->name + "'");
    Line("begin");
    Line("  description = '" + D->description + "'");
    Line("  magic = '" + D->magic + "'");
    Line("  automatic   = " + Flag(D->automatic));
    Line("  saveauto   = " + Flag(D->saveonchange));
    Line("  cycle   = " + Flag(D->cycle));
    Line("  onedit      = " + Flag(D->mode & DeskOnEdit));
    Line("  ondebug     = " + Flag(D->mode & DeskOnDebug));
    for (int F = 0; F < D->forms->Count(); ++F) {
      auto* Form = static_cast<TVelmoricDeskForm*>(D->forms->Objects(F));
      for (int32_t* V : {&Form->left, &Form->top, &Form->width, &Form->height})
        if (*V < 0) *V = 0;
      Line(Format("  form '%s' %d %d %d %d %d", Form->formname, Form->left, Form->top,
                  Form->width, Form->height, Form->visible ? 1 : 0));
    }
    Line("end");
  }
  Line("end");
  WriteFileAtomically(FileName(), Text);
}

// ------------------------------------------------------- capture and apply

void TFormDesktopManager::Capture(TVelmoricDesktop* Desktop) {
  TTraceProc Trace("TFormDesktopManager.Capture");
  if (!Desktop) return;
  Desktop->ClearForms();
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TCustomForm* Form = Screen->Forms(I);
    // A form without a name could not be found again.
    if (Form->Name() == ManagerName || Form->Name().empty()) continue;
    if (Desktop->FindForm(Form->Name())) continue;
    auto* Entry = new TVelmoricDeskForm;
    Entry->formname = Form->Name();
    Entry->top = Form->Top();
    Entry->left = Form->Left();
    Entry->height = Form->Height();
    Entry->width = Form->Width();
    Entry->visible = Form->Visible();
    Desktop->forms->AddObject(Entry->formname, Entry);
  }
}

void TFormDesktopManager::Apply(TVelmoricDesktop* Desktop) {
  TTraceProc Trace("TFormDesktopManager.Apply");
  if (!Desktop) return;
  const std::string Title = Application->Title;
  const size_t Slash = Title.find('/');
  Application->Title = Slash == std::string::npos ? Title + " / " + Desktop->name
                                                  : Title.substr(0, Slash + 1) + " " + Desktop->name;
  // Showing a form changes the screen's order: work on a copy.
  std::vector<TCustomForm*> Forms;
  for (int I = 0; I < Screen->FormCount(); ++I) Forms.push_back(Screen->Forms(I));
  for (TCustomForm* Form : Forms) {
    if (Form->Name() == ManagerName || Form->Name() == MainWindowName) continue;
    const TVelmoricDeskForm* Entry = Desktop->FindForm(Form->Name());
    if (!Entry || Form->Name().empty()) continue;
    Form->SetVisible(Entry->visible);
    Form->SetTop(Entry->top);
    Form->SetLeft(Entry->left);
    Form->SetWidth(Entry->width);
    Form->SetHeight(Entry->height);
    Form->Realign();
  }
}

// ------------------------------------------------------------- the window

void TFormDesktopManager::FillList() {
  const int Old = ListBoxDesktops->ItemIndex();
  ListBoxDesktops->Clear();
  for (int I = 0; I < Desktops->Count(); ++I) {
    WriteOn("desk", Format("Add desktop %d %s", I, Desktops->Strings(I)));
    ListBoxDesktops->Items()->AddObject(Desktops->Strings(I), DesktopAt(I));
  }
  if (Old >= 0 && Old < ListBoxDesktops->Items()->Count()) ListBoxDesktops->SetItemIndex(Old);
}

void TFormDesktopManager::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.FormShow");
  if (Desktops->Count() == 0) ReadFromFile();
  FillList();
}

void TFormDesktopManager::ShowDesktop(TVelmoricDesktop* D) {
  FUpdating = true;
  ListBoxForms->Clear();
  if (D) {
    for (int I = 0; I < D->forms->Count(); ++I) {
      auto* F = static_cast<TVelmoricDeskForm*>(D->forms->Objects(I));
      ListBoxForms->Items()->AddObject(F->formname + (F->visible ? " visible" : ""), F);
    }
    EditDescription->SetText(D->description);
    EditName->SetText(D->name);
    RadioButtonOnEdit->SetChecked(D->mode & DeskOnEdit);
    RadioButtonOnDebug->SetChecked(D->mode & DeskOnDebug);
    CheckBoxAutomatic->Checked = D->automatic;
    EditMagic->SetText(D->magic);
    CheckBoxCycle->Checked = D->cycle;
    CheckBoxSaveOnChange->Checked = D->saveonchange;
  }
  FUpdating = false;
}

void TFormDesktopManager::ListBoxDesktopsClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ListBoxDesktopsClick");
  ShowDesktop(SelectedDesktop());
}

void TFormDesktopManager::ListBoxFormsDblClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ListBoxFormsDblClick");
  const int I = ListBoxForms->ItemIndex();
  if (I < 0 || !SelectedDesktop()) return;
  auto* F = static_cast<TVelmoricDeskForm*>(ListBoxForms->Items()->Objects(I));
  F->visible = !F->visible;
  ShowDesktop(SelectedDesktop());
  ListBoxForms->SetItemIndex(I);
}

void TFormDesktopManager::StoreDesktop(TVelmoricDesktop* Desktop) {
  for (const std::string& Text : {EditName->Text(), EditDescription->Text(), EditMagic->Text()}) {
    if (Unwritable(Text)) {
      Application->MessageBox(
          "A desktop's name, description and magic word must not hold a quote (') or a line "
          "break: they could not be read back from " + FileName() + ". Nothing was saved.",
          ManagerCaption, MB_OK | MB_ICONERROR);
      return;
    }
  }
  if (!Desktop) {
    Desktop = new TVelmoricDesktop;
    Desktop->name = EditName->Text();
    Desktops->AddObject(Desktop->name, Desktop);
    ListBoxDesktops->Items()->AddObject(Desktop->name, Desktop);
  }
  Desktop->description = EditDescription->Text();
  if (Desktop->name != EditName->Text()) {
    Desktop->name = EditName->Text();
    const int I = Desktops->IndexOfObject(Desktop);
    if (I >= 0) Desktops->Put(I, Desktop->name);
    const int L = ListBoxDesktops->Items()->IndexOfObject(Desktop);
    if (L >= 0) ListBoxDesktops->Items()->Put(L, Desktop->name);
  }
  Desktop->magic = EditMagic->Text();
  Desktop->cycle = CheckBoxCycle->Checked;
  Desktop->saveonchange = CheckBoxSaveOnChange->Checked;
  Desktop->automatic = CheckBoxAutomatic->Checked;
  Desktop->mode = (RadioButtonOnEdit->Checked() ? DeskOnEdit : 0) |
                  (RadioButtonOnDebug->Checked() ? DeskOnDebug : 0);
  Capture(Desktop);
  ListBoxDesktops->SetItemIndex(ListBoxDesktops->Items()->IndexOfObject(Desktop));
  ShowDesktop(Desktop);
  SaveToFile();
}

void TFormDesktopManager::ButtonSaveClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonSaveClick");
  StoreDesktop(SelectedDesktop());
}

void TFormDesktopManager::ButtonNewClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonNewClick");
  StoreDesktop(nullptr);
}

void TFormDesktopManager::ButtonDeleteClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonDeleteClick");
  TVelmoricDesktop* D = SelectedDesktop();
  if (!D) return;
  ListBoxDesktops->Items()->Delete(ListBoxDesktops->ItemIndex());
  const int I = Desktops->IndexOfObject(D);
  if (I >= 0) Desktops->Delete(I);
  if (LastAuto == D) LastAuto = nullptr;
  delete D;
  ShowDesktop(SelectedDesktop());
  SaveToFile();
}

void TFormDesktopManager::ButtonActivateClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonActivateClick");
  Apply(SelectedDesktop());
}

void TFormDesktopManager::EditMagicChange(TObject* Sender) {
  if (!FUpdating) CheckBoxAutomatic->Checked = true;
}

void TFormDesktopManager::RadioButtonModeClick(TObject* Sender) {
  if (!FUpdating) CheckBoxAutomatic->Checked = true;
}

void TFormDesktopManager::ButtonAutomaticClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonAutomaticClick");
  if (Application->MessageBox(
          "This will automatically craete two desktops for you, one that is automatically\r\n"
          "displayed when you program is running and one that is automatically created if it is "
          "not running\r\ncontinue",
          "Confirm", MB_YESNO) != IDYES)
    return;
  auto Add = [this](const std::string& Name, const std::string& Description, uint8_t Mode) {
    auto* D = new TVelmoricDesktop;
    D->name = Name;
    D->description = Description;
    D->automatic = true;
    D->saveonchange = true;
    D->cycle = false;
    D->magic = "[";
    D->mode = Mode;
    Capture(D);
    Desktops->AddObject(Name, D);
    ListBoxDesktops->Items()->AddObject(Name, D);
  };
  Add("editing", "automatically displayed when program is not running", DeskOnEdit);
  Add("debugging", "automatically displayed when program is running", DeskOnDebug);
}

void TFormDesktopManager::ButtonCycleClick(TObject* Sender) {
  TTraceProc Trace("TFormDesktopManager.ButtonCycleClick");
  Write("Cycle desktops");
  const bool WasVisible = Visible();
  if (!Loaded || Desktops->Count() == 0) {
    Write("Not loaded");
    ReadFromFile();
    FillList();
    if (ListBoxDesktops->Items()->Count() > 0) ListBoxDesktops->SetItemIndex(0);
  }
  const int Count = ListBoxDesktops->Items()->Count();
  if (Count == 0) return;
  TVelmoricDesktop* Current = SelectedDesktop();
  if (Current && Current->saveonchange) Capture(Current);
  const int Id = (ListBoxDesktops->ItemIndex() + 1) % Count;
  Write("Cycle : id = " + IntToStr(Id));
  ListBoxDesktops->SetItemIndex(Id);
  ShowDesktop(SelectedDesktop());
  Apply(SelectedDesktop());
  SetVisible(WasVisible);
}

void TFormDesktopManager::Timer1Timer(TObject* Sender) {
  try {
    if (!ToolServices || Desktops->Count() == 0 || Visible()) return;
    if (LowerCase(ExtractFileExt(ToolServices->GetCurrentFile())) != ".pas") return;
    TCustomForm* Main = IDEMainWindow();
    if (!Main || Main->WindowState == wsMinimized) return;
    const std::string MainCaption = LowerCase(Main->Caption);
    for (int I = 0; I < ListBoxDesktops->Items()->Count(); ++I) {
      auto* D = static_cast<TVelmoricDesktop*>(ListBoxDesktops->Items()->Objects(I));
      if (!D->automatic || D == LastAuto) continue;
      const bool Present = Occurs(LowerCase(D->magic), MainCaption);
      const bool Match = (D->mode & DeskOnEdit) ? !Present : Present;
      if (!Match) continue;
      WriteOn("desk", "activate auto");
      TVelmoricDesktop* Current = SelectedDesktop();
      if (Current && Current->saveonchange) Capture(Current);
      Apply(D);
      LastAuto = D;
      ListBoxDesktops->SetItemIndex(I);
      ShowDesktop(D);
      break;
    }
  } catch (const std::exception& E) {
    Timer1->SetEnabled(false);
    Write(std::string("Desktop timer stopped: ") + E.what());
  }
}
