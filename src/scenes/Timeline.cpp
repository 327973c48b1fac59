// One frame of the film from its inputs alone: the clear with the background of the moment, the
// stretches of the timing table tested in their order (a later stretch draws over an earlier
// one), the vignette overlay and the flush. Every bound is an exact comparison of the 64-bit
// millisecond clock.
#include "scenes/Timeline.h"

#include <GL/gl.h>

#include <cmath>

#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Quads.h"
#include "scenes/SoftTree.h"
#include "scenes/TreePicture.h"
#include "scenes/ViewPicture.h"

namespace {
// The seed of the branch tree and the wave strands: every frame draws the same layout.
constexpr uint32_t LayoutSeed = 8181;

// (t - Start) / Span, formed as an integer difference first, then divided in floating point.
Single Ramp(int64_t t, int64_t Start, int64_t Span) {
  return static_cast<Single>(Extended(t - Start) / Extended(Span));
}

// The background is black from 63096 up to 78000 and white otherwise (the finale clears black
// again on its own). It is set on every frame so a frame never depends on the one before it.
void ClearFrame(int64_t t) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  const Single background = (t >= 63096 && t < 78000) ? 0 : 1;
  glClearColor(background, background, background, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
}

// A black quad eased in from transparent (Progress 0) to opaque (Progress 1).
void DrawBlackFade(Single Progress) {
  glColor4f(0, 0, 0, CosineInterpolate(0, 1, Progress));
  DrawQuad(ViewRect());
}

// The branch tree from the left edge; only its curl radius changes over the scene.
void DrawBranchTree(const TTimelineEffects &Effects, Single CurlRadius) {
  const Extended H = Ogl->ViewHeight;
  const Single length = static_cast<Single>(0.65L * H);
  Effects.DrawBranches(0, static_cast<Single>(0.8L * H), length, length, CurlRadius);
}

// The curl radius at its final size, 0.4 H (written as the film forms it).
Single FullCurlRadius() {
  const Extended H = Ogl->ViewHeight;
  return static_cast<Single>(0.2L * H + 0.2L * H);
}

// The real tree, for the software path's picture of it.
void DrawRealBranchTree(Single CurlRadius) { DrawBranchTree(TTimelineEffects(), CurlRadius); }

void DrawOpeningWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  Effects.DrawOpening(Frame.Time);
}

void DrawWaveStrandsWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  Effects.DrawWaveStrands(Frame.Time);
}

void DrawAttractorStretch(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  Effects.DrawAttractorWindow(Frame.Time);
}

void DrawDiscStampsWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  Effects.DrawDiscStamps(Frame.Time);
}

void DrawOrganismStretch(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  Effects.DrawOrganismWindow(Frame.Time, Frame.LeftLevel, Frame.RightLevel);
}

// The growing tree: the start-up list for 2 s, then the live tree unrolling from a curl radius of
// 0.1 H to 0.4 H, reached exactly at 59096.
void DrawGrowingBranches(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  RandSeed = LayoutSeed;
  if (t <= 51688) {
    // Software renderers: the list's picture, taken the first time.
    if (DrawInSoftware())
      DrawBranchListPicture();
    else
      DrawBranchList();
    return;
  }
  const Extended H = Ogl->ViewHeight;
  const Single ease = static_cast<Single>(std::pow(Extended(t - 51688) / 7408, 1.5L));
  const Single radius = CosineInterpolate(static_cast<Single>(0.1L * H), FullCurlRadius(), ease);
  // Software renderers: the tree's lines drawn by our own code.
  if (DrawInSoftware())
    DrawSoftTree(radius);
  else
    DrawBranchTree(Effects, radius);
}

