// The worms: periods, tracks laid out from the branch list's generator, the
// two-pass strips against their formulas, the fade's ends, and the advances
// that draw from the caller's generator.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "film/Precompute.h"
#include "scenes/Branches.h"
#include "scenes/CarriedState.h"
#include "scenes/UAWorms.h"
#include "scenes/WormWave.h"

namespace {
const uint32_t Periods[WormCount] = {816, 1782, 2748, 3714, 1180, 2146, 3112};

class WormsTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    RandSeed = 4242;
    InitWormTracks();
    Start = Carried.Worms;
  }

  // Back to the start of the worms' stretch, as a run that replays it.
  void ResetWorms() { Carried.Worms = Start; }
  TWormState Start{};

  const std::vector<TGLPrimitive> &Draw(uint32_t Time, Single Fade) {
    ResetRecording();
    DrawWorms(Time, Fade);
    return RecordedGL().Primitives;
  }
};

uint32_t SeedAfterDraws(uint32_t Seed, int Draws) {
  RandSeed = Seed;
  for (int i = 0; i < Draws; ++i) Random(1);
  return RandSeed;
}

// A worm's vertex written out from the formulas, with the film's helpers
// called as they stand.
struct TExpected {
  Single X, Y, Grey, Alpha;
};

TExpected ExpectedVertex(int Worm, const TWormPoint *Q, Single Mu, Single Weight, bool Displaced,
                         Single Fade) {
  const Extended W = 1024, H = 768;
  Single px = CubicInterpolate(Q[0].X, Q[1].X, Q[2].X, Q[3].X, Mu);
  Single py = CubicInterpolate(Q[0].Y, Q[1].Y, Q[2].Y, Q[3].Y, Mu);
  if (Displaced) {
    const Single ox = static_cast<Single>(px + std::sin(Extended(px) * 2 * Pi / W * 11) * 50);
    const Single oy = static_cast<Single>(py + std::cos(Extended(py) * 2 * Pi / H * 7) * 70);
    px = CosineInterpolate(ox, px, Weight);
    py = CosineInterpolate(oy, py, Weight);
  }
  return {CosineInterpolate(Carried.Worms.WormAnchorX[Worm], px, Fade),
          CosineInterpolate(Carried.Worms.WormAnchorY[Worm], py, Fade),
          CosineInterpolate(0.5f, 0, Fade), LinearInterpolate(0, Weight, Fade)};
}

std::vector<TExpected> ExpectedWorm(int Worm, Single Fade) {
  const TWormPoint *Q = Carried.Worms.WormTracks[Worm];
  const Extended p = Carried.Worms.WormPhases[Worm];
  std::vector<TExpected> Strip;
  for (int k = 0; k <= 80; ++k) {
    const Single Mu = static_cast<Single>(p + (1 - p) * k / 80);
    const Single Weight = static_cast<Single>((1 - p) * k / 80);
    Strip.push_back(ExpectedVertex(Worm, Q, Mu, Weight, true, Fade));
  }
  for (int k = 0; k <= 80; ++k) {
    const Single Mu = static_cast<Single>((Extended(k) / 80) * p);
    const bool Displaced = k <= 80 * p;
    const Single Weight = Displaced ? static_cast<Single>(1 - p + Extended(k) / 80) : 1;
    Strip.push_back(ExpectedVertex(Worm, Q + 1, Mu, Weight, Displaced, Fade));
  }
  return Strip;
}
}  // namespace

TEST_F(WormsTest, PeriodsAreFixedAndPhasesFollowTheClockWithoutTouchingTheGenerator) {
  for (int i = 0; i < WormCount; ++i) {
    RandSeed = 777;
    EXPECT_EQ(WormPeriod(i), Periods[i]) << "worm " << i;
    EXPECT_EQ(RandSeed, 777u) << "worm " << i;
  }
  // Times that wrap no worm since the previous call: the generator is left as found.
  for (uint32_t Time : {0u, 500u, 815u, 4000000000u, 4000000001u}) {
    ResetWorms();
    RandSeed = 99;
    Draw(Time, 1);
    EXPECT_EQ(RandSeed, 99u) << Time;
    for (int i = 0; i < WormCount; ++i)
      EXPECT_EQ(Carried.Worms.WormPhases[i],
                static_cast<Single>(Extended(Time % Periods[i]) / Periods[i]))
          << "worm " << i << " at " << Time;
  }
}

