// The tree of curls (49688 < t <= 63096): every branch is a circular arc that
// starts heading straight up; two shorter branches sprout from its end, the
// second curling more tightly. The start-up list holds the tree with the curl
// radius 0.1 H; the timeline later draws it live while the radius grows.
#include "scenes/Branches.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTypes.h"
#include "platform/GlArrayCalls.h"
#include "scenes/BranchArrays.h"
#include "scenes/BranchTree.h"
#include "scenes/CarriedState.h"
#include "scenes/CurlArc.h"

namespace {
// One arc as a line strip of its 21 vertices in the branch's colour.
void DrawArc(const TArcPoints &Points, Single Alpha) {
  glColor4f(0, 0, 0, Alpha);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i < ArcPoints; ++i) glVertex2f(Points.X[i], Points.Y[i]);
  glEnd();
}

// The recursion visited as it goes, for trees too deep to compute ahead.
void VisitRecursively(Single StartX, Single StartY, Single Length, Single FullLength,
                      Single CurlRadius, const TArcVisitor &Visit) {
  if (Length < 5) return;
  const Single SubLength = static_cast<Single>(Length * 0.7L);
  for (int Arc = 0; Arc < 2; ++Arc) {
    TArcPoints Points;
    ArcVertices(StartX, StartY, Length, CurlRadius, Points);
    Visit(Points, static_cast<Single>(Extended(Length) / FullLength));
    VisitRecursively(Points.X[ArcSegments], Points.Y[ArcSegments], SubLength, FullLength,
                     CurlRadius, Visit);
    // The second arc curls more tightly; the draw after it is unused but
    // still advances the generator.
    CurlRadius = static_cast<Single>(CurlRadius * (Random(400) / 1000.0L + 0.1L));
  }
}

TBranchTree &Tree() {
  static TBranchTree Computed;
  return Computed;
}

// The vertices of the live tree (stored again whenever it changes) and of
// the start-up tree (stored once).
TArrayBuffer &LiveVertices() {
  static TArrayBuffer Buffer;
  return Buffer;
}
TArrayBuffer &ListVertices() {
  static TArrayBuffer Buffer;
  return Buffer;
}
// The start-up tree's arguments, while its vertices are in ListVertices.
TBranchArguments ListArguments{};
bool ListInBuffer = false;

TBranchArguments StartUpTree() {
  const Extended H = Ogl->ViewHeight;
  const Single Length = static_cast<Single>(H * 0.65L);
  return {0, static_cast<Single>(H * 0.8L), Length, Length, static_cast<Single>(H * 0.1L), 8181};
}
}  // namespace

namespace {
void VisitArcs(TBranchTree &Computed, Single StartX, Single StartY, Single Length,
               Single FullLength, Single CurlRadius, const TArcVisitor &Visit) {
  if (Length < 5) return;
  if (!Computed.Begin({StartX, StartY, Length, FullLength, CurlRadius, RandSeed})) {
    VisitRecursively(StartX, StartY, Length, FullLength, CurlRadius, Visit);
    return;
  }
  for (size_t a = 0; a < Computed.ArcCount(); ++a) Visit(Computed.Arc(a), Computed.Alpha(a));
  RandSeed = Computed.FinalSeed();
  Computed.End();
}
}  // namespace

void VisitBranchArcs(Single StartX, Single StartY, Single Length, Single FullLength,
                     Single CurlRadius, const TArcVisitor &Visit) {
  VisitArcs(Tree(), StartX, StartY, Length, FullLength, CurlRadius, Visit);
}

// Relies on the pixel projection, blending and the scenes' smoothed 2.1-pixel
// lines; changes only the colour. The tree is computed ahead (partly on a
// helper thread) while its arcs are handed to GL in the recursion's order.
// Where the context takes arrays, the whole tree goes to GL in one call.
void DrawBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius) {
  DrawBranches(Tree(), StartX, StartY, Length, FullLength, CurlRadius);
}

void DrawBranches(TBranchTree &Computed, Single StartX, Single StartY, Single Length,
                  Single FullLength, Single CurlRadius) {
  if (!GlArrayCalls() || Length < 5) {
    VisitArcs(Computed, StartX, StartY, Length, FullLength, CurlRadius, DrawArc);
    return;
  }
  if (!Computed.Begin({StartX, StartY, Length, FullLength, CurlRadius, RandSeed})) {
    VisitRecursively(StartX, StartY, Length, FullLength, CurlRadius, DrawArc);
    return;
  }
  DrawTreeArrays(Computed, LiveVertices());
  RandSeed = Computed.FinalSeed();
  Computed.End();
}

void BuildBranchList() {
  const TBranchArguments a = StartUpTree();
  RandSeed = a.Seed;
  ListInBuffer = false;
  TBranchTree &Computed = Tree();
  if (GlArrayCalls() && Computed.Begin(a)) {
    StoreTree(Computed, ListVertices());
    GlArrayCalls()->BindBuffer(GL_ARRAY_BUFFER, 0);
    RandSeed = Computed.FinalSeed();
    Computed.End();
    ListArguments = a;
    ListInBuffer = true;
    return;
  }
  Carried.Lists.Branches = glGenLists(1);
  glNewList(Carried.Lists.Branches, GL_COMPILE);
  DrawBranches(a.StartX, a.StartY, a.Length, a.FullLength, a.CurlRadius);
  glEndList();
}

void DrawBranchList() {
  if (!ListInBuffer || !GlArrayCalls()) {
    glCallList(Carried.Lists.Branches);
    return;
  }
  // The live tree has the start-up tree's shape and colours, so they stay
  // stored; should they not be, the tree is computed again to store them.
  if (DrawStoredTree(ListArguments, ListVertices())) return;
  TBranchTree &Computed = Tree();
  const uint32_t Seed = RandSeed;
  if (Computed.Begin(ListArguments)) {
    DrawTreeArrays(Computed, ListVertices());
    Computed.End();
  }
  RandSeed = Seed;
}
