// The blob field: the seeded blobs, their advance, the grid passes against a
// plain reference, the texture and the quad.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/BlobColumn.h"
#include "scenes/BlobField.h"
#include "scenes/CarriedState.h"

namespace {
// The carried blobs and their phase.
const std::vector<TBlob> &Blobs = Carried.Field.Blobs;
const Single &BlobPhase = Carried.Field.Phase;

class BlobFieldTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    FieldTex.Width = FieldTex.Height = 512;
    FieldTex.BytesPerPixel = 3;
    FieldTex.Data.assign(512 * 512 * 3, 0);
    Carried.Field = TBlobFieldState();
    InitBlobs();
  }
  // FieldTex, the blobs and their phases are globals other suites see.
  void TearDown() override {
    FieldTex = TTexture();
    Carried.Field = TBlobFieldState();
    TSceneTest::TearDown();
  }

  void Draw(int64_t t, Single Alpha = 1, Single Wipe = 0) { DrawBlobField(t, Alpha, Wipe); }
  uint8_t Grey(int X, int Y) const { return FieldTex.Data[(size_t(Y) * 512 + size_t(X)) * 3]; }
};

// The grid passes written as plainly as possible, in extended precision, to
// hold the scene's loops to the same bytes.
std::vector<uint8_t> ReferenceField(const std::vector<TBlob> &Field, Single Phase, Single Wipe) {
  std::vector<Single> v(512 * 512, 0);  // [X * 512 + Y]
  auto Merge = [](Single &Cell, Single w) {
    const Single s = static_cast<Single>(1 - (1 - Extended(w)) * (1 - Extended(Cell)));
    Cell = LinearInterpolate(Cell, s, w);
  };
  for (const TBlob &b : Field) {
    const Single bx = CubicInterpolate(b.X[0], b.X[1], b.X[2], b.X[3], Phase);
    const Single by = CubicInterpolate(b.Y[0], b.Y[1], b.Y[2], b.Y[3], Phase);
    const Single r = b.Radius;
    const int64_t Y0 = std::max<int64_t>(Trunc(Extended(by) - r), 0);
    const int64_t Y1 = std::min<int64_t>(Trunc(Extended(by) + 1 + r), 511);
    const int64_t X0 = std::max<int64_t>(Trunc(Extended(bx) - r), 0);
    const int64_t X1 = std::min<int64_t>(Trunc(Extended(bx) + 1 + r), 511);
    for (int64_t Y = Y0; Y <= Y1; ++Y)
      for (int64_t X = X0; X <= X1; ++X) {
        const Extended dx = Extended(bx) - X, dy = Extended(by) - Y;
        Single H = 0;
        if (b.Diamond) {
          const Extended d = std::fabs(dx) + std::fabs(dy);
          if (d < r) H = static_cast<Single>(1 - d / r);
        } else if (dx * dx + dy * dy < Extended(r) * r) {
          H = static_cast<Single>(1 - std::sqrt(dx * dx + dy * dy) / r);
        }
        Single &Cell = v[size_t(X) * 512 + size_t(Y)];
        Merge(Cell, H);
        Cell = std::clamp<Single>(Cell, 0, 1);
      }
  }
  if (Wipe > 0) {
    const int64_t E = Trunc(Wipe * 511.0L) * 3;
    for (int64_t Y = 0; Y <= E && Y < 512; ++Y) {
      const Single g = E == 0 ? 1 : LinearInterpolate(1, 0, static_cast<Single>(Extended(Y) / E));
      for (int X = 0; X < 512; ++X) Merge(v[size_t(X) * 512 + size_t(Y)], g);
    }
  }
  std::vector<uint8_t> Bytes(512 * 512 * 3);
  for (int X = 0; X < 512; ++X)
    for (int Y = 0; Y < 512; ++Y) {
      const Single Value = v[size_t(X) * 512 + size_t(Y)];
      const Single h = Value < 0.45L  ? 0
                       : Value > 0.5L ? 1
                                      : static_cast<Single>((Value - 0.45L) / 0.05L);
      const Single c = static_cast<Single>((std::cos(h * 2 * Pi) + 1) * 0.5L);
      const uint8_t Grey = static_cast<uint8_t>(Round(c * 255.0L));
      for (int k = 0; k < 3; ++k) Bytes[(size_t(Y) * 512 + size_t(X)) * 3 + size_t(k)] = Grey;
    }
  return Bytes;
}
// The grid loops run four cells at a time where the processor has AVX2 and
// two otherwise: each loop must give the same bytes. The parameter picks the
// wide loops; without AVX2 those cases are skipped.
class BlobLoopTest : public BlobFieldTest, public ::testing::WithParamInterface<bool> {
protected:
  void SetUp() override {
    BlobFieldTest::SetUp();
    if (GetParam() && !__builtin_cpu_supports("avx2"))
      GTEST_SKIP() << "this processor has no AVX2: only the two-cell loops can run";
  }
  const TBlobColumnLoops &Columns() const {
    return GetParam() ? Avx2BlobColumnLoops : Sse2BlobColumnLoops;
  }
  const char *Loops() const { return GetParam() ? " (AVX2)" : " (SSE2)"; }

