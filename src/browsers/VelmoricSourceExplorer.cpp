#include "browsers/VelmoricSourceExplorer.h"

#include <climits>
#include <memory>
#include <vector>

#include "browsers/VelmoricNewClasspas.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricBookmarkStack.h"
#include "ide/VelmoricWizard.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FormBuilding.h"
#include "project/VelmoricPascalProject.h"
#include "trace/VelmoricStatus.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewProcedure.h"

TFFormSourceExplorer* FFormSourceExplorer = nullptr;

namespace {

// A search walks at most this many steps, so that classes deriving from
// each other cannot hold it forever.
constexpr int MaxSearchSteps = 1000;

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

std::string NameOf(TObject* Sender) {
  auto* C = dynamic_cast<TComponent*>(Sender);
  return C ? C->Name() : std::string();
}

TOrvikSymbol* SelectedSymbol(const TCustomListControl* Box) {
  const int I = Box->ItemIndex();
  return I < 0 ? nullptr : static_cast<TOrvikSymbol*>(Box->Items()->Objects(I));
}

TOrvikSymbol* RootOf(TOrvikSymbol* Sym) {
  while (Sym && Sym->Parent) Sym = Sym->Parent;
  return Sym;
}

// The 1-based line number a text of digits names; 0 when it is none or too large.
int LineNumber(const std::string& T) {
  if (T.empty() || T.size() > 9) return 0;
  for (char C : T)
    if (C < '0' || C > '9') return 0;
  return std::stoi(T);
}

}  // namespace

// ---------------------------------------------------------------- creation

