#include "platform/com/Unknown.h"

namespace platform {
namespace {
long g_liveObjects = 0;  // one user-interface thread: no locking
}  // namespace

long LiveObjectCount() {
  return g_liveObjects;
}

LiveObjectCounter::LiveObjectCounter() {
  ++g_liveObjects;
}
LiveObjectCounter::LiveObjectCounter(const LiveObjectCounter&) {
  ++g_liveObjects;
}
LiveObjectCounter::~LiveObjectCounter() {
  --g_liveObjects;
}

}  // namespace platform
