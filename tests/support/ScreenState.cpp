#include "tests/support/ScreenState.h"

#include "platform/ddraw/DisplayDrivers.h"
#include "platform/display/Screen.h"

namespace testsupport {

void ResetScreenState() {
  platform::RemoveAddedDisplayDrivers();
  platform::Screen::Get().SetDesktopSize(1024, 768);  // a fresh, black desktop
}

}  // namespace testsupport
