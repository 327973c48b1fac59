// The closing picture and the mosaic fade over the worms.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Finale.h"
#include "scenes/Profile.h"

namespace {
constexpr GLuint Glow = 3, Disc = 4, Credits = 5;

// Where each part of the closing picture lies in its list of primitives.
constexpr size_t Stars = 251, MoonGlow = 251, MoonDisc = 252, Skyline = 253, Ground = 254,
                 CreditsQuad = 255, FirstMirrorStrip = 256, FadeQuad = 276, FinalePrimitives = 277;

class FinaleTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    GlowTex.TexId = Glow;
    DiscTex.TexId = Disc;
    CreditsTex.TexId = Credits;
    // A profile whose values show which element was read: j / 1280.
    for (int j = 0; j <= 1280; ++j) Profile[j] = static_cast<Single>(j / 1280.0L);
  }
  void TearDown() override {
    GlowTex.TexId = DiscTex.TexId = CreditsTex.TexId = 0;
    TSceneTest::TearDown();
  }

  const std::vector<TGLPrimitive> &Finale(Single p) {
    ResetRecording();
    RandSeed = 12345;
    DrawFinale(p);
    return RecordedGL().Primitives;
  }
  const TGLPrimitive &Mosaic(Single p) {
    ResetRecording();
    DrawMosaicFade(p);
    return RecordedGL().Primitives.at(0);
  }
};

// Checks a quad's corners against the square of half-size r around (cx, cy),
// listed top-left, top-right, bottom-right, bottom-left, with the texture's
// corners in the same order.
void ExpectSquare(const TGLVertex *Corners, double cx, double cy, double r, double Tolerance,
                  const std::string &What) {
  const double Signs[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  const float Tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int c = 0; c < 4; ++c) {
    EXPECT_NEAR(Corners[c].X, cx + Signs[c][0] * r, Tolerance) << What << " corner " << c;
    EXPECT_NEAR(Corners[c].Y, cy + Signs[c][1] * r, Tolerance) << What << " corner " << c;
    EXPECT_EQ(Corners[c].S, Tex[c][0]) << What << " corner " << c;
    EXPECT_EQ(Corners[c].T, Tex[c][1]) << What << " corner " << c;
  }
}
}  // namespace

TEST_F(FinaleTest, PicturesPartsComeInOrderAndLeaveTheFilmsState) {
  const auto &Parts = Finale(0.5f);
  ASSERT_EQ(Parts.size(), FinalePrimitives);
  const struct {
    size_t Index;
    GLenum Mode;
    size_t Vertices;
    bool Textured;
    GLuint Texture;
  } Expected[] = {
      {0, GL_QUADS, 4, true, Glow},
      {Stars - 1, GL_QUADS, 4, true, Glow},
      {MoonGlow, GL_QUADS, 4, true, Glow},
      {MoonDisc, GL_QUADS, 4, true, Disc},
      {Skyline, GL_LINE_STRIP, 641, false, 0},
      {Ground, GL_TRIANGLE_STRIP, 1282, false, 0},
      {CreditsQuad, GL_QUADS, 4, true, Credits},
      {FirstMirrorStrip, GL_TRIANGLE_STRIP, 42, true, Credits},
      {FadeQuad - 1, GL_TRIANGLE_STRIP, 42, true, Credits},
      {FadeQuad, GL_QUADS, 4, false, 0},
  };
  for (const auto &e : Expected) {
    const TGLPrimitive &Part = Parts[e.Index];
    EXPECT_EQ(Part.Mode, e.Mode) << "primitive " << e.Index;
    EXPECT_EQ(Part.Vertices.size(), e.Vertices) << "primitive " << e.Index;
    EXPECT_EQ(Part.Textured, e.Textured) << "primitive " << e.Index;
    if (e.Textured) {
      EXPECT_EQ(Part.Texture, e.Texture) << "primitive " << e.Index;
    }
  }
  // The frame starts from a black clear; it ends with texturing off, the clear colour
  // still black and the generator at the horizon's seed.
  const auto Clears = RecordedGL().CallsNamed("glClearColor");
  ASSERT_EQ(Clears.size(), 1u);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Clears[0].Arg(c), 0);
  EXPECT_EQ(RecordedGL().CountCalls("glClear"), 1u);
  EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
  EXPECT_EQ(RandSeed, 8181u);
}

