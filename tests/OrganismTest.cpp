// The organism scene: its seeded background waves and veil, the organism tree
// (order, placement, alphas, the calm and swell at the end), the shared ripple
// table against the direct formula, and the levels it reads from the music.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "SoundFixtures.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Organism.h"
#include "scenes/OrganismRipples.h"
#include "sound/DecodedTrack.h"
#include "sound/Fmod.h"

namespace {

// The outline radius evaluated directly at one point, term by term: what the
// shared table must reproduce bit for bit.
Single DirectRadius(int64_t t, Extended f, Single Size, Single Level) {
  const Extended a = Extended(t % 23000) / 23000;
  const Extended b = Extended(t % 16000) / 16000;
  const Extended c = Extended(t % 20000) / 20000;
  const Extended d = Extended(t % 12000) / 12000;
  const Extended Sum = std::sin((a + f) * 2 * Pi * 20) * Size * 0.1L +
                       std::cos((b - f) * 2 * Pi * 6) * Size * 0.22L +
                       std::cos((c + f) * 2 * Pi * 9) * Size * 0.18L +
                       std::sin((d - f) * 2 * Pi * 17) * Size * 0.07L;
  return static_cast<Single>(Size + Sum * Level);
}

bool SameBits(float x, float y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// The three primitives of one organism, in drawing order.
struct TOrganismShape {
  const TGLPrimitive *Outline;
  const TGLPrimitive *Spokes;
  const TGLPrimitive *Fill;
  double CentreX() const { return Fill->Vertices[0].X; }
  double CentreY() const { return Fill->Vertices[0].Y; }
};

class OrganismTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    ResetSoundSystem();
  }
  void TearDown() override {
    ResetSoundSystem();
    TSceneTest::TearDown();
  }

  // The whole scene at t with the music's levels Left and Right.
  const std::vector<TGLPrimitive> &DrawWindow(int64_t t, Single Left = 0, Single Right = 0) {
    ResetRecording();
    DrawOrganismWindow(t, Left, Right);
    return RecordedGL().Primitives;
  }

  // The organisms of the last drawing, skipping the waves and the veil.
  std::vector<TOrganismShape> Organisms() const {
    const auto &All = RecordedGL().Primitives;
    size_t First = 0;
    while (First < All.size() && All[First].Mode != GL_QUADS) ++First;
    First = First == All.size() ? 0 : First + 1;  // DrawOrganism alone draws no veil
    std::vector<TOrganismShape> Shapes;
    for (size_t i = First; i + 2 < All.size(); i += 3)
      Shapes.push_back({&All[i], &All[i + 1], &All[i + 2]});
    return Shapes;
  }

  // Distances of an organism's outline vertices from its centre.
  static std::pair<double, double> RadiusRange(const TOrganismShape &Shape) {
    double Low = 1e9, High = 0;
    for (const TGLVertex &V : Shape.Outline->Vertices) {
      const double R = std::hypot(V.X - Shape.CentreX(), V.Y - Shape.CentreY());
      Low = std::min(Low, R);
      High = std::max(High, R);
    }
    return {Low, High};
  }
};

}  // namespace

TEST_F(OrganismTest, BackgroundWavesAreTheSeededFigures) {
  struct {
    float S, D;
    double A;
    int32_t P;
    float M, O, F;
  } const Expected[] = {{62852, 4514, 0.886, 16905, 21, 26, 1.86f},
                        {62499, 4497, 0.831, 7388, 34, 78, 2.41f}};
  RandSeed = 9191;
  for (const auto &E : Expected) {
    const TBackgroundWave W = NextBackgroundWave(64000);
    EXPECT_EQ(W.Start, E.S);
    EXPECT_EQ(W.Duration, E.D);
    EXPECT_NEAR(static_cast<double>(W.Strength), E.A, 1e-12);
    EXPECT_EQ(W.Period, E.P);
    EXPECT_EQ(W.Amplitude, E.M);
    EXPECT_EQ(W.Offset, E.O);
    EXPECT_EQ(W.Frequency, E.F);
  }
}

