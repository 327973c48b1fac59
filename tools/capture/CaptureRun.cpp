#include "CaptureRun.h"

#include "FilmSetup.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "PngFile.h"
#include "UMTypes.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {

// The film's clock and the leader's tick clock both read the instant, so
// anything that asks the platform for the time sees the same moment.
void DrawFrame(const TCaptureOptions &Options, THeadlessPlatform &Headless) {
  if (Options.Countdown) {
    Headless.TickCount = static_cast<uint32_t>(Options.Instant);
    DrawCountdown(static_cast<uint32_t>(Options.Instant));
  } else {
    Headless.Counter = Options.Instant;
    DemoTime = Options.Instant;
    DrawScene();
  }
}

}  // namespace

bool RunCapture(const TCaptureOptions &Options, std::string &Error) {
  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  bool Done = false;
  if (auto Context = THeadlessGL::Create(Options.Width, Options.Height, Error)) {
    if (SetUpFilm(Options.Width, Options.Height)) {
      DrawFrame(Options, Headless);
      Done = WritePng(Options.OutPath, Context->ReadFrame(), Options.Width, Options.Height, Error);
    } else {
      Error = "the film could not be set up" +
              (Headless.Messages.empty() ? std::string() : ": " + Headless.Messages.back());
    }
    TearDownFilm();
  } else {
    Error = "no headless GL context: " + Error;
  }
  SetPlatform(nullptr);
  return Done;
}
