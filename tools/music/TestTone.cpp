#include "TestTone.h"

#include <cmath>

std::vector<float> MakeTone(const TToneOptions &Options) {
  const size_t Frames = static_cast<size_t>(std::llround(Options.Seconds * Options.Rate));
  std::vector<float> Samples(Frames * Options.Channels);
  const double Pi = 3.14159265358979323846;
  for (size_t i = 0; i < Frames; ++i) {
    const double Phase = std::fmod(Options.Frequency * static_cast<double>(i) / Options.Rate, 1.0);
    const double Wave = Options.Square ? (Phase < 0.5 ? 1.0 : -1.0) : std::sin(2.0 * Pi * Phase);
    const float Value = static_cast<float>(Wave * Options.Amplitude);
    for (int c = 0; c < Options.Channels; ++c)
      Samples[i * Options.Channels + c] = (Options.LeftOnly && c == 1) ? 0.0f : Value;
  }
  return Samples;
}
