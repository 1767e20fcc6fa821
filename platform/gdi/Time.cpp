#include "platform/gdi/Time.h"

#include <chrono>

namespace {

DWORD g_offset = 0;  // added to the steady clock's milliseconds, modulo 2^32

DWORD SteadyMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

DWORD timeGetTime() {
  return SteadyMilliseconds() + g_offset;
}

namespace platform {
void SetTimeGetTime(DWORD Now) {
  g_offset = Now - SteadyMilliseconds();
}
}  // namespace platform
