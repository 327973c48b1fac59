#include "UMTypes.h"

uint32_t RandSeed = 0;

namespace {
uint32_t SavedRandSeed = 0;
}

void PushRandSeed() { SavedRandSeed = RandSeed; }

void PopRandSeed() { RandSeed = SavedRandSeed; }

int64_t DemoTime = 0;

TRunState &RunState() {
  static TRunState Run;
  return Run;
}

void ResetDemoState() {
  DemoTime = 0;
  RunState() = TRunState{};
}
