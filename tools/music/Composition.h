// The bundled track: 115 seconds at 120 beats a minute in A minor, its
// sections changing where the film's scenes change, with a pulsing section
// under the organism and a fade-out at the end of the film.
#pragma once

#include <vector>

constexpr double TrackSeconds = 115.0;

// Interleaved stereo samples in [-1, 1] at Rate.
std::vector<float> ComposeTrack(int Rate);
