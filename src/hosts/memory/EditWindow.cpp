#include "hosts/memory/EditWindow.h"

TEditWindow::TEditWindow(TComponent* AOwner, const std::string& FileName)
    : TForm(AOwner), FFileName(FileName) {
  Caption = FileName;
  SetBounds(100, 100, 640, 480);

  MessageView = new TMessageView(this);
  MessageView->SetName("MessageView");
  MessageView->SetHeight(60);
  MessageView->SetParent(this);
  MessageView->SetAlign(alBottom);

  TabControl = new TTabControl(this);
  TabControl->SetName("TabControl");
  TabControl->SetParent(this);
  TabControl->SetAlign(alClient);
  TabControl->Tabs()->Add(ExtractFileName(FileName));
  TabControl->TabIndex = 0;

  Editor = new TEditControl(this);
  Editor->SetName("Editor");
  Editor->SetParent(TabControl);
  Editor->SetAlign(alClient);
  Editor->TabStop = true;
  SetActiveControl(Editor);
}

TAppBuilder::TAppBuilder(TComponent* AOwner) : TForm(AOwner) {
  SetName("AppBuilder");
  SetBounds(0, 0, 1024, 100);
}
