// The landscape profile behind the finale's horizon.
#pragma once

#include "UMMath.h"

// Heights in (0, 1] once built, the largest exactly 1.
extern Single Profile[1281];

// Fills Profile from seed 8181; leaves RandSeed advanced by 1472 draws.
void BuildProfile();
// The element at Round(x * 1280), ties to even; x is clamped to [0, 1] and a
// NaN reads element 0.
Single ProfileAt(Single x);
