// The countdown leader through the recording GL: its shapes, the digit quarter of each second,
// the sweep and the scratch's one or two random draws. Presenting the frame is the caller's.
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
#include "scenes/Countdown.h"

namespace {
constexpr GLuint TestDigits = 9;
constexpr double cx = 512, cy = 384;

class CountdownTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    SavedDigits = CountdownTex.TexId;
    CountdownTex.TexId = TestDigits;
  }
  void TearDown() override {
    CountdownTex.TexId = SavedDigits;
    TSceneTest::TearDown();
  }

  // The seed whose first Random(4) draw is Draw, found by trying seeds from 1.
  static uint32_t SeedWhoseFirstDrawIs(int32_t Draw) {
    for (uint32_t seed = 1;; ++seed) {
      RandSeed = seed;
      if (Random(4) == Draw) return seed;
    }
  }

  static const TGLPrimitive &DigitQuad() {
    for (const TGLPrimitive &p : RecordedGL().Primitives)
      if (p.Textured) return p;
    static const TGLPrimitive none;
    ADD_FAILURE() << "no digit quad";
    return none;
  }

  uint32_t SavedDigits = 0;
};

TEST_F(CountdownTest, FirstFrameShowsTheLeader) {
  RandSeed = SeedWhoseFirstDrawIs(1);  // 700 & 3 = 0: no scratch in this frame
  DrawCountdown(700);
  const auto &gl = RecordedGL();
  ASSERT_FALSE(gl.Calls.empty());
  EXPECT_TRUE(gl.Calls[0].Is("glClear"));
  EXPECT_EQ(gl.Calls[0].Arg(0), GL_COLOR_BUFFER_BIT);  // the depth buffer is left alone

  const auto &p = gl.Primitives;
  ASSERT_EQ(p.size(), 6u);
  const GLenum modes[] = {GL_LINES,        GL_LINE_STRIP, GL_LINE_STRIP,
                          GL_TRIANGLE_FAN, GL_QUADS,      GL_QUADS};
  for (size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p[i].Mode, modes[i]) << "primitive " << i;

  // Crosshair: full width and full height through the centre, thin and light.
  const double cross[4][2] = {{0, cy}, {1024, cy}, {cx, 0}, {cx, 768}};
  ASSERT_EQ(p[0].Vertices.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p[0].Vertices[i].X, cross[i][0]);
    EXPECT_EQ(p[0].Vertices[i].Y, cross[i][1]);
  }
  EXPECT_FLOAT_EQ(p[0].Vertices[0].A, 0.4f);
  EXPECT_FLOAT_EQ(p[0].LineWidth, 2.1f);

  // Rings of radius 200 and 155, closed, starting right of the centre, in thick lines.
  for (int ring = 0; ring < 2; ++ring) {
    const auto &v = p[1 + ring].Vertices;
    const double R = ring == 0 ? 200 : 155;
    ASSERT_EQ(v.size(), 361u);
    EXPECT_NEAR(v.front().X, cx + R, 1e-3);
    EXPECT_NEAR(v.back().X, cx + R, 1e-3);
    EXPECT_NEAR(std::hypot(v[90].X - cx, v[90].Y - cy), R, 1e-3);
    EXPECT_NEAR(v[90].Y, cy + R, 1e-3);  // a quarter turn later it is below: clockwise on screen
    EXPECT_FLOAT_EQ(p[1 + ring].LineWidth, 3.5f);
    EXPECT_FLOAT_EQ(v[0].A, 0.7f);
  }

  // Sweep: from 12 o'clock, 0.7 of a turn clockwise, dark at the centre, clear at the rim.
  const auto &fan = p[3].Vertices;
  ASSERT_EQ(fan.size(), 362u);
  EXPECT_EQ(fan[0].X, cx);
  EXPECT_EQ(fan[0].Y, cy);
  EXPECT_FLOAT_EQ(fan[0].A, 0.4f);
  EXPECT_NEAR(fan[1].X, cx, 1e-3);
  EXPECT_NEAR(fan[1].Y, cy - 400, 1e-3);
  EXPECT_NEAR(fan.back().X, cx + 400 * std::sin(1.4 * double(Pi)), 1e-3);
  EXPECT_NEAR(fan.back().Y, cy - 400 * std::cos(1.4 * double(Pi)), 1e-3);
  for (size_t i = 1; i < fan.size(); ++i) EXPECT_EQ(fan[i].A, 0) << "rim vertex " << i;

  // Digit 5: the first quarter of the strip on a 320-pixel square round the centre, in black.
  const TGLPrimitive &digit = p[4];
  EXPECT_TRUE(digit.Textured);
  EXPECT_EQ(digit.Texture, TestDigits);
  const double corners[4][4] = {{0, 0, cx - 160, cy - 160},
                                {0.25, 0, cx + 160, cy - 160},
                                {0.25, 1, cx + 160, cy + 160},
                                {0, 1, cx - 160, cy + 160}};
  ASSERT_EQ(digit.Vertices.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const TGLVertex &v = digit.Vertices[i];
    EXPECT_EQ(v.S, corners[i][0]);
    EXPECT_EQ(v.T, corners[i][1]);
    EXPECT_EQ(v.X, corners[i][2]);
    EXPECT_EQ(v.Y, corners[i][3]);
    EXPECT_EQ(v.A, 1);
  }

  // Bands: 150 pixels, dark at the top and bottom edges, clear towards the middle.
  const auto &bands = p[5];
  EXPECT_FALSE(bands.Textured);
  const double band[8][3] = {{0, 0, 0.4}, {1024, 0, 0.4}, {1024, 150, 0},   {0, 150, 0},
                             {0, 618, 0}, {1024, 618, 0}, {1024, 768, 0.4}, {0, 768, 0.4}};
  ASSERT_EQ(bands.Vertices.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(bands.Vertices[i].X, band[i][0]);
    EXPECT_EQ(bands.Vertices[i].Y, band[i][1]);
    EXPECT_FLOAT_EQ(bands.Vertices[i].A, static_cast<float>(band[i][2]));
  }

  // Left for the next frame: texturing on, the digits bound, the ring's line width.
  EXPECT_EQ(gl.Enabled.count(GL_TEXTURE_2D), 1u);
  EXPECT_EQ(gl.BoundTexture, TestDigits);
  EXPECT_FLOAT_EQ(gl.Color[3], 0.4f);
  EXPECT_FLOAT_EQ(gl.LineWidth, 3.5f);
}

