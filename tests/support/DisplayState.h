// Every piece of process-wide display state, put back to a known start before a test: the
// platform's screen and drivers (ResetScreenState) and the display components' shared
// variables (full-screen and 8-bit flags, driver and device choices, the driver list, texture
// and owner counts). One reset for every fixture, so a new shared variable is reset here once
// instead of leaking between tests of the fixtures that forgot it.
#pragma once

namespace testsupport {

void ResetDisplayState();

}  // namespace testsupport
