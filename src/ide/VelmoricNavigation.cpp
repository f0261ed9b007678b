// The expert's navigation commands.
#include "ide/VelmoricNavigation.h"

#include <memory>

#include "browsers/VelmoricSourceExplorer.h"
#include "ide/VelmoricAbout.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricWizard.h"
#include "platform/opentools/ToolIntf.h"
#include "platform/vcl/Dialogs.h"
#include "project/VelmoricFileRepository.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricNewProcedure.h"

namespace {

// Loading the expert switches the find-position traces on; its timer
// silences them during each tick.
const bool FindPosDebugAtLoad = (bFindPosDebug = true);

// Ancestor chains are followed at most this far.
constexpr int MaxAncestorSteps = 100;

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

void StreamWrite(const std::string& Stream, const std::string& Text) {
  if (tracelet) tracelet->StrWrite(Stream, Text);
}

void FindPosDebug(const std::string& Text) {
  if (bFindPosDebug) StreamWrite("findpos", Text);
}

TOrvikSymbol* RootOf(TOrvikSymbol* Sym) {
  while (Sym && Sym->Parent) Sym = Sym->Parent;
  return Sym;
}

void ShowError(const std::string& Text) { Application->MessageBox(Text, "Velmoric", MB_OK); }


}  // namespace

void PrintSymbol(const std::string& Label, const TOrvikSymbol* Symbol) {
  TTraceProc Trace("PrintSymbol");
  std::string Names;
  for (const TOrvikSymbol* S = Symbol; S; S = S->Parent) Names += (Names.empty() ? "" : ".") + S->name;
  Write("*** Symbolinfo : " + Label + " " + Names);
}

std::string FindPositionName(const TOrvikSymbol* Proc) {
  std::string Name = Proc->name;
  for (const TOrvikSymbol* O = Proc->Parent; O && O->Parent; O = O->Parent) Name = O->name + "." + Name;
  return Name;
}

int JumpLine(const TOrvikSymbol* Symbol) { return Symbol->Line != -1 ? Symbol->Line : Symbol->DeclLine; }

// ------------------------------------------------------------ find position

void TVelmoricWizard::MenuClickFindPosition(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickFindPosition");
  if (!Project || !ToolServices) return;
  TIModuleInterface* Module = ToolServices->GetModuleInterface(ToolServices->GetCurrentFile());
  if (!Module) return;
  TIEditorInterface* Editor = Module->GetEditorInterface();
  TIEditView* View = nullptr;

  auto Steps = [&] {
    if (!Editor) return;
    const std::string FileName = Editor->FileName();
    std::string S = ExtractFileName(FileName);
    if (const size_t Dot = S.find('.'); Dot != std::string::npos) S.erase(Dot);
    if (LowerCase(ExtractFileExt(FileName)) != ".pas") return;
    FindPosDebug("find position: s=" + S);
    const int Id = Project->FUnitLIst->IndexOf(LowerCase(S));
    FindPosDebug("find position: id=" + IntToStr(Id));
    if (Id == -1) {
      if (bFindPosDebug) {
        StreamWrite("findpos ", "not found units:");
        for (int I = 0; I < Project->FUnitLIst->Count(); ++I)
          StreamWrite("findpos ", "unit " + Project->FUnitLIst->Get(I));
      }
      return;
    }
    View = Editor->GetView(0);
    if (!View) return;
    TEditPos EditPos = View->GetPos(0);
    TCharPos CharPos;
    View->ConvertPos(true, EditPos, CharPos);
    const int Line = CharPos.Line;
    auto* Source = static_cast<TPascalSource*>(Project->FUnitLIst->Objects(Id));
    if (!Source) {
      FindPosDebug("source = NIL");
      return;
    }
    if (Line == LastFindLine) return;  // nothing has moved
    LastFindLine = Line;

    FindPosDebug("find position: ->GetProcedureFromCursor");
    // The editor's line is 1-based, the model's 0-based.
    TOrvikSymbol* Proc = Source->GetProcedureFromCursor(Line - 1);
    FindPosDebug("find position: <-GetProcedureFromCursor");
    if (!Proc) FindPosDebug("procp=NIL");
    if (!Proc || !Proc->Parent) return;

    const std::string Name = FindPositionName(Proc);
    if (TCustomForm* Active = Screen ? Screen->ActiveForm() : nullptr;
        Active && Active->ClassName() == "TEditWindow")
      Active->Caption = Name + " - " + FileName;
    FindPosDebug("find position: procP=" + Proc->name + " " + Proc->Parent->name);

    TFFormSourceExplorer* Explorer = FFormSourceExplorer;
    if (!Explorer) return;
    const int I = Explorer->ComboBoxClass->Items()->IndexOf(Proc->Parent->name);
    if (I != Explorer->ComboBoxClass->ItemIndex()) {
      Explorer->ComboBoxClass->SetItemIndex(I);
      Explorer->ComboBoxClassChange(Explorer->ComboBoxClass);
    }
    const int J = Explorer->ComboBoxFinde->Items()->IndexOf(Proc->name);
    if (J != Explorer->ComboBoxFinde->ItemIndex()) {
      Explorer->ComboBoxFinde->SetItemIndex(J);
      Explorer->UpdateEditors();
    }
  };

  try {
    Steps();
  } catch (...) {
    Write("Fehler in MenuClickFindPosition");
  }
  ReleaseInterface(View);
  ReleaseInterface(Editor);
  Module->Release();
}

