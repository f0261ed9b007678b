#include "platform/vcl/ExtCtrls.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/Forms.h"
#include "platform/vcl/ScriptHooks.h"

namespace {

std::vector<TTimer*>& Timers() {
  static std::vector<TTimer*> List;
  return List;
}

bool Active(const TTimer* T) { return T->Enabled() && T->Interval() > 0 && T->OnTimer; }

// Whether tick A has reached tick B on a clock that wraps at 32 bits.
bool Reached(uint32_t A, uint32_t B) { return static_cast<int32_t>(A - B) >= 0; }

}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  Timers().push_back(this);
  Restart();
}

TTimer::~TTimer() {
  auto& List = Timers();
  List.erase(std::remove(List.begin(), List.end(), this), List.end());
}

void TTimer::SetInterval(uint32_t Value) {
  FInterval = Value;
  Restart();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (Value) Restart();
}

void TTimer::Restart() { FNextDue = GetTickCount() + FInterval; }

void ProcessTimers() {
  const uint32_t Now = GetTickCount();
  const std::vector<TTimer*> Snapshot = Timers();
  for (TTimer* T : Snapshot) {
    auto& List = Timers();
    if (std::find(List.begin(), List.end(), T) == List.end()) continue;  // freed meanwhile
    if (!Active(T) || !Reached(Now, T->FNextDue)) continue;
    T->FNextDue = Now + T->FInterval;
    TNotifyEvent Handler = T->OnTimer;
    Application->Guard([&] { Handler(T); });
  }
}

bool NextTimerDue(uint32_t& Due) {
  bool Any = false;
  for (const TTimer* T : Timers()) {
    if (!Active(T)) continue;
    if (!Any || Reached(Due, T->NextDue())) Due = T->NextDue();
    Any = true;
  }
  return Any;
}

// -------------------------------------------------------------- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 105);
  TabStop = true;
}

void TRadioGroup::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->Count())
    throw EListError(Format("List index out of bounds (%d)", Value));
  FItemIndex = Value;
}

void TRadioGroup::Select(int Index) {
  if (!Enabled) return;
  SetItemIndex(Index);
  TControl::Click();
}

void TRadioGroup::ScriptPrint(std::vector<std::string>& Lines) const {
  TControl::ScriptPrint(Lines);
  for (int I = 0; I < FItems->Count(); ++I) Lines.push_back(ScriptItemLine(FItems->Get(I), I == ItemIndex()));
}

bool TRadioGroup::ScriptAction(const std::string& Verb, const std::vector<std::string>& Args) {
  if (Verb != "select" && Verb != "check") return TWinControl::ScriptAction(Verb, Args);
  ScriptCheckArgs(Verb, Args, 1, 1);
  Select(ScriptFindItem(*FItems, Args[0], *this));
  return true;
}

// ------------------------------------------------- bevels, images, splitters

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TImage::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
  if (!Picture.empty()) Lines.push_back("  picture " + ScriptQuote(Picture));
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
}

void TSplitter::ScriptPrint(std::vector<std::string>& Lines) const {
  Lines.push_back(ScriptHeadLine(*this, std::nullopt));
}
