// The organism scene: forty background waves that fade in and out one by one
// (the generator reseeded every frame, so they never change), a black veil
// that darkens them, then the organism tree: 1 + 5 + 25 + 125 organisms drawn
// depth first, each an outline, five spokes and a fill.
#include "scenes/Organism.h"

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/OrganismRipples.h"
#include "scenes/Quads.h"
#include "scenes/SoftOrganism.h"
#include "scenes/VertexBatch.h"
#include "scenes/ViewPicture.h"

namespace {
constexpr int64_t SceneStart = 60787;
constexpr uint32_t WaveSeed = 9191;
constexpr int WaveCount = 40;
constexpr int WaveSteps = 64;  // 65 vertices per wave
// Organisms at this depth or above have children.
constexpr uint32_t LastParentDepth = 2;
// Generations below a called organism: at most depths 0..3.
constexpr int Generations = 4;

// (t - Start) / Span, as an integer difference divided afterwards.
Single Ramp(int64_t t, int64_t Start, int64_t Span) {
  return static_cast<Single>(Extended(t - Start) / Extended(Span));
}

// The frame's waves, and then its organisms, are gathered here and handed to
// GL together.
TVertexBatch &Batch() {
  static TVertexBatch Gathered;
  return Gathered;
}

// Drawn only while Start < t <= Start + Duration: one fade in and out.
void DrawBackgroundWave(const TBackgroundWave &Wave, int64_t t) {
  const Extended T = Extended(t);
  if (!(T > Wave.Start && T <= Extended(Wave.Start) + Wave.Duration)) return;
  const Extended W = Ogl->ViewWidth;
  const Extended H = Ogl->ViewHeight;
  TVertexBatch &Lines = Batch();
  Lines.Color(1, 1, 1, Wave.Alpha);
  Lines.Begin(GL_LINE_STRIP);
  for (int i = 0; i <= WaveSteps; ++i) {
    const Extended u = Extended(i) / WaveSteps;
    const Single w = static_cast<Single>(
        std::sin((Extended(t) / Wave.Period + u) * Wave.Frequency * 2 * Pi) * Wave.Amplitude);
    Lines.Vertex(static_cast<Single>(u * W), static_cast<Single>(H / 2 + Wave.Offset - w));
  }
  Lines.End();
}

// Black, eased in linearly to 0.7 over the scene's first second.
void DrawVeil(int64_t t) {
  const Single Alpha = t < SceneStart + 1000
                           ? static_cast<Single>(Extended(t - SceneStart) / 1000 * 0.7L)
                           : static_cast<Single>(0.7L);
  glColor4f(0, 0, 0, Alpha);
  DrawQuad(ViewRect());
}

struct TVertex {
  Single X, Y;
};

// The shape of an organism apart from where it sits: its outline's offsets
// from the centre (each stored as Single, as the outline adds them) and its
// spokes' radii and outer end offsets. It depends only on the frame, the
// spoke phase, Size and Level, and all organisms of one generation share
// these, so a frame works it out once per generation.
struct TShape {
  bool Ready = false;
  Single Size = 0, Level = 0;
  std::array<TVertex, OutlineSteps + 1> Outline;
  std::array<Single, SpokeCount> SpokeRadius;
  std::array<TVertex, SpokeCount> SpokeEnds;
};

// What every organism of one frame shares: the ripple terms of the outline
// points, the spoke directions of each generation (generation g turns with the
// phase its parent passes on, 1 - the parent's), the shapes met so far and
// the two alphas.
struct TOrganismFrame {
  int64_t Time = 0;
  TOutlineRipples Outline;
  std::array<TSpokeRipples, Generations> Spokes;
  std::array<TShape, Generations> Shapes;
  Single LineAlpha = 0;
  Single FillAlpha = 0;
  // Software renderers leave out fills that blend nothing (alpha 0 leaves
  // every pixel as it is) and, with no fill to keep them in order with,
  // gather the lines for the film's own smoothed lines.
  bool DrawFills = true;
  TStrips *SoftLines = nullptr;
};

void PrepareFrame(TOrganismFrame &Frame, int64_t t, Single Phase) {
  Frame.Time = t;
  const TRipplePhases Phases = RipplePhasesAt(t);
  ComputeOutlineRipples(Phases, Frame.Outline);
  for (TSpokeRipples &Spokes : Frame.Spokes) {
    ComputeSpokeRipples(Phases, Phase, Spokes);
    Phase = static_cast<Single>(1 - Extended(Phase));
  }
  // The lines fade in over the scene's first five seconds; the fill from
  // 68000 to 78000.
  Frame.LineAlpha =
      t > SceneStart + 5000 ? Single(1) : CosineInterpolate(0, 1, Ramp(t, SceneStart, 5000));
  Frame.FillAlpha = t < 68000   ? Single(0)
                    : t > 78000 ? Single(1)
                                : CosineInterpolate(0, 1, Ramp(t, 68000, 10000));
  Frame.DrawFills = Frame.FillAlpha != 0 || !DrawInSoftware();
  if (!Frame.DrawFills) Frame.SoftLines = &SoftOrganismStrips();
}

// The shape of generation g for Size and Level, worked out on first use.
const TShape &ShapeFor(TOrganismFrame &Frame, int Generation, Single Size, Single Level) {
  TShape &Shape = Frame.Shapes[static_cast<size_t>(Generation)];
  if (Shape.Ready && Shape.Size == Size && Shape.Level == Level) return Shape;
  Shape.Ready = true;
  Shape.Size = Size;
  Shape.Level = Level;
  for (size_t i = 0; i < Shape.Outline.size(); ++i) {
    const TRipplePoint &Point = Frame.Outline[i];
    const Single R = RadiusAt(Point, Size, Level);
    Shape.Outline[i] =
        TVertex{static_cast<Single>(Point.Cos * R), static_cast<Single>(Point.Sin * R)};
  }
  // Each spoke runs from the outline out to 1.6 times the radius; its outer
  // end is where a child sits.
  for (size_t k = 0; k < Shape.SpokeEnds.size(); ++k) {
    const TRipplePoint &Point = Frame.Spokes[static_cast<size_t>(Generation)][k];
    const Single R = RadiusAt(Point, Size, Level);
    Shape.SpokeRadius[k] = R;
    Shape.SpokeEnds[k] = TVertex{static_cast<Single>(Point.Cos * (1.6L * R)),
                                 static_cast<Single>(Point.Sin * (1.6L * R))};
  }
  return Shape;
}

void DrawOutlineVertices(TVertexBatch &Lines, const TShape &Shape, Single CentreX, Single CentreY) {
  for (const TVertex &Offset : Shape.Outline) Lines.Vertex(CentreX + Offset.X, CentreY + Offset.Y);
}

// Where spoke k leaves the outline.
TVertex SpokeStart(const TOrganismFrame &Frame, int Generation, const TShape &Shape, size_t k,
                   Single CentreX, Single CentreY) {
  const TRipplePoint &Point = Frame.Spokes[static_cast<size_t>(Generation)][k];
  const Single R = Shape.SpokeRadius[k];
  return TVertex{static_cast<Single>(CentreX + Point.Cos * R),
                 static_cast<Single>(CentreY + Point.Sin * R)};
}

// The outline and the five spokes as the driver is given them, as strips
// for the software path.
void AddOrganismLines(TStrips &Strips, const TOrganismFrame &Frame, int Generation,
                      const TShape &Shape, Single CentreX, Single CentreY) {
  constexpr uint8_t White = 255;
  Strips.Begin(Frame.LineAlpha, White);
  for (const TVertex &Offset : Shape.Outline) Strips.Add(CentreX + Offset.X, CentreY + Offset.Y);
  for (size_t k = 0; k < SpokeCount; ++k) {
    const TVertex Inner = SpokeStart(Frame, Generation, Shape, k, CentreX, CentreY);
    Strips.Begin(Frame.LineAlpha, White);
    Strips.Add(Inner.X, Inner.Y);
    Strips.Add(CentreX + Shape.SpokeEnds[k].X, CentreY + Shape.SpokeEnds[k].Y);
  }
}

void DrawOrganismAt(TOrganismFrame &Frame, int Generation, uint32_t Depth, Single Left,
                    Single Right, Single CentreX, Single CentreY, Single Size) {
  const int64_t t = Frame.Time;
  Single Level = static_cast<Single>((Extended(Left) + Right) / 2 * 0.5L);
  // The top organism calms down and swells to 0.7 of the view width over the
  // scene's last eight seconds; its children keep their own levels and sizes.
  if (Depth == 0 && t > 70000 && t <= 78000) {
    const Single mu = Ramp(t, 70000, 8000);
    Level = LinearInterpolate(Level, 0, mu);
    const Single Swell =
        CosineInterpolate(0, static_cast<Single>(Extended(Ogl->ViewWidth) / 2), mu);
    Size = static_cast<Single>(Extended(Size) + Swell);
  }
  const TShape &Shape = ShapeFor(Frame, Generation, Size, Level);
  TVertexBatch &Lines = Batch();

  if (Frame.SoftLines) {
    AddOrganismLines(*Frame.SoftLines, Frame, Generation, Shape, CentreX, CentreY);
  } else {
    Lines.Color(1, 1, 1, Frame.LineAlpha);
    Lines.Begin(GL_LINE_STRIP);
    DrawOutlineVertices(Lines, Shape, CentreX, CentreY);
    Lines.End();

    Lines.Begin(GL_LINES);
    for (size_t k = 0; k < SpokeCount; ++k) {
      const TVertex Inner = SpokeStart(Frame, Generation, Shape, k, CentreX, CentreY);
      Lines.Vertex(Inner.X, Inner.Y);
      Lines.Vertex(CentreX + Shape.SpokeEnds[k].X, CentreY + Shape.SpokeEnds[k].Y);
    }
    Lines.End();
  }

  if (Frame.DrawFills) {
    Lines.Color(1, 1, 1, Frame.FillAlpha);
    Lines.Begin(GL_TRIANGLE_FAN);
    Lines.Vertex(CentreX, CentreY);
    DrawOutlineVertices(Lines, Shape, CentreX, CentreY);
    Lines.End();
  }

  if (Depth > LastParentDepth) return;
  const Single ChildSize = static_cast<Single>(Extended(Size) * 0.25L);
  // The children work out the next generation's shape: this one stays put.
  for (const TVertex &End : Shape.SpokeEnds)
    DrawOrganismAt(Frame, Generation + 1, Depth + 1, Left, Right, CentreX + End.X,
                   static_cast<Single>(Extended(CentreY) + End.Y + ChildSize), ChildSize);
}
}  // namespace