TEST_F(OrganismTest, EveryFrameDrawsAllWaveValuesAndDrawsOnlyLiveWaves) {
  for (int64_t t : {60788, 64000, 70785, 75000, 78000}) {
    SCOPED_TRACE(t);
    const auto &Drawn = DrawWindow(t);
    // 280 draws from the seed, whatever is visible.
    const uint32_t SeedLeft = RandSeed;
    RandSeed = 9191;
    std::vector<TBackgroundWave> Waves;
    for (int i = 0; i < 40; ++i) Waves.push_back(NextBackgroundWave(t));
    EXPECT_EQ(SeedLeft, RandSeed);

    size_t Strips = 0;
    while (Strips < Drawn.size() && Drawn[Strips].Mode == GL_LINE_STRIP) ++Strips;
    ASSERT_LT(Strips, Drawn.size()) << "nothing drawn after the waves";
    size_t Live = 0;
    for (const TBackgroundWave &W : Waves) Live += (t > W.Start && t <= W.Start + W.Duration);
    EXPECT_EQ(Strips, Live);
    if (t >= 70786) {
      EXPECT_EQ(Strips, 0u);
    }
    EXPECT_EQ(Drawn[Strips].Mode, static_cast<GLenum>(GL_QUADS));
    EXPECT_EQ(Drawn.size(), Strips + 1 + 156 * 3);
  }
}

TEST_F(OrganismTest, FirstWaveStartsAfterItsStartAndEndsAtAlphaZero) {
  // Wave 0 (S = 62852, D = 4514): absent at S, present from S + 1 to S + D.
  // Its neighbours' bounds lie elsewhere, so the strip count moves by one.
  auto Strips = [&](int64_t t) {
    const auto &Drawn = DrawWindow(t);
    size_t n = 0;
    while (n < Drawn.size() && Drawn[n].Mode == GL_LINE_STRIP) ++n;
    EXPECT_LT(n, Drawn.size()) << "nothing drawn after the waves at " << t;
    return n;
  };
  EXPECT_EQ(Strips(62853), Strips(62852) + 1);
  EXPECT_EQ(Strips(67366), Strips(67367) + 1);

  // At S + D its alpha is back to 0; earlier, its shape follows its figures.
  const auto &AtEnd = DrawWindow(67366);
  EXPECT_EQ(AtEnd[0].Vertices[0].A, 0.0f);
  const int64_t t = 65000;
  const TGLPrimitive Wave0 = DrawWindow(t)[0];
  ASSERT_EQ(Wave0.Vertices.size(), 65u);
  EXPECT_NEAR(Wave0.Vertices[0].A, 0.886 * (1 - std::cos((t - 62852) / 4514.0 * 2 * M_PI)) * 0.5,
              1e-6);
  for (size_t i = 0; i <= 64; i += 16) {
    const double w = std::sin((t / 16905.0 + i / 64.0) * 1.86 * 2 * M_PI) * 21;
    EXPECT_NEAR(Wave0.Vertices[i].X, i / 64.0 * 1024, 1e-4);
    EXPECT_NEAR(Wave0.Vertices[i].Y, 384 + 26 - w, 1e-3) << "vertex " << i;
  }
}

TEST_F(OrganismTest, VeilDarkensOverTheFirstSecond) {
  const struct {
    int64_t t;
    float Alpha;
  } Cases[] = {{60788, 0.0007f}, {61287, 0.35f}, {61786, 0.6993f}, {61787, 0.7f}, {77000, 0.7f}};
  for (const auto &Case : Cases) {
    const auto &Drawn = DrawWindow(Case.t);
    size_t Veil = 0;
    while (Veil < Drawn.size() && Drawn[Veil].Mode != GL_QUADS) ++Veil;
    ASSERT_LT(Veil, Drawn.size()) << "no veil at " << Case.t;
    const TGLPrimitive &Quad = Drawn[Veil];
    EXPECT_FLOAT_EQ(Quad.Vertices[0].A, Case.Alpha) << Case.t;
    EXPECT_EQ(Quad.Vertices[0].R, 0.0f);
    const double Corners[4][2] = {{0, 0}, {1024, 0}, {1024, 768}, {0, 768}};
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(Quad.Vertices[i].X, Corners[i][0]);
      EXPECT_EQ(Quad.Vertices[i].Y, Corners[i][1]);
    }
  }
}

