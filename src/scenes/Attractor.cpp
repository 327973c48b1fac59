// The Lorenz-type attractor (window 3, 20000 < t <= 30561): one line strip of
// 60001 points compiled once into AttractorList, replayed every frame in
// perspective from a camera that spirals out of the origin.
#include "scenes/Attractor.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "UMMath.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/CarriedState.h"
#include "scenes/SoftAttractor.h"
#include "scenes/ViewPicture.h"

namespace {
constexpr int64_t StepCount = 60000;
constexpr Single Sigma = 3;
constexpr Single Rho = 20;
constexpr Single Beta = 1.2f;
constexpr Single Dt = 0.01f;

struct TPoint {
  Single X, Y, Z;
};

// One explicit Euler step: all three new values come from the old ones, each
// evaluated in extended precision in this order and stored as Single.
TPoint EulerStep(const TPoint &p) {
  const Extended x = p.X, y = p.Y, z = p.Z;
  TPoint next;
  next.X = static_cast<Single>((-Sigma * x * Dt + x) + Sigma * y * Dt);
  next.Y = static_cast<Single>(((Rho * x * Dt + y) - y * Dt) - z * x * Dt);
  next.Z = static_cast<Single>((-Beta * z * Dt + z) + x * y * Dt);
  return next;
}
}  // namespace

// The strip runs from white to black at opacity 0.1; its first vertex is the
// state after one step, not the start point (0, 0.5, 10).
void BuildAttractorList() {
  Carried.Lists.Attractor = glGenLists(1);
  glNewList(Carried.Lists.Attractor, GL_COMPILE);
  TPoint p{0, 0.5f, 10};
  glBegin(GL_LINE_STRIP);
  for (int64_t i = 0; i <= StepCount; ++i) {
    p = EulerStep(p);
    const Single g = static_cast<Single>(1 - Extended(i) / Extended(StepCount));
    glColor4f(g, g, g, 0.1f);
    glVertex3f(static_cast<Single>(0.2L * p.X), static_cast<Single>(0.2L * p.Y),
               static_cast<Single>(0.2L * p.Z));
  }
  glEnd();
  glEndList();
}

// Enters with the pixel projection pushed (as every scene); leaves it pushed
// again with the model-view at identity, so both stack depths are unchanged.
// The fog set up at start-up darkens the far parts of the line.
void DrawAttractorWindow(int64_t t) {
  Ogl->EndOrtho();
  // A full turn every 20000 ms; the distance grows by 10 units every 9000 ms.
  const Single a = static_cast<Single>((t % 20000) / 20000.0L * 2 * Pi);
  const Single d = static_cast<Single>((t - 20000) / 9000.0L * 10);
  const double Angle = a, Distance = d;
  gluLookAt(Distance * std::cos(Angle), Distance * std::sin(Angle) * std::cos(Angle),
            Distance * std::sin(Angle), 0.3, -0.3, 0, 0, 1, 0);
  // Software renderers: the strip's smoothed lines drawn by our own code.
  if (DrawInSoftware())
    DrawSoftAttractor();
  else
    glCallList(Carried.Lists.Attractor);
  glLoadIdentity();
  Ogl->BeginOrtho();
}
