// Stand-ins for the expert's navigation commands until the navigation unit
// defines them. Delete this file in the change that brings that unit.
#include "ide/VelmoricWizard.h"
#include "platform/vcl/Forms.h"

namespace {
void NotYet(const std::string& Feature) {
  Application->MessageBox(Feature + " is not available yet.", "Velmoric", MB_OK);
}
}  // namespace

void TVelmoricWizard::MenuClickFindPosition(TIMenuItemIntf*) {}
void TVelmoricWizard::GotoLine(const std::string&, int, int) { NotYet("Goto line"); }
void TVelmoricWizard::GotoSymbol(TOrvikSymbol*) { NotYet("Goto symbol"); }
void TVelmoricWizard::FindSource(const std::string& SourceName, std::string& FileName) {
  FileName = SourceName;
}
void TVelmoricWizard::UpdateQuickOpen() {}
void TVelmoricWizard::MenuClickQuickOpen(TIMenuItemIntf*) { NotYet("Relevant files"); }
void TVelmoricWizard::MenuClickHyperjump(TIMenuItemIntf*) { NotYet("Hyperjump"); }
void TVelmoricWizard::MenuClickEditSymbol(TIMenuItemIntf*) { NotYet("New symbol"); }
void TVelmoricWizard::MenuClickClearMemory(TIMenuItemIntf*) {}
void TVelmoricWizard::MenuClickSourceExplorer(TIMenuItemIntf*) { NotYet("The source explorer"); }
void TVelmoricWizard::MenuClickAbout(TIMenuItemIntf*) { NotYet("The about box"); }
