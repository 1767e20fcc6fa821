#include "tests/support/WaitUntil.h"

#include <thread>

namespace testsupport {

bool WaitUntil(const std::function<bool()>& Condition, const std::function<void()>& Step,
               std::chrono::milliseconds Deadline, std::chrono::milliseconds Pause) {
  const auto end = std::chrono::steady_clock::now() + Deadline;
  for (;;) {
    if (Step) Step();
    if (Condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(Pause);
  }
}

}  // namespace testsupport
