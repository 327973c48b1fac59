#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace {
TPlatform *CurrentBackend = nullptr;
}

TPlatform &Platform() {
  if (!CurrentBackend) {
    std::fputs("quillmoor: no platform backend was set\n", stderr);
    std::abort();
  }
  return *CurrentBackend;
}

void SetPlatform(TPlatform *Backend) { CurrentBackend = Backend; }
