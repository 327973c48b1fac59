// The opening through the recording GL: the wave's height, the banner riding the wave, the
// ribbon's first column, the veil's ramps and the rolling wheel, at the scene's edge instants.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Opening.h"

namespace {
constexpr GLuint TestTitle = 4;
constexpr double W = 1024, H = 768;

// The primitives of one opening frame, in the order they are drawn.
enum { Banner, Ribbon, Veil, WheelDisc, Rim, Hub, Spokes, Wave, PrimitiveCount };

class OpeningTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    SavedTitle = TitleTex.TexId;
    TitleTex.TexId = TestTitle;
  }
  void TearDown() override {
    TitleTex.TexId = SavedTitle;
    TSceneTest::TearDown();
  }

  static const TGLPrimitive &DrawAt(int64_t t, int Which) {
    ResetRecording();
    Now = t;
    DrawOpening(t);
    EXPECT_EQ(RecordedGL().Primitives.size(), size_t(PrimitiveCount));
    return RecordedGL().Primitives.at(size_t(Which));
  }

  uint32_t SavedTitle = 0;
  // The film time of the last frame drawn.
  static int64_t Now;
};
int64_t OpeningTest::Now = 0;

TEST_F(OpeningTest, WaveHeightEasesInToTwentyPixelsAndTravelsLeft) {
  const struct {
    int64_t t;
    float U, height;
  } cases[] = {
      {0, 0.3f, 0},            // flat at the start
      {2500, 5.0f / 12, 10},   // half way along the ease, at a crest
      {5000, 1.0f / 12, -20},  // full amplitude from 5000 ms on, here a trough
      {6000, 0.25f, 20},       // a crest a quarter of the way across
      {7000, 11.0f / 12, 20},  // 1000 ms later it has moved a third of the view to the left
  };
  for (const auto &c : cases) {
    EXPECT_NEAR(WaveHeight(c.t, c.U), c.height, 1e-4) << "t = " << c.t << ", U = " << c.U;
  }
}

TEST_F(OpeningTest, DrawsBannerRibbonVeilWheelAndWaveInThatOrder) {
  DrawAt(8000, Banner);
  const auto &p = RecordedGL().Primitives;
  const GLenum modes[PrimitiveCount] = {GL_TRIANGLE_STRIP, GL_TRIANGLE_STRIP, GL_QUADS,
                                        GL_TRIANGLE_FAN,   GL_LINE_STRIP,     GL_LINE_STRIP,
                                        GL_LINES,          GL_LINE_STRIP};
  const float white[PrimitiveCount] = {0, 1, 1, 1, 0, 0, 0, 0};
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(p[i].Mode, modes[i]) << "primitive " << i;
    EXPECT_EQ(p[i].Textured, i == Banner) << "primitive " << i;
    EXPECT_EQ(p[i].Vertices.front().R, white[i]) << "primitive " << i;
  }
  EXPECT_EQ(p[Banner].Texture, TestTitle);
  EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
}

TEST_F(OpeningTest, BannerSpansTheMiddleSeventyPercentFivePixelsAboveTheWave) {
  const auto &banner = DrawAt(8000, Banner).Vertices;
  ASSERT_EQ(banner.size(), 66u);
  EXPECT_FLOAT_EQ(banner.front().X, 0.15 * W);
  EXPECT_FLOAT_EQ(banner.back().X, 0.85 * W);
  for (size_t i = 0; i < banner.size(); i += 2) {
    const TGLVertex &top = banner[i], &bottom = banner[i + 1];
    EXPECT_EQ(top.X, bottom.X);
    EXPECT_EQ(top.S, float(i / 2) / 32);
    EXPECT_EQ(bottom.S, top.S);
    EXPECT_EQ(top.T, 0);  // the bitmap's top row at the top
    EXPECT_EQ(bottom.T, 1);
    EXPECT_NEAR(bottom.Y - top.Y, 70, 1e-4);
    EXPECT_NEAR(bottom.Y, H / 2 - WaveHeight(Now, float(top.X / W)) - 5, 1e-3)
        << "column " << i / 2;
    EXPECT_EQ(top.A, 1);
  }
}

