// The landscape profile: the built table's figures and the clamped lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "UMMath.h"
#include "UMTypes.h"
#include "scenes/Profile.h"

TEST(ProfileTest, BuiltTableHasTheLandscapesFigures) {
  std::fill(std::begin(Profile), std::end(Profile), 5.0f);  // stale values must not survive
  RandSeed = 1;
  BuildProfile();

  // One maximum, exactly 1; every element in (0, 1].
  EXPECT_EQ(Profile[29], 1.0f);
  EXPECT_EQ(std::count(std::begin(Profile), std::end(Profile), 1.0f), 1);
  EXPECT_EQ(std::max_element(std::begin(Profile), std::end(Profile)) - Profile, 29);
  EXPECT_EQ(std::min_element(std::begin(Profile), std::end(Profile)) - Profile, 822);
  for (int j = 0; j <= 1280; ++j) {
    EXPECT_GT(Profile[j], 0.0f) << "j = " << j;
    EXPECT_LE(Profile[j], 1.0f) << "j = " << j;
  }
  const struct {
    int Index;
    float Height;
  } Samples[] = {{30, 0.9971f}, {0, 0.9965f}, {640, 0.7755f}, {1280, 0.6832f}, {822, 0.5739f}};
  for (const auto &s : Samples) EXPECT_NEAR(Profile[s.Index], s.Height, 5e-5) << "j = " << s.Index;
  float Second = 0;
  for (int j = 0; j <= 1280; ++j)
    if (j != 29) Second = std::max(Second, Profile[j]);
  EXPECT_EQ(Second, Profile[30]);

  // The seed ends 1472 draws past 8181.
  const uint32_t Left = RandSeed;
  RandSeed = 8181;
  for (int n = 0; n < 1472; ++n) Random(1000);
  EXPECT_EQ(Left, RandSeed);
}

TEST(ProfileTest, LookupRoundsHalvesToEvenAndStaysInsideTheTable) {
  for (int j = 0; j <= 1280; ++j) Profile[j] = static_cast<Single>(j);  // value = index
  const float Inf = std::numeric_limits<float>::infinity();
  const struct {
    float x;
    float Index;
  } Cases[] = {
      {0, 0},
      {1, 1280},
      {0.5f, 640},
      {1 / 640.0f, 2},
      {1 / 512.0f, 2},  // 2.5 rounds to even
      {3 / 512.0f, 8},  // 7.5 rounds to even
      {-0.25f, 0},
      {-Inf, 0},
      {1.5f, 1280},
      {Inf, 1280},
      {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const auto &c : Cases) EXPECT_EQ(ProfileAt(c.x), c.Index) << "x = " << c.x;
  // The horizon's arguments i / 640 read every second element.
  for (int i = 0; i <= 640; ++i)
    ASSERT_EQ(ProfileAt(static_cast<Single>(i / 640.0L)), 2.0f * i) << "i = " << i;
}
