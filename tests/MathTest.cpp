// The generator, the interpolation helpers and the rounding rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "UMMath.h"
#include "UMTypes.h"

TEST(Random, SeedSequencesMatchTheFilmsFigures) {
  RandSeed = 8181;
  EXPECT_EQ(Random(1000), 719);
  EXPECT_EQ(Random(1000), 549);
  EXPECT_EQ(Random(1000), 938);
}

TEST(Random, EveryCallAdvancesTheSeedOnceWhateverN) {
  for (int32_t n : {0, 1, 2, 1000, std::numeric_limits<int32_t>::max()}) {
    RandSeed = 42;
    const int32_t r = Random(n);
    EXPECT_EQ(RandSeed, 42u * 134775813u + 1u) << "n = " << n;
    if (n <= 1)
      EXPECT_EQ(r, 0) << "n = " << n;
    else
      EXPECT_TRUE(r >= 0 && r < n) << "n = " << n;
  }
}

TEST(Random, SeedWrapsModulo2To32) {
  RandSeed = 0xFFFFFFFFu;
  Random(10);
  EXPECT_EQ(RandSeed, static_cast<uint32_t>(0xFFFFFFFFu * 134775813u + 1u));
}

TEST(RandSeedSlot, SecondPushOverwritesTheFirst) {
  RandSeed = 1;
  PushRandSeed();
  RandSeed = 2;
  PushRandSeed();
  RandSeed = 3;
  PopRandSeed();
  EXPECT_EQ(RandSeed, 2u);
}

TEST(Interpolation, EdgeCases) {
  EXPECT_EQ(LinearInterpolate(0, 10, 1.5f), 15.0f);  // no clamping
  EXPECT_EQ(LinearInterpolate(3, 7, 0), 3.0f);
  EXPECT_EQ(LinearInterpolate(3, 7, 1), 7.0f);
  EXPECT_FLOAT_EQ(CosineInterpolate(0, 1, 0.5f), 0.5f);
  EXPECT_EQ(CosineInterpolate(0, 1, 2), 0.0f);  // periodic: back at the start
  EXPECT_EQ(CosineInterpolate(4, 9, 0), 4.0f);
  EXPECT_EQ(CosineInterpolate(4, 9, 1), 9.0f);
}

TEST(Interpolation, CubicPassesThroughItsMiddlePointsOnIntegerControlPoints) {
  // The integer points the blobs and worms use: differences are exact in
  // Single, so the curve hits y1 at 0 and y2 at 1 for any outer points.
  const Single points[][4] = {
      {211, 453, 15, 148}, {263, 358, 300, 175}, {0, 511, 0, 511}, {-100, 7, 900, -3}};
  for (const auto &p : points) {
    EXPECT_EQ(CubicInterpolate(p[0], p[1], p[2], p[3], 0), p[1]);
    EXPECT_EQ(CubicInterpolate(p[0], p[1], p[2], p[3], 1), p[2]);
  }
}

TEST(Interpolation, ExtendedConstantsStayExtendedUntilStored) {
  // 100.5 must come out of LinearInterpolate(200, 1, 0.5) exactly.
  EXPECT_EQ(LinearInterpolate(200, 1, 0.5f), 100.5f);
}

TEST(Rounding, RoundIsTiesToEvenAndTruncIsTowardZero) {
  struct Case {
    Extended In;
    int64_t Round, Trunc;
  };
  const Case cases[] = {{100.5L, 100, 100}, {101.5L, 102, 101}, {0.5L, 0, 0},
                        {-0.5L, 0, 0},      {-1.5L, -2, -1},    {2.4999L, 2, 2},
                        {-2.7L, -3, -2},    {180.1L, 180, 180}, {80.6L, 81, 80}};
  for (const Case &c : cases) {
    EXPECT_EQ(Round(c.In), c.Round) << static_cast<double>(c.In);
    EXPECT_EQ(Trunc(c.In), c.Trunc) << static_cast<double>(c.In);
  }
}