TEST_F(OrganismTest, TreeIsDrawnDepthFirstWithChildrenOnTheSpokeEnds) {
  DrawWindow(66000, 0.6f, 0.4f);
  const auto Shapes = Organisms();
  ASSERT_EQ(Shapes.size(), 156u);
  for (const TOrganismShape &S : Shapes) {
    EXPECT_EQ(S.Outline->Mode, static_cast<GLenum>(GL_LINE_STRIP));
    EXPECT_EQ(S.Outline->Vertices.size(), 201u);
    EXPECT_EQ(S.Spokes->Mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(S.Spokes->Vertices.size(), 10u);
    EXPECT_EQ(S.Fill->Mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
    ASSERT_EQ(S.Fill->Vertices.size(), 202u);
    // Closed outline; the fill runs over the same vertices.
    EXPECT_EQ(S.Outline->Vertices.front().X, S.Outline->Vertices.back().X);
    EXPECT_EQ(S.Outline->Vertices.front().Y, S.Outline->Vertices.back().Y);
    for (size_t i = 0; i < 201; ++i) EXPECT_EQ(S.Fill->Vertices[i + 1].X, S.Outline->Vertices[i].X);
  }

  // Depth first: root, child 0, grandchild 0, its five leaves, grandchild 1...
  // A child sits at its parent's spoke end, a quarter of the size lower.
  const struct {
    size_t Parent, Child, Spoke;
    double Size;
  } Links[] = {{0, 1, 0, 204.8}, {1, 2, 0, 51.2},   {2, 3, 0, 12.8},    {2, 7, 4, 12.8},
               {1, 8, 1, 51.2},  {0, 32, 1, 204.8}, {0, 125, 4, 204.8}, {125, 150, 4, 51.2}};
  for (const auto &L : Links) {
    SCOPED_TRACE(L.Child);
    const TGLVertex &End = Shapes[L.Parent].Spokes->Vertices[2 * L.Spoke + 1];
    EXPECT_NEAR(Shapes[L.Child].CentreX(), End.X, 1e-3);
    EXPECT_NEAR(Shapes[L.Child].CentreY(), End.Y + L.Size * 0.25, 1e-3);
  }
  EXPECT_EQ(Shapes[0].CentreX(), 512);
  EXPECT_EQ(Shapes[0].CentreY(), 384);
}

TEST_F(OrganismTest, DepthDecidesWhetherChildrenAreDrawn) {
  const struct {
    uint32_t Depth;
    size_t Primitives;
  } Cases[] = {{0, 156 * 3}, {1, 31 * 3}, {2, 6 * 3}, {3, 3}};
  for (const auto &Case : Cases) {
    ResetRecording();
    DrawOrganism(66000, Case.Depth, 0.5f, 0.5f, 0.25f, 300, 300, 100);
    EXPECT_EQ(RecordedGL().Primitives.size(), Case.Primitives) << Case.Depth;
  }
}

TEST_F(OrganismTest, SilenceDrawsCirclesAndEvenSpokes) {
  for (int64_t t : {61000, 66000, 69999, 75000}) {
    SCOPED_TRACE(t);
    DrawWindow(t);
    for (const TOrganismShape &S : Organisms()) {
      const double Size =
          std::hypot(S.Spokes->Vertices[0].X - S.CentreX(), S.Spokes->Vertices[0].Y - S.CentreY());
      const auto Range = RadiusRange(S);
      EXPECT_NEAR(Range.first, Size, 1e-4 * Size + 1e-4);
      EXPECT_NEAR(Range.second, Size, 1e-4 * Size + 1e-4);
      for (size_t k = 0; k < 5; ++k) {
        const TGLVertex &Outer = S.Spokes->Vertices[2 * k + 1];
        EXPECT_NEAR(std::hypot(Outer.X - S.CentreX(), Outer.Y - S.CentreY()), 1.6 * Size,
                    1e-4 * Size + 1e-4);
      }
    }
  }
}

TEST_F(OrganismTest, SpokesTurnWithThePhaseAndChildrenTurnTheOtherWay) {
  // At 66000 the phase is 0: the root's spokes point at k x 72 degrees; its
  // children get phase 1 and start one spoke further on.
  DrawWindow(66000, 0.5f, 0.5f);
  const auto Shapes = Organisms();
  auto Angle = [](const TOrganismShape &S, size_t k) {
    const TGLVertex &Outer = S.Spokes->Vertices[2 * k + 1];
    double Degrees = std::atan2(Outer.Y - S.CentreY(), Outer.X - S.CentreX()) * 180 / M_PI;
    return Degrees < -1e-3 ? Degrees + 360 : Degrees;
  };
  for (size_t k = 0; k < 5; ++k) {
    EXPECT_NEAR(Angle(Shapes[0], k), k * 72.0, 1e-3) << k;
    EXPECT_NEAR(Angle(Shapes[1], k), std::fmod((k + 1) * 72.0, 360), 1e-3) << k;
  }
  // Half a period later the root has turned by half a spoke.
  DrawWindow(67000, 0.5f, 0.5f);
  EXPECT_NEAR(Angle(Organisms()[0], 0), 36.0, 1e-3);
}

TEST_F(OrganismTest, LineAndFillAlphas) {
  const struct {
    int64_t t;
    float Line, Fill;
  } Cases[] = {{60788, 0.0f, 0.0f}, {63287, 0.5f, 0.0f}, {65787, 1.0f, 0.0f}, {65788, 1.0f, 0.0f},
               {67999, 1.0f, 0.0f}, {68000, 1.0f, 0.0f}, {73000, 1.0f, 0.5f}, {78000, 1.0f, 1.0f}};
  for (const auto &Case : Cases) {
    DrawWindow(Case.t);
    for (const TOrganismShape &S : Organisms()) {
      EXPECT_NEAR(S.Outline->Vertices[0].A, Case.Line, 1e-6) << Case.t;
      EXPECT_EQ(S.Spokes->Vertices[0].A, S.Outline->Vertices[0].A);
      EXPECT_NEAR(S.Fill->Vertices[0].A, Case.Fill, 1e-6) << Case.t;
      EXPECT_EQ(S.Fill->Vertices[0].R, 1.0f);
    }
  }
}

TEST_F(OrganismTest, TopOrganismCalmsAndSwellsWhileItsChildrenRipple) {
  const struct {
    int64_t t;
    double RootSize;
    bool RootRipples;
  } Cases[] = {{70000, 204.8, true}, {74000, 204.8 + 256, true}, {78000, 716.8, false}};
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.t);
    DrawWindow(Case.t, 0.8f, 0.6f);
    const auto Shapes = Organisms();
    const auto Root = RadiusRange(Shapes[0]);
    EXPECT_EQ(Root.second - Root.first > 1, Case.RootRipples);
    if (!Case.RootRipples) {
      EXPECT_NEAR(Root.first, Case.RootSize, 1e-3);
    }
    // The children are a quarter of the enlarged size and keep rippling with
    // the full level.
    const auto Child = RadiusRange(Shapes[1]);
    EXPECT_GT(Child.second - Child.first, 0.2 * Case.RootSize * 0.25);
    const TGLVertex &End = Shapes[0].Spokes->Vertices[1];
    EXPECT_NEAR(Shapes[1].CentreY() - End.Y, Case.RootSize * 0.25, 1e-3);
  }
}

