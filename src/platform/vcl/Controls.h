// Headless controls: a control has bounds, an alignment, visibility, a
// parent and events; a windowed control holds child controls and lays out
// the aligned ones (top, bottom, left, right, then client) whenever its
// size or their alignment changes.
//
// Plain state is kept in public fields (Caption, Hint, Enabled, ...);
// whatever has side effects (bounds, alignment, parent, visibility) goes
// through methods.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Component.h"

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Modifier keys and mouse buttons held during an event, one bit each.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// Virtual key codes the add-in uses.
constexpr uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32,
                   VK_DELETE = 46;

using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

struct TPoint {
  int X = 0, Y = 0;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Contains(int X, int Y) const { return X >= Left && X < Right && Y >= Top && Y < Bottom; }
};

struct TFont {
  std::string Name = "MS Sans Serif";
  int Height = -11;
  uint32_t Color = 0;
  bool Bold = false;
};

class TWinControl;
class TCustomForm;
class TPopupMenu;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // Moves and sizes the control; an aligned control makes its parent lay
  // out again, and a changed size fires OnResize.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  // Fires OnClick when the control is enabled, as a click of the user does.
  virtual void Click();
  void DblClick();
  // Fire OnMouseDown / OnMouseUp when enabled, as the user's mouse does.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

  // Script hooks: the head line shows the caption; "click" and "dblclick".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

  // Painting is counted, so that callers can see how often a control was
  // repainted; Update paints what was invalidated.
  void Repaint() { ++FPaintCount; FInvalid = false; }
  void Invalidate() { FInvalid = true; }
  void Update() {
    if (FInvalid) Repaint();
  }
  int PaintCount() const { return FPaintCount; }

  std::string Caption;
  std::string Hint;
  bool ShowHint = false;
  bool Enabled = true;
  TFont Font;
  int HelpContext = 0;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Called after the size changed.
  virtual void Resize();
  // Sets the visibility without further effect than a new layout of the parent.
  void ChangeVisible(bool Value);
  void RequestAlign();

 private:
  friend class TWinControl;
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  TPopupMenu* FPopupMenu = nullptr;
  int FPaintCount = 0;
  bool FInvalid = false;
};

// A control without a window of its own (labels, speed buttons).
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TGraphicControl"; }
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  // Destroys the child controls first, whoever owns them.
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const;  // EListError when out of range
  bool ContainsControl(const TControl* Control) const;

  // While alignment is disabled nothing is laid out; the last EnableAlign
  // lays out again.
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return FAlignLevel > 0; }

  // Makes this control the active control of its form.
  virtual void SetFocus();
  bool Focused() const;

  int TabOrder = 0;
  bool TabStop = false;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Fires OnKeyDown, as a key press of the user does.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  // Fires OnKeyPress with the character the key typed.
  virtual void KeyPress(char& Key);
  // Whether the control takes Enter, Escape or Tab itself instead of
  // leaving it to the form's default and cancel buttons.
  virtual bool WantsKey(uint16_t Key) const { return false; }

  // Script hooks: "keypress KEY" as well.
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;

 protected:
  virtual void AlignControls();

 private:
  friend class TControl;
  std::vector<TControl*> FControls;
  int FAlignLevel = 0;
  bool FAligning = false;
};

// The form that holds the control, or nullptr.
TCustomForm* GetParentForm(const TControl* Control);
