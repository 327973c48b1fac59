// The worms: each one path segment long, sliding along a four-point cubic
// through its own track at its own period. When a worm's phase wraps it has
// covered a whole segment, and its track shifts on by one new random point.
#include "scenes/UAWorms.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/CarriedState.h"
#include "scenes/VertexBatch.h"
#include "scenes/WormWave.h"

namespace {
// The segments a pass is split into.
constexpr int PassSteps = WormPassVertices - 1;

// The rear's wriggle: a fixed pattern of screen position, 11 sine periods
// across the width (50 pixels deep) and 7 cosine periods down the height
// (70 pixels deep).
constexpr Extended WaveCountX = 11, WaveDepthX = 50;
constexpr Extended WaveCountY = 7, WaveDepthY = 70;

// What every vertex of a frame shares, and the frame's strips, handed to GL
// together.
struct TFrame {
  Extended W, H;
  Single FadeEased;  // the eased Fade that moves vertices off the anchors
  Single Grey;       // grey level of every vertex
  Single Fade;
  TVertexBatch &Strips;
};

TVertexBatch &Batch() {
  static TVertexBatch Gathered;
  return Gathered;
}

// Pulls a path point towards the wriggle pattern: fully at weight 0, not at
// all at weight 1. Both offsets come from the undisplaced point.
TWormPoint Displace(const TFrame &Frame, TWormPoint Point, Single Weight) {
  const Single WavyX = WavyPosition(Point.X, Frame.W, WaveCountX, WaveDepthX, false);
  const Single WavyY = WavyPosition(Point.Y, Frame.H, WaveCountY, WaveDepthY, true);
  const Single Eased = EasedWeight(Weight);
  return {EasedBlend(WavyX, Point.X, Eased), EasedBlend(WavyY, Point.Y, Eased)};
}

// One vertex: grey to black and transparent to its weight as the scene fades
// in, moved out from the worm's anchor to its place on the path.
void EmitVertex(const TFrame &Frame, int Worm, TWormPoint Point, Single Weight) {
  Frame.Strips.Color(Frame.Grey, Frame.Grey, Frame.Grey, LinearInterpolate(0, Weight, Frame.Fade));
  Frame.Strips.Vertex(EasedBlend(Carried.Worms.WormAnchorX[Worm], Point.X, Frame.FadeEased),
                      EasedBlend(Carried.Worms.WormAnchorY[Worm], Point.Y, Frame.FadeEased));
}

// The point at Mu on the cubic through four consecutive track points, of
// which the second is at Mu = 0 and the third at Mu = 1.
TWormPoint OnTrack(const TWormPoint *Q, Single Mu) {
  return {CubicInterpolate(Q[0].X, Q[1].X, Q[2].X, Q[3].X, Mu),
          CubicInterpolate(Q[0].Y, Q[1].Y, Q[2].Y, Q[3].Y, Mu)};
}

// Shifts the track on by one point; the new last point keeps 100 pixels off
// the edges. Two draws from the caller's generator, x first.
void AdvanceTrack(TWormPoint *Q) {
  for (int n = 0; n + 1 < WormTrackPoints; ++n) Q[n] = Q[n + 1];
  Q[WormTrackPoints - 1].X =
      static_cast<Single>(Random(static_cast<int32_t>(Ogl->ViewWidth) - 200) + 100);
  Q[WormTrackPoints - 1].Y =
      static_cast<Single>(Random(static_cast<int32_t>(Ogl->ViewHeight) - 200) + 100);
}

// One worm at phase p: the rear pass from the tail (phase p of the segment
// Q[1]..Q[2]) to Q[2], wriggling fully at the tail and less towards Q[2];
// then the front pass from Q[2] to the head (phase p of Q[2]..Q[3]), whose
// wriggle fades out over its first p of the way and which is on its path and
// opaque after that.
void DrawWorm(const TFrame &Frame, int Worm, Single p) {
  const TWormPoint *Q = Carried.Worms.WormTracks[Worm];
  const Extended Phase = p;
  Frame.Strips.Begin(GL_LINE_STRIP);
  for (int k = 0; k <= PassSteps; ++k) {
    const Single Mu = static_cast<Single>(Phase + (1 - Phase) * k / PassSteps);
    const Single Weight = static_cast<Single>((1 - Phase) * k / PassSteps);
    EmitVertex(Frame, Worm, Displace(Frame, OnTrack(Q, Mu), Weight), Weight);
  }
  for (int k = 0; k <= PassSteps; ++k) {
    const Single Mu = static_cast<Single>(Extended(k) / PassSteps * Phase);
    const TWormPoint Point = OnTrack(Q + 1, Mu);
    if (k <= PassSteps * Phase) {
      const Single Weight = static_cast<Single>(1 - Phase + Extended(k) / PassSteps);
      EmitVertex(Frame, Worm, Displace(Frame, Point, Weight), Weight);
    } else {
      EmitVertex(Frame, Worm, Point, 1);
    }
  }
  Frame.Strips.End();
}
}  // namespace

void InitWormTracks() {
  TWormState &Worms = Carried.Worms;
  const int32_t Width = static_cast<int32_t>(Ogl->ViewWidth);
  const int32_t Height = static_cast<int32_t>(Ogl->ViewHeight);
  const Extended W = Width, H = Height;
  for (int i = 0; i < WormCount; ++i) {
    for (TWormPoint &Point : Worms.WormTracks[i]) {
      Point.X = static_cast<Single>(Random(Width));
      Point.Y = static_cast<Single>(Random(Height));
    }
    // A box of 0.14 of the view whose top left corner is at 0.43 of it.
    Worms.WormAnchorX[i] =
        static_cast<Single>(Random(static_cast<int32_t>(Round(W * 0.14L))) + (W / 2 - W * 0.07L));
    Worms.WormAnchorY[i] =
        static_cast<Single>(Random(static_cast<int32_t>(Round(H * 0.14L))) + (H / 2 - H * 0.07L));
  }
  for (int i = 0; i < WormCount; ++i) {
    Worms.WormPhases[i] = 0;
    Worms.PrevWormPhases[i] = 0;
  }
}

uint32_t WormPeriod(int Worm) {
  PushRandSeed();
  RandSeed = 9595 + 200 * static_cast<uint32_t>(Worm);
  const uint32_t Period = static_cast<uint32_t>(Random(3500) + 500);
  PopRandSeed();
  return Period;
}

// Relies on the pixel projection and the scenes' smoothed 2.1-pixel lines;
// enables blending (already on) and changes the colour.
void DrawWorms(uint32_t Time, Single Fade) {
  TWormState &Worms = Carried.Worms;
  glEnable(GL_BLEND);
  const TFrame Frame{Extended(Ogl->ViewWidth),
                     Extended(Ogl->ViewHeight),
                     EasedWeight(Fade),
                     CosineInterpolate(0.5f, 0, Fade),
                     Fade,
                     Batch()};
  Frame.Strips.Clear();
  for (int i = 0; i < WormCount; ++i) {
    const uint32_t Period = WormPeriod(i);
    Worms.WormPhases[i] = static_cast<Single>(Extended(Time % Period) / Period);
    // A phase that went back has wrapped: the worm covered its segment.
    if (Worms.WormPhases[i] < Worms.PrevWormPhases[i]) AdvanceTrack(Worms.WormTracks[i]);
    DrawWorm(Frame, i, Worms.WormPhases[i]);
    Worms.PrevWormPhases[i] = Worms.WormPhases[i];
  }
  Frame.Strips.Draw();
}
