// A music file decoded into memory for offline use: the same decoding and
// rate conversion as playback, then the level meter at any film time. An
// offline renderer asks it for the levels the organism would have seen.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/Mp3Source.h"

class TDecodedTrack {
public:
  // Decodes at most MaxMs milliseconds of the file at Rate frames per second.
  TMp3OpenResult Load(const char *Path, int Rate = 44100, int64_t MaxMs = 120000);

  // The levels audible DemoTime milliseconds after playback started; silence
  // past the end of the track.
  void LevelsAt(int64_t DemoTime, float &Left, float &Right) const;

  const std::vector<float> &Frames() const { return Samples; }  // interleaved stereo
  int Rate() const { return OutputRate; }
  int64_t FrameCount() const { return static_cast<int64_t>(Samples.size() / 2); }

private:
  std::vector<float> Samples;
  int OutputRate = 44100;
};
