// Sixteen jagged wave strands that split from the opening's wave.
#pragma once

#include <cstdint>

#include "UMMath.h"

// Amplitude of a strand vertex whose random target is M (10..59) at time t:
// eased from the opening wave's 20 pixels over 5000 ms, then M.
Single StrandAmplitude(int32_t M, int64_t t);

// The wave strands that follow the opening (22147 < t <= 30561); reseeds the generator with 8181
// and makes 1055 Random calls.
void DrawWaveStrands(int64_t t);
