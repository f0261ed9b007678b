// Helpers for forms that build their controls in code: a control made,
// named, parented and placed in one call, and a pop-up menu item.
#pragma once

#include <functional>
#include <string>
#include <utility>

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

inline TMenuItem* AddMenuItem(TPopupMenu* Menu, const std::string& Name,
                              const std::string& Caption, std::function<void(TObject*)> Click) {
  auto* Item = new TMenuItem(Menu->Owner());
  Item->SetName(Name);
  Item->Caption = Caption;
  Item->OnClick = std::move(Click);
  Menu->Items()->Add(Item);
  return Item;
}