  // The field of the blobs at Phase through these loops, shaded.
  std::vector<uint8_t> FieldThroughLoops(Single Phase, Single Wipe) const {
    static TFieldValues Grid;
    ClearField(Grid);
    for (const TBlob &b : Blobs)
      AddBlob(Grid, CubicInterpolate(b.X[0], b.X[1], b.X[2], b.X[3], Phase),
              CubicInterpolate(b.Y[0], b.Y[1], b.Y[2], b.Y[3], Phase), b.Radius, b.Diamond,
              Columns());
    ApplyWipe(Grid, Wipe, Columns());
    TTexture Tex;
    Tex.Width = Tex.Height = 512;
    Tex.BytesPerPixel = 3;
    Tex.Data.assign(512 * 512 * 3, 0);
    ShadeField(Grid, Tex);
    return Tex.Data;
  }
};

INSTANTIATE_TEST_SUITE_P(Loops, BlobLoopTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &Info) {
                           return Info.param ? "Avx2" : "Sse2";
                         });
}  // namespace

TEST_F(BlobFieldTest, InitBlobsDrawsTheFilmsBlobs) {
  ASSERT_EQ(Blobs.size(), 10u);
  const Single X0[4] = {211, 453, 15, 148}, Y0[4] = {263, 358, 300, 175};
  const Single X1[4] = {425, 125, 242, 188}, Y1[4] = {71, 389, 421, 297};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Blobs[0].X[k], X0[k]);
    EXPECT_EQ(Blobs[0].Y[k], Y0[k]);
    EXPECT_EQ(Blobs[1].X[k], X1[k]);
    EXPECT_EQ(Blobs[1].Y[k], Y1[k]);
  }
  EXPECT_EQ(Blobs[0].Radius, 135.2f);
  EXPECT_EQ(Blobs[1].Radius, 201.2f);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(Blobs[i].Diamond, i % 2 == 0) << "blob " << i;
    EXPECT_GE(Blobs[i].Radius, 51.2f);
    EXPECT_LE(Blobs[i].Radius, 220.2f);
  }
  RandSeed = 9191;
  for (int i = 0; i < 90; ++i) Random(512);
  const uint32_t After90 = RandSeed;
  InitBlobs();
  EXPECT_EQ(RandSeed, After90);
}

TEST_F(BlobFieldTest, BlobsAdvanceOncePerWrapWithTwentyDraws) {
  const std::vector<TBlob> Start = Blobs;
  Draw(31990);  // phase 0.995 after 0: no wrap
  Draw(31995);
  RandSeed = 777;
  Draw(32000);  // phase 0 after 0.9975: one advance
  const uint32_t SeedLeft = RandSeed;
  RandSeed = 777;
  std::vector<int32_t> Fresh;
  for (int i = 0; i < 20; ++i) Fresh.push_back(Random(512));
  EXPECT_EQ(SeedLeft, RandSeed);
  for (size_t i = 0; i < 10; ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(Blobs[i].X[k], Start[i].X[k + 1]) << "blob " << i;
      EXPECT_EQ(Blobs[i].Y[k], Start[i].Y[k + 1]) << "blob " << i;
    }
    // Blob 0 draws first, X before Y.
    EXPECT_EQ(Blobs[i].X[3], Fresh[2 * i]) << "blob " << i;
    EXPECT_EQ(Blobs[i].Y[3], Fresh[2 * i + 1]) << "blob " << i;
  }
  // Many periods later, still one advance; a later phase none.
  Draw(33500);
  const std::vector<TBlob> Once = Blobs;
  Draw(41000);
  EXPECT_EQ(Blobs[0].X[0], Once[0].X[1]);
  const std::vector<TBlob> Twice = Blobs;
  const uint32_t Seed = RandSeed;
  Draw(41500);
  EXPECT_EQ(Blobs[0].X[0], Twice[0].X[0]);
  EXPECT_EQ(RandSeed, Seed);
}

