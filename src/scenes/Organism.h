// The organism scene (60787 < t <= 78000): faint background waves under a
// darkening veil, then a white creature whose outline ripples with the music's
// output levels, with five turning spokes and a smaller copy of itself on the
// end of each, three generations down.
#pragma once

#include <cstdint>

#include "UMMath.h"

// One organism and, while Depth <= 2, its five children. Relies on the pixel
// projection, blending, line smoothing and the scenes' line width; leaves the
// colour white. Reads ViewWidth; makes no Random call. t is the film's time.
void DrawOrganism(int64_t t, uint32_t Depth, Single LeftLevel, Single RightLevel, Single Phase,
                  Single CentreX, Single CentreY, Single Size);

// The whole scene for one frame at film time t: the waves, the veil and the
// organisms, whose outlines ripple with the music's output levels at t.
// Reseeds the generator and makes 280 Random calls.
void DrawOrganismWindow(int64_t t, Single LeftLevel, Single RightLevel);

// One of the forty background waves: where it is in time, how bright, and its
// shape across the view.
struct TBackgroundWave {
  Single Start;     // ms
  Single Duration;  // ms
  Extended Strength;
  int32_t Period;  // ms
  Single Amplitude;
  Single Offset;  // pixels below the middle of the view
  Single Frequency;
  Single Alpha;  // of the white it is drawn in at time t
};

// Draws the next wave's seven values from the generator and, between the
// third and the fourth, sets the colour the wave has at time t.
TBackgroundWave NextBackgroundWave(int64_t t);
