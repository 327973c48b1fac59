// The timeline through the recording GL: which windows draw at the boundary milliseconds and in
// which order, the arguments they hand to the effects, the background, the fades, the vignette
// and the random seed each effect starts from.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/CarriedState.h"
#include "scenes/Timeline.h"

namespace {
constexpr GLuint TestBranchList = 7;
constexpr GLuint TestVignette = 5;

// Each watched effect leaves a marker call in the GL trace: its name, the seed it was called
// with, then its arguments. So effect calls and the timeline's own drawing share one order.
TTimelineEffects WatchedEffects() {
  TTimelineEffects e;
  e.DrawOpening = [](int64_t t) {
    RecordedGL().Record("DrawOpening", {double(RandSeed), double(t)});
  };
  e.DrawWaveStrands = [](int64_t t) {
    RecordedGL().Record("DrawWaveStrands", {double(RandSeed), double(t)});
  };
  e.DrawAttractorWindow = [](int64_t t) {
    RecordedGL().Record("DrawAttractorWindow", {double(RandSeed), double(t)});
  };
  e.DrawBranches = [](Single x, Single y, Single length, Single full, Single curl) {
    RecordedGL().Record("DrawBranches", {double(RandSeed), x, y, length, full, curl});
  };
  e.DrawBlobField = [](int64_t t, Single alpha, Single wipe) {
    RecordedGL().Record("DrawBlobField", {double(RandSeed), alpha, wipe, double(t)});
  };
  e.DrawDiscStamps = [](int64_t t) {
    RecordedGL().Record("DrawDiscStamps", {double(RandSeed), double(t)});
  };
  e.DrawOrganismWindow = [](int64_t t, Single left, Single right) {
    RecordedGL().Record("DrawOrganismWindow", {double(RandSeed), double(t), left, right});
  };
  e.DrawWorms = [](uint32_t time, Single fade) {
    RecordedGL().Record("DrawWorms", {double(RandSeed), double(time), fade});
  };
  e.DrawMosaicFade = [](Single p) { RecordedGL().Record("DrawMosaicFade", {double(RandSeed), p}); };
  e.DrawFinale = [](Single p) { RecordedGL().Record("DrawFinale", {double(RandSeed), p}); };
  return e;
}

class TimelineTest : public TSceneTest {
protected:
  void SetUp() override {
    TSceneTest::SetUp();
    SavedBranchList = Carried.Lists.Branches;
    Carried.Lists.Branches = TestBranchList;
    SavedVignette = VignetteTex.TexId;
    VignetteTex.TexId = TestVignette;
  }
  void TearDown() override {
    VignetteTex.TexId = SavedVignette;
    Carried.Lists.Branches = SavedBranchList;
    TSceneTest::TearDown();
  }

  // The frame at t through Effects (the watched ones unless given), with the levels of a loud
  // beat.
  void DrawAt(int64_t t) { DrawScene(TFrameInputs{t, 0.75f, 0.25f}, Effects); }

  TTimelineEffects Effects = WatchedEffects();

  // The frame as a list of what was drawn: effect markers, the branch list, and the
  // timeline's own quads (the untextured black fade or the textured vignette).
  static std::vector<std::string> Drawn() {
    std::vector<std::string> drawn;
    size_t primitive = 0;
    for (const TGLCall &call : RecordedGL().Calls) {
      const std::string name = call.Name;
      if (name.rfind("Draw", 0) == 0) {
        drawn.push_back(name);
      } else if (call.Is("glCallList")) {
        drawn.push_back(call.Arg(0) == TestBranchList ? "BranchList" : "glCallList");
      } else if (call.Is("glBegin")) {
        drawn.push_back(RecordedGL().Primitives.at(primitive++).Textured ? "Vignette"
                                                                         : "BlackFade");
      }
    }
    return drawn;
  }

  static TGLCall Only(const char *Name) {
    const auto calls = RecordedGL().CallsNamed(Name);
    EXPECT_EQ(calls.size(), 1u) << Name;
    return calls.empty() ? TGLCall() : calls[0];
  }