TFFormSourceExplorer::TFFormSourceExplorer(TComponent* AOwner) : TForm(AOwner) {
  TTraceProc Trace("TFormSourceExplorer.Create");
  SetName("FormSourceExplorer");
  Caption = "Source explorer";
  BorderStyle = bsToolWindow;
  FormStyle = fsStayOnTop;
  SetBounds(Left(), Top(), 672, 27);
  Font.Name = "MS Sans Serif";
  Font.Height = -11;
  HelpContext = 4;
  OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
  OnShow = [this](TObject* Sender) { FormShow(Sender); };

  PopupMenuClass = new TPopupMenu(this);
  PopupMenuClass->SetName("PopupMenuClass");
  DisplayClass1 = AddMenuItem(PopupMenuClass, "DisplayClass1", "Display Class",
                              [this](TObject* S) { DisplayClass1Click(S); });
  NewClass1 = AddMenuItem(PopupMenuClass, "NewClass1", "New Class...",
                          [this](TObject* S) { NewClass1Click(S); });
  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  NewVariable1 = AddMenuItem(PopupMenu1, "NewVariable1", "New Symbol",
                             [this](TObject* S) { NewVariable1Click(S); });
  JumptoPrototype1 = AddMenuItem(PopupMenu1, "JumptoPrototype1", "Jump to Prototype",
                                 [this](TObject* S) { JumptoPrototype1Click(S); });
  PopupMenuFind = new TPopupMenu(this);
  PopupMenuFind->SetName("PopupMenuFind");
  UnitHeader1 = AddMenuItem(PopupMenuFind, "UnitHeader1", "Unit Header",
                            [this](TObject* S) { UnitHeader1Click(S); });
  Uses11 = AddMenuItem(PopupMenuFind, "Uses11", "Uses 1", [this](TObject* S) { Uses11Click(S); });
  Uses21 = AddMenuItem(PopupMenuFind, "Uses21", "Uses 2", [this](TObject* S) { Uses21Click(S); });
  Implementation1 = AddMenuItem(PopupMenuFind, "Implementation1", "Interface",
                                [this](TObject* S) { Implementation1Click(S); });
  Implementation2 = AddMenuItem(PopupMenuFind, "Implementation2", "Implementation",
                                [this](TObject* S) { Implementation2Click(S); });
  initialization1 = AddMenuItem(PopupMenuFind, "initialization1", "initialization",
                                [this](TObject* S) { initialization1Click(S); });
  finalization1 = AddMenuItem(PopupMenuFind, "finalization1", "finalization",
                              [this](TObject* S) { finalization1Click(S); });

  Panel1 = MakeControl<TPanel>(this, this, "Panel1", 0, 0, 617, 37);
  ButtonPrev = MakeControl<TSpeedButton>(this, Panel1, "ButtonPrev", 4, 4, 25, 25);
  ButtonPrev->Hint = "Return to position in history";
  ButtonPrev->NumGlyphs = 2;
  ButtonPrev->OnClick = [this](TObject* S) { ButtonPrevClick(S); };
  ButtonNext = MakeControl<TSpeedButton>(this, Panel1, "ButtonNext", 33, 4, 25, 25);
  ButtonNext->Hint = "Go to next position in history";
  ButtonNext->NumGlyphs = 2;
  ButtonNext->OnClick = [this](TObject* S) { ButtonNextClick(S); };
  SpeedButtonBookmark = MakeControl<TSpeedButton>(this, Panel1, "SpeedButtonBookmark", 548, 4, 25, 25);
  SpeedButtonBookmark->Hint = "Add a Bookmark";
  SpeedButtonBookmark->NumGlyphs = 2;
  SpeedButtonBookmark->OnClick = [this](TObject* S) { SpeedButtonBookmarkClick(S); };
  SpeedButtonCompile = MakeControl<TSpeedButton>(this, Panel1, "SpeedButtonCompile", 63, 4, 25, 25);
  SpeedButtonCompile->Caption = " ";
  SpeedButtonCompile->Hint =
      "Velmoric compile your project. You have to press this button, get things to work.";
  SpeedButtonCompile->NumGlyphs = 2;
  SpeedButtonCompile->OnClick = [this](TObject* S) { SpeedButtonCompileClick(S); };
  SpeedButtonTableExpert =
      MakeControl<TSpeedButton>(this, Panel1, "SpeedButtonTableExpert", 580, 4, 25, 25);
  SpeedButtonTableExpert->Caption = "T";
  SpeedButtonTableExpert->OnClick = [this](TObject* S) { SpeedButtonTableExpertClick(S); };

  ComboBoxFinde = MakeControl<TComboBox>(this, Panel1, "ComboBoxFinde", 240, 6, 129, 21);
  ComboBoxFinde->TabOrder = 1;
  ComboBoxFinde->SetPopupMenu(PopupMenu1);
  ComboBoxFinde->Hint = "Select a bookmark or type a symbol or unit name";
  ComboBoxFinde->SetText("<no class selected>");
  ComboBoxFinde->OnChange = [this](TObject* S) { ComboBoxFindeChange(S); };
  ComboBoxClass = MakeControl<TComboBox>(this, Panel1, "ComboBoxClass", 92, 6, 145, 21);
  ComboBoxClass->SetSorted(true);
  ComboBoxClass->TabOrder = 0;
  ComboBoxClass->SetPopupMenu(PopupMenuClass);
  ComboBoxClass->Hint = "Select a class. Needs to compile the source first";
  ComboBoxClass->SetText("<no compiled sources>");
  ComboBoxClass->OnChange = [this](TObject* S) { ComboBoxClassChange(S); };
  ComboBoxClass->OnDropDown = [this](TObject* S) { ComboBoxClassDropDown(S); };
  ComboBoxSuchen = MakeControl<TComboBox>(this, Panel1, "ComboBoxSuchen", 372, 6, 145, 21);
  ComboBoxSuchen->SetSorted(true);
  ComboBoxSuchen->TabOrder = 2;
  ComboBoxSuchen->SetPopupMenu(PopupMenuClass);
  ComboBoxSuchen->SetText("<enter a symbol to find>");
  ComboBoxSuchen->OnChange = [this](TObject* S) { ComboBoxSuchenChange(S); };
  ComboBoxSuchen->OnKeyDown = [this](TObject* S, uint16_t& Key, TShiftState Shift) {
    ComboBoxSuchenKeyDown(S, Key, Shift);
  };
  SpeedButtonFinde = MakeControl<TBitBtn>(this, Panel1, "SpeedButtonFinde", 520, 4, 25, 25);
  SpeedButtonFinde->NumGlyphs = 2;
  SpeedButtonFinde->TabOrder = 3;
  SpeedButtonFinde->SetPopupMenu(PopupMenuFind);
  SpeedButtonFinde->OnClick = [this](TObject* S) { SpeedButtonFindeClick(S); };

  for (TControl* C : {static_cast<TControl*>(ButtonPrev), static_cast<TControl*>(ButtonNext),
                      static_cast<TControl*>(SpeedButtonBookmark),
                      static_cast<TControl*>(SpeedButtonCompile),
                      static_cast<TControl*>(ComboBoxFinde), static_cast<TControl*>(ComboBoxClass)})
    C->ShowHint = true;
  FormCreate(this);
}

