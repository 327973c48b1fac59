// The bundled track: its shape in time (the organism's pulses, the quiet
// middle, the fade after the film), its determinism, and the built file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Composition.h"
#include "Mp3Encoder.h"
#include "sound/DecodedTrack.h"
#include "sound/LevelMeter.h"

namespace {

constexpr int MixRate = 44100;

const std::vector<float> &Track() {
  static const std::vector<float> Samples = ComposeTrack(MixRate);
  return Samples;
}

float PeakAt(int64_t Ms) {
  float Left = 0, Right = 0;
  MeasureLevels({Track().data(), 0, Track().size() / 2, MixRate}, static_cast<double>(Ms), Left,
                Right);
  return std::max(Left, Right);
}

double Rms(double From, double To) {
  double Sum = 0;
  const size_t First = static_cast<size_t>(From * MixRate),
               Last = static_cast<size_t>(To * MixRate);
  for (size_t i = First * 2; i < Last * 2; ++i) Sum += static_cast<double>(Track()[i]) * Track()[i];
  return std::sqrt(Sum / static_cast<double>((Last - First) * 2));
}

}  // namespace

TEST(MusicTrack, LengthAndHeadroom) {
  ASSERT_EQ(Track().size(), static_cast<size_t>(TrackSeconds * MixRate) * 2);
  float Peak = 0;
  for (float Sample : Track()) Peak = std::max(Peak, std::fabs(Sample));
  EXPECT_GT(Peak, 0.5f);
  EXPECT_LT(Peak, 1.0f);
}

TEST(MusicTrack, OrganismSectionPulsesEveryBeat) {
  // From 61 s to 78 s every half-second beat brings a loud hit that fades
  // to near silence before the next one.
  for (int64_t Beat = 61000; Beat < 78000; Beat += 500) {
    float Loudest = 0, Quietest = 1;
    for (int64_t Ms = Beat + 20; Ms <= Beat + 500; Ms += 10) {
      Loudest = std::max(Loudest, PeakAt(Ms));
      Quietest = std::min(Quietest, PeakAt(Ms));
    }
    EXPECT_GT(Loudest, 0.5f) << "beat at " << Beat;
    if (Beat >= 63000) {
      EXPECT_LT(Quietest, 0.15f) << "beat at " << Beat;
    }
  }
}

TEST(MusicTrack, SectionsChangeLoudnessAndTheEndFades) {
  EXPECT_LT(Rms(2, 20), 0.6 * Rms(23, 30));   // the drums come in with the strands
  EXPECT_LT(Rms(51, 58), 0.6 * Rms(32, 48));  // quiet middle under the blobs
  EXPECT_GT(Rms(105, 109), 0.1);              // full until the film ends
  EXPECT_LT(Rms(114, 115), 0.01);             // then gone
}

TEST(MusicTrack, EncodingIsDeterministic) {
  const std::vector<float> Excerpt(Track().begin(), Track().begin() + 2 * MixRate * 2);
  const std::vector<uint8_t> First = EncodeMp3(Excerpt, 2, MixRate, {});
  EXPECT_FALSE(First.empty());
  EXPECT_EQ(First, EncodeMp3(Excerpt, 2, MixRate, {}));
  EXPECT_EQ(Track(), ComposeTrack(MixRate));
}

TEST(MusicTrack, BuiltFilePlaysThroughTheWholeFilm) {
  TDecodedTrack Built;
  ASSERT_EQ(Built.Load(QUILLMOOR_BUNDLED_MUSIC), TMp3OpenResult::Ok);
  EXPECT_NEAR(static_cast<double>(Built.FrameCount()) / Built.Rate(), TrackSeconds, 0.05);
  // The organism sees the same pulses in the decoded file.
  float Left = 0, Right = 0;
  Built.LevelsAt(70020, Left, Right);
  EXPECT_GT(Left, 0.4f);
  Built.LevelsAt(70400, Left, Right);
  EXPECT_LT(Left, 0.15f);
}