TBackgroundWave NextBackgroundWave(int64_t t) {
  TBackgroundWave Wave;
  Wave.Start = static_cast<Single>(SceneStart + Random(5000));
  Wave.Duration = static_cast<Single>(4000 + Random(1000));
  Wave.Strength = Extended(Random(1000)) / 1000;
  const Extended Cycle = (Extended(t) - Wave.Start) / Wave.Duration * 2 * Pi;
  Wave.Alpha = static_cast<Single>(Wave.Strength * (1 - std::cos(Cycle)) * 0.5L);
  glColor4f(1, 1, 1, Wave.Alpha);
  Wave.Period = 5000 + Random(17000);
  Wave.Amplitude = static_cast<Single>(20 + Random(60));
  Wave.Offset = static_cast<Single>(Random(300) - 150);
  Wave.Frequency = static_cast<Single>(Extended(Random(300)) / 100 + 1);
  return Wave;
}

void DrawOrganism(int64_t t, uint32_t Depth, Single Left, Single Right, Single Phase,
                  Single CentreX, Single CentreY, Single Size) {
  // A frame's shared terms are about 30 KB: fine on the stack, and none of it
  // outlives the frame.
  TOrganismFrame Frame;
  PrepareFrame(Frame, t, Phase);
  Batch().Clear();
  DrawOrganismAt(Frame, 0, Depth, Left, Right, CentreX, CentreY, Size);
  Batch().Draw();
  if (Frame.SoftLines) DrawSoftOrganismLines();
}

// Relies on the pixel projection, blending and line smoothing; leaves the
// colour white.
void DrawOrganismWindow(int64_t t, Single Left, Single Right) {
  RandSeed = WaveSeed;
  // All seven values of every wave are drawn whether it shows or not, so the
  // waves are the same on every frame.
  Batch().Clear();
  for (int i = 0; i < WaveCount; ++i) DrawBackgroundWave(NextBackgroundWave(t), t);
  Batch().Draw();
  DrawVeil(t);

  const Extended W = Ogl->ViewWidth;
  const Extended H = Ogl->ViewHeight;
  DrawOrganism(t, 0, Left, Right, static_cast<Single>(Extended(t % 2000) / 2000),
               static_cast<Single>(W / 2), static_cast<Single>(H / 2),
               static_cast<Single>(W * 0.2L));
}
