// Timers. A timer fires only when the host processes timers
// (ProcessTimers): the host decides when time passes.
#pragma once

#include <cstdint>

#include "platform/vcl/Component.h"

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
