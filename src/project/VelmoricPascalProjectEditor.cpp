// The project model's work on editor buffers: units open in the IDE are
// parsed from their buffers, and the edited unit is compiled from its editor.
#include <memory>

#include "ide/VelmoricEditorStrings.h"
#include "platform/opentools/ToolIntf.h"
#include "project/VelmoricPascalProject.h"
#include "scanner/VelmoricKeptParse.h"
#include "trace/traceletVelmoric.h"

TPascalSource* TPascalProject::CompileFromEditor(const std::string& Key,
                                                 const std::string& FileName,
                                                 TCompilerOptionsSet Options) {
  TTraceProc Trace("TPascalProject.CompileFromEditor");
  TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
  if (!Module) return nullptr;
  TPascalSource* S = nullptr;
  TIEditorInterface* Editor = Module->GetEditorInterface();
  try {
    if (Editor) {
      auto Lines = std::make_unique<TEditorStrings>(Editor);
      auto Token = std::make_unique<TToken>(Lines.get());
      S = new TPascalSource(Token.get());
      S->AddNotifier(Module);
      RegisterAndParse(Key, S, FileName, Options, Editor, nullptr);
    }
  } catch (...) {
    ReleaseInterface(Editor);
    Module->Release();
    throw;
  }
  ReleaseInterface(Editor);
  Module->Release();
  return S;
}

TPascalSource* TPascalProject::CompileEditor(TIEditorInterface* Editor) {
  TTraceProc Trace("TPascalProject.CompileEditor");
  if (!Editor) return nullptr;
  auto* Lines = new TEditorStrings(Editor);
  if (tracelet) tracelet->start();
  auto* Token = new TToken(Lines);
  const std::string FileName = Editor->FileName();
  const std::string Key = UnitKey(FileName);
  const bool Quick = FMemoryProject && FMemoryProject->FUnitLIst->Count() > 0 && gQuickRecompile;

  // The new source (which owns the token source and its lines from here)
  // takes the key's place here and in the memory project; an older copy is
  // released, and stays valid for the projects that still hold it.
  auto* S = new TPascalSource(Token);
  S->Project = this;
  S->Options = {oCompileUnits, oCompileImplementation};
  S->FileName = FileName;
  // A quick compile may take the model of the buffer's last one.
  std::shared_ptr<TKeptParse> Kept;
  if (FMemoryProject) {
    TSaveStringList* Memory = FMemoryProject->FUnitLIst;
    if (const int I = Memory->IndexOf(Key); I >= 0) {
      TPascalSource* Old = static_cast<TPascalSource*>(Memory->GetObjects(I));
      if (Quick) Kept = std::move(Old->KeptParse);
      Memory->Delete(I);
      ReleaseSource(Old);
    }
  }
  if (const int I = FUnitLIst->IndexOf(Key); I >= 0) {
    TPascalSource* Old = static_cast<TPascalSource*>(FUnitLIst->GetObjects(I));
    FUnitLIst->PutObjects(I, S);
    ++S->RefCount;
    ReleaseSource(Old);
  } else {
    FUnitLIst->AddObject(Key, S);
    ++S->RefCount;
  }
  if (FMemoryProject) {
    FMemoryProject->FUnitLIst->AddObject(Key, S);
    ++S->RefCount;
  }

  // The source may outlive this project in the memory project.
  struct TRehome {
    TPascalProject& Project;
    TPascalSource* S;
    TPascalSource* Outer;
    ~TRehome() {
      Project.FParsing = Outer;
      if (Project.FMemoryProject) S->Project = Project.FMemoryProject;
    }
  } Rehome{*this, S, FParsing};
  FParsing = S;
  if (Quick) {
    // The buffer parses to the last model when an edit since changed no
    // token the parser reads; else it is parsed, and its model kept.
    const TCompilerOptionsSet Options{oCompileImplementation};
    if (!S->TakeKeptParse(std::move(Kept), Lines->LoadedText(), Options))
      S->CreateSymbolsKept(Options, Lines->LoadedText());
    TSaveStringList* Memory = FMemoryProject->FUnitLIst;
    for (int I = 0; I < Memory->Count(); ++I) {
      auto* M = static_cast<TPascalSource*>(Memory->GetObjects(I));
      const std::string MKey = Memory->Get(I);
      if (FUnitLIst->IndexOf(MKey) >= 0) continue;
      if (tracelet) tracelet->StrWrite("QuickRecompile", "Quick Recompile add source " + M->FileName);
      FUnitLIst->AddObject(MKey, M);
      ++M->RefCount;
    }
  } else {
    try {
      S->CreateSymbols({oCompileUnits, oCompileImplementation});
    } catch (...) {
      S->Modified = true;  // unfinished: the next compile parses the buffer again
      throw;
    }
  }
  return S;
}

void TPascalSource::LoadFileForEdit() {
  TTraceProc Trace("TPascalSource.LoadFileForEdit");
  TStrings* Lines = nullptr;
  if (ToolServices) {
    if (!ToolServices->IsFileOpen(FileName)) ToolServices->OpenFile(FileName);
    TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
    if (!Module) return;
    TIEditorInterface* Editor = Module->GetEditorInterface();
    if (Editor) Lines = new TEditorStrings(Editor);
    ReleaseInterface(Editor);
    Module->Release();
    if (!Lines) return;
  } else {
    auto* FileLines = new TSaveStringList("strings", "TPascalSource");
    try {
      FileLines->LoadFromFile(FileName);
    } catch (...) {
      delete FileLines;
      throw;
    }
    Lines = FileLines;
  }
  if (Token) {
    delete Token->Lines;
    delete Token;
  }
  Token = new TToken(Lines);
}
