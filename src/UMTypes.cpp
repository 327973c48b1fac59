#include "UMTypes.h"

#include <algorithm>
#include <iterator>

uint32_t RandSeed = 0;

namespace {
uint32_t SavedRandSeed = 0;
}

void PushRandSeed() { SavedRandSeed = RandSeed; }

void PopRandSeed() { RandSeed = SavedRandSeed; }

int64_t DemoTime = 0;
int64_t StartCounter = 0;
bool Keys[256] = {};
bool Active = true;
bool Done = false;
bool EscapePressed = false;
bool Fullscreen = true;

void ResetDemoState() {
  DemoTime = 0;
  StartCounter = 0;
  std::fill(std::begin(Keys), std::end(Keys), false);
  Active = true;
  Done = false;
  EscapePressed = false;
  Fullscreen = true;
}
