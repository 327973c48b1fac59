#include "scenes/SoftOrganism.h"

#include "scenes/GreyFrame.h"
#include "scenes/ViewPicture.h"

namespace {
// The scenes' line width (set by the runner before the film).
constexpr float SceneLineWidth = 2.1f;

TStrips Strips;
TGreyCanvas Canvas;
TViewPicture Picture;

}  // namespace

TStrips &SoftOrganismStrips() { return Strips; }

void DrawSoftOrganismLines() {
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  ReadGreyFrame(Canvas, Width, Height);
  Strips.ShortAsDriver = true;
  DrawSmoothStrips(Canvas, Strips, SceneLineWidth);
  Strips.Clear();
  Picture.FillGrey(Canvas.Pixels.data(), Width, Height);
  Picture.Show();
}
