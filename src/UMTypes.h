// Shared records of the film, the one-slot save/restore of the generator's
// seed, and the loop's clock and flags that the runner, the window procedure
// and the scenes all read.
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

// Milliseconds since the music started; every scene compares it.
extern int64_t DemoTime;
// First the countdown's start tick, then the counter reading taken just
// before the music starts.
extern int64_t StartCounter;
// Key states indexed by virtual-key code; the runner reads Escape (27).
extern bool Keys[256];
// False while the render window is minimised.
extern bool Active;
extern bool Done;
// Set when Escape goes down and kept until the run ends, so that a tap whose
// key-up is taken before the next frame still ends the run.
extern bool EscapePressed;
// The viewer's fullscreen choice; cleared when a refused mode is answered
// with a windowed run.
extern bool Fullscreen;

// Puts the clock and every flag back to its start value (for a second run in
// one process).
void ResetDemoState();
