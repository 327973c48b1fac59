#include "UMTypes.h"

uint32_t RandSeed = 0;

namespace {
uint32_t SavedRandSeed = 0;
}

void PushRandSeed() { SavedRandSeed = RandSeed; }

void PopRandSeed() { RandSeed = SavedRandSeed; }
