#include "runner/RunDemo.h"

#include <cstdio>
#include <string>

#include "UMMath.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "platform/Platform.h"
#include "present/FramePresenter.h"
#include "runner/RunnerCalls.h"
#include "scenes/FilmTiming.h"
#include "window/RenderWindow.h"

namespace {

// The oldest sound library the music stream works with, as the single nearest
// to 3.74.
constexpr Single RequiredSoundVersion = 3.74f;

// Set when the last run ended on a failure the viewer was told of.
bool LastRunFailed = false;

int32_t Failure() {
  LastRunFailed = true;
  return 1;
}

void ShowSoundError(const std::string &Text, const char *Caption) {
  Platform().MessageBox(Text.c_str(), Caption, TMessageIcon::Error, TMessageButtons::Ok);
}

// Sound start-up: the version check and the initialisation of the sound
// library. False after the viewer has been told why.
bool StartSound(const TSoundCalls &Sound) {
  const Single Version = Sound.FSOUND_GetVersion();
  // Written so that a NaN version also counts as too old.
  if (!(Version >= RequiredSoundVersion)) {
    ShowSoundError("FMOD error: wrong dll version", "Quillmoor");
    return false;
  }
  if (!Sound.FSOUND_Init(44100, 32, 0)) {
    const int Code = Sound.FSOUND_GetError();
    ShowSoundError(std::string("Error initializing FMOD: ") + FmodErrorText(Code), "Quillmoor");
    Sound.FSOUND_Close();
    return false;
  }
  return true;
}

// Music: the music stream and the FFT unit the level meter reads.
bool OpenMusic(const TSoundCalls &Sound) {
  MusicStream = Sound.FSOUND_Stream_Open("music.mp3", 304, 0, 0);
  if (MusicStream == 0) {
    const int Code = Sound.FSOUND_GetError();
    ShowSoundError(FmodErrorText(Code), "Load error");
    Sound.FSOUND_Close();
    return false;
  }
  Sound.FSOUND_DSP_SetActive(Sound.FSOUND_DSP_GetFFTUnit(), true);
  return true;
}

// Before a frame: the film draws into the window, or into its own
// framebuffer when the window shows it scaled.
void BeginFrame(TFramePresenter &Presenter) {
  int Width = 0, Height = 0;
  if (Platform().GetDrawableSize(Width, Height)) Presenter.BeginFrame(Width, Height);
}

// A drawn frame to the screen: the presenter scales it into the window's
// drawable where it was drawn apart, then the buffers are swapped.
void ShowFrame(TFramePresenter &Presenter) {
  int Width = 0, Height = 0;
  if (Platform().GetDrawableSize(Width, Height)) Presenter.Present(Width, Height);
  Platform().SwapBuffers();
}

// The render window for the chosen mode, and the film's framebuffer in it.
// A context that cannot make one draws the film straight into the window,
// which must then have the mode's size: a fullscreen run switches the
// display's mode for it.
TWindowFailure OpenFilmWindow(TFramePresenter &Presenter) {
  const int32_t Width = static_cast<int32_t>(Ogl->ModeWidth);
  const int32_t Height = static_cast<int32_t>(Ogl->ModeHeight);
  const int32_t Bits = static_cast<int32_t>(Ogl->ModeBits);
  const TFullscreenWay Way = FullscreenWayFromEnvironment();
  TWindowFailure Failure =
      CreateRenderWindow("Quillmoor", Width, Height, Bits, RunState().Fullscreen, Way);
  if (Failure != TWindowFailure::NoFailure) return Failure;
  if (Presenter.Begin(&PlatformGlEntry, Width, Height, Bits)) return Failure;
  if (!RunState().Fullscreen || Way == TFullscreenWay::ModeSwitch) return Failure;
  std::fprintf(stderr,
               "Quillmoor: the GL has no framebuffer objects to scale the film with; switching "
               "the display to the mode instead\n");
  DestroyRenderWindow();
  return CreateRenderWindow("Quillmoor", Width, Height, Bits, true, TFullscreenWay::ModeSwitch);
}

// Escape is held, or was pressed since the run started: a quick tap whose
// key-down and key-up both arrive between two frames must not be lost.
bool EscapeRequested() { return RunState().Keys[VK_ESCAPE] || RunState().EscapePressed; }

// Tick time since the countdown's start point, correct across the tick
// count's wrap at 2^32.
uint32_t CountdownElapsed() {
  return Platform().GetTickCount() - static_cast<uint32_t>(RunState().StartCounter);
}

// The countdown leader on the tick clock, one window event or one leader
// frame per pass, until more than 4000 ms have passed or the run is ended.
void RunCountdown(const TFilmCalls &Film, TFramePresenter &Presenter) {
  RunState().StartCounter = static_cast<uint32_t>(Platform().GetTickCount() - LeaderHeadStart);
  for (;;) {
    TWindowEvent Event;
    if (Platform().PollEvent(Event)) {
      HandleWindowEvent(Event);
    } else {
      BeginFrame(Presenter);
      Film.DrawCountdown(CountdownElapsed());
      ShowFrame(Presenter);
    }
    if (EscapeRequested()) RunState().Done = true;
    if (CountdownElapsed() > LeaderLength || RunState().Done) return;
  }
}

// The film clock: whole milliseconds of the performance counter since the
// run's StartCounter.
// The counter difference is an exact integer; only then does floating point
// come in, in extended precision.
int64_t MillisecondsSinceStart(int64_t Frequency) {
  int64_t Current = 0;
  Platform().QueryPerformanceCounter(Current);
  const Extended Seconds =
      static_cast<Extended>(Current - RunState().StartCounter) / static_cast<Extended>(Frequency);
  return Trunc(Seconds * 1000);
}

// One film frame at the clock's time with the music's output levels of the
// moment; a failed level query leaves the previous levels (0 at the start).
bool DrawFilmFrame(const TRunnerCalls &Calls, TFrameInputs &Frame, TFramePresenter &Presenter) {
  BeginFrame(Presenter);
  Frame.Time = DemoTime;
  Calls.Sound.FSOUND_GetCurrentLevels(0, &Frame.LeftLevel, &Frame.RightLevel);
  return Calls.Film.DrawScene(Frame);
}

// The main loop: one window event or one frame per pass, never sleeping, until
// Escape, a close or quit event, or the pass in which the film has run its length.
// Each pass tells the music the film's time, so that after a stall of the
// process (or a device that drifts) what is heard catches up with what is
// shown.
void RunMainLoop(const TRunnerCalls &Calls, int64_t Frequency, TFramePresenter &Presenter) {
  const TSoundCalls &Sound = Calls.Sound;
  TFrameInputs Frame;
  while (!RunState().Done) {
    DemoTime = MillisecondsSinceStart(Frequency);
    Sound.FSOUND_Stream_Follow(MusicStream, DemoTime);
    TWindowEvent Event;
    if (Platform().PollEvent(Event))
      HandleWindowEvent(Event);
    else if ((RunState().Active && !DrawFilmFrame(Calls, Frame, Presenter)) || EscapeRequested())
      RunState().Done = true;
    else
      ShowFrame(Presenter);
    if (DemoTime > FilmLength) RunState().Done = true;
  }
}

}  // namespace