TFFormSourceExplorer::~TFFormSourceExplorer() {
  BeginDestroy();
  if (FFormSourceExplorer == this) FFormSourceExplorer = nullptr;
}

TFFormSourceExplorer* CreateSourceExplorer(TVelmoricWizard* Expert) {
  TTraceProc Trace("CreateSourceExplorer");
  auto* Form = new TFFormSourceExplorer(nullptr);
  Form->Expert = Expert;
  Form->Bookmarks = Expert ? Expert->BookmarkStack : nullptr;
  FFormSourceExplorer = Form;
  if (tracelet) tracelet->StrWrite("velmoric.createForm", "FFormSourceExplorer");
  return Form;
}

TFFormSourceExplorer* FormSourceExplorer() {
  if (!FFormSourceExplorer) CreateSourceExplorer(TheVelmoricFairy);
  return FFormSourceExplorer;
}

void TFFormSourceExplorer::FormCreate(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.FormCreate");
}

void TFFormSourceExplorer::FormShow(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.FormShow");
  HelpContext = 3;
  HelpFile = VelmoricPath + "velmoric.hlp";
}

// There is no help viewer here: the request is only reported, and the
// library's own help call stays suppressed.
bool TFFormSourceExplorer::FormHelp(uint16_t Command, int Data) {
  TTraceProc Trace([&] { return Format("TFormSourceExplorer.FormHelp(Data=%d)", Data); });
  return true;
}

void TFFormSourceExplorer::FormActivate(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.FormActivate");
  Write("Activated");
}

// -------------------------------------------------------------- the boxes

void TFFormSourceExplorer::UpdateClassBox() {
  TTraceProc Trace("TFormSourceExplorer.UpdateClassBox");
  std::string T = ComboBoxClass->Text();
  if (!T.empty() && T[0] == '<') T.clear();
  ComboBoxClass->Clear();
  TPascalProject* Project = Expert ? Expert->Project : nullptr;
  if (Project && Project->FUnitLIst) {
    for (int I = 0; I < Project->FUnitLIst->Count(); ++I) {
      auto* Source = static_cast<TPascalSource*>(Project->FUnitLIst->Objects(I));
      const TOrvikSymbols* List = Source ? Source->symbols.symbols : nullptr;
      if (!List) continue;
      for (int J = 0; J < List->Count(); ++J) {
        TOrvikSymbol* Sym = List->GetSymbol(J);
        if (Sym && (Sym->Typ == typClass || Sym->Typ == typRecord))
          ComboBoxClass->Items()->AddObject(Sym->name, Sym);
      }
    }
  }
  ComboBoxClass->SetText(T);
  ComboBoxClassChange(nullptr);
  // The member box holds symbols of the model just replaced: it is filled
  // again from the class of that name, or emptied.
  const int I = ComboBoxClass->Items()->IndexOf(T);
  if (I >= 0) {
    ComboBoxClass->SetItemIndex(I);
    ComboBoxClassChange(ComboBoxClass);
  } else {
    const std::string F = ComboBoxFinde->Text();
    ComboBoxFinde->Clear();
    ComboBoxFinde->SetText(F);
  }
  UpdateEditors();
}

