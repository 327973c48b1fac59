// The film's last 23 seconds. From 87000 ms a mosaic of soft black dots grows
// over the worms; from 90000 ms the closing picture: stars, a rising moon, a
// grey hilly horizon and the credits with their mirror image below, faded in
// over the first quarter and out over the last.
#include "scenes/Finale.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Profile.h"
#include "scenes/Quads.h"
#include "scenes/VertexBatch.h"

namespace {
// The star field and the horizon reseed the generator with these every frame.
constexpr uint32_t StarSeed = 9191;
constexpr uint32_t HorizonSeed = 8181;

// Grid of the mosaic: 41 x 31 sprite centres reaching both edges.
constexpr int MosaicColumns = 40;
constexpr int MosaicRows = 30;
// Grid of the credits' mirror image: 20 x 20 cells.
constexpr int MirrorCells = 20;
// The horizon samples every second element of the profile.
constexpr int HorizonSteps = 640;

// The stars, the horizon, the reflection and the mosaic are each gathered
// here and handed to GL together.
TVertexBatch &Batch() {
  static TVertexBatch Gathered;
  return Gathered;
}

Extended ViewW() { return Ogl->ViewWidth; }
Extended ViewH() { return Ogl->ViewHeight; }

// CosineInterpolate split in two for a mu that many calls share: the eased
// weight (1 - cos(mu pi)) / 2 as CosineInterpolate(0, 1, mu) gives it (exactly
// the Single it stores), then the blend it applies. Bit for bit the same as
// CosineInterpolate(y1, y2, mu), with one cosine per frame instead of per call.
Single EaseByWeight(Single y1, Single y2, Single Weight) {
  return static_cast<Single>(Extended(y1) * (1 - Extended(Weight)) + Extended(y2) * Weight);
}

TRect Square(Extended cx, Extended cy, Extended HalfSize) {
  return TRect{static_cast<Single>(cx - HalfSize), static_cast<Single>(cy - HalfSize),
               static_cast<Single>(cx + HalfSize), static_cast<Single>(cy + HalfSize)};
}

void BindTexture(const TTexture &Tex) { glBindTexture(GL_TEXTURE_2D, Tex.TexId); }

// 251 glow sprites in the band from the top down to W / 2, four draws each in
// a fixed order. Their y is drawn from half the view width, so the field does
// not change with the view height.
void DrawStars() {
  glEnable(GL_TEXTURE_2D);
  BindTexture(GlowTex);
  RandSeed = StarSeed;
  const int32_t Width = static_cast<int32_t>(Ogl->ViewWidth);
  TVertexBatch &Stars = Batch();
  for (int Star = 0; Star < 251; ++Star) {
    const int32_t x = Random(Width);
    const int32_t y = Random(Width / 2);
    const Extended Alpha = Random(700) / 1000.0L + 0.1L;
    const Extended Radius = Random(20) / 10.0L + 2;
    Stars.Color(1, 1, 1, static_cast<Single>(Alpha));
    const TRect R = Square(x, y, Radius);
    Stars.TexturedQuad(R.Left, R.Top, R.Right, R.Bottom, 0, 0, 1, 1);
  }
  Stars.Draw();
}

// A glow with a disc inside, rising from the middle of the right edge (p = 0)
// to (0.55 W, 0.1 H) (p = 1).
void DrawMoon(Single p) {
  const Extended W = ViewW(), H = ViewH();
  const Extended mx = W - W * p * 0.45L;
  const Extended my = H / 2 - H * p * 0.4L;
  glColor4f(1, 1, 1, 1);
  BindTexture(GlowTex);
  DrawTexturedQuad(Square(mx, my, H / 3 * 2), 0, 0, 1, 1);
  BindTexture(DiscTex);
  DrawTexturedQuad(Square(mx, my, H / 3), 0, 0, 1, 1);
}

// The horizon's height at step i: the profile mapped between H / 3 and 2 H / 3.
Single HorizonY(int i) {
  const Extended H = ViewH();
  const Single Height = ProfileAt(static_cast<Single>(Extended(i) / HorizonSteps));
  return static_cast<Single>(H / 2 - (Height - 0.5L) * (H / 3));
}

Single HorizonX(int i) { return static_cast<Single>(Extended(i) / HorizonSteps * ViewW()); }

// The skyline as a line, then the ground below it as one opaque grey strip.
// Each is preceded by the film's reset of the generator; nothing draws after.
void DrawHorizon() {
  glDisable(GL_TEXTURE_2D);
  const Single Bottom = static_cast<Single>(ViewH());
  TVertexBatch &Ground = Batch();
  Ground.Color(0.3f, 0.3f, 0.3f, 1);
  RandSeed = HorizonSeed;
  Ground.Begin(GL_LINE_STRIP);
  for (int i = 0; i <= HorizonSteps; ++i) Ground.Vertex(HorizonX(i), HorizonY(i));
  Ground.End();
  RandSeed = HorizonSeed;
  Ground.Begin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= HorizonSteps; ++i) {
    const Single x = HorizonX(i);
    Ground.Vertex(x, HorizonY(i));
    Ground.Vertex(x, Bottom);
  }
  Ground.End();
  Ground.Draw();
}

