#include "scenes/TreePicture.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Branches.h"
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
};

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
  Tree.Picture.CopyFromFrame();
  Tree.Taken = true;
  Tree.Key = Key;
  Tree.SeedAfter = RandSeed;
}
}  // namespace

void DrawBranchListPicture() {
  // The list was compiled once at start-up, so only the view and seed matter.
  DrawThroughPicture(ListPicture, KeyFor(-1), [] { glCallList(BranchList); });
}

void DrawGrownTreePicture(Single CurlRadius, void (*DrawTree)(Single)) {
  DrawThroughPicture(GrownPicture, KeyFor(CurlRadius), [&] { DrawTree(CurlRadius); });
}
