// Full scale: the range [-1, 1] a float sample may have on its way to the
// speakers. A damaged MP3 frame can decode to samples thousands of times
// louder (a blast at full volume on real speakers), and a band-limited
// resampler rings slightly past a clipped edge, so what leaves the decoder
// is limited here.
#pragma once

#include <cstddef>

// Limits a sample to [-1, 1]; NaN becomes silence.
inline float ToFullScale(float Sample) {
  if (!(Sample == Sample)) return 0.0f;
  return Sample < -1.0f ? -1.0f : (Sample > 1.0f ? 1.0f : Sample);
}

// Limits Count samples in place.
void LimitToFullScale(float *Samples, size_t Count);
