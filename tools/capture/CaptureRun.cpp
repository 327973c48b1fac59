#include "CaptureRun.h"

#include <GL/gl.h>

#include "FilmSetup.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "PngFile.h"
#include "UMTypes.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"
#include "scenes/UAWorms.h"

namespace {

// About 60 frames a second, the pace a desktop's refresh gives the film.
constexpr int64_t ReplayStep = 16;

// The worms carry their tracks and phases from frame to frame, and once the
// organism stops reseeding the generator each frame (after 78000) they carry
// the generator too: a frame in their window is the last of a run of frames.
// The frames before it, from the start of the window at ReplayStep, are drawn
// with every pixel scissored away, so the capture shows what a run at that
// pace shows.
void ReplayWormFrames(int64_t Instant) {
  if (Instant <= WormsWindowStart || Instant > WormsWindowEnd) return;
  ResetWorms();
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 0, 0);
  for (int64_t t = WormsWindowStart + 1; t < Instant; t += ReplayStep) {
    DemoTime = t;
    DrawScene();
  }
  glDisable(GL_SCISSOR_TEST);
}

// The film's clock and the leader's tick clock both read the instant, so
// anything that asks the platform for the time sees the same moment.
void DrawFrame(const TCaptureOptions &Options, THeadlessPlatform &Headless) {
  if (Options.Countdown) {
    Headless.TickCount = static_cast<uint32_t>(Options.Instant);
    DrawCountdown(static_cast<uint32_t>(Options.Instant));
  } else {
    ReplayWormFrames(Options.Instant);
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
