// Helpers for forms that build their controls in code: a control made,
// named, parented and placed in one call, a tab sheet and a pop-up menu item.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Menus.h"

template <typename T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, const std::string& Name, int Left,
               int Top, int Width, int Height) {
  T* C = new T(Owner);
  C->SetName(Name);
  C->SetParent(Parent);
  C->SetBounds(Left, Top, Width, Height);
  return C;
}

// A page of a page control, owned by Owner.
inline TTabSheet* AddTabSheet(TComponent* Owner, TPageControl* Pages, const std::string& Name,
                              const std::string& Caption) {
  auto* Sheet = new TTabSheet(Owner);
  Sheet->SetName(Name);
  Sheet->Caption = Caption;
  Sheet->SetPageControl(Pages);
  return Sheet;
}

inline TMenuItem* AddMenuItem(TPopupMenu* Menu, const std::string& Name,
                              const std::string& Caption, std::function<void(TObject*)> Click) {
  auto* Item = new TMenuItem(Menu->Owner());
  Item->SetName(Name);
  Item->Caption = Caption;
  Item->OnClick = std::move(Click);
  Menu->Items()->Add(Item);
  return Item;
}
