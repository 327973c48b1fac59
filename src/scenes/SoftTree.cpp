#include "scenes/SoftTree.h"

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Branches.h"
#include "scenes/CurlArc.h"
#include "scenes/ViewPicture.h"

namespace {
// The scenes' line width (set by the runner before the film).
constexpr float SceneLineWidth = 2.1f;
constexpr uint8_t White = 255;

TStrips TreeStrips;
TGreyCanvas Canvas;
TViewPicture Picture;
}  // namespace

void CollectBranches(TStrips &Strips, Single StartX, Single StartY, Single Length,
                     Single FullLength, Single CurlRadius) {
  VisitBranchArcs(StartX, StartY, Length, FullLength, CurlRadius,
                  [&Strips](const TArcPoints &Points, Single Alpha) {
                    Strips.Begin(Alpha);
                    for (int i = 0; i < ArcPoints; ++i) Strips.Add(Points.X[i], Points.Y[i]);
                  });
}

void DrawSoftTree(Single CurlRadius) {
  const Extended H = Ogl->ViewHeight;
  const Single Length = static_cast<Single>(0.65L * H);
  TreeStrips.Clear();
  CollectBranches(TreeStrips, 0, static_cast<Single>(0.8L * H), Length, Length, CurlRadius);
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  Canvas.Reset(Width, Height, White);
  DrawSmoothStrips(Canvas, TreeStrips, SceneLineWidth);
  Picture.FillGrey(Canvas.Pixels.data(), Width, Height);
  Picture.Show();
}
