// Timers, radio groups, bevels, images and splitters. A timer fires only
// when the host processes timers (ProcessTimers): the host decides when
// time passes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Controls.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  std::string ClassName() const override { return "TTimer"; }

  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);  // restarts the count; 0 never fires
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);       // enabling restarts the count
  // Tick count (GetTickCount) at which the timer fires next.
  uint32_t NextDue() const { return FNextDue; }

  TNotifyEvent OnTimer;

 private:
  friend void ProcessTimers();
  void Restart();
  uint32_t FInterval = 1000;
  bool FEnabled = true;
  uint32_t FNextDue = 0;
};

// Fires, once each, every enabled timer whose time has come by GetTickCount;
// an exception of a handler is shown by Application->ShowException.
void ProcessTimers();
// The earliest due time of an enabled timer with a handler; false when none.
bool NextTimerDue(uint32_t& Due);

// A group of radio buttons made from Items; ItemIndex is the checked one.
class TRadioGroup : public TWinControl {
 public:
  explicit TRadioGroup(TComponent* AOwner);
  std::string ClassName() const override { return "TRadioGroup"; }
  TStringList* Items() const { return FItems.get(); }
  // -1 when none is checked (also after the items shrank below it).
  int ItemIndex() const { return FItemIndex < FItems->Count() ? FItemIndex : -1; }
  void SetItemIndex(int Value);  // EListError outside -1..count-1
  // The user checks item Index: it becomes ItemIndex, then OnClick.
  void Select(int Index);
  // Script hooks: the caption and the items, the checked one marked;
  // "select ITEM" and "check ITEM".
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  bool ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) override;
  int Columns = 1;

 private:
  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* AOwner);
  std::string ClassName() const override { return "TBevel"; }
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  TBevelShape Shape = bsBox;
  TBevelStyle Style = bsLowered;
};

// A picture by resource or file name; no pixels are kept.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  std::string ClassName() const override { return "TImage"; }
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  std::string Picture;
  bool Stretch = false;
  bool Center = false;
  bool Transparent = false;
  bool AutoSize = false;
};

// Sizes the control aligned before it when moved.
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* AOwner);
  std::string ClassName() const override { return "TSplitter"; }
  void ScriptPrint(std::vector<std::string>& Lines) const override;
  int MinSize = 30;
  bool Beveled = false;
  TNotifyEvent OnMoved;
};
