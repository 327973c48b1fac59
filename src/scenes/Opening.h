// The opening: travelling wave, title banner, white ribbon, veil and rolling
// wheel (t <= 22147).
#pragma once

#include "UMMath.h"

// The wave's height in pixels at fraction U of the view width for DemoTime.
Single WaveHeight(Single U);
// Window 1 of the timeline.
void DrawOpening();
