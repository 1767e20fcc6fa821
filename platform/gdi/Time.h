// The multimedia clock: milliseconds as a 32-bit count that wraps to 0 after 2^32 - 1
// (about 49.7 days), read from a steady clock.
#pragma once

#include "platform/com/WinTypes.h"

DWORD timeGetTime();

namespace platform {
// Makes timeGetTime read Now at this moment and run on from there (to run the clock across its
// wrap).
void SetTimeGetTime(DWORD Now);
}  // namespace platform
