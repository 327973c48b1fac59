// The sixteen wave strands: their seeded layout, the eases and the join with
// the opening's wave.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Opening.h"
#include "scenes/WaveStrands.h"

namespace {
class StrandsTest : public TSceneTest {
protected:
  const std::vector<TGLPrimitive> &Draw(int64_t t) {
    ResetRecording();
    RandSeed = 12345;  // the window reseeds itself
    DrawWaveStrands(t);
    return RecordedGL().Primitives;
  }
};

// The opening wave's sine at fraction u of the width, without amplitude.
double WaveSine(int64_t t, double u) { return std::sin(((t % 3000) / 3000.0 + u) * 2 * M_PI); }
}  // namespace

TEST_F(StrandsTest, SixteenStripsOfSixtyFiveVerticesAcrossTheView) {
  const auto &Strands = Draw(26000);
  ASSERT_EQ(Strands.size(), 16u);
  for (const TGLPrimitive &s : Strands) {
    EXPECT_EQ(s.Mode, static_cast<GLenum>(GL_LINE_STRIP));
    ASSERT_EQ(s.Vertices.size(), 65u);
    for (size_t j = 0; j < 65; ++j) EXPECT_EQ(s.Vertices[j].X, j / 64.0 * 1024);
  }
}

TEST_F(StrandsTest, SeededLayoutGivesTheFilmsFigures) {
  // At t = 27750 the phase is a quarter turn, so vertex j's sine is well
  // away from zero for the first few vertices and the amplitude reads back.
  const int64_t t = 27750;
  const auto &Strands = Draw(t);
  const uint32_t SeedLeft = RandSeed;
  const double Strand0[5] = {45, 37, 56, 42, 25};
  const double Strand1[5] = {35, 12, 39, 22, 46};
  for (int j = 0; j < 5; ++j) {
    const double Sine = WaveSine(t, j / 64.0);
    EXPECT_NEAR((384 - Strands[0].Vertices[j].Y) / Sine, Strand0[j], 1e-3) << "vertex " << j;
    EXPECT_NEAR((384 - Strands[1].Vertices[j].Y) / Sine, Strand1[j], 1e-3) << "vertex " << j;
  }
  const float Targets[15] = {0.293f, 0.582f, 0.334f, 0.846f, 0.426f, 0.018f, 0.026f, 0.589f,
                             0.534f, 0.52f,  0.801f, 0.35f,  0.172f, 0.273f, 0.223f};
  EXPECT_EQ(Strands[0].Vertices[0].A, 1.0f);
  for (int k = 1; k < 16; ++k) {
    EXPECT_FLOAT_EQ(Strands[static_cast<size_t>(k)].Vertices[0].A, Targets[k - 1])
        << "strand " << k;
    EXPECT_EQ(Strands[static_cast<size_t>(k)].Vertices[0].R, 0.0f);
  }
  // 16 x 65 amplitude draws and 15 opacity draws.
  RandSeed = 8181;
  for (int i = 0; i < 1055; ++i) Random(2);
  EXPECT_EQ(SeedLeft, RandSeed);
}

TEST_F(StrandsTest, FirstFrameLiesOnTheOpeningWave) {
  for (int32_t m = 10; m < 60; ++m) EXPECT_NEAR(StrandAmplitude(m, 22148), 20, 1e-5) << m;
  const auto &Strands = Draw(22148);
  for (size_t k = 0; k < 16; ++k) {
    for (size_t j = 0; j < 65; ++j) {
      // The opening's own wave at the same instant.
      const double Expected = 384 - WaveHeight(22148, static_cast<Single>(j / 64.0));
      EXPECT_NEAR(Strands[k].Vertices[j].Y, Expected, 1e-4) << "strand " << k << " vertex " << j;
    }
    // Strand 0 is opaque; the others have only just begun to fade in.
    if (k == 0)
      EXPECT_EQ(Strands[k].Vertices[0].A, 1.0f);
    else
      EXPECT_LT(Strands[k].Vertices[0].A, 1e-5f);
  }
}

TEST_F(StrandsTest, EasesJoinTheirEndValues) {
  // Opacity: one millisecond before 25147 within a hair of the target, at
  // 25147 exactly the target.
  const float Before = Draw(25146)[1].Vertices[0].A;
  const float At = Draw(25147)[1].Vertices[0].A;
  EXPECT_FLOAT_EQ(At, 0.293f);
  EXPECT_NEAR(Before, At, 1e-6);
  // Amplitude: likewise at 27147.
  for (int32_t m : {10, 35, 59}) {
    EXPECT_EQ(StrandAmplitude(m, 27147), static_cast<Single>(m));
    EXPECT_NEAR(StrandAmplitude(m, 27146), m, 1e-5);
    EXPECT_NEAR(StrandAmplitude(m, 24647), (20.0 + m) / 2, 1e-5);  // half way
  }
}