TEST_F(WormsTest, TracksContinueTheGeneratorFromTheBranchList) {
  // The branch list's draw count depends on the view height, so the tracks
  // start from a different generator state in each view.
  uint32_t BranchSeeds[2];
  const uint32_t Heights[2] = {480, 768};
  for (int v = 0; v < 2; ++v) {
    View.ViewWidth = Heights[v] * 4 / 3;
    View.ViewHeight = Heights[v];
    const Extended W = View.ViewWidth, H = View.ViewHeight;
    BuildBranchList();
    BranchSeeds[v] = RandSeed;
    ResetRecording();
    ASSERT_TRUE(Precompute());
    ReleaseTextures();

    RandSeed = BranchSeeds[v];
    for (int i = 0; i < WormCount; ++i) {
      for (int n = 0; n < WormTrackPoints; ++n) {
        EXPECT_EQ(Carried.Worms.WormTracks[i][n].X,
                  static_cast<Single>(Random(static_cast<int32_t>(W))))
            << H << ": " << i << "," << n;
        EXPECT_EQ(Carried.Worms.WormTracks[i][n].Y,
                  static_cast<Single>(Random(static_cast<int32_t>(H))))
            << H << ": " << i << "," << n;
      }
      // Anchors in a box of 0.14 of the view from 0.43 of it.
      const Extended AnchorX = Random(static_cast<int32_t>(std::lrint(W * 0.14L))) + W * 0.43L;
      const Extended AnchorY = Random(static_cast<int32_t>(std::lrint(H * 0.14L))) + H * 0.43L;
      EXPECT_NEAR(Carried.Worms.WormAnchorX[i], AnchorX, 1e-3) << H << ": " << i;
      EXPECT_NEAR(Carried.Worms.WormAnchorY[i], AnchorY, 1e-3) << H << ": " << i;
      EXPECT_EQ(Carried.Worms.PrevWormPhases[i], 0) << H << ": " << i;
    }
    const uint32_t SeedLeft = RandSeed;  // 12 draws per worm
    EXPECT_EQ(SeedLeft, SeedAfterDraws(BranchSeeds[v], 84)) << H;
  }
  EXPECT_NE(BranchSeeds[0], BranchSeeds[1]);
}

TEST_F(WormsTest, StripsFollowTheFormulasBitForBit) {
  struct Case {
    uint32_t PrevTime, Time;
    Single Fade;
  };
  // Phases 0 and just under 1 for some worms, a fade halfway, both ends,
  // and frames that advance worms first.
  const Case Cases[] = {{0, 0, 1},         {0, 815, 0.37f},      {0, 1181, 1},
                        {0, 76000, 0},     {76000, 80000, 0.5f}, {1100, 1800, 1},
                        {0, 3713, 0.999f}, {0, 89999, 1}};
  for (const Case &c : Cases) {
    ResetWorms();
    Draw(c.PrevTime, c.Fade);
    const auto &Strips = Draw(c.Time, c.Fade);
    ASSERT_EQ(Strips.size(), static_cast<size_t>(WormCount));
    for (int i = 0; i < WormCount; ++i) {
      const TGLPrimitive &Strip = Strips[static_cast<size_t>(i)];
      EXPECT_EQ(Strip.Mode, static_cast<GLenum>(GL_LINE_STRIP));
      const std::vector<TExpected> Expected = ExpectedWorm(i, c.Fade);
      ASSERT_EQ(Strip.Vertices.size(), Expected.size());
      for (size_t k = 0; k < Expected.size(); ++k) {
        const TGLVertex &v = Strip.Vertices[k];
        const TExpected &e = Expected[k];
        ASSERT_TRUE(v.X == e.X && v.Y == e.Y && v.R == e.Grey && v.G == e.Grey && v.B == e.Grey &&
                    v.A == e.Alpha)
            << "time " << c.Time << " worm " << i << " vertex " << k << ": (" << v.X << ", " << v.Y
            << ", " << v.R << ", " << v.A << ") expected (" << e.X << ", " << e.Y << ", " << e.Grey
            << ", " << e.Alpha << ")";
      }
    }
  }
  EXPECT_TRUE(RecordedGL().Enabled.count(GL_BLEND));
}

