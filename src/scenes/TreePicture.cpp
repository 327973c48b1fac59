#include "scenes/TreePicture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Branches.h"
#include "scenes/SoftTree.h"
#include "scenes/ViewPicture.h"

namespace {
// What a picture was taken of: any change draws the tree again.
struct TTreeKey {
  Single CurlRadius = 0;
  uint32_t ViewWidth = 0, ViewHeight = 0;
  uint32_t SeedBefore = 0;
  bool operator==(const TTreeKey &Other) const {
    return CurlRadius == Other.CurlRadius && ViewWidth == Other.ViewWidth &&
           ViewHeight == Other.ViewHeight && SeedBefore == Other.SeedBefore;
  }
};

struct TTreePicture {
  TViewPicture Picture;
  bool Taken = false;
  TTreeKey Key;
  uint32_t SeedAfter = 0;
  // A picture being taken ahead, slice by slice.
  TStrips Arcs;
  TTreeKey PreparingKey;
  size_t NextArc = 0;
  bool Preparing = false;
};

// The tree's seed, as the timeline sets it before every drawing.
constexpr uint32_t TreeSeed = 8181;
// Line drawn a slice, in lengths of the top branch: the time of smoothed
// lines goes with their length, and the whole tree (about 390 top lengths,
// whatever the view's size) then takes about a hundred slices.
constexpr float SliceLength = 4;

TTreePicture ListPicture, GrownPicture;

TTreeKey KeyFor(Single CurlRadius) {
  return TTreeKey{CurlRadius, Ogl->ViewWidth, Ogl->ViewHeight, RandSeed};
}

// Shows the picture when it shows this tree; otherwise draws the tree and
// takes its picture for the next frames.
template <typename TDraw>
void DrawThroughPicture(TTreePicture &Tree, const TTreeKey &Key, TDraw Draw) {
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  if (Tree.Taken && Tree.Key == Key && Tree.Picture.Holds(Width, Height)) {
    Tree.Picture.Show();
    RandSeed = Tree.SeedAfter;
    return;
  }
  Draw();
  // A frame drawn unseen (scissored away, as an offline run replays the
  // frames before its start) holds no tree to take.
  if (glIsEnabled(GL_SCISSOR_TEST)) return;
  Tree.Picture.CopyFromFrame();
  Tree.Taken = true;
  Tree.Key = Key;
  Tree.SeedAfter = RandSeed;
}

// The tree's arcs from the left edge with this curl radius, as the timeline
// draws it after setting the seed; RandSeed is left as it was.
void CollectTree(TTreePicture &Tree, Single CurlRadius) {
  const uint32_t SavedSeed = RandSeed;
  const Extended H = Ogl->ViewHeight;
  const Single Length = static_cast<Single>(0.65L * H);
  RandSeed = TreeSeed;
  Tree.Arcs.Clear();
  CollectBranches(Tree.Arcs, 0, static_cast<Single>(0.8L * H), Length, Length, CurlRadius);
  Tree.SeedAfter = RandSeed;
  RandSeed = SavedSeed;
}

// One slice of a picture taken ahead; true when the picture is ready.
// The list's picture leaves RandSeed at the tree's seed (replaying a list
// draws nothing from the generator); the live tree's leaves it advanced.
bool PrepareSlice(TTreePicture &Tree, const TTreeKey &Key, Single CurlRadius, bool FromList) {
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  if (Tree.Taken && Tree.Key == Key && Tree.Picture.Holds(Width, Height)) return true;
  if (glIsEnabled(GL_SCISSOR_TEST)) return false;
  if (!Tree.Preparing || !(Tree.PreparingKey == Key) ||
      (Tree.NextArc > 0 && !Tree.Picture.Holds(Width, Height))) {
    CollectTree(Tree, CurlRadius);
    Tree.Taken = false;
    Tree.Preparing = true;
    Tree.PreparingKey = Key;
    Tree.NextArc = 0;
  }
  const TStrips &Arcs = Tree.Arcs;
  size_t End = Tree.NextArc;
  // An arc's opacity is its length over the top branch's.
  float Left = 1e30f, Right = -1e30f, Up = 1e30f, Down = -1e30f;
  for (float Drawn = 0; End < Arcs.Strips.size() && Drawn < SliceLength; ++End) {
    const TStrips::TStrip &Arc = Arcs.Strips[End];
    Drawn += Arc.Alpha;
    for (uint32_t i = Arc.First; i < Arc.First + Arc.Count; ++i) {
      Left = std::min(Left, Arcs.X[i]);
      Right = std::max(Right, Arcs.X[i]);
      Up = std::min(Up, Arcs.Y[i]);
      Down = std::max(Down, Arcs.Y[i]);
    }
  }
  // The pixels the slice's smoothed lines can reach (half their width and
  // half a pixel past their ends, with room to spare), in window pixels from
  // the lower left: only those are put back, drawn over and copied again,
  // so a slice of small arcs costs the driver little.
  constexpr float Reach = 4;
  const int X0 = std::max(0, static_cast<int>(std::floor(Left - Reach)));
  const int X1 = std::min(Width, static_cast<int>(std::ceil(Right + Reach)));
  const int Y0 = std::max(0, static_cast<int>(std::floor(Height - Down - Reach)));
  const int Y1 = std::min(Height, static_cast<int>(std::ceil(Height - Up + Reach)));
  const bool First = Tree.NextArc == 0;
  if (First) {
    glClearColor(1, 1, 1, 0.5f);  // the background of the tree's scenes
    glClear(GL_COLOR_BUFFER_BIT);
  } else {
    Tree.Picture.ShowRegion(X0, Y0, X1 - X0, Y1 - Y0);
  }
  for (size_t a = Tree.NextArc; a < End; ++a) {
    const TStrips::TStrip &Arc = Arcs.Strips[a];
    glColor4f(0, 0, 0, Arc.Alpha);
    glBegin(GL_LINE_STRIP);
    for (uint32_t i = Arc.First; i < Arc.First + Arc.Count; ++i) glVertex2f(Arcs.X[i], Arcs.Y[i]);
    glEnd();
  }
  if (First)
    Tree.Picture.CopyFromFrame();
  else
    Tree.Picture.CopyRegionFromFrame(X0, Y0, X1 - X0, Y1 - Y0);
  Tree.NextArc = End;
  if (End < Arcs.Strips.size()) return false;
  Tree.Preparing = false;
  Tree.Taken = true;
  Tree.Key = Key;
  Tree.Arcs.Clear();
  if (FromList) Tree.SeedAfter = TreeSeed;
  return true;
}
}  // namespace

bool PrepareTreePictures() {
  const Extended H = Ogl->ViewHeight;
  // The start-up list holds the tree drawn with the radius 0.1 H.
  const TTreeKey ListKey{-1, Ogl->ViewWidth, Ogl->ViewHeight, TreeSeed};
  if (!PrepareSlice(ListPicture, ListKey, static_cast<Single>(H * 0.1L), true)) return false;
  const Single Grown = static_cast<Single>(0.2L * H + 0.2L * H);
  const TTreeKey GrownKey{Grown, Ogl->ViewWidth, Ogl->ViewHeight, TreeSeed};
  return PrepareSlice(GrownPicture, GrownKey, Grown, false);
}

void DrawBranchListPicture() {
  // The list was compiled once at start-up, so only the view and seed matter.
  DrawThroughPicture(ListPicture, KeyFor(-1), [] { DrawBranchList(); });
}

void DrawGrownTreePicture(Single CurlRadius, void (*DrawTree)(Single)) {
  DrawThroughPicture(GrownPicture, KeyFor(CurlRadius), [&] { DrawTree(CurlRadius); });
}
