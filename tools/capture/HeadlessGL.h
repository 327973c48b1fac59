// Headless OpenGL: a GL compatibility context on Mesa without any display,
// drawing into an off-screen RGBA8 + depth buffer of a fixed size.
//
// The capture tool, the pixel tests and the frame benchmarks use it to render
// exactly the frames the demo renders, on a machine with no screen:
//
//   std::string Error;
//   auto Context = THeadlessGL::Create(1024, 768, Error);  // current on return
//   if (!Context) { report Error; }
//   ... draw with GL ...
//   std::vector<uint8_t> Rgba = Context->ReadFrame();     // top row first
//
// The context comes from EGL on Mesa's surfaceless platform (no X, no
// Wayland, no GPU needed: llvmpipe renders on the processor). Only one
// context should exist at a time; it stays current until it is destroyed.
//
// The rest of the library quillmoor_headless, for a whole film frame:
//   HeadlessPlatform.h  THeadlessPlatform, the platform backend (synthetic
//                       clocks, no messages, message boxes to stderr)
//   film/FilmSetup.h    SetUpFilm(W, H) / TearDownFilm(): the demo's set-up
//   PngFile.h           WritePng(): a frame to a PNG file
//   CaptureRun.h        Capture(): all of the above for a whole capture
// A typical use:
//   THeadlessPlatform Headless;
//   SetPlatform(&Headless);
//   auto Gl = THeadlessGL::Create(1024, 768, Error);
//   SetUpFilm(1024, 768);
//   DrawScene(TFrameInputs{8000, 0, 0});
//   WritePng("frame.png", Gl->ReadFrame(), 1024, 768, Error);
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class THeadlessGL {
public:
  // Creates the context with a Width x Height drawable (RGBA, 8 bits each,
  // depth buffer of at least 16 bits) and makes it current. Returns null and
  // a one-line reason in Error when EGL or the driver refuses.
  static std::unique_ptr<THeadlessGL> Create(int Width, int Height, std::string &Error);
  ~THeadlessGL();

  THeadlessGL(const THeadlessGL &) = delete;
  THeadlessGL &operator=(const THeadlessGL &) = delete;

  int Width() const { return FrameWidth; }
  int Height() const { return FrameHeight; }

  // Waits for the drawing to finish and returns the frame as RGBA bytes,
  // Width x Height pixels, row 0 the top row of the picture (GL delivers
  // rows bottom-up; they are flipped here).
  std::vector<uint8_t> ReadFrame() const;
  // The same into Into, whose storage is kept from frame to frame (a fresh
  // frame-sized buffer costs a page fault per 4 KiB on every frame).
  void ReadFrame(std::vector<uint8_t> &Into) const;

  // The pixel at column X, row Y counted from the top, as RGBA.
  struct TPixel {
    uint8_t R, G, B, A;
  };
  TPixel ReadPixel(int X, int Y) const;

private:
  THeadlessGL() = default;
  void *Display = nullptr;  // EGLDisplay
  void *Surface = nullptr;  // EGLSurface
  void *Context = nullptr;  // EGLContext
  int FrameWidth = 0;
  int FrameHeight = 0;
  mutable std::vector<uint8_t> BottomUp;  // glReadPixels' rows, reused
};