TEST_F(OrganismTest, SharedRipplesEqualTheDirectFormulaBitForBit) {
  const Single Sizes[] = {204.8f, 716.8f, 51.2f, 12.8f, 3.2f, 333.3f};
  const Single Levels[] = {0, 0.05f, 0.25f, 0.35f, 0.5f};
  for (int64_t t = 60788; t <= 78000; t += 613) {
    TOutlineRipples Outline;
    ComputeOutlineRipples(RipplePhasesAt(t), Outline);
    TSpokeRipples Spokes;
    const Single Phase = static_cast<Single>((t % 2000) / 2000.0L);
    ComputeSpokeRipples(RipplePhasesAt(t), Phase, Spokes);
    for (Single Size : Sizes) {
      for (Single Level : Levels) {
        for (int i = 0; i <= OutlineSteps; ++i) {
          const Single Direct = DirectRadius(t, Extended(i) / 200, Size, Level);
          ASSERT_TRUE(SameBits(RadiusAt(Outline[size_t(i)], Size, Level), Direct))
              << "t " << t << " i " << i << " size " << Size << " level " << Level;
        }
        for (int k = 0; k < 5; ++k) {
          const Single Direct = DirectRadius(t, Extended(Phase) / 5 + Extended(k) / 5, Size, Level);
          ASSERT_TRUE(SameBits(RadiusAt(Spokes[size_t(k)], Size, Level), Direct))
              << "t " << t << " spoke " << k;
        }
      }
    }
  }
}

