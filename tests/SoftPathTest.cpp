// The software-renderer paths' own parts: choosing the path, the tree's
// strips against DrawBranches, and the smoothed-line rasteriser on small
// pictures whose pixels can be worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMTypes.h"
#include "platform/RendererKind.h"
#include "scenes/Attractor.h"
#include "scenes/Branches.h"
#include "scenes/SoftAttractor.h"
#include "scenes/SoftLines.h"
#include "scenes/SoftTree.h"

TEST(RenderPathChoice, SoftwareOnlyForProcessorRasterisersUnlessForced) {
  struct Case {
    const char *Renderer, *Forced;
    TRenderPath Path;
  };
  const Case Cases[] = {
      {"llvmpipe (LLVM 15.0.6, 256 bits)", nullptr, TRenderPath::Software},
      {"softpipe", nullptr, TRenderPath::Software},
      {"Mesa X11 Software Rasterizer", nullptr, TRenderPath::Software},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", nullptr, TRenderPath::Hardware},
      {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", nullptr, TRenderPath::Hardware},
      {nullptr, nullptr, TRenderPath::Hardware},
      {"llvmpipe (LLVM 15.0.6, 256 bits)", "hardware", TRenderPath::Hardware},
      {"NVIDIA GeForce GTX 1060/PCIe/SSE2", "software", TRenderPath::Software},
      {nullptr, "software", TRenderPath::Software},
      {"llvmpipe", "fast", TRenderPath::Software},  // an unknown word forces nothing
      {"NVIDIA GeForce GTX 1060/PCIe/SSE2", "", TRenderPath::Hardware},
  };
  for (const Case &c : Cases)
    EXPECT_EQ(ChooseRenderPath(c.Renderer, c.Forced), c.Path)
        << (c.Renderer ? c.Renderer : "(none)") << " / " << (c.Forced ? c.Forced : "(none)");
}

TEST(RenderPathChoice, RecordingGlTakesThePlainPath) {
  const TRenderPath Before = RenderPath();
  DecideRenderPath();  // the recording GL names no real driver
  if (!std::getenv(RenderPathVariable)) {
    EXPECT_EQ(RenderPath(), TRenderPath::Hardware);
  }
  SetRenderPath(Before);
}

namespace {
class SoftTreeTest : public TSceneTest {};
}  // namespace

TEST_F(SoftTreeTest, StripsAreTheArcsDrawBranchesDraws) {
  // A tree of five depths at a radius where arcs wrap, and the full tree of
  // a 768-pixel view at the start-up list's radius.
  struct Case {
    Single Length, CurlRadius;
  };
  for (const Case &c : {Case{24, 3.5f}, Case{499.2f, 76.8f}}) {
    ResetRecording();
    RandSeed = 8181;
    DrawBranches(0, 614.4f, c.Length, c.Length, c.CurlRadius);
    const uint32_t SeedAfterGl = RandSeed;
    TStrips Strips;
    RandSeed = 8181;
    CollectBranches(Strips, 0, 614.4f, c.Length, c.Length, c.CurlRadius);
    EXPECT_EQ(RandSeed, SeedAfterGl) << "length " << c.Length;
    const auto &Arcs = RecordedGL().Primitives;
    ASSERT_EQ(Strips.Strips.size(), Arcs.size()) << "length " << c.Length;
    size_t Mismatches = 0;
    for (size_t a = 0; a < Arcs.size(); ++a) {
      const TStrips::TStrip &Strip = Strips.Strips[a];
      ASSERT_EQ(Strip.Count, Arcs[a].Vertices.size());
      if (Strip.Alpha != Arcs[a].Vertices[0].A || Strip.Grey != 0) ++Mismatches;
      for (uint32_t i = 0; i < Strip.Count; ++i) {
        const TGLVertex &V = Arcs[a].Vertices[i];
        if (Strips.X[Strip.First + i] != float(V.X) || Strips.Y[Strip.First + i] != float(V.Y))
          ++Mismatches;
      }
    }
    EXPECT_EQ(Mismatches, 0u) << "length " << c.Length;
  }
}

TEST_F(SoftTreeTest, AttractorPointsAreTheListsVertices) {
  BuildAttractorList();
  const TGLPrimitive &Strip = RecordedGL().Lists[AttractorList].Primitives.at(0);
  const std::vector<TAttractorPoint> &Points = AttractorPoints();
  ASSERT_EQ(Points.size(), Strip.Vertices.size());
  size_t Mismatches = 0;
  for (size_t i = 0; i < Points.size(); ++i) {
    const TGLVertex &V = Strip.Vertices[i];
    if (Points[i].X != float(V.X) || Points[i].Y != float(V.Y) || Points[i].Z != float(V.Z))
      ++Mismatches;
  }
  EXPECT_EQ(Mismatches, 0u);
}

namespace {
TGreyCanvas DrawOn(const TStrips &Strips, int Threads, uint8_t Background = 255) {
  TGreyCanvas Canvas;
  Canvas.Reset(40, 40, Background);
  DrawSmoothStrips(Canvas, Strips, 2.1f, Threads);
  return Canvas;
}
}  // namespace

TEST(SoftLines, HorizontalLineCoverageAcrossAndAtItsEnds) {
  // A black line along the centres of row 10 from x = 10.5 to 20.5. Across:
  // the half width is 1.55, so row 10 is covered fully, rows 9 and 11 by 0.55
  // (255 x 0.45 = 115 left), rows 8 and 12 not at all. Along: 5.5 from the
  // middle x = 15.5, so the cover is min(1, 5.5 - |x - 15.5|): whole inside,
  // half on the end points' pixels (255 x 0.5 rounds to 128, leaving 127),
  // none beyond.
  TStrips Strips;
  Strips.Begin(1);
  Strips.Add(10.5f, 10.5f);
  Strips.Add(20.5f, 10.5f);
  const TGreyCanvas Canvas = DrawOn(Strips, 1);
  struct Case {
    int X, Y, Grey;
  };
  const Case Cases[] = {{15, 10, 0},   {15, 9, 115}, {15, 11, 115}, {15, 8, 255},
                        {15, 12, 255}, {19, 10, 0},  {20, 10, 127}, {21, 10, 255},
                        {10, 10, 127}, {9, 10, 255}, {20, 9, 185},  {15, 30, 255}};
  for (const Case &c : Cases) EXPECT_EQ(Canvas.At(c.X, c.Y), c.Grey) << c.X << ", " << c.Y;
}

TEST(SoftLines, OverlapsBlendInOrderAndGreyLinesLighten) {
  // Two half-opaque black lines over one another (alpha 0.5 is 128 of 255):
  // 255 -> 127 -> 63 at the
  // centre row; a white line at 0.5 over black gives 128.
  TStrips Black;
  for (int k = 0; k < 2; ++k) {
    Black.Begin(0.5f);
    Black.Add(5.5f, 20.5f);
    Black.Add(30.5f, 20.5f);
  }
  EXPECT_EQ(DrawOn(Black, 1).At(15, 20), 63);
  TStrips White;
  White.Begin(0.5f, 255);
  White.Add(5.5f, 20.5f);
  White.Add(30.5f, 20.5f);
  EXPECT_EQ(DrawOn(White, 1, 0).At(15, 20), 128);
}

TEST(SoftLines, ThreadCountDoesNotChangeThePicture) {
  // A fan of faint diagonal strips crossing every band and the edges.
  TStrips Strips;
  for (int k = 0; k < 30; ++k) {
    Strips.Begin(0.05f + 0.03f * k);
    for (int i = 0; i < 12; ++i)
      Strips.Add(-3 + 4.1f * i, 2 + k * 1.3f + 3 * std::sin(float(i + k)));
  }
  const TGreyCanvas One = DrawOn(Strips, 1);
  EXPECT_EQ(DrawOn(Strips, 2).Pixels, One.Pixels);
  EXPECT_EQ(DrawOn(Strips, 3).Pixels, One.Pixels);
  EXPECT_NE(One.Pixels, DrawOn(TStrips(), 1).Pixels);

  // A point, a segment reaching far beyond any view and one that is not a
  // number draw nothing (and must not upset the bounds).
  Strips.Begin(1);
  Strips.Add(7, 7);
  Strips.Add(7, 7);
  Strips.Add(1e30f, -1e30f);
  Strips.Add(std::nanf(""), 3);
  Strips.Add(9, 9);
  EXPECT_EQ(DrawOn(Strips, 2).Pixels, One.Pixels);
}
