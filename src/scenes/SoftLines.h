// Smoothed lines drawn by the film's own code into a grey picture, for
// software renderers, where the driver's smoothed-line stage is the slowest
// part of a frame and runs on one thread. Each segment of a strip is drawn as
// the driver draws a smoothed line: a quad reaching half the line width plus
// half a pixel to either side and half a pixel past either end, whose
// coverage at a pixel centre is
//   clamp(HalfWidth - |across|, 0, 1) x min(clamp(Length / 2 + 1/2 - |along|, 0, 1), Length)
// (HalfWidth = width / 2 + 1/2, distances from the segment's middle; a
// segment shorter than a pixel covers no more than its length), blended
// into 8-bit pixels in the order drawn with the same rounding as the driver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Line strips in view pixels (y downward), each with its own opacity and grey
// level (0 black .. 255 white); segments are drawn in order.
struct TStrips {
  struct TStrip {
    uint32_t First, Count;  // vertices of the strip in X, Y
    float Alpha;
    uint8_t Grey;
  };
  std::vector<float> X, Y;
  std::vector<TStrip> Strips;
  // Segments shorter than a pixel: false, the cover along is the rule above;
  // true, it falls from the segment's length at its middle to 0 at the
  // quad's ends, as Mesa's llvmpipe draws them (the pictures made before
  // this was known keep the rule above, their frames unchanged).
  bool ShortAsDriver = false;

  void Clear() {
    X.clear();
    Y.clear();
    Strips.clear();
  }
  void Begin(float Alpha, uint8_t Grey = 0) {
    Strips.push_back({static_cast<uint32_t>(X.size()), 0, Alpha, Grey});
  }
  void Add(float PointX, float PointY) {
    X.push_back(PointX);
    Y.push_back(PointY);
    ++Strips.back().Count;
  }
};

// A grey picture of Width x Height pixels, top row first.
struct TGreyCanvas {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;

  void Reset(int NewWidth, int NewHeight, uint8_t Grey) {
    Width = NewWidth;
    Height = NewHeight;
    Pixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), Grey);
  }
  uint8_t At(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
};

// How a row's pixels are worked out: four at a time where the processor has
// SSE2 (else one at a time), or one at a time. Both give the same bytes.
enum class TColumnCode { Fastest, OneAtATime };

// Blends the strips into the canvas with smoothed lines of LineWidth pixels,
// the picture's rows shared between Threads threads (the result does not
// depend on their number).
void DrawSmoothStrips(TGreyCanvas &Canvas, const TStrips &Strips, float LineWidth, int Threads = 2,
                      TColumnCode Code = TColumnCode::Fastest);
