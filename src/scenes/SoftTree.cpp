#include "scenes/SoftTree.h"

#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/CurlArc.h"
#include "scenes/ViewPicture.h"

namespace {
// The scenes' line width (set by the runner before the film).
constexpr float SceneLineWidth = 2.1f;
constexpr uint8_t White = 255;

TStrips TreeStrips;
TGreyCanvas Canvas;
TViewPicture Picture;

// The arc's points exactly as DrawBranches forms them; returns the last.
void CollectArc(TStrips &Strips, Single StartX, Single StartY, Single Length, Single CurlRadius,
                Single &EndX, Single &EndY) {
  Single cx[ArcSegments + 1], sy[ArcSegments + 1];
  ArcOffsets(Length, CurlRadius, cx, sy);
  EndX = StartX;
  EndY = StartY;
  for (int i = 0; i <= ArcSegments; ++i) {
    EndX = static_cast<Single>(Extended(StartX) + cx[i] + CurlRadius);
    EndY = static_cast<Single>(Extended(StartY) + sy[i]);
    Strips.Add(EndX, EndY);
  }
}
}  // namespace

void CollectBranches(TStrips &Strips, Single StartX, Single StartY, Single Length,
                     Single FullLength, Single CurlRadius) {
  if (Length < 5) return;
  const Single SubLength = static_cast<Single>(Length * 0.7L);
  for (int Arc = 0; Arc < 2; ++Arc) {
    Strips.Begin(static_cast<Single>(Extended(Length) / FullLength));
    Single EndX = 0, EndY = 0;
    CollectArc(Strips, StartX, StartY, Length, CurlRadius, EndX, EndY);
    CollectBranches(Strips, EndX, EndY, SubLength, FullLength, CurlRadius);
    CurlRadius = static_cast<Single>(CurlRadius * (Random(400) / 1000.0L + 0.1L));
  }
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
