#include "platform/vcl/Controls.h"

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() { SetParent(nullptr); }

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (AParent == this) throw EComponentError("A control cannot have itself as its parent");
  if (FParent) {
    TWinControl* Old = FParent;
    auto& List = Old->FControls;
    List.erase(std::find(List.begin(), List.end(), this));
    FParent = nullptr;
    if (FAlign != alNone && FVisible) Old->Realign();
  }
  if (AParent) {
    AParent->FControls.push_back(this);
    FParent = AParent;
    RequestAlign();
  }
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  const bool SizeChanged = AWidth != FWidth || AHeight != FHeight;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  RequestAlign();
  if (SizeChanged) {
    if (auto* W = dynamic_cast<TWinControl*>(this)) W->Realign();
    Resize();
  }
  Invalidate();
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  const TAlign Old = FAlign;
  FAlign = Value;
  if (Value != alNone) RequestAlign();
  else if (Old != alNone && FParent) FParent->Realign();
}

void TControl::SetVisible(bool Value) { ChangeVisible(Value); }

void TControl::ChangeVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = Value;
  if (Value) FreeNotification(Value);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Click() {
  if (Enabled && OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (Enabled && OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Enabled && OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Enabled && OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize && !Destroying()) OnResize(this);
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone && FVisible) FParent->Realign();
}

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  ++FAlignLevel;  // no layout while the children go
  while (!FControls.empty()) delete FControls.back();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return FControls[Index];
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (; Control; Control = Control->Parent())
    if (Control == this) return true;
  return false;
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() {
  if (FAligning || FAlignLevel > 0) return;
  FAligning = true;
  int L = 0, T = 0, R = Width(), B = Height();
  auto Place = [&](TAlign A) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->Align() == A && C->Visible()) List.push_back(C);
    std::stable_sort(List.begin(), List.end(), [A](const TControl* X, const TControl* Y) {
      switch (A) {
        case alTop: return X->Top() < Y->Top();
        case alBottom: return X->Top() + X->Height() > Y->Top() + Y->Height();
        case alLeft: return X->Left() < Y->Left();
        case alRight: return X->Left() + X->Width() > Y->Left() + Y->Width();
        default: return false;
      }
    });
    for (TControl* C : List) {
      const int W = C->Width(), H = C->Height();
      switch (A) {
        case alTop: C->SetBounds(L, T, R - L, H); T += H; break;
        case alBottom: C->SetBounds(L, B - H, R - L, H); B -= H; break;
        case alLeft: C->SetBounds(L, T, W, B - T); L += W; break;
        case alRight: C->SetBounds(R - W, T, W, B - T); R -= W; break;
        default: C->SetBounds(L, T, R - L, B - T); break;
      }
    }
  };
  try {
    for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient}) Place(A);
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::SetFocus() {
  if (TCustomForm* Form = GetParentForm(this)) Form->SetActiveControl(this);
}

bool TWinControl::Focused() const {
  const TCustomForm* Form = GetParentForm(this);
  return Form && Form->ActiveControl() == this;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

TCustomForm* GetParentForm(const TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(Control));
}
