#include "sound/LevelMeter.h"

#include <algorithm>
#include <cmath>

#include "sound/FullScale.h"

int64_t LevelWindowFrames(int Rate) { return static_cast<int64_t>(Rate) * LevelWindowMs / 1000; }

int64_t LevelWindowEnd(int Rate, double PositionMs) {
  return static_cast<int64_t>(std::ceil(PositionMs * Rate / 1000.0));
}

void MeasureLevels(const TStereoSamples &Samples, double PositionMs, float &Left, float &Right) {
  const int64_t End = LevelWindowEnd(Samples.Rate, PositionMs);
  const int64_t BufferEnd = Samples.FirstFrame + static_cast<int64_t>(Samples.FrameCount);
  const int64_t From = std::max(End - LevelWindowFrames(Samples.Rate), Samples.FirstFrame);
  const int64_t To = std::min(End, BufferEnd);
  float PeakLeft = 0.0f;
  float PeakRight = 0.0f;
  for (int64_t Frame = From; Frame < To; ++Frame) {
    const float *Pair = &Samples.Frames[(Frame - Samples.FirstFrame) * 2];
    // Whoever feeds the meter, it reads only full-scale samples.
    PeakLeft = std::max(PeakLeft, std::fabs(ToFullScale(Pair[0])));
    PeakRight = std::max(PeakRight, std::fabs(ToFullScale(Pair[1])));
  }
  Left = PeakLeft;
  Right = PeakRight;
}
