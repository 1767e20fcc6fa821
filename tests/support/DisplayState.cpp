#include "tests/support/DisplayState.h"

#include "components/KorvelG.h"
#include "components/KorvelRM.h"
#include "tests/support/ScreenState.h"

namespace testsupport {

void ResetDisplayState() {
  ResetScreenState();
  ::FullScreen = false;
  ::Color8bit = false;
  DrawDriverIndex = -1;
  UsedDriverIndex = 0;
  MasterIndex = 0;
  NoHardware = false;
  Hardware3D = false;
  LastResult = 0;
  DisplayBits = 0;
  DriverList.reset();
  D3DDeviceChoice = -3;
  RMOwnerIndex = 0;
  TextureCount = 0;
}

}  // namespace testsupport
