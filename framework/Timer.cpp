#include "framework/Timer.h"

#include <algorithm>
#include <cstdint>

#include "framework/Application.h"

namespace {

// Milliseconds since Start on a clock that wraps at 2^32.
std::int64_t Elapsed(DWORD Start, DWORD Now) {
  return static_cast<std::int64_t>(static_cast<DWORD>(Now - Start));
}

}  // namespace

TTimer::TTimer(TComponent* Owner) : TComponent(Owner), startedAt_(Application->Milliseconds()) {
  Application->TimerCreated(this);
}

TTimer::~TTimer() {
  Application->TimerDestroyed(this);
}

void TTimer::SetInterval(DWORD Value) {
  interval_ = Value;
  Restart(Application->Milliseconds());
}

void TTimer::SetEnabled(bool Value) {
  if (Value && !enabled_) Restart(Application->Milliseconds());
  enabled_ = Value;
}

bool TTimer::DueAt(DWORD Now) const {
  return Running() && Elapsed(startedAt_, Now) >= interval_;
}

int TTimer::MillisecondsUntilDue(DWORD Now) const {
  if (!Running()) return -1;
  const std::int64_t left = static_cast<std::int64_t>(interval_) - Elapsed(startedAt_, Now);
  return left <= 0 ? 0 : static_cast<int>(std::min<std::int64_t>(left, INT32_MAX));
}

bool TTimer::DueBefore(const TTimer& Other) const {
  // Compared by how long each has been waiting beyond its interval.
  const DWORD now = Application->Milliseconds();
  return Elapsed(startedAt_, now) - interval_ > Elapsed(Other.startedAt_, now) - Other.interval_;
}

void TTimer::Fire() {
  if (OnTimer) OnTimer(this);
}