void TFFormSourceExplorer::ComboBoxClassChange(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ComboBoxClassChange");
  if (!Sender) {
    Write("sender = NIL");
    return;
  }
  Write("cb = " + NameOf(Sender));
  auto* Box = dynamic_cast<TComboBox*>(Sender);
  if (!Box || Box->ItemIndex() < 0) return;
  const std::string F = ComboBoxFinde->Text();
  TOrvikSymbol* C = SelectedSymbol(Box);
  ComboBoxFinde->Clear();
  if (C && C->symbols) {
    Write("Load symbol " + C->name);
    for (int Pass = 0; Pass < 2; ++Pass) {
      for (int I = 0; I < C->symbols->Count(); ++I) {
        TOrvikSymbol* Member = C->symbols->GetSymbol(I);
        if (Member && (Member->Typ == typProcedure) == (Pass == 0))
          ComboBoxFinde->Items()->AddObject(Member->name, Member);
      }
    }
  }
  ComboBoxFinde->SetText(F);
  if (Box != ComboBoxClass) {
    const int Index = Box->ItemIndex();
    ComboBoxClass->SetItemIndex(Index < ComboBoxClass->Items()->Count() ? Index : -1);
    ComboBoxClass->SetText(Box->Text());
  }
  UpdateEditors();
}

void TFFormSourceExplorer::ComboBoxFindeChange(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ComboBoxFindeChange");
  Write("cb = " + NameOf(Sender));
  auto* Box = dynamic_cast<TComboBox*>(Sender);
  if (!Box) return;
  const int I = Box->Items()->IndexOf(Box->Text());
  if (I < 0) return;
  if (auto* Sym = static_cast<TOrvikSymbol*>(Box->Items()->Objects(I)); Sym && Expert)
    Expert->GotoSymbol(Sym);
  if (Box != ComboBoxFinde) {
    ComboBoxFinde->SetItemIndex(I < ComboBoxFinde->Items()->Count() ? I : -1);
    ComboBoxFinde->SetText(Box->Text());
  }
  UpdateEditors();
}

void TFFormSourceExplorer::ComboBoxClassDropDown(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ComboBoxClassDropDown");
  Write("cb = " + NameOf(Sender));
}

void TFFormSourceExplorer::ComboBoxSuchenChange(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ComboBoxSuchenChange");
  if (auto* Box = dynamic_cast<TComboBox*>(Sender)) ComboBoxSuchen->SetText(Box->Text());
}

void TFFormSourceExplorer::UpdateEditors() {
  TTraceProc Trace("TFormSourceExplorer.UpdateEditors");
  Write("UpdateClasses in editor");
  if (!Screen) return;
  auto CopyBox = [](TComboBox* From, TComboBox* To) {
    To->Items()->Assign(*From->Items());
    const int I = From->ItemIndex();
    To->SetItemIndex(I < To->Items()->Count() ? I : -1);
    To->SetText(From->Text());
  };
  for (int F = 0; F < Screen->FormCount(); ++F) {
    TCustomForm* Form = Screen->Forms(F);
    if (Form->ClassName() != "TEditWindow") continue;
    for (int I = 0; I < Form->ComponentCount(); ++I) {
      auto* Box = dynamic_cast<TComboBox*>(Form->Components(I));
      if (!Box) continue;
      if (SameText(Box->Name(), "ComboBoxClass")) {
        Write("ComboBox Class");
        CopyBox(ComboBoxClass, Box);
      } else if (SameText(Box->Name(), "ComboBoxFinde")) {
        Write("ComboBox Name");
        CopyBox(ComboBoxFinde, Box);
      }
    }
  }
}

// ------------------------------------------------------------------ search

