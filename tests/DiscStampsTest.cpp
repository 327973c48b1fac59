// The two disc stamps: spring-up, snap-back and slow growth.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/DiscStamps.h"

namespace {
class DiscStampsTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    DiscTex.TexId = 7;
  }
  void TearDown() override {
    DiscTex.TexId = 0;
    TSceneTest::TearDown();
  }

  const std::vector<TGLPrimitive> &Draw(int64_t t) {
    ResetRecording();
    DrawDiscStamps(t);
    return RecordedGL().Primitives;
  }
};

// Half-size of a drawn disc quad, as a fraction of the view width.
double HalfSizeOverW(const TGLPrimitive &Quad, double W) {
  return (Quad.Vertices[1].X - Quad.Vertices[0].X) / 2 / W;
}
}  // namespace

TEST_F(DiscStampsTest, HalfSizesFollowTheSpringAndTheSlowGrowth) {
  struct Case {
    int64_t t;
    size_t Discs;
    double Disc1, Disc2;  // half-sizes over W; ignored when not drawn
  };
  const double FirstStep = 0.3 * (1 - std::cos(M_PI / 200)) / 2;
  const Case Cases[] = {
      {59097, 0, 0, 0},
      {59098, 1, FirstStep, 0},
      {59197, 1, 0.15, 0},
      {59297, 1, 0.3, 0},
      {59298, 1, 0.1801, 0},
      {59332, 1, 0.1835, 0},
      {59333, 2, 0.1836, FirstStep},
      {59532, 2, 0.2035, 0.3},
      {59533, 2, 0.2036, 0.2201},
      {64999, 2, 0.7502, 0.7667},
      {65000, 0, 0, 0},
  };
  for (const Case &c : Cases) {
    const auto &Quads = Draw(c.t);
    ASSERT_EQ(Quads.size(), c.Discs) << "t = " << c.t;
    if (c.Discs >= 1) {
      EXPECT_NEAR(HalfSizeOverW(Quads[0], 1024), c.Disc1, 2e-7) << "t = " << c.t;
    }
    if (c.Discs >= 2) {
      EXPECT_NEAR(HalfSizeOverW(Quads[1], 1024), c.Disc2, 2e-7) << "t = " << c.t;
    }
  }
}

TEST_F(DiscStampsTest, EachDiscIsABlackStencilOfDiscTexAroundItsCentre) {
  View.ViewWidth = 640;
  View.ViewHeight = 480;
  const auto &Quads = Draw(60000);
  ASSERT_EQ(Quads.size(), 2u);
  const double Centres[2][2] = {{204.8, 278.4}, {416, 192}};
  const float TexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int d = 0; d < 2; ++d) {
    const TGLPrimitive &q = Quads[static_cast<size_t>(d)];
    EXPECT_EQ(q.Mode, static_cast<GLenum>(GL_QUADS));
    EXPECT_TRUE(q.Textured);
    EXPECT_EQ(q.Texture, 7u);
    ASSERT_EQ(q.Vertices.size(), 4u);
    const double r = (q.Vertices[1].X - q.Vertices[0].X) / 2;
    const double Signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int i = 0; i < 4; ++i) {
      const TGLVertex &v = q.Vertices[static_cast<size_t>(i)];
      EXPECT_NEAR(v.X, Centres[d][0] + Signs[i][0] * r, 1e-3);
      EXPECT_NEAR(v.Y, Centres[d][1] + Signs[i][1] * r, 1e-3);
      EXPECT_EQ(v.S, TexCoords[i][0]);
      EXPECT_EQ(v.T, TexCoords[i][1]);
      EXPECT_EQ(v.A, 1.0f);
      EXPECT_EQ(v.R + v.G + v.B, 0.0f);
    }
  }
  EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
}
