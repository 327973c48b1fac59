#include "sound/DecodedTrack.h"

#include "sound/FullScale.h"
#include "sound/LevelMeter.h"
#include "sound/RateConverter.h"

TMp3OpenResult TDecodedTrack::Load(const char *Path, int Rate, int64_t MaxMs) {
  Samples.clear();
  OutputRate = Rate;
  TMp3Source Source;
  const TMp3OpenResult Result = Source.Open(Path);
  if (Result != TMp3OpenResult::Ok) return Result;

  const size_t Limit = static_cast<size_t>(MaxMs * Rate / 1000);
  TRateConverter Converter;
  std::vector<float> Decoded(4096 * 2);
  while (Samples.size() / 2 < Limit) {
    const size_t Frames = Source.Read(Decoded.data(), Decoded.size() / 2);
    if (Frames == 0) break;
    Converter.Convert(Source.Rate(), Rate, Decoded.data(), Frames, Samples);
  }
  if (Samples.size() / 2 > Limit) Samples.resize(Limit * 2);
  LimitToFullScale(Samples.data(), Samples.size());
  return TMp3OpenResult::Ok;
}

void TDecodedTrack::LevelsAt(int64_t DemoTime, float &Left, float &Right) const {
  const TStereoSamples View{Samples.data(), 0, Samples.size() / 2, OutputRate};
  MeasureLevels(View, static_cast<double>(DemoTime), Left, Right);
}
