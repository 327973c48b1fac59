// The opening: travelling wave, title banner, white ribbon, veil and rolling
// wheel (t <= 22147).
#pragma once

#include <cstdint>

#include "UMMath.h"

// The wave's height in pixels at fraction U of the view width at film time t.
Single WaveHeight(int64_t t, Single U);
// The opening wave, the film's first scene (t <= 22147).
void DrawOpening(int64_t t);
