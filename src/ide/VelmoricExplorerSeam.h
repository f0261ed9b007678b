// The expert's calls on the source explorer form. The form comes with the
// browsers unit (browsers/VelmoricSourceExplorer.h); while it is not part of
// the build these calls do nothing, and the editor panels stay empty.
#pragma once

class TVelmoricWizard;
class TPanel;
class TCustomForm;

namespace explorer {

// Whether the source explorer is part of the build.
bool Available();
// Creates the form through its accessor, shows and hides it, and gives it
// the expert and its bookmark stack.
void Create(TVelmoricWizard* Expert);
// UpdateClassBox / UpdateButtons of the form, when it exists.
void UpdateClassBox();
void UpdateButtons();
// Copies the form's tool bar onto an editor window's panel: the buttons
// owned by the panel, the combo boxes by the window.
void CopyToolBar(TPanel* Panel, TCustomForm* Window);
// Frees the form (the expert's release); false when there was none.
bool Free();

}  // namespace explorer
