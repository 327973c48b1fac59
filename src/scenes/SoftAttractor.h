// The attractor's line strip on software renderers (20000 < t <= 30561): the
// same 60001 points as AttractorList, taken through the camera and the fog
// that GL has in force, drawn as smoothed lines by the film's own code over
// the frame read back from GL (the opening or the strands, all grey), and
// shown as one quad.
#pragma once

#include <cstdint>
#include <vector>

#include "UMMath.h"

struct TAttractorPoint {
  Single X, Y, Z;
};

// The strip's points and shades exactly as BuildAttractorList sends them.
const std::vector<TAttractorPoint> &AttractorPoints();

// Replaces glCallList(AttractorList) with the camera placed; leaves the
// matrices as they are.
void DrawSoftAttractor();