TEST_F(OpeningTest, RibbonStartsAtTheGridColumnUnderTheWheel) {
  DrawAt(8000, Ribbon);
  const auto &ribbon = RecordedGL().Primitives[Ribbon].Vertices;
  const double X = RecordedGL().Primitives[WheelDisc].Vertices[0].X;
  ASSERT_FALSE(ribbon.empty());
  EXPECT_LE(ribbon.front().X, X);
  EXPECT_GT(ribbon.front().X + W / 64, X);
  EXPECT_EQ(ribbon.back().X, W);
  // The same band as the banner: bottom edge first, then top, 70 pixels apart.
  EXPECT_NEAR(ribbon[0].Y - ribbon[1].Y, 70, 1e-4);

  // While the wheel is still left of the view the ribbon starts beyond the left edge:
  // Trunc(-40 / 1024 * 64) = -2.
  const auto &early = DrawAt(0, Ribbon).Vertices;
  ASSERT_EQ(early.size(), 134u);
  EXPECT_EQ(early.front().X, -32);

  // At the end the wheel has left the view and the ribbon has no vertex at all.
  EXPECT_TRUE(DrawAt(22147, Ribbon).Vertices.empty());
}

TEST_F(OpeningTest, VeilFadesInLeftEdgeFirst) {
  const struct {
    int64_t t;
    float left, right;
  } cases[] = {
      {0, 0, 0},     {15000, 0, 0}, {18500, 0.5f, 0}, {20000, 5.0f / 7, 0}, {21000, 6.0f / 7, 0.5f},
      {22000, 1, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    const auto &veil = DrawAt(c.t, Veil).Vertices;
    ASSERT_EQ(veil.size(), 4u);
    const double x[4] = {0.15 * W, 0.85 * W, 0.85 * W, 0.15 * W};
    const double y[4] = {0, 0, H, H};
    const float alpha[4] = {c.left, c.right, c.right, c.left};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(veil[i].X, x[i]);
      EXPECT_EQ(veil[i].Y, y[i]);
      EXPECT_FLOAT_EQ(veil[i].A, alpha[i]);
      EXPECT_EQ(veil[i].R, 1);
    }
  }
}

TEST_F(OpeningTest, WheelRollsAlongTheWaveFromLeftToRight) {
  const struct {
    int64_t t;
    double centreX;
  } ends[] = {{0, -40}, {22147, W + 160}};
  for (const auto &c : ends) {
    DrawAt(c.t, WheelDisc);
    EXPECT_EQ(RecordedGL().Primitives[WheelDisc].Vertices[0].X, c.centreX) << "t = " << c.t;
  }

  // At 8000 ms the wheel sits 1 pixel above the wave, its rim turned by X / 40.
  DrawAt(8000, WheelDisc);
  const auto &p = RecordedGL().Primitives;
  const TGLVertex centre = p[WheelDisc].Vertices[0];
  const double X = centre.X;
  EXPECT_NEAR(centre.Y + 40, H / 2 - WaveHeight(Now, float(X / W)) - 1, 1e-3);

  const auto &disc = p[WheelDisc].Vertices;
  ASSERT_EQ(disc.size(), 32u);
  const double turn = std::atan2(disc[1].Y - centre.Y, disc[1].X - X);
  EXPECT_NEAR(std::remainder(turn - X / 40, 2 * double(Pi)), 0, 1e-4);
  EXPECT_NEAR(disc[1].X, disc.back().X, 1e-4);  // closed

  const struct {
    int which;
    double radius;
  } circles[] = {{Rim, 40}, {Hub, 30}};
  for (const auto &c : circles) {
    ASSERT_EQ(p[c.which].Vertices.size(), 31u);
    for (const TGLVertex &v : p[c.which].Vertices)
      EXPECT_NEAR(std::hypot(v.X - X, v.Y - centre.Y), c.radius, 1e-3);
  }

  const auto &spokes = p[Spokes].Vertices;
  ASSERT_EQ(spokes.size(), 22u);
  for (size_t i = 0; i < spokes.size(); ++i)
    EXPECT_NEAR(std::hypot(spokes[i].X - X, spokes[i].Y - centre.Y), i % 2 ? 30 : 40, 1e-3);
}

TEST_F(OpeningTest, WaveLineIsFlatAtTheStartAndFollowsWaveHeightAfter) {
  for (const int64_t t : {int64_t(0), int64_t(8000)}) {
    SCOPED_TRACE("t = " + std::to_string(t));
    const auto &wave = DrawAt(t, Wave).Vertices;
    ASSERT_EQ(wave.size(), 65u);
    for (size_t i = 0; i < wave.size(); ++i) {
      EXPECT_EQ(wave[i].X, W * i / 64);
      const double expected = t == 0 ? H / 2 : H / 2 - WaveHeight(Now, float(i) / 64);
      EXPECT_NEAR(wave[i].Y, expected, 1e-4) << "vertex " << i;
    }
  }
}

TEST_F(OpeningTest, LeavesTheGeneratorAlone) {
  RandSeed = 12345;
  DrawAt(10000, Banner);
  EXPECT_EQ(RandSeed, 12345u);
}
}  // namespace