TEST_F(BlobFieldTest, FalloffEndsExactlyAtTheRadius) {
  // A lone blob of reach 10 centred on cell (100, 100).
  struct Case {
    bool Diamond;
    int dx, dy;
    Single Value;  // H^2 with H = 1 - d / 10
  };
  const Case Cases[] = {
      {false, 0, 0, 1},
      {false, 10, 0, 0},
      {false, 6, 8, 0},
      {false, 0, -9, 0.01f},
      {false, 3, 4, 0.25f},
      {true, 10, 0, 0},
      {true, 6, 4, 0},
      {true, -3, 2, 0.25f},
      {true, 0, 9, 0.01f},
      {true, 7, 7, 0},
      {false, 7, 7, static_cast<Single>(std::pow(1 - std::sqrt(98.0) / 10, 2))},
  };
  for (const Case &c : Cases) {
    static TFieldValues Grid;
    ClearField(Grid);
    AddBlob(Grid, 100, 100, 10, c.Diamond);
    EXPECT_NEAR(Grid[100 + c.dx][100 + c.dy], c.Value, 1e-6)
        << (c.Diamond ? "diamond " : "circle ") << c.dx << ", " << c.dy;
  }
}

TEST_F(BlobFieldTest, BlobsMergeAndStayWithinTheGrid) {
  static TFieldValues Grid;
  ClearField(Grid);
  // Half influence twice: 0.25, then 0.25 + 0.25 x 0.75.
  AddBlob(Grid, 100, 100, 10, false);
  AddBlob(Grid, 100, 100, 10, false);
  EXPECT_FLOAT_EQ(Grid[105][100], 0.4375f);
  EXPECT_EQ(Grid[100][100], 1.0f);
  // Wholly outside the grid on any side, or overshooting far: no cell moves.
  for (Single c : {-300.0f, 900.0f}) {
    AddBlob(Grid, c, 200, 220.2f, false);
    AddBlob(Grid, 200, c, 220.2f, true);
  }
  for (int X = 0; X < 512; ++X)
    for (int Y = 0; Y < 512; ++Y)
      if (std::abs(X - 100) > 10 || std::abs(Y - 100) > 10) {
        ASSERT_EQ(Grid[X][Y], 0) << X << "," << Y;
      }
  // A blob hanging over the corner touches only the cells in range.
  AddBlob(Grid, -5, -5, 20, true);
  EXPECT_NEAR(Grid[0][0], 0.5 * 0.5, 1e-6);
  EXPECT_EQ(Grid[15][15], 0);
}

TEST_F(BlobFieldTest, WipeLiftsRowsFromTheBottom) {
  static TFieldValues Grid;
  struct Case {
    Single Wipe;
    int Row;
    Single Value;
  };
  const Case Cases[] = {
      {0, 0, 0},
      {-0.5f, 0, 0},
      {1, 0, 1},
      {1, 511, static_cast<Single>(std::pow(1 - 511 / 1533.0, 2))},
      {0.001f, 0, 1},  // reach 0: row 0 still white
      {0.001f, 1, 0},
      {0.01f, 15, 0},  // reach 15: row 15 gets weight 0
      {0.01f, 5, static_cast<Single>(std::pow(1 - 5 / 15.0, 2))},
  };
  for (const Case &c : Cases) {
    ClearField(Grid);
    ApplyWipe(Grid, c.Wipe);
    EXPECT_NEAR(Grid[300][c.Row], c.Value, 1e-6) << "Wipe " << c.Wipe << " row " << c.Row;
  }
}

TEST_F(BlobFieldTest, ShadingDarkensOnlyTheThresholdBand) {
  static TFieldValues Grid;
  ClearField(Grid);
  const Single Values[] = {0, 0.3f, 0.45f, 0.4625f, 0.475f, 0.4875f, 0.5f, 0.7f, 1};
  const int Greys[] = {255, 255, 255, 128, 0, 128, 255, 255, 255};
  // Column X, row 7: the texture stores row 7 as its eighth row of pixels.
  for (int i = 0; i < 9; ++i) Grid[i][7] = Values[i];
  ShadeField(Grid, FieldTex);
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(Grey(i, 7), Greys[i], 1) << "value " << Values[i];
    EXPECT_EQ(Grey(i, 6), 255);
  }
  EXPECT_EQ(Grey(4, 7), 0);
}