TEST_F(WormsTest, FadeEndsAndPhaseZero) {
  // Fade 0: every vertex on its anchor, grey and invisible.
  const auto &Collapsed = Draw(2000, 0);
  for (int i = 0; i < WormCount; ++i)
    for (const TGLVertex &v : Collapsed[static_cast<size_t>(i)].Vertices) {
      ASSERT_EQ(v.X, Carried.Worms.WormAnchorX[i]) << i;
      ASSERT_EQ(v.Y, Carried.Worms.WormAnchorY[i]) << i;
      ASSERT_EQ(v.A, 0) << i;
      ASSERT_EQ(v.R, 0.5f) << i;
    }

  // Fade 1 at 816: worm 0 at phase 0, the others part-way along. Black; the
  // passes meet; the head is on the path at phase p of Q[2]..Q[3] and opaque.
  ResetWorms();
  const auto &Complete = Draw(816, 1);
  for (int i = 0; i < WormCount; ++i) {
    const auto &V = Complete[static_cast<size_t>(i)].Vertices;
    const TWormPoint *Q = Carried.Worms.WormTracks[i];
    const Single p = Carried.Worms.WormPhases[i];
    for (const TGLVertex &v : V) ASSERT_EQ(v.R, 0) << i;
    EXPECT_EQ(V[80].X, V[81].X) << i;
    EXPECT_EQ(V[80].Y, V[81].Y) << i;
    EXPECT_EQ(V[161].X, CubicInterpolate(Q[1].X, Q[2].X, Q[3].X, Q[4].X, p)) << i;
    EXPECT_EQ(V[161].Y, CubicInterpolate(Q[1].Y, Q[2].Y, Q[3].Y, Q[4].Y, p)) << i;
    EXPECT_EQ(V[161].A, 1) << i;
    EXPECT_EQ(V[0].A, 0) << i;  // the tail is transparent
  }
  // Worm 0 at phase 0: the front half is 81 vertices on Q[2], opaque.
  ASSERT_EQ(Carried.Worms.WormPhases[0], 0);
  for (size_t k = 81; k < 162; ++k) {
    EXPECT_EQ(Complete[0].Vertices[k].X, Carried.Worms.WormTracks[0][2].X) << k;
    EXPECT_EQ(Complete[0].Vertices[k].Y, Carried.Worms.WormTracks[0][2].Y) << k;
    EXPECT_EQ(Complete[0].Vertices[k].A, 1) << k;
  }
}

TEST_F(WormsTest, WrappingWormsAdvanceInOrderFromTheCallersGenerator) {
  struct Case {
    uint32_t PrevTime, Time;
    int Advancing;  // how many worms wrap between the two calls
  };
  const Case Cases[] = {{815, 816, 1}, {2350, 2450, 2},   {1100, 1800, 3},    {3000, 3100, 0},
                        {815, 815, 0}, {73001, 90000, 4}, {4294967295u, 0, 7}};
  for (const Case &c : Cases) {
    ResetWorms();
    Draw(c.PrevTime, 1);
    TWormPoint Before[WormCount][WormTrackPoints];
    for (int i = 0; i < WormCount; ++i)
      for (int n = 0; n < WormTrackPoints; ++n) Before[i][n] = Carried.Worms.WormTracks[i][n];

    RandSeed = 31337;
    Draw(c.Time, 1);
    const uint32_t SeedLeft = RandSeed;

    RandSeed = 31337;
    int Advanced = 0;
    for (int i = 0; i < WormCount; ++i) {
      const bool Wraps = c.Time % Periods[i] < c.PrevTime % Periods[i];
      const TWormPoint *Q = Carried.Worms.WormTracks[i];
      if (!Wraps) {
        for (int n = 0; n < WormTrackPoints; ++n)
          EXPECT_TRUE(Q[n].X == Before[i][n].X && Q[n].Y == Before[i][n].Y) << c.Time << " " << i;
        continue;
      }
      ++Advanced;
      for (int n = 0; n < 4; ++n)
        EXPECT_TRUE(Q[n].X == Before[i][n + 1].X && Q[n].Y == Before[i][n + 1].Y)
            << c.Time << " " << i;
      EXPECT_EQ(Q[4].X, static_cast<Single>(Random(1024 - 200) + 100)) << c.Time << " " << i;
      EXPECT_EQ(Q[4].Y, static_cast<Single>(Random(768 - 200) + 100)) << c.Time << " " << i;
    }
    EXPECT_EQ(Advanced, c.Advancing) << c.Time;
    EXPECT_EQ(SeedLeft, SeedAfterDraws(31337, 2 * c.Advancing)) << c.Time;
  }

  // The first call after a reset never advances, whatever the clock.
  ResetWorms();
  RandSeed = 5;
  Draw(89999, 1);
  EXPECT_EQ(RandSeed, 5u);
  for (int i = 0; i < WormCount; ++i)
    for (int n = 0; n < WormTrackPoints; ++n)
      EXPECT_TRUE(Carried.Worms.WormTracks[i][n].X == Start.WormTracks[i][n].X &&
                  Carried.Worms.WormTracks[i][n].Y == Start.WormTracks[i][n].Y);
}

