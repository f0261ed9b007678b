// The expert's commands that open a tool for the unit or the symbol under
// the cursor: the uses manager, the symbol explorer, the class wizard and
// word expansion.
#include <memory>

#include "browsers/VelmoricInheritance.h"
#include "browsers/VelmoricSymbols.h"
#include "ide/VelmoricAmbuingity.h"
#include "ide/VelmoricEditorStrings.h"
#include "ide/VelmoricNavigation.h"
#include "ide/VelmoricWizard.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"
#include "wizards/VelmoricExpandWord.h"
#include "wizards/VelmoricUsesManger.h"

namespace {

void Write(const std::string& Text) {
  if (tracelet) tracelet->write(Text);
}

TOrvikSymbol* OutermostOf(TOrvikSymbol* Sym) {
  while (Sym && Sym->Parent) Sym = Sym->Parent;
  return Sym;
}

// The symbol under the cursor of the compiled editor; the ambiguity
// dialog decides when the word names several.
TOrvikSymbol* SymbolAtCursor(TPascalSource* Source, TPascalProject* Project, TFindSymbol& Find,
                             std::string& Word) {
  Source->GetSymbolFromCursor(&Find, Word);
  if (Find.Symbol || Word.empty()) return Find.Symbol;
  auto Dialog = std::make_unique<TFormVelmoricAmbuingity>(nullptr);
  Dialog->Word = Word;
  Dialog->Project = Project;
  Dialog->ShowModal();
  return Dialog->Selected;
}

}  // namespace

void TVelmoricWizard::MenuClickUsesManager(TIMenuItemIntf* Sender) {
  TFindSymbol Find;
  // Without a compiled unit there are no clauses to manage.
  if (!GetCompiledEditor()) return;
  try {
    if (Source) {
      std::string Word;
      TOrvikSymbol* Sym = SymbolAtCursor(Source, CompileProject, Find, Word);
      FormVelmoricUsesManager = new TFormVelmoricUsesManager(nullptr);
      FormVelmoricUsesManager->Symbol = nullptr;
      if (Sym) {
        Write("found symbol");
        for (TOrvikSymbol* S = Sym; S; S = S->Parent) Write("sym.name = " + S->name);
        FormVelmoricUsesManager->UnitName = OutermostOf(Sym)->name;
        FormVelmoricUsesManager->Symbol = Sym;
      }
      Write("Show dialog..");
      FormVelmoricUsesManager->Source = Source;
      FormVelmoricUsesManager->ShowModal();
      delete FormVelmoricUsesManager;
      FormVelmoricUsesManager = nullptr;
    }
  } catch (...) {
    delete FormVelmoricUsesManager;
    FormVelmoricUsesManager = nullptr;
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  ReleaseEditor();
  FreeAndNil(CompileProject);
}

void TVelmoricWizard::MenuClickSymbols(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickSymbols");
  if (tracelet) tracelet->start();
  Write("Velmoric...");
  if (!GetCompiledEditor()) return;
  try {
    if (Source) {
      TFindSymbol Find;
      std::string Word;
      Source->GetSymbolFromCursor(&Find, Word);
      TFFormVelmoricSymbols* Form = FormVelmoricSymbols();
      Form->EditSearch->SetText(Word);
      Form->Expert = this;
      Form->InitialSymbol = Find.Symbol;
      if (Find.Owner) PrintSymbol("LastKnown", Find.Owner);
      if (Find.Symbol) PrintSymbol("Symbol", Find.Symbol);
      if (Find.Proc) PrintSymbol("Procedure", Find.Proc);
      Write("Ready for Dialog");
      Form->Source = Source;
      Form->Project = CompileProject;
      Form->ShowModal();
      // The project goes: nothing of it may stay in the form.
      Form->Source = nullptr;
      Form->Project = nullptr;
      Form->InitialSymbol = nullptr;
      Form->Explored = nullptr;
      Form->Entries->Clear();
    }
  } catch (...) {
    if (FFormVelmoricSymbols) {
      FFormVelmoricSymbols->Source = nullptr;
      FFormVelmoricSymbols->Project = nullptr;
      FFormVelmoricSymbols->Entries->Clear();
    }
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  ReleaseEditor();
  FreeAndNil(CompileProject);
}

void TVelmoricWizard::MenuClickInheritanceWizard(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickInheritanceWizard");
  if (!GetCompiledEditor()) return;
  try {
    if (Source) {
      auto Form = std::make_unique<TFormVelmoricClasses>(Application);
      Form->Source = Source;
      Form->Project = CompileProject;
      Form->ShowModal();
    }
  } catch (...) {
    ReleaseEditor();
    FreeAndNil(CompileProject);
    throw;
  }
  ReleaseEditor();
  FreeAndNil(CompileProject);
}

void TVelmoricWizard::MenuClickExpandWord(TIMenuItemIntf* Sender) {
  TTraceProcStartup Trace("TVelmoricWizard.MenuClickExpandWord");
  if (!ToolServices) return;
  ModuleIntf = ToolServices->GetModuleInterface(ToolServices->GetCurrentFile());
  if (!ModuleIntf) return;
  EditorIntf = ModuleIntf->GetEditorInterface();
  if (!EditorIntf) {
    ReleaseInterface(ModuleIntf);
    return;
  }
  EditorStrings = new TEditorStrings(EditorIntf);
  try {
    FormVelmoricExpandWord = new TFormVelmoricExpandWord(nullptr);
    FormVelmoricExpandWord->Expert = this;
    if (!FormVelmoricExpandWord->CreateWord()) FormVelmoricExpandWord->ShowModal();
  } catch (...) {
    delete FormVelmoricExpandWord;
    FormVelmoricExpandWord = nullptr;
    FreeAndNil(EditorStrings);
    ReleaseInterface(EditorIntf);
    ReleaseInterface(ModuleIntf);
    throw;
  }
  delete FormVelmoricExpandWord;
  FormVelmoricExpandWord = nullptr;
  FreeAndNil(EditorStrings);
  ReleaseInterface(EditorIntf);
  ReleaseInterface(ModuleIntf);
}
