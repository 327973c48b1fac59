// A picture of the whole viewport kept in a texture, for the software-renderer
// paths: taken from the frame buffer or filled from the film's own pixels,
// then shown as one quad that lands every texel on exactly one pixel.
#pragma once

#include <cstdint>

// True when the software-renderer paths apply: the driver rasterises on the
// processor and the view's pixels are the viewport's, one for one.
bool DrawInSoftware();

class TViewPicture {
public:
  // The viewport's size, as the picture covers it.
  static void ViewportSize(int &Width, int &Height);

  // Copies the viewport's pixels (RGBA) into the picture.
  void CopyFromFrame();
  // Fills the picture from grey levels, one byte a pixel, top row first.
  void FillGrey(const uint8_t *Grey, int Width, int Height);
  // Draws the picture over the whole viewport, replacing what is there
  // (no blending, no fog). Leaves the GL state as it found it: blending on,
  // texturing off, modulate, with both matrices unchanged.
  void Show() const;

  bool Holds(int Width, int Height) const {
    return Texture != 0 && Generation == CurrentGeneration && Width == W && Height == H;
  }

  // Every picture taken so far belongs to a GL context that is gone: called
  // when the film is set up in a new one.
  static void ForgetAll() { ++CurrentGeneration; }

private:
  void Allocate(int Width, int Height);

  static inline int CurrentGeneration = 0;
  int Generation = 0;
  uint32_t Texture = 0;
  int W = 0, H = 0;                // the picture
  int TextureW = 0, TextureH = 0;  // its power-of-two texture
  bool TopRowFirst = false;        // grey pictures are stored upside down
};
