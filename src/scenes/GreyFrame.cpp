#include "scenes/GreyFrame.h"

#include <GL/gl.h>

#include <cstring>

namespace {
// GL's rows, bottom row first; kept between frames so that reading one
// allocates nothing.
std::vector<uint8_t> &FrameRows() {
  static std::vector<uint8_t> Rows;
  return Rows;
}
}  // namespace

void ReadGreyFrame(TGreyCanvas &Canvas, int Width, int Height) {
  Canvas.Width = Width;
  Canvas.Height = Height;
  Canvas.Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height));
  std::vector<uint8_t> &Rows = FrameRows();
  Rows.resize(Canvas.Pixels.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, Width, Height, GL_RED, GL_UNSIGNED_BYTE, Rows.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int Row = 0; Row < Height; ++Row)
    std::memcpy(&Canvas.Pixels[static_cast<size_t>(Row) * Width],
                &Rows[static_cast<size_t>(Height - 1 - Row) * Width], Width);
}
