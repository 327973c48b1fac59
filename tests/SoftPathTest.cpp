// The software-renderer paths' own parts: choosing the path, the tree's
// strips against DrawBranches, and the smoothed-line rasteriser on small
// pictures whose pixels can be worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMTypes.h"
#include "platform/RendererKind.h"
#include "scenes/Attractor.h"
#include "scenes/Branches.h"
#include "scenes/CarriedState.h"
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
    // A value that names no path is said and left out.
    setenv(RenderPathVariable, "sofware", 1);
    testing::internal::CaptureStderr();
    DecideRenderPath();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("QUILLMOOR_RENDER_PATH=sofware"),
              std::string::npos);
    EXPECT_EQ(RenderPath(), TRenderPath::Hardware);
    unsetenv(RenderPathVariable);
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
  const TGLPrimitive &Strip = RecordedGL().Lists[Carried.Lists.Attractor].Primitives.at(0);
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

namespace {
// The rasteriser's rule worked out at every pixel for every segment, with
// none of its short cuts (bounds, row spans, bands, skipped faint segments,
// four columns at a time): the same single-precision steps, so the same bytes.
TGreyCanvas DrawEveryPixel(const TStrips &Strips, float LineWidth, int Width, int Height) {
  TGreyCanvas Canvas;
  Canvas.Reset(Width, Height, 200);
  const float HalfWidth = LineWidth <= 1 ? 1.f : LineWidth / 2 + 0.5f;
  for (const TStrips::TStrip &Strip : Strips.Strips) {
    const float Scale = Strip.Alpha * 255;
    for (uint32_t i = Strip.First; i + 1 < Strip.First + Strip.Count; ++i) {
      const float X0 = Strips.X[i], Y0 = Strips.Y[i], X1 = Strips.X[i + 1], Y1 = Strips.Y[i + 1];
      const float Dx = X1 - X0, Dy = Y1 - Y0;
      const float Length = std::sqrt(Dx * Dx + Dy * Dy);
      if (!(Length > 0)) continue;
      const float Inverse = 1 / Length;
      const float Cos = Dx * Inverse, Sin = Dy * Inverse;
      const float MidX = (X0 + X1) / 2, MidY = (Y0 + Y1) / 2;
      const float HalfLength = Length / 2 + 0.5f;
      const float MostAlong = std::min(1.f, 2 * HalfLength - 1);
      // A segment shorter than a pixel, drawn as the driver draws it: its
      // cover along falls from its length at the middle to 0 at the ends.
      const bool Short = Strips.ShortAsDriver && Length < 1;
      const float AlongScale = Short ? Length / HalfLength : 1.f;
      const float AlongCos = Short ? Cos * AlongScale : Cos,
                  AlongSin = Short ? Sin * AlongScale : Sin;
      const float Reach = Short ? Length : HalfLength;
      for (int Row = 0; Row < Height; ++Row)
        for (int Column = 0; Column < Width; ++Column) {
          const float PixelDx = Column + 0.5f - MidX, PixelDy = Row + 0.5f - MidY;
          const float Along = PixelDx * AlongCos + PixelDy * AlongSin;
          const float Across = PixelDy * Cos - PixelDx * Sin;
          const float Cover = std::min(1.f, HalfWidth - std::fabs(Across));
          const float Run = std::min(MostAlong, Reach - std::fabs(Along));
          if (Cover <= 0 || Run <= 0) continue;
          const uint32_t A = static_cast<uint32_t>(Cover * Run * Scale + 0.5f);
          const uint32_t Under = Canvas.Pixels[static_cast<size_t>(Row) * Width + Column];
          auto MulNorm = [](uint32_t P, uint32_t Q) {
            const uint32_t T = P * Q + 128;
            return (T + (T >> 8)) >> 8;
          };
          Canvas.Pixels[static_cast<size_t>(Row) * Width + Column] =
              static_cast<uint8_t>(MulNorm(Under, 255 - A) + MulNorm(Strip.Grey, A));
        }
    }
  }
  return Canvas;
}
}  // namespace