TEST_F(CountdownTest, EachSecondShowsItsDigitAndRestartsTheSweep) {
  const struct {
    uint32_t ms;
    float s0;
    bool sweepHasArea;
  } cases[] = {
      {700, 0, true},
      {999, 0, true},
      {1000, 0.25f, false},
      {1999, 0.25f, true},
      {2000, 0.5f, false},
      {3000, 0.75f, false},
      {3999, 0.75f, true},
      // From 4000 on the quad lies past the strip's right edge: no digit.
      {4000, 1, false},
      {4100, 1, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("Ms = " + std::to_string(c.ms));
    ResetRecording();
    DrawCountdown(c.ms);
    const TGLPrimitive &digit = DigitQuad();
    ASSERT_EQ(digit.Vertices.size(), 4u);
    EXPECT_EQ(digit.Vertices[0].S, c.s0);
    EXPECT_EQ(digit.Vertices[1].S, c.s0 + 0.25f);

    const auto &fan = RecordedGL().Primitives.at(3).Vertices;
    bool spread = false;
    for (size_t i = 1; i < fan.size(); ++i)
      spread =
          spread || std::abs(fan[i].X - fan[1].X) > 1e-3 || std::abs(fan[i].Y - fan[1].Y) > 1e-3;
    EXPECT_EQ(spread, c.sweepHasArea);
  }
}

TEST_F(CountdownTest, ScratchDrawsASecondValueOnlyWhenTheFirstMatchesTheTime) {
  for (int32_t draw = 0; draw < 4; ++draw) {
    for (const uint32_t ms : {1000u, 1001u, 1002u, 1003u}) {
      SCOPED_TRACE("first draw " + std::to_string(draw) + ", Ms = " + std::to_string(ms));
      const uint32_t seed = SeedWhoseFirstDrawIs(draw);
      // The generator after one draw, and after a second one that picks the column.
      RandSeed = seed;
      Random(4);
      const uint32_t afterOne = RandSeed;
      const int32_t column = Random(1024);
      const uint32_t afterTwo = RandSeed;

      ResetRecording();
      RandSeed = seed;
      DrawCountdown(ms);
      const bool scratch = static_cast<int32_t>(ms & 3) == draw;
      const auto &p = RecordedGL().Primitives;
      ASSERT_EQ(p.size(), scratch ? 7u : 6u);
      if (scratch) {
        EXPECT_EQ(RandSeed, afterTwo);
        const TGLPrimitive &line = p[5];
        EXPECT_EQ(line.Mode, static_cast<GLenum>(GL_LINES));
        EXPECT_FALSE(line.Textured);
        EXPECT_FLOAT_EQ(line.LineWidth, 2.1f);
        ASSERT_EQ(line.Vertices.size(), 2u);
        EXPECT_EQ(line.Vertices[0].X, column);
        EXPECT_EQ(line.Vertices[0].Y, 0);
        EXPECT_EQ(line.Vertices[1].X, column);
        EXPECT_EQ(line.Vertices[1].Y, 768);
        EXPECT_FLOAT_EQ(line.Vertices[0].A, 0.6f);
        EXPECT_FLOAT_EQ(RecordedGL().LineWidth, 2.1f);
      } else {
        EXPECT_EQ(RandSeed, afterOne);
        EXPECT_FLOAT_EQ(RecordedGL().LineWidth, 3.5f);
      }
      EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 1u);
    }
  }
}
}  // namespace
