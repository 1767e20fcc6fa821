// Waiting in tests for something that happens on its own time (a window mapped, an event
// delivered, a program's answer): the condition is checked until it holds or a deadline
// passes, never for a counted number of loop passes, which a loaded machine can outrun.
#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// The patience every window test allows for one step; generous, as only a failure waits it out.
inline constexpr std::chrono::milliseconds kWindowDeadline{20000};

// Runs Step (pumping events, drawing a frame; may be empty) and checks Condition until it
// holds (true) or Deadline has passed (false). Between rounds it sleeps Pause.
bool WaitUntil(const std::function<bool()>& Condition, const std::function<void()>& Step = {},
               std::chrono::milliseconds Deadline = kWindowDeadline,
               std::chrono::milliseconds Pause = std::chrono::milliseconds(5));

}  // namespace testsupport
