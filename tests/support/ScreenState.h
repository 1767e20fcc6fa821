// The process-wide state of the platform's display, put back to a known start: the desktop at
// 1024 x 768 and black, no display driver beyond the primary one. Fixtures of the platform
// layers call it in SetUp; fixtures above the platform call ResetDisplayState
// (tests/support/DisplayState.h), which includes it.
#pragma once

namespace testsupport {

void ResetScreenState();

}  // namespace testsupport
