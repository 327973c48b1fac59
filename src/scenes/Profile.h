// The landscape profile behind the finale's horizon.
#pragma once

#include "UMMath.h"

extern Single Profile[1281];

// Fills Profile from seed 8181; leaves RandSeed advanced by 1472 draws.
void BuildProfile();
// The element at Round(x * 1280); x is clamped to [0, 1].
Single ProfileAt(Single x);
