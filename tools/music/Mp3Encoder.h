// MP3 encoding of float samples with libmp3lame, entirely in memory.
#pragma once

#include <cstdint>
#include <vector>

struct TEncodeOptions {
  int Bitrate = 192;    // kbit/s; the mean bitrate when Vbr is set
  bool Vbr = false;     // variable bitrate instead of constant
  bool InfoTag = true;  // lead with a Xing/Info frame (exact length for players)
};

// Interleaved samples in [-1, 1], Channels 1 or 2. Returns the MP3 bytes, or
// nothing when the encoder refuses the settings.
std::vector<uint8_t> EncodeMp3(const std::vector<float> &Interleaved, int Channels, int Rate,
                               const TEncodeOptions &Options);