void TFFormSourceExplorer::ComboBoxSuchenKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
  TTraceProc Trace("TFormSourceExplorer.ComboBoxSuchenKeyDown");
  if (Key != VK_RETURN) return;
  const std::string T = ComboBoxSuchen->Text();
  Write("text = " + T);
  if (!T.empty() && T.find_first_not_of("0123456789") == std::string::npos) {
    const int Line = LineNumber(T);
    if (Line > 0 && Expert && Expert->GetEditor()) {
      const std::string FileName = Expert->EditorIntf->FileName();
      Expert->ReleaseEditor();
      Expert->GotoLine(FileName, Line, 1);
    }
    return;
  }
  SpeedButtonFindeClick(Sender);
  if (auto* Box = dynamic_cast<TComboBox*>(Sender); Box && Box->Items()->IndexOf(Box->Text()) < 0)
    Box->Items()->Add(Box->Text());
}

namespace {

bool IsIdentChar(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

// The declared type of a type text: "TShapeList", "^TShapeData" and
// "Classes.TList" name one; "array [0..1] of Integer" or "class of TShape"
// name none a search could step into.
TOrvikSymbol* TypeNamed(TPascalProject* Project, std::string Text) {
  Text = Trim(Text);
  if (!Text.empty() && Text[0] == '^') Text = Trim(Text.substr(1));
  if (Text.empty()) return nullptr;
  for (char C : Text)
    if (!IsIdentChar(C) && C != '.') return nullptr;
  const size_t Dot = Text.rfind('.');
  if (Dot != std::string::npos) Text = Text.substr(Dot + 1);
  if (Text.empty()) return nullptr;
  for (TSymTyp Kind : {typClass, typRecord, typInterface, typType})
    if (TOrvikSymbol* Sym = Project->FindSymbol(Text, Kind)) return Sym;
  return nullptr;
}

// Where the members of Sym's value are declared: a unit, class, record or
// interface is its own scope; a variable, field, property or parameter has
// its type's; a function its result type's; an alias or pointer type the
// type it names. Nil when the type is not in the project.
TOrvikSymbol* ScopeOf(TPascalProject* Project, TOrvikSymbol* Sym) {
  for (int Steps = 0; Sym && Steps < MaxSearchSteps; ++Steps) {
    switch (Sym->Typ) {
      case typUnit:
      case typClass:
      case typRecord:
      case typInterface:
        return Sym;
      case typVar:
      case typProperty:
      case typParameter:
      case typType: {
        TOrvikSymbol* Type = TypeNamed(Project, Sym->TypeName);
        if (Type == Sym) return nullptr;
        Sym = Type;
        break;
      }
      case typConst:
        Sym = TypeNamed(Project, Sym->ConstType());
        break;
      case typProcedure:
        Sym = TypeNamed(Project, Sym->ResultType);
        break;
      default:
        return nullptr;
    }
  }
  return nullptr;
}

// Word among the members of Scope and, for a class or an interface, of its
// ancestors, nearest first.
TOrvikSymbol* MemberOf(TPascalProject* Project, TOrvikSymbol* Scope, const std::string& Word) {
  const std::string Lower = LowerCase(Word);
  for (int Steps = 0; Scope && Steps < MaxSearchSteps; ++Steps) {
    if (Scope->symbols) {
      if (TOrvikSymbol* Hit = Scope->symbols->FindAnyFlatSymbol(Lower)) {
        Write(Format("** found %s", Hit->name));
        return Hit;
      }
    }
    if (Scope->Ancestor().empty() || (Scope->Typ != typClass && Scope->Typ != typInterface))
      return nullptr;
    Write("looking for baseclass " + Scope->Ancestor());
    Scope = Project->FindSymbol(Scope->Ancestor(), Scope->Typ);
  }
  return nullptr;
}

// Resolves the words after the first, starting at First: each is looked up
// in the scope of the one before. Nil when one of them is not found.
TOrvikSymbol* ResolveRest(TPascalProject* Project, TOrvikSymbol* First,
                          const std::vector<std::string>& Words) {
  TOrvikSymbol* R = First;
  for (size_t I = 1; R && I < Words.size(); ++I) {
    const std::string& W = Words[I];
    Write("looking for next word " + W);
    // "TDog." is TDog; an empty word inside the expression names nothing.
    if (W.empty()) return I + 1 == Words.size() ? R : nullptr;
    TOrvikSymbol* Hit = nullptr;
    // A procedure's own parameters and locals come before its result's members.
    if (R->Typ == typProcedure && R->symbols) Hit = R->symbols->FindAnyFlatSymbol(LowerCase(W));
    R = Hit ? Hit : MemberOf(Project, ScopeOf(Project, R), W);
  }
  return R;
}

}  // namespace

TOrvikSymbol* FindExpression(TPascalProject* Project, const std::string& S) {
  TTraceProc Trace("TFormSourceExplorer.FindExpression");
  if (!Project) return nullptr;
  // The words between the points.
  std::vector<std::string> Words;
  size_t Pos = 0;
  do {
    std::string W;
    while (Pos < S.size() && S[Pos] != '.') W += S[Pos++];
    Write("nextWord = " + W);
    Words.push_back(W);
  } while (Pos++ < S.size());

  const std::string& First = Words[0];
  if (First.empty()) return nullptr;
  Write("looking for sym " + First);
  TOrvikSymbol* N = Project->FindAnySymbol(LowerCase(First));
  Write("ahh");
  Write(N ? Format("** found %s", N->name) : std::string("not found"));
  TOrvikSymbol* R = N ? ResolveRest(Project, N, Words) : nullptr;
  // "Shapes.TShape": the first word may name a unit of the project.
  if (!R && Words.size() > 1) {
    std::string FileName;
    TPascalSource* Unit = Project->FUnitLIst ? Project->FindCompiledSource(First, FileName) : nullptr;
    if (Unit && Unit->Found) {
      R = ResolveRest(Project, &Unit->symbols, Words);
      if (R == &Unit->symbols) R = nullptr;  // "Shapes." names no declaration
    }
  }
  Write(R ? Format("** found %s", R->name) : std::string("not found"));
  return R;
}

void TFFormSourceExplorer::SpeedButtonFindeClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.SpeedButtonFindeClick");
  const std::string S = ComboBoxSuchen->Text();
  if (tracelet) tracelet->start();
  Write("s = " + S);
  if (!Expert) return;
  if (S.find('.') == std::string::npos && Expert->GetCompiledEditor()) {
    auto Dialog = std::make_unique<TFormVelmoricAmbuingity>(nullptr);
    Dialog->Word = S;
    Dialog->Project = Expert->CompileProject;
    Dialog->ShowModal();
    if (Dialog->Selected) Expert->GotoSymbol(Dialog->Selected);
    Dialog.reset();
    Expert->ReleaseEditor();
    FreeAndNil(Expert->CompileProject);
    SelectEditor();
    return;
  }
  Write("Find expression " + S);
  TOrvikSymbol* R = FindExpression(Expert->Project, S);
  // The place to go, taken before the editor's source is let go.
  std::string FileName;
  int Line = -1;
  auto Target = [&] {
    TOrvikSymbol* Root = RootOf(R);
    if (!R || !Root || Root->Typ != typUnit) return;
    FileName = Root->TypeName;
    Line = R->Line >= 0 ? R->Line : R->DeclLine;
  };
  Target();
  if (!R && Expert->GetCompiledEditor()) {
    R = FindExpression(Expert->Project, S);
    Write("Find expression " + S);
    Target();
    Expert->ReleaseEditor();
    FreeAndNil(Expert->CompileProject);
  }
  if (FileName.empty() || Line < 0) return;
  if (Bookmarks) Bookmarks->PushPosition();
  Expert->GotoLine(FileName, Line + 1, 1);
  if (Bookmarks) Bookmarks->PushPosition();
  SelectEditor();
}

