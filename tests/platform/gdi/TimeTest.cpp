#include "platform/gdi/Time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(TimeTest, TheMillisecondCountWrapsToZero) {
  platform::SetTimeGetTime(0xFFFFFFF0u);
  const DWORD start = timeGetTime();
  EXPECT_GE(start, 0xFFFFFFF0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  const DWORD later = timeGetTime();
  EXPECT_LT(later, start);                            // it went past 2^32 - 1 ...
  EXPECT_GE(static_cast<DWORD>(later - start), 40u);  // ... and the difference still counts
}

TEST(TimeTest, TheClockNeverRunsBackwards) {
  platform::SetTimeGetTime(1000);
  DWORD previous = timeGetTime();
  for (int i = 0; i < 1000; ++i) {
    const DWORD now = timeGetTime();
    EXPECT_GE(now, previous);
    previous = now;
  }
}

}  // namespace
