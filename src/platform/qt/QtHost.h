// The Qt answers of the component library's host hooks: modal forms run as
// modal windows on a local event loop, message boxes are QMessageBoxes with
// the library's buttons and captions, file dialogs QFileDialogs, the
// clipboard the system's, beeps and message processing Qt's; rich edits
// print through the system's print dialog (TVclHost::PrintRichText).
#pragma once

#include "platform/vcl/VclHost.h"

class TQtRenderer;

// Installs the answers, rendering forms through Renderer (which must outlive
// them); returns the hooks they replaced.
TVclHost InstallQtHost(TQtRenderer& Renderer);