// ------------------------------------------------------------------ compile

void TFFormSourceExplorer::SpeedButtonCompileClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.SpeedButtonCompileClick");
  if (!Expert) return;
  if (DisplayCompilerProcess && FormVelmoricCompiling) FormVelmoricCompiling->ShowStatus("");
  const bool SavedQuickRecompile = gQuickRecompile;
  gQuickRecompile = false;
  bool Compiled = false;
  try {
    const int Count = ToolServices ? ToolServices->GetUnitCount() : 0;
    for (int I = 0; I < Count && !Compiled; ++I) {
      const std::string Name = ToolServices->GetUnitName(I);
      Write(Name);
      if (LowerCase(ExtractFileExt(Name)) != ".dpr") continue;
      Write("compile...");
      Expert->CompileProject = new TPascalProject;
      Expert->CompileProject->FMemoryProject = Expert->Project;
      // The parsed program belongs to the memory project from here on.
      Expert->CompileProject->Compile(Name, {oCompileUnits, oCompileImplementation});
      FreeAndNil(Expert->CompileProject);
      Compiled = true;
    }
    if (Compiled) {
      UpdateClassBox();
    } else if (Expert->GetCompiledEditor()) {
      Expert->ReleaseEditor();
      FreeAndNil(Expert->CompileProject);
    }
  } catch (...) {
    FreeAndNil(Expert->CompileProject);
    gQuickRecompile = SavedQuickRecompile;
    if (DisplayCompilerProcess && FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
    throw;
  }
  gQuickRecompile = SavedQuickRecompile;
  if (DisplayCompilerProcess && FormVelmoricCompiling) FormVelmoricCompiling->HideStatus(0);
}