TEST_F(FinaleTest, StarsAreOneFieldFromSeed9191WhateverTheViewHeightOrMoment) {
  const std::vector<TGLPrimitive> Frame = Finale(0.3f);
  const std::vector<TGLPrimitive> Reference(Frame.begin(), Frame.begin() + Stars);
  // The field drawn by hand: x, y from half the width, alpha, radius, in that order.
  RandSeed = 9191;
  for (size_t s = 0; s < Stars; ++s) {
    const double x = Random(1024), y = Random(512);
    const float a = static_cast<float>(Random(700) / 1000.0L + 0.1L);
    const double r = Random(20) / 10.0 + 2;
    const TGLPrimitive &Star = Reference[s];
    ExpectSquare(Star.Vertices.data(), x, y, r, 1e-4, "star " + std::to_string(s));
    EXPECT_EQ(Star.Vertices[0].A, a) << "star " << s;
    EXPECT_EQ(Star.Vertices[0].R + Star.Vertices[0].G + Star.Vertices[0].B, 3.0f);
  }
  for (auto [Height, p] : {std::pair{768u, 0.9f}, {480u, 0.3f}, {1200u, 0.01f}}) {
    View.ViewHeight = Height;
    const auto &Parts = Finale(p);
    for (size_t s = 0; s < Stars; ++s)
      for (size_t c = 0; c < 4; ++c) {
        ASSERT_EQ(Parts[s].Vertices[c].X, Reference[s].Vertices[c].X) << Height << " star " << s;
        ASSERT_EQ(Parts[s].Vertices[c].Y, Reference[s].Vertices[c].Y) << Height << " star " << s;
        ASSERT_EQ(Parts[s].Vertices[c].A, Reference[s].Vertices[c].A) << Height << " star " << s;
      }
  }
}

TEST_F(FinaleTest, MoonRisesFromTheRightEdgeToTheUpperMiddle) {
  const double W = 1024, H = 768;
  const struct {
    float p;
    double cx, cy;
  } Cases[] = {{0, W, H / 2}, {0.5f, 0.775 * W, 0.3 * H}, {1, 0.55 * W, 0.1 * H}};
  for (const auto &c : Cases) {
    const auto &Parts = Finale(c.p);
    const std::string At = "p = " + std::to_string(c.p);
    ExpectSquare(Parts[MoonGlow].Vertices.data(), c.cx, c.cy, H / 3 * 2, 1e-3, At + " glow");
    ExpectSquare(Parts[MoonDisc].Vertices.data(), c.cx, c.cy, H / 3, 1e-3, At + " disc");
    EXPECT_EQ(Parts[MoonDisc].Vertices[0].A, 1.0f) << At;
    EXPECT_EQ(Parts[MoonDisc].Vertices[0].R, 1.0f) << At;
  }
}

TEST_F(FinaleTest, HorizonAndGroundFollowEverySecondProfileElement) {
  View.ViewWidth = 800;
  View.ViewHeight = 600;
  const auto &Parts = Finale(0.5f);
  const TGLPrimitive &Line = Parts[Skyline];
  const TGLPrimitive &Fill = Parts[Ground];
  for (size_t i = 0; i <= 640; ++i) {
    // Profile[2i] = i / 640 here, so the horizon runs from 2H/3 down to H/3.
    const double x = i / 640.0 * 800, y = 300 - (i / 640.0 - 0.5) * 200;
    EXPECT_NEAR(Line.Vertices[i].X, x, 1e-3) << "i = " << i;
    EXPECT_NEAR(Line.Vertices[i].Y, y, 1e-3) << "i = " << i;
    EXPECT_EQ(Fill.Vertices[2 * i].X, Line.Vertices[i].X) << "i = " << i;
    EXPECT_EQ(Fill.Vertices[2 * i].Y, Line.Vertices[i].Y) << "i = " << i;
    EXPECT_EQ(Fill.Vertices[2 * i + 1].X, Line.Vertices[i].X) << "i = " << i;
    EXPECT_EQ(Fill.Vertices[2 * i + 1].Y, 600) << "i = " << i;
  }
  for (const TGLPrimitive *Part : {&Line, &Fill}) {
    const TGLVertex &v = Part->Vertices[0];
    EXPECT_FLOAT_EQ(v.R, 0.3f);
    EXPECT_FLOAT_EQ(v.G, 0.3f);
    EXPECT_FLOAT_EQ(v.B, 0.3f);
    EXPECT_EQ(v.A, 1.0f);
  }
}

