#include "platform/vcl/ExtCtrls.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/Forms.h"

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