  // The alpha of the black fade quad (the one untextured primitive of a frame).
  static float FadeAlpha() {
    for (const TGLPrimitive &p : RecordedGL().Primitives)
      if (!p.Textured) return p.Vertices.at(0).A;
    ADD_FAILURE() << "no fade quad";
    return -1;
  }

  uint32_t SavedBranchList = 0;
  uint32_t SavedVignette = 0;
};

struct TWindowCase {
  int64_t t;
  std::vector<std::string> drawn;
};

TEST_F(TimelineTest, WindowsDrawInTheirOrderAtTheBoundaries) {
  const std::string O = "DrawOpening", S = "DrawWaveStrands", A = "DrawAttractorWindow",
                    L = "BranchList", B = "DrawBranches", F = "DrawBlobField", K = "BlackFade",
                    D = "DrawDiscStamps", G = "DrawOrganismWindow", W = "DrawWorms",
                    M = "DrawMosaicFade", Z = "DrawFinale", V = "Vignette";
  const TWindowCase cases[] = {
      {0, {O, V}},
      {20000, {O, V}},
      {20001, {O, A, V}},
      {22147, {O, A, V}},
      {22148, {S, A, V}},
      {28561, {S, A, V}},
      {28562, {S, A, F, V}},
      {30561, {S, A, F, V}},
      {30562, {F, V}},
      {49688, {F, V}},
      {49689, {L, F, V}},
      {51688, {L, F, V}},
      {51689, {B, V}},
      {59096, {B, V}},
      {59097, {B, K, V}},
      {59098, {B, K, D, V}},
      {60787, {B, K, D, V}},
      {60788, {B, K, D, G, V}},
      {63095, {B, K, D, G, V}},
      {63096, {B, K, D, G, V}},
      {63097, {D, G, V}},
      {64999, {D, G, V}},
      {65000, {G, V}},
      {73001, {G, W, V}},
      {77999, {G, W, V}},
      {78000, {G, W, V}},
      {78001, {W, V}},
      {87001, {W, M, V}},
      {89000, {W, M, V}},
      {89001, {W, M, K, V}},
      {90000, {W, M, K, V}},
      {90001, {Z, V}},
      {110000, {Z, V}},
      {110001, {Z, V}},
  };
  for (const TWindowCase &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    EXPECT_EQ(Drawn(), c.drawn);
    EXPECT_TRUE(RecordedGL().Calls.back().Is("glFlush"));
    EXPECT_EQ(RecordedGL().Enabled.count(GL_TEXTURE_2D), 0u);
  }
}

// Every scene draws at the frame's time, and the organism with the frame's levels: nothing reads a
// clock of its own.
TEST_F(TimelineTest, ScenesGetTheFramesTimeAndTheOrganismItsLevels) {
  const struct {
    int64_t t;
    const char *Scene;
    size_t TimeArg;
  } cases[] = {{21000, "DrawOpening", 1},     {21000, "DrawAttractorWindow", 1},
               {25000, "DrawWaveStrands", 1}, {40000, "DrawBlobField", 3},
               {62000, "DrawDiscStamps", 1},  {62000, "DrawOrganismWindow", 1},
               {80000, "DrawWorms", 1}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.Scene) + " at " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    EXPECT_EQ(Only(c.Scene).Arg(c.TimeArg), c.t);
  }
  ResetRecording();
  DrawAt(70000);
  EXPECT_EQ(Only("DrawOrganismWindow").Arg(2), 0.75f);
  EXPECT_EQ(Only("DrawOrganismWindow").Arg(3), 0.25f);
}

