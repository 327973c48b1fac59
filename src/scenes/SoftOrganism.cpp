#include "scenes/SoftOrganism.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "scenes/ViewPicture.h"

namespace {
// The scenes' line width (set by the runner before the film).
constexpr float SceneLineWidth = 2.1f;

TStrips Strips;
TGreyCanvas Canvas;
std::vector<uint8_t> FrameRows;
TViewPicture Picture;

// The frame so far into the canvas, top row first: it is grey, so the red
// channel is the picture.
void ReadFrame(int Width, int Height) {
  Canvas.Width = Width;
  Canvas.Height = Height;
  Canvas.Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  FrameRows.resize(Canvas.Pixels.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, Width, Height, GL_RED, GL_UNSIGNED_BYTE, FrameRows.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int Row = 0; Row < Height; ++Row)
    std::memcpy(&Canvas.Pixels[static_cast<size_t>(Row) * Width],
                &FrameRows[static_cast<size_t>(Height - 1 - Row) * Width], Width);
}
}  // namespace

TStrips &SoftOrganismStrips() { return Strips; }

void DrawSoftOrganismLines() {
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  ReadFrame(Width, Height);
  Strips.ShortAsDriver = true;
  DrawSmoothStrips(Canvas, Strips, SceneLineWidth);
  Strips.Clear();
  Picture.FillGrey(Canvas.Pixels.data(), Width, Height);
  Picture.Show();
}
