// The operations of TPascalSource that reach the IDE: its editor, its text
// and the module notifier that reports editor changes.
#include "platform/opentools/ToolIntf.h"
#include "project/VelmoricPascalProject.h"
#include "trace/traceletVelmoric.h"

TIEditorInterface* TPascalSource::GetEditor() {
  TTraceProc Trace("TPascalSource.GetEditor");
  if (!ToolServices) return nullptr;
  if (!ToolServices->IsFileOpen(FileName)) ToolServices->OpenFile(FileName);
  TIModuleInterface* Module = ToolServices->GetModuleInterface(FileName);
  ReleaseInterface(EditModule);
  EditModule = Module;
  return Module ? Module->GetEditorInterface() : nullptr;
}

void TPascalSource::AddNotifier(TIModuleInterface* Module) {
  TTraceProc Trace("TPascalSource.AddNotifier");
  if (!Module) return;
  if (!Notifier) Notifier = new TIPascalModuleNotifier(this);
  if (ModuleIntf) {
    ModuleIntf->RemoveNotifier(Notifier);
    ReleaseInterface(ModuleIntf);
  }
  Module->AddRef();
  ModuleIntf = Module;
  Module->AddNotifier(Notifier);
}

void TPascalSource::RemoveNotifier() {
  TTraceProc Trace("TPascalSource.RemoveNotifier");
  if (!Notifier) return;
  if (ModuleIntf) ModuleIntf->RemoveNotifier(Notifier);
  ReleaseInterface(ModuleIntf);
  TIModuleNotifier* N = Notifier;
  Notifier = nullptr;
  N->Release();
}
