#include "window/FullscreenWay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

TFullscreenWay FullscreenWayFromEnvironment() {
  const char *Asked = std::getenv(FullscreenVariable);
  if (!Asked || !*Asked || std::strcmp(Asked, "scaled") == 0) return TFullscreenWay::Scaled;
  if (std::strcmp(Asked, "switch") == 0) return TFullscreenWay::ModeSwitch;
  std::fprintf(stderr,
               "Quillmoor: %s=%s is not known (\"switch\" or \"scaled\"); the monitor keeps its "
               "mode\n",
               FullscreenVariable, Asked);
  return TFullscreenWay::Scaled;
}