int32_t RunDemo(const TRunnerCalls &Calls) {
  TPlatform &P = Platform();
  const TSoundCalls &Sound = Calls.Sound;
  const TFilmCalls &Film = Calls.Film;

  // Start-up.
  LastRunFailed = false;
  if (!StartSound(Sound)) return Failure();
  RunState().Done = false;
  RunState().EscapePressed = false;
  SetFilmView();
  P.SetCursorPos(0, 0);
  TFramePresenter Presenter;
  const TWindowFailure WindowFailure = OpenFilmWindow(Presenter);
  // The viewer who declines a window in place of a refused mode ends the run
  // as chosen; any other window failure is a failure of the run.
  if (WindowFailure == TWindowFailure::ModeDeclined) return 0;
  if (WindowFailure != TWindowFailure::NoFailure) return Failure();
  P.ShowCursor(false);

  // Precomputation; a damaged bitmap has already been reported.
  if (!Film.Precompute()) {
    Sound.FSOUND_Close();
    Presenter.End();
    DestroyRenderWindow();
    return Failure();
  }

  // Music. The window stays up behind the message, then goes with the run.
  if (!OpenMusic(Sound)) {
    Presenter.End();
    DestroyRenderWindow();
    return Failure();
  }

  RunCountdown(Film, Presenter);

  // Clock start: the counter is read just before playback, so DemoTime 0 is
  // the instant the music begins. Playback starts even when the countdown
  // was ended; the shutdown then stops it at once.
  StartFilmPicture();
  int64_t Frequency = 0;
  P.QueryPerformanceFrequency(Frequency);
  P.QueryPerformanceCounter(RunState().StartCounter);
  if (MusicStream != 0) Sound.FSOUND_Stream_Play(-1, MusicStream);
  Sound.FSOUND_SetVolume(-3, 255);

  RunMainLoop(Calls, Frequency, Presenter);

  // Shutdown.
  Sound.FSOUND_Stream_Stop(MusicStream);
  Sound.FSOUND_Stream_Close(MusicStream);
  Sound.FSOUND_Close();
  Presenter.End();
  DestroyRenderWindow();
  return 0;
}

bool RunDemoFailed() { return LastRunFailed; }
