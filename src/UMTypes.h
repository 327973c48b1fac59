// Shared records of the film, the one-slot save/restore of the generator's
// seed, the film's clock the scenes read, and the run's record of flags and
// clocks that the window's event handler writes and the runner reads.
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
// The run's flags and clocks: the render window's event handler writes them
// from the window's events, the runner reads them (and sets its clocks and
// Done), the dialog sets the fullscreen choice.
struct TRunState {
  // First the countdown's start tick, then the counter reading taken just
  // before the music starts.
  int64_t StartCounter = 0;
  // Key states indexed by virtual-key code; the runner reads Escape (27).
  bool Keys[256] = {};
  // False while the render window is minimised.
  bool Active = true;
  bool Done = false;
  // Set when Escape goes down and kept until the run ends, so that a tap
  // whose key-up is taken before the next frame still ends the run.
  bool EscapePressed = false;
  // The viewer's fullscreen choice; cleared when a refused mode is answered
  // with a windowed run.
  bool Fullscreen = true;
};

// The one run of the process.
TRunState &RunState();

// Puts the film's clock and the run's record back to their start values (for a second run in
// one process).
void ResetDemoState();
