// The tree of curls (49688 < t <= 63096): every branch is a circular arc that
// starts heading straight up; two shorter branches sprout from its end, the
// second curling more tightly. The start-up list holds the tree with the curl
// radius 0.1 H; the timeline later draws it live while the radius grows.
#include "scenes/Branches.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/CurlArc.h"

uint32_t BranchList = 0;

namespace {
struct TArcEnd {
  Single X, Y;
};

// One arc of 21 vertices on the circle of radius CurlRadius centred right of
// the start point; it starts at the circle's leftmost point and turns
// clockwise on screen through Length / CurlRadius radians. Returns the last
// vertex exactly as drawn, where the sub-branch starts.
TArcEnd DrawArc(Single StartX, Single StartY, Single Length, Single CurlRadius) {
  Single cx[ArcSegments + 1], sy[ArcSegments + 1];
  ArcOffsets(Length, CurlRadius, cx, sy);
  TArcEnd End{StartX, StartY};
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= ArcSegments; ++i) {
    End.X = static_cast<Single>(Extended(StartX) + cx[i] + CurlRadius);
    End.Y = static_cast<Single>(Extended(StartY) + sy[i]);
    glVertex2f(End.X, End.Y);
  }
  glEnd();
  return End;
}
}  // namespace

// Relies on the pixel projection, blending and the scenes' smoothed 2.1-pixel
// lines; changes only the colour.
void DrawBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius) {
  if (Length < 5) return;
  const Single SubLength = static_cast<Single>(Length * 0.7L);
  for (int Arc = 0; Arc < 2; ++Arc) {
    glColor4f(0, 0, 0, static_cast<Single>(Extended(Length) / FullLength));
    const TArcEnd End = DrawArc(StartX, StartY, Length, CurlRadius);
    DrawBranches(End.X, End.Y, SubLength, FullLength, CurlRadius);
    // The second arc curls more tightly; the draw after it is unused but
    // still advances the generator.
    CurlRadius = static_cast<Single>(CurlRadius * (Random(400) / 1000.0L + 0.1L));
  }
}

void BuildBranchList() {
  const Extended H = Ogl->ViewHeight;
  RandSeed = 8181;
  BranchList = glGenLists(1);
  glNewList(BranchList, GL_COMPILE);
  DrawBranches(0, static_cast<Single>(H * 0.8L), static_cast<Single>(H * 0.65L),
               static_cast<Single>(H * 0.65L), static_cast<Single>(H * 0.1L));
  glEndList();
}
