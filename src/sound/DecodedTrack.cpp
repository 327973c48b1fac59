#include "sound/DecodedTrack.h"

#include "sound/LevelMeter.h"
#include "sound/Resampler.h"

Mp3OpenResult DecodedTrack::Load(const char *Path, int Rate, int64_t MaxMs) {
  Samples.clear();
  OutputRate = Rate;
  Mp3Source Source;
  const Mp3OpenResult Result = Source.Open(Path);
  if (Result != Mp3OpenResult::Ok) return Result;

  const size_t Limit = static_cast<size_t>(MaxMs * Rate / 1000);
  Resampler Converter;
  std::vector<float> Decoded(4096 * 2);
  std::vector<float> Converted;
  while (Samples.size() / 2 < Limit) {
    const size_t Frames = Source.Read(Decoded.data(), Decoded.size() / 2);
    if (Frames == 0) break;
    Converter.SetRates(Source.Rate(), Rate);
    Converted.resize(Converter.MaxOutput(Frames) * 2);
    size_t Consumed = 0;
    const size_t Out =
        Converter.Process(Decoded.data(), Frames, Consumed, Converted.data(), Converted.size() / 2);
    Samples.insert(Samples.end(), Converted.begin(), Converted.begin() + Out * 2);
  }
  if (Samples.size() / 2 > Limit) Samples.resize(Limit * 2);
  return Mp3OpenResult::Ok;
}

void DecodedTrack::LevelsAt(int64_t DemoTime, float &Left, float &Right) const {
  const StereoSamples View{Samples.data(), 0, Samples.size() / 2, OutputRate};
  MeasureLevels(View, static_cast<double>(DemoTime), Left, Right);
}
