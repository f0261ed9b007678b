// The bookmark stack window: lists the bookmarks of the expert's stack and
// lets the user jump to one or delete it (the list's pop-up menu, or a
// double click to jump).
#pragma once

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

class TFFormVelmoricBookmarkStack : public TForm {
 public:
  // Shows itself once created, as its stored description says.
  explicit TFFormVelmoricBookmarkStack(TComponent* AOwner);
  std::string ClassName() const override { return "TFFormVelmoricBookmarkStack"; }

  void UpdateList();
  void FormShow(TObject* Sender);
  void ButtonGotoClick(TObject* Sender);
  void ButtonDeleteClick(TObject* Sender);

  TListBox* ListBoxDependencies;
  TPopupMenu* PopupMenu1;
  TMenuItem* Goto1;
  TMenuItem* Delete1;
};

// The window, nil until first needed; freed by the expert's Release.
extern TFFormVelmoricBookmarkStack* FFormVelmoricBookmarkStack;
// Creates the window (no owner) when there is none and returns it.
TFFormVelmoricBookmarkStack* FormVelmoricBookmarkStack();