// The white-on-black credits printed as black lettering over the ground,
// 0.4 W wide and 0.2 W high, bottom edge at 0.8 H.
void DrawCredits() {
  const Extended W = ViewW(), H = ViewH();
  glEnable(GL_TEXTURE_2D);
  BindTexture(CreditsTex);
  glColor4f(0, 0, 0, 1);
  const TRect Credits{static_cast<Single>(0.4L * W), static_cast<Single>(0.8L * H - 0.2L * W),
                      static_cast<Single>(0.8L * W), static_cast<Single>(0.8L * H)};
  DrawTexturedQuad(Credits, 0, 0, 1, 1);
}

// One row of the mirror grid: its y and its left and right ends.
struct TMirrorRow {
  Single y, Left, Right;
};

// Row 0 lies on the credits' bottom edge; row 20 is 0.8 W wide and slides
// right with p while the trapezoid's depth shrinks.
TMirrorRow MirrorRow(int k, Single p) {
  const Extended W = ViewW(), H = ViewH();
  const Single m = static_cast<Single>(Extended(k) / MirrorCells);
  return TMirrorRow{
      LinearInterpolate(static_cast<Single>(0.8L * H),
                        static_cast<Single>(0.8L * H + 0.14L * W - 0.06L * H * p), m),
      LinearInterpolate(static_cast<Single>(0.4L * W), static_cast<Single>(0.24L * W * p), m),
      LinearInterpolate(static_cast<Single>(0.8L * W),
                        static_cast<Single>(0.8L * W + 0.24L * W * p), m)};
}

void MirrorVertex(TVertexBatch &Mirror, const TMirrorRow &Row, int k, int j) {
  const Single m = static_cast<Single>(Extended(j) / MirrorCells);
  Mirror.TexCoord(m, static_cast<Single>(1 - Extended(k) / MirrorCells));
  Mirror.Vertex(LinearInterpolate(Row.Left, Row.Right, m), Row.y);
}

// The credits mirrored downward into a translucent trapezoid: one triangle
// strip per grid row, CreditsTex still bound.
void DrawReflection(Single p) {
  TVertexBatch &Mirror = Batch();
  Mirror.Color(0, 0, 0, 0.3f);
  for (int i = 0; i < MirrorCells; ++i) {
    const TMirrorRow Upper = MirrorRow(i, p);
    const TMirrorRow Lower = MirrorRow(i + 1, p);
    Mirror.Begin(GL_TRIANGLE_STRIP);
    for (int j = 0; j <= MirrorCells; ++j) {
      MirrorVertex(Mirror, Upper, i, j);
      MirrorVertex(Mirror, Lower, i + 1, j);
    }
    Mirror.End();
  }
  Mirror.Draw();
}

// Black over everything with alpha cos(2 pi p): opaque at both ends, fading
// over the first and last quarters, clear in between. The alpha is clamped
// here rather than left to the driver.
void DrawFade(Single p) {
  glDisable(GL_TEXTURE_2D);
  const Extended Alpha = std::cos(2 * Pi * p);
  glColor4f(0, 0, 0, static_cast<Single>(std::clamp(Alpha, 0.0L, 1.0L)));
  DrawQuad(ViewRect());
}
}  // namespace

// Relies on the pixel projection, blending and the modulate environment.
// Leaves texturing disabled, the clear colour black and RandSeed at 8181.
void DrawFinale(Single Progress) {
  glClearColor(0, 0, 0, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  DrawStars();
  DrawMoon(Progress);
  DrawHorizon();
  DrawCredits();
  DrawReflection(Progress);
  DrawFade(Progress);
}

// Relies on the pixel projection, blending and the modulate environment.
// Leaves texturing disabled and GlowTex bound. Each sprite grows on its own
// eased curve, those near the bottom-right corner (large i x j) first; at
// Progress 1 every sprite has half-size H / 30 and they overlap into black.
void DrawMosaicFade(Single Progress) {
  const Extended W = ViewW(), H = ViewH();
  const Single p = Progress;
  const Single FullSize = static_cast<Single>(H / MosaicRows);
  glEnable(GL_TEXTURE_2D);
  BindTexture(GlowTex);
  // The sprites' alpha, and the weight with which each sprite's growth eases
  // from its own start to p.
  const Single Weight = CosineInterpolate(0, 1, p);
  TVertexBatch &Sprites = Batch();
  Sprites.Color(0, 0, 0, Weight);
  Sprites.Begin(GL_QUADS);
  for (int i = 0; i <= MosaicColumns; ++i) {
    const Extended cx = Extended(i) / MosaicColumns * W;
    for (int j = 0; j <= MosaicRows; ++j) {
      const Extended cy = Extended(j) / MosaicRows * H;
      const Single Start = static_cast<Single>(i * Extended(p) / MosaicColumns * j / MosaicRows);
      const Single v = std::min(EaseByWeight(Start, p, Weight), Single(1));
      const TRect R = Square(cx, cy, CosineInterpolate(0, FullSize, v));
      Sprites.TexCoord(0, 0);
      Sprites.Vertex(R.Left, R.Top);
      Sprites.TexCoord(1, 0);
      Sprites.Vertex(R.Right, R.Top);
      Sprites.TexCoord(1, 1);
      Sprites.Vertex(R.Right, R.Bottom);
      Sprites.TexCoord(0, 1);
      Sprites.Vertex(R.Left, R.Bottom);
    }
  }
  Sprites.End();
  Sprites.Draw();
  glDisable(GL_TEXTURE_2D);
}
