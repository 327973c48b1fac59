// The loop's clock and flags, shared by the runner, the window procedure and
// the scenes.
#pragma once

#include <cstdint>

// Milliseconds since the music started; every scene window compares it.
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

// Puts every flag back to its start value (for a second run in one process).
void ResetDemoState();