// ---------------------------------------------------------------- jumping

void TVelmoricWizard::GotoLine(const std::string& SourceName, int Line, int Col) {
  TTraceProcStartup Trace(
      Format("TVelmoricWizard.GotoLine(source=%s,line=%d,col=%d)", SourceName, Line, Col));
  Write(Format("goto line %s %d %d", SourceName, Line, Col));
  if (!ToolServices) return;
  std::string Name;
  FindSource(SourceName, Name);
  if (ToolServices->IsFileOpen(Name)) {
    Write(Name + "  opened");
  } else {
    Write(Name + "  not opened");
    ToolServices->OpenFile(Name);
  }
  TIModuleInterface* Module = ToolServices->GetModuleInterface(Name);
  if (!Module) return;
  TIEditorInterface* Editor = Module->GetEditorInterface();
  TIEditView* View = Editor ? Editor->GetView(0) : nullptr;
  if (View) {
    View->SetPos(0, TEditPos{static_cast<int16_t>(Col + 1), Line});
    View->SetPos(1, TEditPos{1, Line > 5 ? Line - 5 : Line});
  }
  Module->ShowSource();
  if (TCustomForm* Active = Screen ? Screen->ActiveForm() : nullptr) Active->Invalidate();
  ReleaseInterface(View);
  ReleaseInterface(Editor);
  Module->Release();
}

void TVelmoricWizard::GotoSymbol(TOrvikSymbol* Symbol) {
  TTraceProcStartup Trace("TVelmoricWizard.GotoSymbol");
  TOrvikSymbol* Root = RootOf(Symbol);
  if (!Symbol || !Root || Root->Typ != typUnit) return;
  Write(Format("goto %s %d", Root->TypeName, Symbol->Line));
  const int L = JumpLine(Symbol);
  if (L == -1) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  // The symbol may belong to a unit that the jump replaces: keep its file.
  const std::string FileName = Root->TypeName;
  if (BookmarkStack) BookmarkStack->PushPosition();
  GotoLine(FileName, L + 1, 1);
}

void TVelmoricWizard::FindSource(const std::string& SourceName, std::string& FileName) {
  TTraceProcStartup Trace("TVelmoricWizard.FindSource");
  FileName = SourceName;
  std::string N = LowerCase(ExtractFileName(SourceName));
  if (N.find(".pas") == std::string::npos) N += ".pas";
  if (!ToolServices) return;
  const int Count = ToolServices->GetUnitCount();
  for (int I = 0; I < Count; ++I) {
    const std::string Unit = ToolServices->GetUnitName(I);
    StreamWrite("prj", Unit);
    if (LowerCase(ExtractFileName(Unit)) == N) {
      FileName = Unit;
      return;
    }
  }
}

