// TTimer: raises OnTimer every Interval milliseconds while Enabled, from the application's
// message loop (between events, never in the middle of a handler).
//
// A timer runs when it is enabled, its interval is above 0 and OnTimer is set; an interval of
// 0 never fires. It is due Interval milliseconds after it was started (made, enabled, or
// given a new interval) or last fired. The clock is the backend's: the desktop's real
// milliseconds, the headless backend's virtual clock.
#pragma once

#include "framework/Component.h"
#include "framework/Events.h"
#include "platform/com/WinTypes.h"

class TTimer : public TComponent {
 public:
  // Enabled, interval 1000 ms.
  explicit TTimer(TComponent* Owner);
  ~TTimer() override;

  DWORD Interval() const { return interval_; }
  // Restarts the count.
  void SetInterval(DWORD Value);
  bool Enabled() const { return enabled_; }
  // Enabling restarts the count.
  void SetEnabled(bool Value);

  TNotifyEvent OnTimer;

  // For the application's loop.
  bool Running() const { return enabled_ && interval_ > 0 && OnTimer != nullptr; }
  bool DueAt(DWORD Now) const;
  // Milliseconds from Now until due (0 when due), -1 when not running.
  int MillisecondsUntilDue(DWORD Now) const;
  bool DueBefore(const TTimer& Other) const;
  // Starts a new count at Now.
  void Restart(DWORD Now) { startedAt_ = Now; }
  // Runs OnTimer.
  void Fire();

 private:
  DWORD interval_ = 1000;
  bool enabled_ = true;
  DWORD startedAt_ = 0;
};
