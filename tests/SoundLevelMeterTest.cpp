#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sound/LevelMeter.h"

namespace {

constexpr int MixRate = 44100;

std::vector<float> Silence(double Seconds) {
  return std::vector<float>(static_cast<size_t>(Seconds * MixRate) * 2, 0.0f);
}

void Levels(const std::vector<float> &Frames, double PositionMs, float &Left, float &Right,
            int64_t FirstFrame = 0) {
  MeasureLevels({Frames.data(), FirstFrame, Frames.size() / 2, MixRate}, PositionMs, Left, Right);
}

}  // namespace

TEST(SoundLevelMeter, PeakOfEachSideOverTheWindow) {
  std::vector<float> Frames = Silence(1.0);
  for (size_t i = 0; i < Frames.size() / 2; ++i) {  // full-scale square left, half sine right
    Frames[i * 2] = (i / 50) % 2 ? 1.0f : -1.0f;
    Frames[i * 2 + 1] = 0.5f * static_cast<float>(std::sin(i * 0.05));
  }
  float Left = -1, Right = -1;
  Levels(Frames, 500, Left, Right);
  EXPECT_FLOAT_EQ(Left, 1.0f);
  EXPECT_NEAR(Right, 0.5f, 0.001f);

  std::vector<float> Quiet = Silence(1.0);
  Levels(Quiet, 500, Left, Right);
  EXPECT_EQ(Left, 0.0f);
  EXPECT_EQ(Right, 0.0f);
}

TEST(SoundLevelMeter, LooksOnlyAtTheLastTwentyMilliseconds) {
  // One click at 400 ms on the right: seen from just after it until 20 ms later.
  std::vector<float> Frames = Silence(1.0);
  const size_t Click = 400 * MixRate / 1000;
  Frames[Click * 2 + 1] = -0.75f;
  const struct {
    double PositionMs;
    float Right;
  } Cases[] = {{400.0, 0.0f},  {400.1, 0.75f}, {410, 0.75f},
               {419.9, 0.75f}, {420.1, 0.0f},  {900, 0.0f}};
  for (const auto &Case : Cases) {
    float Left = -1, Right = -1;
    Levels(Frames, Case.PositionMs, Left, Right);
    EXPECT_EQ(Left, 0.0f) << Case.PositionMs;
    EXPECT_EQ(Right, Case.Right) << Case.PositionMs;
  }
}

TEST(SoundLevelMeter, OutsideTheBufferIsSilenceAndOvershootIsClamped) {
  std::vector<float> Frames(2 * 2000, 1.5f);  // frames 44100..46099, beyond full scale
  float Left = -1, Right = -1;
  Levels(Frames, 1020, Left, Right, MixRate);
  EXPECT_EQ(Left, 1.0f);
  EXPECT_EQ(Right, 1.0f);
  for (double Outside : {-50.0, 0.0, 999.0, 1066.0, 5000.0}) {
    Levels(Frames, Outside, Left, Right, MixRate);
    EXPECT_EQ(Left, 0.0f) << Outside;
    EXPECT_EQ(Right, 0.0f) << Outside;
  }
  Frames[100] = NAN;  // a NaN sample never becomes the level
  Levels(Frames, 1001, Left, Right, MixRate);
  EXPECT_EQ(Left, 1.0f);
}