TEST_F(TimelineTest, BackgroundIsBlackFrom63096UntilTheWhiteOf78000) {
  const struct {
    int64_t t;
    float background;
  } cases[] = {{0, 1}, {63095, 1}, {63096, 0}, {77999, 0}, {78000, 1}, {100000, 1}};
  // Start from the opposite colour: the frame must not inherit its background.
  for (const auto &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    glClearColor(1 - c.background, 1 - c.background, 1 - c.background, 0.5f);
    RecordedGL().Calls.clear();
    DrawAt(c.t);
    const auto &calls = RecordedGL().Calls;
    ASSERT_GE(calls.size(), 4u);
    // Clear, identity, then the second clear with this frame's colour.
    EXPECT_TRUE(calls[0].Is("glClear"));
    EXPECT_EQ(calls[0].Arg(0), GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_TRUE(calls[1].Is("glLoadIdentity"));
    const auto clears = RecordedGL().CallsNamed("glClear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[1].Arg(0), GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const float expected[] = {c.background, c.background, c.background, 0.5f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(RecordedGL().ClearColor[i], expected[i]);
  }
}

TEST_F(TimelineTest, BlobFieldAlphaAndWipeFollowTheirRamps) {
  const struct {
    int64_t t;
    float alpha, wipe;
  } cases[] = {
      {28562, 0.0005f, 0},
      {30560, 0.9995f, 0},
      {30561, 1, 0},
      {46688, 1, 0},
      {46689, 1, 0.0002f},
      {49688, 1, 0.6f},
      {49689, 0.9995f, 0.6002f},
      {51688, 0, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    const TGLCall call = Only("DrawBlobField");
    EXPECT_FLOAT_EQ(call.Arg(1), c.alpha);
    EXPECT_FLOAT_EQ(call.Arg(2), c.wipe);
  }
}

TEST_F(TimelineTest, BranchesUnrollToFourTimesTheirCurlAndHoldItUnderTheFade) {
  const struct {
    int64_t t;
    double curl, tolerance;
  } cases[] = {
      {51689, 76.8, 1e-3},     // where the start-up list left the tree: 0.1 H
      {55392, 140.849, 1e-3},  // half way in time, eased: the ramp starts slowly
      {59096, 307.2, 0},       // 0.4 H exactly at the end of the ramp
      {59097, 307.2, 0},       // and held there while the fade closes
      {63096, 307.2, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    RandSeed = 1;
    DrawAt(c.t);
    const TGLCall call = Only("DrawBranches");
    EXPECT_EQ(call.Arg(0), 8181);  // the tree's layout seed
    EXPECT_EQ(call.Arg(1), 0);
    EXPECT_EQ(call.Arg(2), 614.4f);  // 0.8 H
    EXPECT_EQ(call.Arg(3), 499.2f);  // 0.65 H, the length and the full length
    EXPECT_EQ(call.Arg(4), 499.2f);
    if (c.tolerance == 0) {
      EXPECT_EQ(call.Arg(5), 307.2f);
    } else {
      EXPECT_NEAR(call.Arg(5), c.curl, c.tolerance);
    }
  }
}

TEST_F(TimelineTest, BlackFadesRiseFromClearToOpaqueOverTheWholeView) {
  const struct {
    int64_t t;
    float alpha, tolerance;
  } cases[] = {
      {59097, 0, 1e-6f}, {61096, 0.5f, 1e-6f}, {63096, 1, 0},
      {89001, 0, 1e-5f}, {89500, 0.5f, 1e-6f}, {90000, 1, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    EXPECT_NEAR(FadeAlpha(), c.alpha, c.tolerance);
    for (const TGLPrimitive &p : RecordedGL().Primitives) {
      if (p.Textured) continue;
      EXPECT_EQ(p.Mode, static_cast<GLenum>(GL_QUADS));
      ASSERT_EQ(p.Vertices.size(), 4u);
      const double corners[4][2] = {{0, 0}, {1024, 0}, {1024, 768}, {0, 768}};
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.Vertices[i].X, corners[i][0]);
        EXPECT_EQ(p.Vertices[i].Y, corners[i][1]);
        EXPECT_EQ(p.Vertices[i].R, 0);
      }
    }
  }
  // The first fade's quad is already there, nearly clear, at 59097.
  ResetRecording();
  DrawAt(59097);
  EXPECT_GT(FadeAlpha(), 0);
}

TEST_F(TimelineTest, WormsMosaicAndFinaleGetTheirTimesAndProgress) {
  ResetRecording();
  DrawAt(73001);
  EXPECT_EQ(Only("DrawWorms").Arg(1), 73001);
  EXPECT_FLOAT_EQ(Only("DrawWorms").Arg(2), 0.0001f);

  const struct {
    int64_t t;
    float fade, mosaic;
  } worms[] = {{82999, 0.9999f, -1}, {83000, 1, -1}, {87001, 1, 1.0f / 3000}, {90000, 1, 1}};
  for (const auto &c : worms) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    EXPECT_EQ(Only("DrawWorms").Arg(1), c.t);
    EXPECT_FLOAT_EQ(Only("DrawWorms").Arg(2), c.fade);
    if (c.mosaic >= 0) {
      EXPECT_FLOAT_EQ(Only("DrawMosaicFade").Arg(1), c.mosaic);
    }
  }

  const struct {
    int64_t t;
    float progress;
  } finale[] = {{90001, 0.00005f}, {100000, 0.5f}, {110000, 1}, {110001, 1}, {200000, 1}};
  for (const auto &c : finale) {
    SCOPED_TRACE("t = " + std::to_string(c.t));
    ResetRecording();
    DrawAt(c.t);
    EXPECT_FLOAT_EQ(Only("DrawFinale").Arg(1), c.progress);
  }
}

TEST_F(TimelineTest, VignetteClosesEveryFrameOverTheWholeView) {
  DrawAt(40000);
  const TGLPrimitive &vignette = RecordedGL().Primitives.back();
  EXPECT_EQ(vignette.Mode, static_cast<GLenum>(GL_QUADS));
  EXPECT_TRUE(vignette.Textured);
  EXPECT_EQ(vignette.Texture, TestVignette);
  ASSERT_EQ(vignette.Vertices.size(), 4u);
  const float corners[4][4] = {{0, 0, 0, 0}, {1, 0, 1024, 0}, {1, 1, 1024, 768}, {0, 1, 0, 768}};
  for (int i = 0; i < 4; ++i) {
    const TGLVertex &v = vignette.Vertices[i];
    EXPECT_EQ(v.S, corners[i][0]);
    EXPECT_EQ(v.T, corners[i][1]);
    EXPECT_EQ(v.X, corners[i][2]);
    EXPECT_EQ(v.Y, corners[i][3]);
    EXPECT_EQ(v.R + v.G + v.B, 0);
    EXPECT_EQ(v.A, 1);
  }
}

// The blob field does not reseed: it continues from whatever ran before it in the frame.
TEST_F(TimelineTest, BlobFieldStartsFromTheSeedTheEarlierWindowsLeave) {
  // Alone on screen, it continues from the previous frame's seed.
  RandSeed = 4242;
  DrawAt(40000);
  EXPECT_EQ(Only("DrawBlobField").Arg(0), 4242);

  // Over the branch list it sees the tree's seed: playing a list draws no random values.
  ResetRecording();
  RandSeed = 4242;
  DrawAt(50000);
  EXPECT_EQ(Only("DrawBlobField").Arg(0), 8181);

  // Over the strands it sees the seed 8181 advanced by the strands' 1055 draws: the attractor
  // drawn between them leaves the generator alone.
  RandSeed = 8181;
  for (int i = 0; i < 1055; ++i) Random(1);
  const uint32_t afterStrands = RandSeed;
  Effects.DrawWaveStrands = ::DrawWaveStrands;
  Effects.DrawAttractorWindow = ::DrawAttractorWindow;
  for (const int64_t t : {28562, 30561}) {
    SCOPED_TRACE("t = " + std::to_string(t));
    ResetRecording();
    RandSeed = 4242;
    DrawAt(t);
    EXPECT_EQ(Only("DrawBlobField").Arg(0), afterStrands);
  }
}
}  // namespace
