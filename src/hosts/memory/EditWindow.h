// The IDE's code editor window: one per open file, class "TEditWindow",
// with the tab control "TabControl" holding the editor control "Editor",
// and the message view "MessageView" at the bottom.
#pragma once

#include <string>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TEditControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::string ClassName() const override { return "TEditControl"; }
};

class TMessageView : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::string ClassName() const override { return "TMessageView"; }
};

class TEditWindow : public TForm {
 public:
  TEditWindow(TComponent* AOwner, const std::string& FileName);
  std::string ClassName() const override { return "TEditWindow"; }

  const std::string& FileName() const { return FFileName; }

  TTabControl* TabControl;
  TEditControl* Editor;
  TMessageView* MessageView;

 private:
  std::string FFileName;
};

// The IDE's main window, which owns the IDE's timers and components.
class TAppBuilder : public TForm {
 public:
  explicit TAppBuilder(TComponent* AOwner);
  std::string ClassName() const override { return "TAppBuilder"; }
};