// A caller replays the stretch from ResetWorms: the same frames from the same
// generator state lead to the same tracks and leave the same generator.
TEST_F(WormsTest, ReplayFromResetRepeatsTheStretch) {
  RecordedGL().Recording = false;
  TWormPoint Tracks[2][WormCount][WormTrackPoints];
  uint32_t SeedsLeft[2];
  for (int Run = 0; Run < 2; ++Run) {
    ResetWorms();
    RandSeed = 2024;
    for (uint32_t t = 73001; t <= 80000; t += 16) DrawWorms(t, 1);
    SeedsLeft[Run] = RandSeed;
    std::memcpy(Tracks[Run], Carried.Worms.WormTracks, sizeof(Carried.Worms.WormTracks));
  }
  RecordedGL().Recording = true;
  EXPECT_EQ(SeedsLeft[0], SeedsLeft[1]);
  EXPECT_EQ(std::memcmp(Tracks[0], Tracks[1], sizeof(Tracks[0])), 0);
  // Every worm has crawled on by then.
  for (int i = 0; i < WormCount; ++i)
    EXPECT_NE(std::memcmp(Tracks[0][i], Start.WormTracks[i], sizeof(Tracks[0][i])), 0) << i;
}

TEST(WormWaveTest, FastFormsEqualTheExtendedFormulasBitForBit) {
  const auto Same = [](Single a, Single b) { return std::memcmp(&a, &b, sizeof(Single)) == 0; };
  std::mt19937 Generator(11);
  // Weights across [0, 1], tiny ones included; positions over and well
  // beyond the view, where the angle grows large.
  std::uniform_real_distribution<float> Unit(0, 1), LogTiny(-12, 0), Position(-3000, 5000);
  size_t Mismatches = 0;
  for (int n = 0; n < 200000; ++n) {
    const Single Mu = n % 4 == 0 ? std::pow(10.0f, LogTiny(Generator)) : Unit(Generator);
    const Single Plain = static_cast<Single>((1 - std::cos(Extended(Mu) * Pi)) / 2);
    const Single y1 = Position(Generator), y2 = Position(Generator);
    Mismatches += !Same(EasedWeight(Mu), Plain);
    Mismatches += !Same(EasedBlend(y1, y2, EasedWeight(Mu)), CosineInterpolate(y1, y2, Mu));

    const Single v = n % 1000 == 0 ? static_cast<Single>(n / 1000) : Position(Generator);
    for (const auto &[Span, Periods, Depth, Cosine] :
         {std::tuple<Extended, Extended, Extended, bool>{1024, 11, 50, false},
          {768, 7, 70, true},
          {640, 11, 50, false},
          {480, 7, 70, true}}) {
      const Extended Angle = Extended(v) * 2 * Pi / Span * Periods;
      const Single Wave =
          static_cast<Single>(v + (Cosine ? std::cos(Angle) : std::sin(Angle)) * Depth);
      Mismatches += !Same(WavyPosition(v, Span, Periods, Depth, Cosine), Wave);
    }
  }
  EXPECT_EQ(Mismatches, 0u);
  // Weights off the ends, and not finite, take the written formula.
  for (Single Mu : {-0.5f, 1.5f, 2.0f, INFINITY, NAN}) {
    const Single Plain = static_cast<Single>((1 - std::cos(Extended(Mu) * Pi)) / 2);
    EXPECT_TRUE(Same(EasedWeight(Mu), Plain)) << Mu;
  }
}
