// The chaotic attractor seen from a spiralling camera.
#pragma once

#include <cstdint>

// Compiles the 60001-vertex attractor strip into the carried display list
// (CarriedState.h).
void BuildAttractorList();
// The attractor scene (20000 < t <= 30561): perspective camera, replay, back
// to pixels.
void DrawAttractorWindow(int64_t t);
