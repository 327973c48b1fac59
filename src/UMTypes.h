// Shared records of the film and the one-slot save/restore of the generator's seed.
#pragma once

#include <cstdint>
#include <vector>

// A texture's pixels (row 0 is the image's top row, no padding) and the GL
// name of its last upload.
struct TTexture {
  std::vector<uint8_t> Data;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BytesPerPixel = 0;
  uint32_t TexId = 0;
};

// The whole state of the seeded generator (see UMMath.h for Random).
extern uint32_t RandSeed;

// Copies RandSeed into the single saved-seed slot; a second push overwrites
// the first.
void PushRandSeed();
// Copies the saved-seed slot back into RandSeed.
void PopRandSeed();
