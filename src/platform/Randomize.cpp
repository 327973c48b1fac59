#include "platform/Randomize.h"

#include <cstdint>

#include "UMTypes.h"
#include "platform/Platform.h"

void Randomize() {
  int64_t Counter = 0;
  if (Platform().QueryPerformanceCounter(Counter))
    RandSeed = static_cast<uint32_t>(Counter);
  else
    RandSeed = Platform().GetTickCount();
}