// The blob field: fades in over 2 s, whitens from the bottom over its last 5 s and fades out over
// its last 2 s, revealing the branch list beneath.
void DrawBlobFieldWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  Single alpha = 1;
  Single wipe = 0;
  if (t < 30561) alpha = Ramp(t, 28561, 2000);
  if (t > 46688) wipe = Ramp(t, 46688, 5000);
  if (t > 49688) alpha = static_cast<Single>(1 - Extended(t - 49688) / 2000);
  Effects.DrawBlobField(t, alpha, wipe);
}

// The grown tree under the first fade to black, opaque at 63096.
void DrawGrownBranchesAndFade(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  RandSeed = LayoutSeed;
  // Software renderers: the grown tree's picture, taken the first time.
  if (DrawInSoftware())
    DrawGrownTreePicture(FullCurlRadius(), DrawRealBranchTree);
  else
    DrawBranchTree(Effects, FullCurlRadius());
  DrawBlackFade(Ramp(t, 59096, 4000));
}

// The worms, the mosaic after 87000 and the second fade to black, opaque at 90000.
void DrawWormsWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  const Single fade = t < 83000 ? Ramp(t, 73000, 10000) : Single(1);
  Effects.DrawWorms(static_cast<uint32_t>(t), fade);
  if (t > 87000) Effects.DrawMosaicFade(Ramp(t, 87000, 3000));
  if (t > 89000) DrawBlackFade(Ramp(t, 89000, 1000));
}

// The finale: its progress holds at 1 for a last frame past the film's length.
void DrawFinaleWindow(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  Effects.DrawFinale(t <= FilmLength ? Ramp(t, 90000, FilmLength - 90000) : Single(1));
}

// The darkening frame over every picture.
void DrawVignette() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, VignetteTex.TexId);
  glColor4f(0, 0, 0, 1);
  DrawTexturedQuad(ViewRect(), 0, 0, 1, 1);
  glDisable(GL_TEXTURE_2D);
}
}  // namespace

// The film's stretches in drawing order. The disc stamps' stretch ends at 64999 (they are gone at
// 65000) and test their second disc's bound themselves.
const std::array<TFilmStretch, FilmStretchCount> FilmStretches = {{
    {"opening", FilmBeginning, 22147, &DrawOpeningWindow, false, 0},
    {"wave strands", 22147, 30561, &DrawWaveStrandsWindow, false, 0},
    {"attractor", 20000, 30561, &DrawAttractorStretch, false, 0},
    {"growing branches", 49688, 59096, &DrawGrowingBranches, false, 0},
    // The strands reseed the generator on the field's first frames.
    {"blob field", 28561, 51688, &DrawBlobFieldWindow, true, 0},
    {"grown branches", 59096, 63096, &DrawGrownBranchesAndFade, false, 0},
    {"disc stamps", 59097, 64999, &DrawDiscStampsWindow, false, 0},
    {"organism", 60787, 78000, &DrawOrganismStretch, false, 0},
    // The worms' tracks advance from the generator as the grown branch tree leaves it; nothing
    // draws from it between 63096 and 73000.
    {"worms", 73000, 90000, &DrawWormsWindow, true, 63096},
    {"finale", 90000, FilmForever, &DrawFinaleWindow, false, 0},
}};

bool DrawScene(const TFrameInputs &Frame) { return DrawScene(Frame, TTimelineEffects()); }

// Relies on the pixel projection with the model-view stack selected, blending on, depth test,
// lighting and texturing off; returns with the same state.
bool DrawScene(const TFrameInputs &Frame, const TTimelineEffects &Effects) {
  const int64_t t = Frame.Time;
  // Software renderers: a slice of the tree's pictures, in the fast stretches
  // before the tree, drawn where the clear wipes it away.
  if ((t < 20000 || (t > 30561 && t < 49000)) && DrawInSoftware()) PrepareTreePictures();
  ClearFrame(t);

  for (const TFilmStretch &Stretch : FilmStretches)
    if (Stretch.Holds(t)) Stretch.Draw(Frame, Effects);

  DrawVignette();
  glFlush();
  return true;
}