TEST_F(FinaleTest, CreditsPrintBlackAndTheirMirrorHangsBelowAsATrapezoid) {
  const double W = 1024, H = 768;
  for (float p : {0.0f, 0.5f, 1.0f}) {
    const auto &Parts = Finale(p);
    const std::string At = "p = " + std::to_string(p);
    const TGLVertex *Card = Parts[CreditsQuad].Vertices.data();
    const double Corners[4][2] = {{0.4 * W, 0.8 * H - 0.2 * W},
                                  {0.8 * W, 0.8 * H - 0.2 * W},
                                  {0.8 * W, 0.8 * H},
                                  {0.4 * W, 0.8 * H}};
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR(Card[c].X, Corners[c][0], 1e-3) << At;
      EXPECT_NEAR(Card[c].Y, Corners[c][1], 1e-3) << At;
    }
    EXPECT_EQ(Card[0].A, 1.0f);
    EXPECT_EQ(Card[0].R + Card[0].G + Card[0].B, 0.0f);

    // Strip i sends (i, j) then (i + 1, j): row k's end points, its y and its texture row.
    const double Bottom = 0.8 * H + 0.14 * W - 0.06 * H * p;
    const struct {
      size_t Strip, Vertex;  // where row k's vertex j = 0 is sent
      int k;
      double Left, Right, y;
    } Rows[] = {{0, 0, 0, 0.4 * W, 0.8 * W, 0.8 * H},
                {9, 1, 10, 0.2 * W + 0.12 * W * p, 0.8 * W + 0.12 * W * p, (0.8 * H + Bottom) / 2},
                {19, 1, 20, 0.24 * W * p, 0.8 * W + 0.24 * W * p, Bottom}};
    for (const auto &r : Rows) {
      const TGLPrimitive &Strip = Parts[FirstMirrorStrip + r.Strip];
      for (size_t j = 0; j <= 20; ++j) {
        const TGLVertex &v = Strip.Vertices[2 * j + r.Vertex];
        const std::string Where = At + " row " + std::to_string(r.k) + " j " + std::to_string(j);
        EXPECT_NEAR(v.X, r.Left + (r.Right - r.Left) * j / 20, 1e-3) << Where;
        EXPECT_NEAR(v.Y, r.y, 1e-3) << Where;
        EXPECT_FLOAT_EQ(v.S, j / 20.0f) << Where;
        EXPECT_FLOAT_EQ(v.T, 1 - r.k / 20.0f) << Where;
        EXPECT_FLOAT_EQ(v.A, 0.3f) << Where;
        EXPECT_EQ(v.R + v.G + v.B, 0.0f) << Where;
      }
    }
  }
}

TEST_F(FinaleTest, FadeIsOpaqueAtBothEndsAndClearInTheMiddle) {
  const struct {
    float p;
    float Alpha;
  } Cases[] = {{0, 1},     {0.125f, 0.70710677f}, {0.25f, 0}, {0.5f, 0}, {0.6f, 0},
               {0.75f, 0}, {0.875f, 0.70710677f}, {1, 1}};
  for (const auto &c : Cases) {
    const TGLPrimitive &Fade = Finale(c.p)[FadeQuad];
    EXPECT_NEAR(Fade.Vertices[0].A, c.Alpha, 1e-6) << "p = " << c.p;
    EXPECT_EQ(Fade.Vertices[0].R + Fade.Vertices[0].G + Fade.Vertices[0].B, 0.0f);
    EXPECT_EQ(Fade.Vertices[0].X, 0);
    EXPECT_EQ(Fade.Vertices[0].Y, 0);
    EXPECT_EQ(Fade.Vertices[2].X, 1024);
    EXPECT_EQ(Fade.Vertices[2].Y, 768);
  }
}