TEST(SoftLines, ShortCutsGiveTheBytesOfTheRuleAtEveryPixel) {
  // Long slanted lines across many row bands and past every edge, nearly
  // flat and nearly upright ones, runs of sub-pixel segments as the tree's
  // fine arcs have, at opacities either side of the faintest that still
  // changes a pixel (a segment of length l blends nothing where
  // min(1, l) x alpha x 255 + 1/2 < 1), in grey and white; the rows worked
  // out four pixels at a time and one at a time (as without SSE2), the
  // segments shorter than a pixel by either rule.
  TStrips Strips;
  Strips.Begin(0.8f);
  Strips.Add(-10, 3);
  Strips.Add(90, 41.3f);
  Strips.Add(12.2f, 70);
  Strips.Begin(0.35f, 255);
  Strips.Add(3.5f, 60);
  Strips.Add(70.25f, 59.2f);
  Strips.Add(70.7f, -8);
  Strips.Begin(0.6f, 128);
  Strips.Add(40.1f, 2.2f);
  Strips.Add(40.3f, 45.6f);
  for (int k = 0; k < 8; ++k) {
    // Each run's opacity just over or just under the faintest that its
    // segments' length can show.
    const float Length = 0.1f + 0.05f * k;
    Strips.Begin(k % 2 ? 0.5f / (Length * 255) - 0.0001f : 0.5f / (Length * 255) + 0.0001f);
    for (int i = 0; i < 30; ++i)
      Strips.Add(20 + 7 * k + Length * i * 0.6f, 10 + 5 * k + Length * i * 0.8f);
  }
  for (int k = 0; k < 12; ++k) {
    Strips.Begin(0.03f * (k + 1), static_cast<uint8_t>(20 * k));
    for (int i = 0; i < 9; ++i)
      Strips.Add(5 + 6.3f * i + k, 30 + 9 * std::sin(0.7f * float(i + k)));
  }
  constexpr int Width = 77, Height = 53;
  for (bool ShortAsDriver : {false, true})
    for (float LineWidth : {2.1f, 1.f, 4.5f}) {
      Strips.ShortAsDriver = ShortAsDriver;
      const TGreyCanvas Expected = DrawEveryPixel(Strips, LineWidth, Width, Height);
      for (TColumnCode Code : {TColumnCode::Fastest, TColumnCode::OneAtATime})
        for (int Threads : {1, 2, 3}) {
          TGreyCanvas Canvas;
          Canvas.Reset(Width, Height, 200);
          DrawSmoothStrips(Canvas, Strips, LineWidth, Threads, Code);
          size_t Different = 0;
          for (size_t p = 0; p < Canvas.Pixels.size(); ++p)
            Different += Canvas.Pixels[p] != Expected.Pixels[p];
          EXPECT_EQ(Different, 0u)
              << "width " << LineWidth << ", " << Threads << " threads"
              << (Code == TColumnCode::OneAtATime ? ", one column at a time" : "")
              << (ShortAsDriver ? ", short segments as the driver" : "");
        }
    }
}

TEST(SoftLines, SegmentsShorterThanAPixelAsLlvmpipeDrawsThem) {
  // White segments 2.1 wide on black along row 8 from x = 10.5, and one
  // slanted at 0.6 opacity: the bytes Mesa's llvmpipe gives for them (the
  // pixels of row 8 from column 10 on, then of column 9 to 11 in rows 7 to 9).
  struct TCase {
    float X0, Y0, X1, Y1, Alpha;
    std::vector<int> Row8;
  };
  const TCase Cases[] = {
      {10.5f, 8.5f, 10.8f, 8.5f, 1, {59, 0}},     // 0.3 long: 0.3 x (1 - 0.15 / 0.65)
      {10.5f, 8.5f, 11.0f, 8.5f, 1, {85, 0}},     // 0.5 long
      {10.5f, 8.5f, 11.2f, 8.5f, 1, {105, 42}},   // 0.7 long
      {10.5f, 8.5f, 11.5f, 8.5f, 1, {128, 128}},  // a pixel long: the usual rule
      {10.3f, 8.2f, 10.4f, 8.25f, 0.6f, {9, 0}},
  };
  for (const TCase &Case : Cases) {
    TStrips Strips;
    Strips.ShortAsDriver = true;
    Strips.Begin(Case.Alpha, 255);
    Strips.Add(Case.X0, Case.Y0);
    Strips.Add(Case.X1, Case.Y1);
    TGreyCanvas Canvas;
    Canvas.Reset(24, 16, 0);
    DrawSmoothStrips(Canvas, Strips, 2.1f);
    for (size_t k = 0; k < Case.Row8.size(); ++k)
      EXPECT_EQ(Canvas.At(10 + static_cast<int>(k), 8), Case.Row8[k])
          << Case.X0 << "," << Case.Y0 << " to " << Case.X1 << "," << Case.Y1;
  }
  // The slanted one around its middle: rows 7 to 9, columns 9 to 11.
  TStrips Strips;
  Strips.ShortAsDriver = true;
  Strips.Begin(0.6f, 255);
  Strips.Add(10.3f, 8.2f);
  Strips.Add(10.5f, 8.9f);
  TGreyCanvas Canvas;
  Canvas.Reset(24, 16, 0);
  DrawSmoothStrips(Canvas, Strips, 2.1f);
  const int Expected[3][3] = {{0, 0, 4}, {51, 109, 38}, {11, 0, 0}};
  for (int Row = 7; Row <= 9; ++Row)
    for (int Column = 9; Column <= 11; ++Column)
      EXPECT_EQ(Canvas.At(Column, Row), Expected[Row - 7][Column - 9]) << Column << "," << Row;
}
