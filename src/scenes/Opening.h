// The opening: travelling wave, title banner, white ribbon, veil and rolling
// wheel (t <= 22147).
#pragma once

#include "UMMath.h"

// The wave's height in pixels at fraction U of the view width for DemoTime.
Single WaveHeight(Single U);
// The opening wave, the film's first scene (t <= 22147).
void DrawOpening();
