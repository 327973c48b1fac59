// quillmoor-capture: renders one frame of the film, or of the countdown
// leader, at any size to a PNG file, with no display. The frame is the one
// the demo shows at that instant: the same set-up, the same drawing code.
#include <cstdio>
#include <string>

#include "CaptureOptions.h"
#include "FilmSetup.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "PngFile.h"
#include "runner/DemoState.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {

int Fail(const std::string &Reason) {
  std::fprintf(stderr, "quillmoor-capture: %s\n", Reason.c_str());
  return 1;
}

}  // namespace

int main(int Count, char **Args) {
  TCaptureOptions Options;
  std::string Error;
  if (!ParseCaptureOptions(Count, Args, Options, Error)) return Fail(Error);

  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  auto Context = THeadlessGL::Create(Options.Width, Options.Height, Error);
  if (!Context) return Fail("no headless GL context: " + Error);
  if (!SetUpFilm(Options.Width, Options.Height)) return Fail("the film could not be set up");

  if (Options.Countdown) {
    Headless.TickCount = static_cast<uint32_t>(Options.Instant);
    DrawCountdown(static_cast<uint32_t>(Options.Instant));
  } else {
    Headless.Counter = Options.Instant;
    DemoTime = Options.Instant;
    DrawScene();
  }
  const bool Written =
      WritePng(Options.OutPath, Context->ReadFrame(), Options.Width, Options.Height, Error);
  TearDownFilm();
  SetPlatform(nullptr);
  return Written ? 0 : Fail(Error);
}