TEST_P(BlobLoopTest, FieldBytesMatchThePlainReference) {
  struct Frame {
    int64_t t;
    Single Wipe;
  };
  // Fading in, full, three wipe stages (reach 0 included), the last frame.
  const Frame Frames[] = {{29000, 0},       {33999, 0},       {34000, 0},       {40000, 0},
                          {46689, 0.0002f}, {47000, 0.0624f}, {50500, 0.7624f}, {51688, 1}};
  for (const Frame &f : Frames) {
    Draw(f.t, 1, f.Wipe);  // the blobs move on as in the film
    const std::vector<uint8_t> Expected = ReferenceField(Blobs, BlobPhase, f.Wipe);
    size_t Drawn = 0, Mismatches = 0;
    const std::vector<uint8_t> Field = FieldThroughLoops(BlobPhase, f.Wipe);
    for (size_t i = 0; i < Expected.size(); ++i) {
      Drawn += Expected[i] != FieldTex.Data[i];
      Mismatches += Expected[i] != Field[i];
    }
    EXPECT_EQ(Drawn, 0u) << "t = " << f.t << " as drawn";
    EXPECT_EQ(Mismatches, 0u) << "t = " << f.t << Loops();
  }
}

TEST_P(BlobLoopTest, CellsAtRoundingEdgesMatchTheExtendedFormulas) {
  // Centres off the half-integers and radii whose edges pass close to cell
  // centres exercise the fallbacks; a centre within 1/64 of zero takes the
  // plain loop. Compared value for value with one blob merged into a
  // prepared grid.
  static TFieldValues Grid;
  const Single Centres[][2] = {
      {100.3f, 200.7f}, {0.001f, 300}, {255.5f, 255.5f}, {-50.25f, 520.125f}};
  const Single Radii[] = {51.2f, 100, 133.33333f, 220.2f};
  for (const auto &c : Centres)
    for (Single r : Radii)
      for (bool Diamond : {false, true}) {
        for (int X = 0; X < 512; ++X)
          for (int Y = 0; Y < 512; ++Y) Grid[X][Y] = ((X * 7 + Y * 13) % 101) / 100.0f;
        AddBlob(Grid, c[0], c[1], r, Diamond, Columns());
        size_t Mismatches = 0;
        for (int X = 0; X < 512; ++X)
          for (int Y = 0; Y < 512; ++Y) {
            const Single Before = ((X * 7 + Y * 13) % 101) / 100.0f;
            const Extended dx = Extended(c[0]) - X, dy = Extended(c[1]) - Y;
            Single H = 0;
            if (Diamond) {
              const Extended d = std::fabs(dx) + std::fabs(dy);
              if (d < r) H = static_cast<Single>(1 - d / r);
            } else if (dx * dx + dy * dy < Extended(r) * r) {
              H = static_cast<Single>(1 - std::sqrt(dx * dx + dy * dy) / r);
            }
            const Single s = static_cast<Single>(1 - (1 - Extended(H)) * (1 - Extended(Before)));
            const Single Expected = std::clamp<Single>(LinearInterpolate(Before, s, H), 0, 1);
            Mismatches += std::memcmp(&Expected, &Grid[X][Y], sizeof(Single)) != 0;
          }
        EXPECT_EQ(Mismatches, 0u) << "centre " << c[0] << ", " << c[1] << " r " << r
                                  << (Diamond ? " diamond" : " circle") << Loops();
      }
}

TEST_F(BlobFieldTest, QuadShowsGridRowZeroAtTheBottom) {
  Draw(35000, 0.4f);
  const auto &Quads = RecordedGL().Primitives;
  ASSERT_EQ(Quads.size(), 1u);
  const TGLPrimitive &q = Quads[0];
  EXPECT_EQ(q.Mode, static_cast<GLenum>(GL_QUADS));
  EXPECT_TRUE(q.Textured);
  EXPECT_EQ(q.Texture, FieldTex.TexId);
  const double Expected[4][4] = {{0, 1, 0, 0}, {1, 1, 1024, 0}, {1, 0, 1024, 768}, {0, 0, 0, 768}};
  ASSERT_EQ(q.Vertices.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(q.Vertices[i].S, Expected[i][0]);
    EXPECT_EQ(q.Vertices[i].T, Expected[i][1]);
    EXPECT_EQ(q.Vertices[i].X, Expected[i][2]);
    EXPECT_EQ(q.Vertices[i].Y, Expected[i][3]);
    EXPECT_EQ(q.Vertices[i].A, 0.4f);
    EXPECT_EQ(q.Vertices[i].R, 1.0f);
  }
  EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
}

TEST_F(BlobFieldTest, TextureNamesDoNotPileUp) {
  RecordedGL().Recording = false;
  Draw(30000);
  const size_t Live = RecordedGL().LiveTextures.size();
  for (int i = 1; i <= 1000; ++i) Draw(30000 + i * 7);
  EXPECT_EQ(RecordedGL().LiveTextures.size(), Live);
  EXPECT_LE(Live, 1u);
  RecordedGL().Recording = true;
}