void TFFormSourceExplorer::SpeedButtonTableExpertClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.SpeedButtonTableExpertClick");
  if (Expert) Expert->MenuClickTableExpert(nullptr);
}

// ----------------------------------------------------------------- history

void TFFormSourceExplorer::UpdateButtons() {
  TTraceProc Trace("TFormSourceExplorer.UpdateButtons");
  if (!Bookmarks || Bookmarks->Count() == 0) {
    ButtonPrev->Enabled = false;
    ButtonNext->Enabled = false;
    return;
  }
  ButtonPrev->Enabled = Bookmarks->Top != -1;
  ButtonNext->Enabled = Bookmarks->Top != Bookmarks->Count();
}

void TFFormSourceExplorer::ButtonPrevClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ButtonPrevClick");
  if (!Bookmarks) return;
  Bookmarks->DisplayBookmarks();
  Bookmarks->Jump();
  UpdateButtons();
}

void TFFormSourceExplorer::ButtonNextClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.ButtonNextClick");
  if (!Bookmarks) return;
  Bookmarks->DisplayBookmarks();
  ++Bookmarks->Top;
  if (Bookmarks->Top < Bookmarks->Count()) {
    Bookmarks->JumpTo(Bookmarks->Top);
    ButtonPrev->Enabled = true;
  } else {
    ButtonNext->Enabled = false;
    Bookmarks->Top = Bookmarks->Count() - 1;
    Bookmarks->JumpTo(Bookmarks->Top);
  }
  if (FFormVelmoricBookmarkStack && FFormVelmoricBookmarkStack->Visible()) {
    TListBox* List = FFormVelmoricBookmarkStack->ListBoxDependencies;
    if (Bookmarks->Top < List->Items()->Count()) List->SetItemIndex(Bookmarks->Top);
  }
}

void TFFormSourceExplorer::SpeedButtonBookmarkClick(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.SpeedButtonBookmarkClick");
  if (Bookmarks) Bookmarks->PushPosition();
}

// ----------------------------------------------------------------- pop-ups

void TFFormSourceExplorer::DisplayClass1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.DisplayClass1Click");
  if (TOrvikSymbol* Sym = SelectedSymbol(ComboBoxClass); Sym && Expert) Expert->GotoSymbol(Sym);
}

void TFFormSourceExplorer::NewClass1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.NewClass1Click");
  auto Form = std::make_unique<TFormVelmoricNewClass>(nullptr);
  Form->Expert = Expert;
  Form->EditClass->SetText(ComboBoxClass->Text());
  Form->ShowModal();
}

void TFFormSourceExplorer::NewVariable1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.NewVariable1Click");
  std::unique_ptr<TFormVelmoricNewProcedure> Form(new TFormVelmoricNewProcedure(Application));
  FormVelmoricNewProcedure = Form.get();
  Form->Project = Expert ? Expert->Project : nullptr;
  Form->ContextSymbol = SelectedSymbol(ComboBoxClass);
  Form->EditSymbol = nullptr;
  Form->ChangeMode = false;
  Form->EditProcName->SetText(ComboBoxFinde->Text());
  Form->ShowModal();
}

