// The whole life of the demo after the dialog: sound, window, precompute,
// countdown, timed main loop, shutdown.
#pragma once

#include <cstdint>

#include "runner/RunnerCalls.h"

// Calls is the sound layer and the film the run uses (RealRunnerCalls() for
// the demo).
// 1 after a failure (sound, window, precompute, music), 0 when the viewer
// declined a window in place of a refused fullscreen mode or the run ended
// (the film's end, Escape, a closed window, a stop signal).
int32_t RunDemo(const TRunnerCalls &Calls);

// True when the last RunDemo ended on a sound, window, precompute or music
// failure (after its message box): the program then ends with a failure
// status. Declining the window is no failure.
bool RunDemoFailed();
