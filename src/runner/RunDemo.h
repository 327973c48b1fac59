// The whole life of the demo after the dialog: sound, window, precompute,
// countdown, timed main loop, shutdown.
#pragma once

#include <cstdint>

// 1 after a sound failure, 0 when the window cannot be created, otherwise the
// wParam of the last message either loop took.
int32_t RunDemo();

// True when the last RunDemo ended on a sound, precompute or music failure
// (after its message box): the program then ends with a failure status.
bool RunDemoFailed();
