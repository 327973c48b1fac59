// Test controls of the sound layer, for tests of its callers: the version it
// reports and a forced initialisation failure. Not used by the demo itself.
#pragma once

#include <cstdint>

// The version FSOUND_GetVersion reports from now on (any float, NaN included).
void SetReportedVersionForTesting(float Version);
// Makes the next FSOUND_Init fail with this error code without touching the
// audio device.
void FailNextInitForTesting(int Code);
// Frames the open stream has handed to the device since it started playing
// (0 without a stream): with the device rate, the played position.
uint64_t StreamFramesPlayedForTesting();
// Back to the real version and no forced failure.
void ResetSoundTestControls();