void TFFormSourceExplorer::JumptoPrototype1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.JumptoPrototype1Click");
  TOrvikSymbol* M = SelectedSymbol(ComboBoxFinde);
  TOrvikSymbol* Root = RootOf(M);
  if (!M || !Root || Root->Typ != typUnit || !Expert) return;
  Write(Format("goto %s %d", Root->TypeName, M->Line));
  if (Bookmarks) Bookmarks->PushPosition();
  if (M->DeclLine != -1) Expert->GotoLine(Root->TypeName, M->DeclLine + 1, 1);
  if (Bookmarks) Bookmarks->PushPosition();
}

void TFFormSourceExplorer::UnitHeader1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.UnitHeader1Click");
  if (!Expert || !Expert->GetEditor()) return;
  const std::string FileName = Expert->EditorIntf->FileName();
  Expert->GotoLine(FileName, 1, 1);
  Expert->ReleaseEditor();
}

void TFFormSourceExplorer::GotoWord(const std::string& Lower, int Nth, bool AtSemicolon, bool Push) {
  if (!Expert || !Expert->GetEditor()) return;
  const std::string FileName = Expert->EditorIntf->FileName();
  TToken* Token = Expert->Token;
  int Line = -1;
  int Col = 1;
  int Seen = 0;
  Token->SetLine(0);
  while (Token->Next()) {
    if (Token->LowerText != Lower || ++Seen < Nth) continue;
    Line = Token->TokenLine;
    if (AtSemicolon) {
      bool Found = false;
      while (!Found && Token->Next()) Found = Token->TokenText == ";";
      Line = Found ? Token->TokenLine : -1;
      // The cursor goes just before the ";"; GotoLine adds one to the column.
      Col = Token->Column - 2;
    }
    break;
  }
  Expert->ReleaseEditor();
  if (Line < 0) return;
  if (Push && Bookmarks) Bookmarks->PushPosition();
  Expert->GotoLine(FileName, Line + 1, Col);
}

void TFFormSourceExplorer::Uses11Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.Uses11Click");
  GotoWord("uses", 1, true, true);
}

void TFFormSourceExplorer::Uses21Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.Uses21Click");
  GotoWord("uses", 2, true, true);
}

void TFFormSourceExplorer::Implementation1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.Implementation1Click");
  GotoWord("interface", 1, false, false);
}

void TFFormSourceExplorer::Implementation2Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.Implementation2Click");
  GotoWord("implementation", 1, false, false);
}

void TFFormSourceExplorer::initialization1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.initialization1Click");
  GotoWord("initialization", 1, false, false);
}

void TFFormSourceExplorer::finalization1Click(TObject* Sender) {
  TTraceProc Trace("TFormSourceExplorer.finalization1Click");
  GotoWord("finalization", 1, false, false);
}

// ------------------------------------------------------------------- focus

void TFFormSourceExplorer::SelectEditor() {
  TTraceProc Trace("TFormSourceExplorer.SelectEditor");
  TCustomForm* Active = Screen ? Screen->ActiveForm() : nullptr;
  Write("Activate Editor: " + (Active ? Active->Name() : std::string()));
  if (!Active || Active->ClassName() != "TEditWindow") return;
  // Depth first through the window's controls; the first "Editor" wins.
  std::function<bool(TWinControl*)> Search = [&](TWinControl* Parent) {
    for (int I = 0; I < Parent->ControlCount(); ++I) {
      TControl* C = Parent->Controls(I);
      Write(Format("%s %d Select Editor", C->Name(), I));
      auto* W = dynamic_cast<TWinControl*>(C);
      if (!W) continue;
      if (SameText(C->Name(), "Editor")) {
        Active->SetActiveControl(W);
        return true;
      }
      if (Search(W)) return true;
    }
    return false;
  };
  Search(Active);
}