TEST_F(FinaleTest, MosaicIsOneBatchOfGlowSpritesOnAGridReachingEveryEdge) {
  const TGLPrimitive &Batch = Mosaic(0.5f);
  EXPECT_EQ(RecordedGL().Primitives.size(), 1u);
  EXPECT_EQ(Batch.Mode, static_cast<GLenum>(GL_QUADS));
  EXPECT_TRUE(Batch.Textured);
  EXPECT_EQ(Batch.Texture, Glow);
  ASSERT_EQ(Batch.Vertices.size(), 41u * 31u * 4u);
  // Sprite (i, j) is the (31 i + j)-th: centred on (i / 40 W, j / 30 H).
  for (auto [i, j] : {std::pair{0, 0}, {0, 30}, {40, 0}, {40, 30}, {17, 11}}) {
    const TGLVertex *q = &Batch.Vertices[static_cast<size_t>(31 * i + j) * 4];
    const double r = (q[1].X - q[0].X) / 2;
    ExpectSquare(q, i / 40.0 * 1024, j / 30.0 * 768, r, 1e-3,
                 std::to_string(i) + "," + std::to_string(j));
  }
  EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
  EXPECT_EQ(RecordedGL().BoundTexture, Glow);
}

TEST_F(FinaleTest, MosaicSpritesGrowFromTheBottomRightAndDarkenTheScreen) {
  const double Full = 768.0 / 30;  // every sprite's half-size at p = 1
  const auto Ease = [](double a, double b, double m) {
    return a + (b - a) * (1 - std::cos(m * M_PI)) / 2;
  };
  const auto HalfSize = [](const TGLPrimitive &Batch, int i, int j) {
    const TGLVertex *q = &Batch.Vertices[static_cast<size_t>(31 * i + j) * 4];
    return (q[1].X - q[0].X) / 2;
  };
  for (float p : {1 / 3000.0f, 0.25f, 0.5f, 0.9f, 1.0f}) {
    const TGLPrimitive &Batch = Mosaic(p);
    const std::string At = "p = " + std::to_string(p);
    EXPECT_NEAR(Batch.Vertices[0].A, Ease(0, 1, p), 1e-6) << At;
    EXPECT_EQ(Batch.Vertices[0].R + Batch.Vertices[0].G + Batch.Vertices[0].B, 0.0f) << At;
    // The top-left sprite's growth is v = p (1 - cos pi p) / 2, the bottom-right's v = p.
    EXPECT_NEAR(HalfSize(Batch, 0, 0), Ease(0, Full, p * (1 - std::cos(M_PI * p)) / 2), 1e-4) << At;
    EXPECT_NEAR(HalfSize(Batch, 40, 30), Ease(0, Full, p), 1e-4) << At;
    EXPECT_NEAR(HalfSize(Batch, 20, 15), Ease(0, Full, Ease(p / 4, p, p)), 1e-4) << At;
    EXPECT_LE(HalfSize(Batch, 0, 0), HalfSize(Batch, 20, 15) + 1e-4) << At;
    EXPECT_LE(HalfSize(Batch, 20, 15), HalfSize(Batch, 40, 30) + 1e-4) << At;
  }
  // Every corner as the film computes it: v eased from i p / 40 j / 30 to p by p.
  for (float p : {0.3f, 0.77f}) {
    const TGLPrimitive &Batch = Mosaic(p);
    for (int i = 0; i <= 40; ++i)
      for (int j = 0; j <= 30; ++j) {
        const float Start = static_cast<float>(i * static_cast<long double>(p) / 40 * j / 30);
        const float v = std::min(CosineInterpolate(Start, p, p), 1.0f);
        const long double s = CosineInterpolate(0, static_cast<float>(768.0L / 30), v);
        const TGLVertex &TopLeft = Batch.Vertices[static_cast<size_t>(31 * i + j) * 4];
        ASSERT_EQ(TopLeft.X, static_cast<float>(i / 40.0L * 1024 - s))
            << p << ": " << i << ", " << j;
        ASSERT_EQ(TopLeft.Y, static_cast<float>(j / 30.0L * 768 - s))
            << p << ": " << i << ", " << j;
      }
  }
  // First frame: nothing to see yet. Last: every sprite at full size.
  const TGLPrimitive &First = Mosaic(1 / 3000.0f);
  for (size_t s = 0; s < 1271; ++s)
    ASSERT_LT(HalfSize(First, static_cast<int>(s / 31), static_cast<int>(s % 31)), 1e-4);
  const TGLPrimitive &Last = Mosaic(1);
  for (size_t s = 0; s < 1271; ++s)
    ASSERT_NEAR(HalfSize(Last, static_cast<int>(s / 31), static_cast<int>(s % 31)), Full, 1e-4)
        << s;
}