// -------------------------------------------------------------- hyperjump

void TVelmoricWizard::MenuClickHyperjump(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickHyperjump");
  auto Find = std::make_unique<TFindSymbol>();
  if (!GetCompiledEditor()) return;
  try {
    std::string Word;
    Source->GetSymbolFromCursor(Find.get(), Word);
    Write("Word = *********" + Word);
    if (Find->Symbol) {
      Write("will jump to symbol " + Find->Symbol->name);
      GotoSymbol(Find->Symbol);
    } else if (LowerCase(Word) == "inherited") {
      Write("inherited jump");
      TToken* Token = Source->Token;
      Write(IntToStr(Token->Line) + " " + Token->LineText);
      for (int I = 0; I < 4; ++I) {
        Token->Next();
        Write("next word := " + Token->TokenText);
      }
      TOrvikSymbol* Proc = Find->ProcAgain;
      if (Proc && Proc->Parent && Proc->Parent->Typ == typClass) {
        TOrvikSymbol* C = Proc->Parent;
        Write("sym2 = " + C->name);
        const std::string N = Proc->name;
        Write("name =" + N);
        TOrvikSymbol* F = nullptr;
        for (int Step = 0; Step < MaxAncestorSteps && !F; ++Step) {
          C = CompileProject->FindSymbol(C->Ancestor(), typClass);
          if (!C) break;
          Write("baseclass = " + C->name);
          if (C->symbols) F = C->symbols->FindAnyFlatSymbol(N);
        }
        if (F) GotoSymbol(F);
      }
    } else {
      auto Dialog = std::make_unique<TFormVelmoricAmbuingity>(nullptr);
      Dialog->Word = Word;
      Dialog->Project = CompileProject;
      Dialog->ShowModal();
      if (Dialog->Selected) GotoSymbol(Dialog->Selected);
    }
  } catch (...) {
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  ReleaseEditor();
  FreeAndNil(CompileProject);
}

// ------------------------------------------------------------- new symbol

void TVelmoricWizard::MenuClickEditSymbol(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickEditSymbol");
  const std::string Dashes(59, '-');
  if (tracelet) tracelet->start();
  Write(Dashes);
  if (!GetCompiledEditor()) return;
  auto Find = std::make_unique<TFindSymbol>();
  // The dialog is the application's while it is shown; freed afterwards.
  std::unique_ptr<TFormVelmoricNewProcedure> Form(new TFormVelmoricNewProcedure(Application));
  FormVelmoricNewProcedure = Form.get();
  try {
    std::string Word;
    Source->GetSymbolFromCursor(Find.get(), Word);
    if (Find->Owner) PrintSymbol("LastKnown", Find->Owner);
    if (Find->Symbol) PrintSymbol("Symbol", Find->Symbol);
    if (Find->ProcAgain) PrintSymbol("Procedure", Find->ProcAgain);
    if (Find->Proc) PrintSymbol("Main", Find->Proc);
    Write("word : " + Word);

    TToken* Token = Source->Token;
    Token->SetLine(Find->CursorLine - 1);
    Token->TokenPushedBack = false;
    Token->EofCount = 0;
    Write("sourceline := " + (Token->EndOfText ? std::string() : Token->LineText));
    Token->Next();
    TProcTokenType Kind;
    if (Token->IsProcToken(Kind)) {
      // Create prototype: "procedure [Class.]Name(Params)".
      Write("Create Prototype");
      Token->Next();
      std::string W2 = Token->TokenText;
      Token->Next();
      std::string ClassName;
      if (Token->TokenText == ".") {
        ClassName = W2;
        Token->Next();
        W2 = Token->TokenText;
        Token->Next();
      }
      const std::string W3 = Token->TokenText;
      Write(Format("********* <%s>.<%s> <%s>", ClassName, W2, W3));
      std::string Params;
      if (W3 == "(") {
        while (Token->Next() && Token->TokenText != ")") Params += Token->TokenText + " ";
        Params = Trim(Params);
      }
      Form->EditParameter->SetText(Params);
      Write(Format("Create prototype for function %s.%s", ClassName, W2));
      // A heading line also lies in the range of the procedure before it:
      // the procedure at the cursor counts only when it is the one named.
      TOrvikSymbol* Sym = Find->ProcAgain;
      if (!Sym || !SameText(Sym->name, W2)) Sym = Source->FindSymbolInClass(ClassName, W2);
      // A prototype line inside a class names no class: the procedure
      // declared on that line is meant.
      if (!Sym && ClassName.empty() && Source->symbols.symbols) {
        const int Line = Find->CursorLine - 1;
        auto Walk = [&](auto& Self, TOrvikSymbol* Owner) -> TOrvikSymbol* {
          for (int I = 0; Owner->symbols && I < Owner->symbols->Count(); ++I) {
            TOrvikSymbol* C = Owner->symbols->GetSymbol(I);
            if (C->Typ == typProcedure && C->DeclLine == Line && SameText(C->name, W2)) return C;
            if (C->Typ == typClass)
              if (TOrvikSymbol* Found = Self(Self, C)) return Found;
          }
          return nullptr;
        };
        Sym = Walk(Walk, &Source->symbols);
      }
      Write(Sym ? "sym: " + Sym->name : std::string("sym=NIL"));
      if (!Params.empty() && Sym) Sym->Params = Params;
      Form->EditSymbol = Sym;
      Form->ChangeMode = true;
      if (Sym) Form->ContextSymbol = Sym->Parent;
      // An implementation without prototype hangs below the unit: its
      // class is the one its heading names.
      if (Sym && !ClassName.empty() && (!Sym->Parent || Sym->Parent->Typ != typClass))
        if (TOrvikSymbol* Cls = Source->symbols.symbols
                                    ? Source->symbols.symbols->FindSymbol({typClass}, ClassName)
                                    : nullptr)
          Form->ContextSymbol = Cls;
      Form->Project = CompileProject;
      Form->ShowModal();
    } else {
      Write("Found symbol " + Word);
      Write(Dashes);
      Form->Project = CompileProject;
      Form->ContextSymbol = Find->Owner ? Find->Owner : Find->ProcAgain;
      if (Find->Symbol) {
        Form->EditSymbol = Find->Symbol;
        Form->ChangeMode = true;
        Form->ContextSymbol = Find->Symbol->Parent ? Find->Symbol->Parent : Find->ProcAgain;
      }
      Form->EditProcName->SetText(Word);
      Form->ShowModal();
    }
  } catch (...) {
    Form.reset();
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  Form.reset();
  ReleaseEditor();
  FreeAndNil(CompileProject);
}

// ----------------------------------------------------------- clear memory

void TVelmoricWizard::MenuClickClearMemory(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickClearMemory");
  if (!Project) return;
  // The explorer's boxes hold symbols of the units that go.
  if (FFormSourceExplorer) {
    FFormSourceExplorer->ComboBoxFinde->Clear();
    FFormSourceExplorer->ComboBoxClass->Clear();
    FFormSourceExplorer->UpdateEditors();
  }
  TSaveStringList* List = Project->FUnitLIst;
  for (int I = 0; I < List->Count(); ++I) {
    auto* S = static_cast<TPascalSource*>(List->Objects(I));
    if (!S) continue;
    Write(Format("%s entfernt", S->FileName));
    List->PutObjects(I, nullptr);
    ReleaseSource(S);
  }
  List->Clear();
}

// ---------------------------------------------------------- relevant files

void TVelmoricWizard::UpdateQuickOpen() {
  TTraceProcStartup Trace("TVelmoricWizard.UpdateQuickOpen");
  Write("Update quick open");
  try {
    StreamWrite("velmoric.release", "Get Rid of menus");
    for (int I = 0; QuickOpenItems && I < QuickOpenItems->Count(); ++I) {
      auto* Item = static_cast<TIMenuItemIntf*>(QuickOpenItems->Get(I));
      QuickOpenItems->Put(I, nullptr);
      if (Item) Item->Release();
    }
  } catch (const std::exception&) {
    ShowError("Error in Release of Menus");
  }
  if (QuickOpenItems) QuickOpenItems->Clear();
  if (!QuickOpenFiles || !QuickOpenItems) return;

  QuickOpenFiles->SetSorted(false);
  QuickOpenFiles->Clear();
  if (fileRepository) {
    for (int I = 0; I < fileRepository->list.Count(); ++I) {
      auto* Item = static_cast<TFileRepositoryItem*>(fileRepository->list.Objects(I));
      if (Item) QuickOpenFiles->Add(LowerCase(Item->FullName));
    }
  }
  QuickOpenFiles->SetSorted(true);

  try {
    std::string LastPath;
    TIMenuItemIntf* Directory = nullptr;
    std::string FirstFileName;  // the first file item of the current directory
    int DirectoryCount = 0;
    for (int I = 0; I < QuickOpenFiles->Count(); ++I) {
      const std::string Entry = QuickOpenFiles->Get(I);
      const std::string P = ExtractFilePath(Entry);
      const std::string F = ExtractFileName(Entry);
      Write(Entry);
      const TIMenuFlags Flags = mfsEnabledVisible;
      if (!Directory || LowerCase(P) != LastPath) {
        if (Directory) {
          QuickOpenItems->Add(Directory);
          Directory = nullptr;
        }
        if (I == 0) {
          Write("this is first");
          DirectoryCount = 0;
          Directory = InsertMenuItem(iaChild, "VelmoricQuickOpen", P, "VelmoricPath0", "", 0, 0, 0,
                                     Flags, nullptr);
        } else {
          ++DirectoryCount;
          Directory = InsertMenuItem(iaAfter, "VelmoricPath0", P,
                                     "VelmoricPath" + IntToStr(DirectoryCount), "", 0, 0, 0, Flags,
                                     nullptr);
        }
        LastPath = LowerCase(P);
        FirstFileName.clear();
      }
      const std::string Name = "VelmoricFile" + IntToStr(I);
      auto Click = [this](TIMenuItemIntf* Item) { MenuClickQuickOpen(Item); };
      TIMenuItemIntf* File;
      if (FirstFileName.empty()) {
        File = InsertMenuItem(iaChild, "VelmoricPath" + IntToStr(DirectoryCount), F, Name, "", 0, 0,
                              0, Flags, Click);
        FirstFileName = Name;
      } else {
        File = InsertMenuItem(iaBefore, FirstFileName, F, Name, "", 0, 0, 0, Flags, Click);
      }
      QuickOpenItems->Add(File);
    }
    if (Directory) QuickOpenItems->Add(Directory);
  } catch (const std::exception&) {
    ShowError("Error creating quick file open menu");
  }
}

void TVelmoricWizard::MenuClickQuickOpen(TIMenuItemIntf* Sender) {
  if (!Sender || !QuickOpenFiles) return;
  const std::string N = Sender->GetName();
  if (N.size() <= 12) return;
  const int I = StrToIntDef(N.substr(12), -1);
  if (I < 0 || I >= QuickOpenFiles->Count()) return;
  GotoLine(QuickOpenFiles->Get(I), 1, 1);
}

// -------------------------------------------------------------- the forms

void TVelmoricWizard::MenuClickSourceExplorer(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickSourceExplorer");
  FormSourceExplorer()->Show();
}

void TVelmoricWizard::MenuClickAbout(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickAbout");
  FFormVelmoricAbout = new TFFormVelmoricAbout(Application);
  try {
    FFormVelmoricAbout->ShowModal();
  } catch (...) {
    FreeAndNil(FFormVelmoricAbout);
    throw;
  }
  FreeAndNil(FFormVelmoricAbout);
}