TEST_F(OrganismTest, DrawnOutlineMatchesTheDirectFormula) {
  // Every organism of a frame, including the swollen top one, against the
  // radius computed directly at each outline point.
  const Single Level = static_cast<Single>((Extended(0.7f) + 0.3f) / 2 * 0.5L);
  for (int64_t t : {66123, 74321}) {
    DrawWindow(t, 0.7f, 0.3f);
    const auto Shapes = Organisms();
    const Single mu = t > 70000 ? static_cast<Single>((t - 70000) / 8000.0L) : Single(0);
    const Single RootLevel = t > 70000 ? LinearInterpolate(Level, 0, mu) : Level;
    const Single RootSize =
        t > 70000 ? static_cast<Single>(Extended(204.8f) + CosineInterpolate(0, 512, mu)) : 204.8f;
    const struct {
      size_t Index;
      Single Size, Level;
    } Cases[] = {{0, RootSize, RootLevel}, {1, static_cast<Single>(RootSize * 0.25L), Level}};
    for (const auto &Case : Cases) {
      const TOrganismShape &S = Shapes[Case.Index];
      const Single cx = static_cast<Single>(S.CentreX()), cy = static_cast<Single>(S.CentreY());
      for (int i = 0; i <= OutlineSteps; ++i) {
        const Extended f = Extended(i) / 200;
        const Single R = DirectRadius(t, f, Case.Size, Case.Level);
        const Single x = cx + static_cast<Single>(std::cos(f * 2 * Pi) * R);
        const Single y = cy + static_cast<Single>(std::sin(f * 2 * Pi) * R);
        ASSERT_EQ(S.Outline->Vertices[size_t(i)].X, x)
            << "t " << t << " organism " << Case.Index << " i " << i;
        ASSERT_EQ(S.Outline->Vertices[size_t(i)].Y, y)
            << "t " << t << " organism " << Case.Index << " i " << i;
      }
    }
  }
}

TEST_F(OrganismTest, OutlineFollowsTheBundledMusic) {
  // The levels a viewer hears at 66020 ms (a beat) against silence.
  TDecodedTrack Music;
  ASSERT_EQ(Music.Load(QUILLMOOR_BUNDLED_MUSIC, 44100, 67000), TMp3OpenResult::Ok);
  float Left = 0, Right = 0;
  Music.LevelsAt(66020, Left, Right);
  ASSERT_GT(Left + Right, 0.5f);

  DrawWindow(66020, Left, Right);
  const auto WithMusic = Organisms();
  std::vector<std::pair<double, double>> Ripples;
  for (const TOrganismShape &S : WithMusic) Ripples.push_back(RadiusRange(S));
  DrawWindow(66020);
  const auto Silent = Organisms();
  for (size_t i = 0; i < Silent.size(); ++i) {
    const auto Still = RadiusRange(Silent[i]);
    EXPECT_LT(Still.second - Still.first, 1e-3 * Still.first + 1e-4) << i;
    EXPECT_GT(Ripples[i].second - Ripples[i].first, 0.1 * Still.first) << i;
  }
}

TEST_F(OrganismTest, ThePlayingLevelsMakeTheOutlineRipple) {
  // A 1 kHz tone at half scale through the sound layer on the dummy device:
  // once it is audible the levels query the runner makes for a frame sees it
  // and the outline drawn with them ripples.
  TScratchFolder Folder;
  TToneOptions Tone;
  Tone.Rate = 44100;
  Tone.Seconds = 3.0;
  Tone.Frequency = 1000.0;
  Tone.Amplitude = 0.5f;
  const std::string Music = Folder.Write("music.mp3", ToneMp3(Tone));
  // Plays into nothing whatever device the machine has (or lacks).
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  const FSOUND_HANDLE Stream = FSOUND_Stream_Open(Music.c_str(), 304, 0, 0);
  ASSERT_NE(Stream, 0u);
  ASSERT_TRUE(FSOUND_Stream_Play(-1, Stream));
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (FSOUND_Stream_GetTime(Stream) < 200 && std::chrono::steady_clock::now() < Deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GE(FSOUND_Stream_GetTime(Stream), 200) << "the tone never became audible";

  float Left = 0, Right = 0;
  ASSERT_TRUE(FSOUND_GetCurrentLevels(0, &Left, &Right));
  EXPECT_NEAR(Left, 0.5f, 0.05f);
  EXPECT_NEAR(Right, 0.5f, 0.05f);
  DrawWindow(66000, Left, Right);
  const auto Root = RadiusRange(Organisms()[0]);
  EXPECT_GT(Root.second - Root.first, 10);
}
