#include "scene/FloatingPoint.h"

#include <cfenv>

void ResetFloatingPoint() {
  // The default environment is round-to-nearest with all exceptions masked.
  std::fesetenv(FE_DFL_ENV);
}
