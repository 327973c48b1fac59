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
  // Copies the rectangle of Width x Height pixels whose lower left pixel is
  // (X, Y), counted from the viewport's lower left, into the same place of
  // the picture, which must hold a copied frame of the viewport's size.
  void CopyRegionFromFrame(int X, int Y, int Width, int Height);
  // Fills the picture from grey levels, one byte a pixel, top row first.
  void FillGrey(const uint8_t *Grey, int Width, int Height);
  // Draws the picture over the whole viewport, replacing what is there
  // (no blending, no fog). Leaves the GL state as it found it: blending on,
  // texturing off, modulate, with both matrices unchanged.
  void Show() const;
  // The same over that rectangle only (a copied frame's picture).
  void ShowRegion(int X, int Y, int Width, int Height) const;

  bool Holds(int Width, int Height) const {
    return Texture != 0 && Generation == CurrentGeneration && Width == W && Height == H;
  }

  // Every picture taken so far belongs to a GL context that is gone: called
  // when the film is set up in a new one.
  static void ForgetAll() { ++CurrentGeneration; }

private:
  void Allocate(int Width, int Height);
  // Draws the picture's pixels Left..Right x Bottom..Top (edges in pixels
  // from the lower left) where they belong.
  void ShowPart(int Left, int Bottom, int Right, int Top) const;

  static inline int CurrentGeneration = 0;
  int Generation = 0;
  uint32_t Texture = 0;
  int W = 0, H = 0;                // the picture
  int TextureW = 0, TextureH = 0;  // its power-of-two texture
  bool TopRowFirst = false;        // grey pictures are stored upside down
};
