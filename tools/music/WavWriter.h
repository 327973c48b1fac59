// 16-bit PCM WAV files in memory: for listening to the track, and as a
// non-MP3 fixture that the player must refuse.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> MakeWav(const std::vector<float> &Interleaved, int Channels, int Rate);
