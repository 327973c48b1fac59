// The output level meter: the loudness of the left and right side at a play
// position, as the peak of the last few milliseconds of samples before it.
// The sound layer feeds it what the device is playing at the audible moment;
// an offline renderer feeds it the decoded track and the film's clock, so
// both see the same levels at the same position.
#pragma once

#include <cstddef>
#include <cstdint>

// How far back from the position the peak is taken.
constexpr int LevelWindowMs = 20;

// A stretch of interleaved stereo frames. Frames[0] is frame FirstFrame of
// the track, which starts at position 0 ms.
struct TStereoSamples {
  const float *Frames;
  int64_t FirstFrame;
  size_t FrameCount;
  int Rate;
};

// The window's frames: [End - Rate * LevelWindowMs / 1000, End), where End
// is the first frame at or after PositionMs.
int64_t LevelWindowEnd(int Rate, double PositionMs);
int64_t LevelWindowFrames(int Rate);

// Peak absolute sample of each side over the window before PositionMs, in
// [0, 1]. Frames the buffer does not hold count as silence.
void MeasureLevels(const TStereoSamples &Samples, double PositionMs, float &Left, float &Right);
