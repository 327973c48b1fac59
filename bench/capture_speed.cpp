// The capture tool's speed over the whole film: renders every frame of a
// video at FPS frames a second (headless, Mesa), reading each one back as the
// capture tool does, and prints the frames rendered a second of wall time for
// each stretch of the film and overall. The render path follows the driver,
// or QUILLMOOR_RENDER_PATH (software / hardware).
//
//   build/bench/capture_speed [--draw-only] [--shown-on WxH] [WIDTHxHEIGHT [FPS [FROM TO]]]
//
// (default 1280x720, 30, the whole film; FROM and TO in milliseconds).
// --draw-only finishes each frame without reading it back: the processor
// time the demo itself pays for a frame, ours and the driver's.
// --shown-on draws the film into its own framebuffer and shows each frame
// scaled into a drawable of that size, as fullscreen does on a monitor of
// that size (e.g. 1600x1200 on 3840x2160). Each stretch's slowest frame is
// printed beside its rate.
//
// Under Mesa's no-op driver (GALLIUM_NOOP=1) Mesa does all of its own work
// and draws nothing, so the figures are what any Mesa GPU driver costs the
// processor at least:
//   GALLIUM_NOOP=1 QUILLMOOR_RENDER_PATH=hardware build/bench/capture_speed --draw-only 1600x1200
//   10
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "platform/RendererKind.h"
#include "present/FramePresenter.h"
#include "scenes/Timeline.h"

namespace {
struct TStretch {
  int64_t From, To;
  const char *Name;
  double Seconds = 0;
  int Frames = 0;
  double Slowest = 0;
  int64_t SlowestAt = 0;
};

}  // namespace

int main(int Count, char **Args) {
  const bool DrawOnly = Count > 1 && std::strcmp(Args[1], "--draw-only") == 0;
  if (DrawOnly) {
    --Count;
    ++Args;
  }
  int ShownWidth = 0, ShownHeight = 0;
  if (Count > 2 && std::strcmp(Args[1], "--shown-on") == 0) {
    if (std::sscanf(Args[2], "%dx%d", &ShownWidth, &ShownHeight) != 2) return 2;
    Count -= 2;
    Args += 2;
  }
  int Width = 1280, Height = 720, Fps = 30;
  if (Count > 1 && std::sscanf(Args[1], "%dx%d", &Width, &Height) != 2) return 2;
  if (Count > 2) Fps = std::atoi(Args[2]);
  int64_t From = 0, To = 110000;
  if (Count > 4) {
    From = std::atoll(Args[3]);
    To = std::atoll(Args[4]);
  }
  if (Width <= 0 || Height <= 0 || Fps <= 0) return 2;

  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  std::string Error;
  const bool Shown = ShownWidth > 0 && ShownHeight > 0;
  std::unique_ptr<THeadlessGL> Gl =
      THeadlessGL::Create(Shown ? ShownWidth : Width, Shown ? ShownHeight : Height, Error);
  if (!Gl) {
    std::fprintf(stderr, "capture_speed: no headless GL context: %s\n", Error.c_str());
    return 1;
  }
  TFramePresenter Presenter;
  if (Shown && !Presenter.Begin(&PlatformGlEntry, Width, Height, 32)) {
    std::fprintf(stderr, "capture_speed: no framebuffer objects to show the film scaled\n");
    return 1;
  }
  if (!SetUpFilm(Width, Height)) return 1;
  std::printf("%dx%d at %d frames a second, %s path%s", Width, Height, Fps,
              SoftwarePath() ? "software" : "hardware", DrawOnly ? ", drawing only" : "");
  if (Shown) std::printf(", shown on %dx%d", ShownWidth, ShownHeight);
  std::printf("\n");

  std::vector<TStretch> Stretches = {
      {0, 22000, "opening"},           {22000, 30000, "strands + attractor"},
      {30000, 49700, "blob field"},    {49700, 51700, "branch list + blobs"},
      {51700, 59100, "live branches"}, {59100, 63100, "grown tree, fade, discs"},
      {63100, 65000, "discs"},         {65000, 78000, "organism"},
      {78000, 90000, "worms"},         {90000, 110001, "finale"},
  };
  double Total = 0;
  int Frames = 0;
  // Read back into one kept buffer, as the capture tool does.
  std::vector<uint8_t> Pixels;
  for (int64_t Frame = From * Fps / 1000;; ++Frame) {
    const int64_t Time = Frame * 1000 / Fps;
    if (Time > To) break;
    const auto Start = std::chrono::steady_clock::now();
    if (Shown) Presenter.BeginFrame(ShownWidth, ShownHeight);
    DrawScene(TFrameInputs{Time, 0, 0});
    if (Shown) Presenter.Present(ShownWidth, ShownHeight);
    if (DrawOnly)
      glFinish();
    else
      Gl->ReadFrame(Pixels);
    const double Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    Total += Seconds;
    ++Frames;
    for (TStretch &S : Stretches)
      if (Time >= S.From && Time < S.To) {
        S.Seconds += Seconds;
        ++S.Frames;
        if (Seconds > S.Slowest) {
          S.Slowest = Seconds;
          S.SlowestAt = Time;
        }
      }
  }
  std::printf("| stretch (s) | frames rendered a second | slowest frame (ms, at film ms) |\n");
  std::printf("|---|---|---|\n");
  for (const TStretch &S : Stretches)
    if (S.Frames > 0)
      std::printf("| %g-%g %s | %.1f | %.1f at %lld |\n", S.From / 1000.0, S.To / 1000.0, S.Name,
                  S.Frames / S.Seconds, S.Slowest * 1000, static_cast<long long>(S.SlowestAt));
  std::printf("| all frames | %.1f | |\n", Frames / Total);
  Presenter.End();
  TearDownFilm();
  SetPlatform(nullptr);
  return 0;
}
