// The finale's horizon: 1281 heights summed from ten octaves of cosine-eased
// value noise, from a fixed seed, then scaled so the highest is exactly 1.
#include "scenes/Profile.h"

#include "UMTypes.h"

Single Profile[1281] = {};

namespace {
constexpr int LastSample = 1280;

// Adds one octave: segments of SegLen samples, each easing from the value
// drawn at its start to the value drawn at the next one, scaled by Weight.
// The octave draws once before its samples and once at every segment start.
void AddOctave(int Octave) {
  const Single mu = static_cast<Single>(Octave / 10.0L);
  const int64_t SegLen = Round(LinearInterpolate(200, 1, mu));
  const Single Weight = LinearInterpolate(1, 0.1f, mu);
  Single Prev = 0;
  Single Next = static_cast<Single>(Random(1000) / 1000.0L);
  for (int j = 0; j <= LastSample; ++j) {
    const int64_t Offset = j % SegLen;
    if (Offset == 0) {
      Prev = Next;
      Next = static_cast<Single>(Random(1000) / 1000.0L);
    }
    const Single Fraction = static_cast<Single>(Extended(Offset) / Extended(SegLen));
    const Single s = CosineInterpolate(Prev, Next, Fraction);
    Profile[j] = static_cast<Single>(Profile[j] + Extended(Weight) * s);
  }
}

// Divides by the largest sample (the first of equals), which becomes 1.
void Normalise() {
  Single Max = 0;
  for (Single Height : Profile)
    if (Height > Max) Max = Height;
  for (Single &Height : Profile) Height = static_cast<Single>(Extended(Height) / Max);
}
}  // namespace

void BuildProfile() {
  for (Single &Height : Profile) Height = 0;
  RandSeed = 8181;
  for (int Octave = 1; Octave <= 10; ++Octave) AddOctave(Octave);
  Normalise();
}

// Clamping keeps every argument inside the table: below 0 (and NaN, which
// fails every comparison) reads the first sample, above 1 the last.
Single ProfileAt(Single x) {
  if (!(x > 0)) return Profile[0];
  if (x >= 1) return Profile[LastSample];
  return Profile[Round(Extended(x) * LastSample)];
}
