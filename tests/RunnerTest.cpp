// RunDemo over the scripted platform with a recording sound layer and film:
// the order of a whole run, the countdown on the wrapping tick clock, one
// window event or one frame per pass, the ways a run ends, and the sound failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "RecordingGL.h"
#include "ScriptedPlatform.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "film/Precompute.h"
#include "runner/RunDemo.h"
#include "runner/RunnerCalls.h"
#include "window/RenderWindow.h"

namespace {

using Steps = std::vector<std::string>;

// What the fakes answer, and where they write what they were asked.
struct TFakeScript {
  TScriptedPlatform *Machine = nullptr;
  float Version = 3.74f;
  bool InitSucceeds = true;
  bool OpenSucceeds = true;
  bool PrecomputeSucceeds = true;
  int ErrorCode = 0;
  bool Playing = false;  // the music started: the film clock runs
  uint32_t TicksPerLeaderFrame = 50;
  std::vector<uint32_t> LeaderFrames;                // the ms each leader frame was drawn for
  std::vector<int64_t> Frames;                       // the film time each film frame was drawn for
  std::vector<std::pair<float, float>> FrameLevels;  // the levels each film frame got
  int LevelQueries = 0;
  bool LevelsFail = false;             // the level query fails (the previous levels stay)
  std::vector<int64_t> Followed;       // the film times the music was told, in order
  std::vector<float> FrameLineWidths;  // the line width each film frame starts from
};
TFakeScript Fake;

void Note(const std::string &Entry) { Fake.Machine->Note(Entry); }
std::string Text(int Value) { return std::to_string(Value); }

float FakeGetVersion() {
  Note("FSOUND_GetVersion");
  return Fake.Version;
}
bool FakeInit(int Rate, int Channels, unsigned Flags) {
  Note("FSOUND_Init " + Text(Rate) + " " + Text(Channels) + " " + Text(int(Flags)));
  return Fake.InitSucceeds;
}
int FakeGetError() {
  Note("FSOUND_GetError");
  return Fake.ErrorCode;
}
void FakeClose() { Note("FSOUND_Close"); }
FSOUND_HANDLE FakeOpen(const char *Name, unsigned Mode, int Offset, int Length) {
  Note(std::string("FSOUND_Stream_Open ") + Name + " " + Text(int(Mode)) + " " + Text(Offset) +
       " " + Text(Length));
  return Fake.OpenSucceeds ? 7 : 0;
}
FSOUND_HANDLE FakeGetFFTUnit() {
  Note("FSOUND_DSP_GetFFTUnit");
  return 9;
}
bool FakeSetActive(FSOUND_HANDLE Unit, bool On) {
  Note("FSOUND_DSP_SetActive " + Text(int(Unit)) + (On ? " true" : " false"));
  return true;
}
bool FakePlay(int Channel, FSOUND_HANDLE Stream) {
  Fake.Playing = true;
  Note("FSOUND_Stream_Play " + Text(Channel) + " " + Text(int(Stream)));
  return true;
}
bool FakeSetVolume(int Channel, int Volume) {
  Note("FSOUND_SetVolume " + Text(Channel) + " " + Text(Volume));
  return true;
}
bool FakeStop(FSOUND_HANDLE Stream) {
  Note("FSOUND_Stream_Stop " + Text(int(Stream)));
  return true;
}
bool FakeStreamClose(FSOUND_HANDLE Stream) {
  Note("FSOUND_Stream_Close " + Text(int(Stream)));
  return true;
}

// Called for every film frame: the n-th query answers n / 1000 and 2n / 1000.
bool FakeGetLevels(int Channel, float *Left, float *Right) {
  ++Fake.LevelQueries;
  if (Fake.LevelsFail || Channel != 0) return false;
  *Left = Fake.LevelQueries / 1000.0f;
  *Right = 2 * Fake.LevelQueries / 1000.0f;
  return true;
}

// Called every pass: recorded apart from the log, which shows the run's steps.
bool FakeFollow(FSOUND_HANDLE Stream, int64_t Time) {
  if (Stream == 7) Fake.Followed.push_back(Time);
  return true;
}

bool FakePrecompute() {
  Note("Precompute");
  return Fake.PrecomputeSucceeds;
}
// Time passes while a leader frame is drawn; the leader also changes the line
// width, which the runner must set again before the film.
void FakeDrawCountdown(uint32_t Ms) {
  Fake.LeaderFrames.push_back(Ms);
  Fake.Machine->TickCount += Fake.TicksPerLeaderFrame;
  glLineWidth(5);
}
bool FakeDrawScene(const TFrameInputs &Frame) {
  Fake.Frames.push_back(Frame.Time);
  Fake.FrameLevels.push_back({Frame.LeftLevel, Frame.RightLevel});
  Fake.FrameLineWidths.push_back(RecordedGL().LineWidth);
  Note("DrawScene");
  return true;
}

const TRunnerCalls Fakes = {
    {&FakeGetVersion, &FakeInit, &FakeGetError, &FakeClose, &FakeOpen, &FakeGetFFTUnit,
     &FakeSetActive, &FakePlay, &FakeSetVolume, &FakeStop, &FakeStreamClose, &FakeFollow,
     &FakeGetLevels},
    {&FakePrecompute, &FakeDrawCountdown, &FakeDrawScene},
};

class RunnerTest : public ::testing::Test {
protected:
  void SetUp() override {
    P = TScriptedPlatform();
    Fake = TFakeScript();
    Fake.Machine = &P;
    SetPlatform(&P, &P);
    View.ModeWidth = 800;
    View.ModeHeight = 600;
    View.ModeBits = 32;
    Ogl = &View;
    ResetDemoState();
    RunState().Fullscreen = false;
    MusicStream = 0;
    RecordedGL().Reset();
    RecordedGL().Recording = false;  // only the tracked state is needed
    // The film clock: a millisecond counter that moves CounterPerPass
    // between one pass's reading and the next.
    P.Frequency = 1000;
    P.Counter = 5000000;
    P.TickCount = 123456;
    CounterPerPass = 100;
    Timed.clear();
    EachPass = nullptr;
    P.OnPoll = [this]() {
      P.Counter += CounterPerPass;
      if (Fake.Playing) PostDueMessages();
      if (EachPass) EachPass();
    };
  }
  void TearDown() override {
    RecordedGL().Recording = true;
    Ogl = nullptr;
    SetPlatform(nullptr);
  }

  // A fresh machine and fakes for the next case of a table.
  void StartOver() {
    TearDown();
    SetUp();
  }

  // Posts Msg in the first pass of the film whose DemoTime has reached Ms.
  void PostAtFilmTime(int64_t Ms, TWindowEvent Event) { Timed.push_back({Ms, Event}); }
  void PostDueMessages() {
    while (!Timed.empty() && DemoTime >= Timed.front().first) {
      P.Queue.push_back(Timed.front().second);
      Timed.erase(Timed.begin());
    }
  }

  // Log entries of the machine and the sound layer, without the per-pass
  // frames and swaps.
  Steps Outline() const {
    Steps Result;
    for (const auto &Entry : P.Log)
      if (Entry != "DrawScene" && Entry != "SwapBuffers") Result.push_back(Entry);
    return Result;
  }

  TScriptedPlatform P;
  TOgl View;
  int64_t CounterPerPass = 100;
  std::vector<std::pair<int64_t, TWindowEvent>> Timed;
  std::function<void()> EachPass;
};

TEST_F(RunnerTest, ACompleteRunTakesEveryStepInOrder) {
  EXPECT_EQ(RunDemo(Fakes), 0);
  EXPECT_FALSE(RunDemoFailed());
  EXPECT_EQ(Outline(), (Steps{"FSOUND_GetVersion",
                              "FSOUND_Init 44100 32 0",
                              "SetCursorPos 0,0",
                              "RegisterWindowClass",
                              "CreateWindow Quillmoor 800x600x32 windowed",
                              "ShowWindow",
                              "ShowCursor false",
                              "Precompute",
                              "FSOUND_Stream_Open music.mp3 304 0 0",
                              "FSOUND_DSP_GetFFTUnit",
                              "FSOUND_DSP_SetActive 9 true",
                              "FSOUND_Stream_Play -1 7",
                              "FSOUND_SetVolume -3 255",
                              "FSOUND_Stream_Stop 7",
                              "FSOUND_Stream_Close 7",
                              "FSOUND_Close",
                              "ReleaseCurrent",
                              "DeleteContext",
                              "DestroyWindow",
                              "UnregisterWindowClass"}));
  EXPECT_EQ(View.ViewWidth, 800u);
  EXPECT_EQ(View.ViewHeight, 600u);
  EXPECT_TRUE(P.MessageBoxes.empty());
  // Every leader and film frame was shown, and each film frame starts from the film's line
  // width.
  EXPECT_EQ(P.SwapCount, static_cast<int>(Fake.LeaderFrames.size() + Fake.Frames.size()));
  for (float Width : Fake.FrameLineWidths) ASSERT_EQ(Width, 2.1f);
}

TEST_F(RunnerTest, TheFilmRunsFromZeroUntilThePassPastItsLength) {
  CounterPerPass = 1000;  // DemoTime steps 0, 1000, ... and hits 110000 exactly
  RunDemo(Fakes);
  ASSERT_GE(Fake.Frames.size(), 2u);
  EXPECT_EQ(Fake.Frames.front(), 0);
  // 110000 does not end the run; the first pass past it still shows its frame.
  EXPECT_EQ(Fake.Frames[Fake.Frames.size() - 2], 110000);
  EXPECT_EQ(Fake.Frames.back(), 111000);
  EXPECT_EQ(P.Log.back(), "UnregisterWindowClass");
}

// The runner asks the music for its levels once per film frame and hands them
// to the frame; a failed query leaves the levels the last frame got.
TEST_F(RunnerTest, EachFilmFrameGetsTheMusicLevelsOfItsPass) {
  CounterPerPass = 1000;
  EachPass = [this]() { Fake.LevelsFail = DemoTime >= 50000 && DemoTime < 60000; };
  RunDemo(Fakes);
  ASSERT_EQ(Fake.Frames.size(), Fake.FrameLevels.size());
  ASSERT_EQ(static_cast<size_t>(Fake.LevelQueries), Fake.Frames.size());
  for (size_t i = 0; i < Fake.Frames.size(); ++i) {
    SCOPED_TRACE("t = " + std::to_string(Fake.Frames[i]));
    // Frames 50000 to 59000 keep what frame 49000 (the 50th query) got.
    const size_t Query = Fake.Frames[i] >= 50000 && Fake.Frames[i] < 60000 ? 50 : i + 1;
    EXPECT_EQ(Fake.FrameLevels[i].first, Query / 1000.0f);
    EXPECT_EQ(Fake.FrameLevels[i].second, 2 * Query / 1000.0f);
  }
}

TEST_F(RunnerTest, DemoTimeTruncatesTheCounterInWholeMilliseconds) {
  const struct {
    int64_t Frequency;
    int64_t Step;
    std::vector<int64_t> Expected;  // first frames
  } Cases[] = {
      {3, 1, {0, 333, 666, 1000, 1333}},  // truncated, never rounded up
      {1000000000, 999999, {0, 0, 1, 2, 3}},
      {10000000, 123456789, {0, 12345, 24691, 37037, 49382}},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Frequency);
    StartOver();
    P.Frequency = Case.Frequency;
    CounterPerPass = Case.Step;
    P.Counter = int64_t{1} << 40;  // a large start reading: only the difference counts
    EachPass = [this]() {
      if (Fake.Frames.size() == 5) P.Post(QuitEvent());
    };
    RunDemo(Fakes);
    ASSERT_GE(Fake.Frames.size(), 5u);
    EXPECT_EQ(std::vector<int64_t>(Fake.Frames.begin(), Fake.Frames.begin() + 5), Case.Expected);
  }
}

// A stall of the whole process (stopped and continued, a suspended laptop):
// the clock jumps, and the music must hear of the jump in the very pass that
// draws it, so it can catch up with the picture.
TEST_F(RunnerTest, EveryPassTellsTheMusicTheFilmTimeAStallIncluded) {
  EachPass = [this]() {
    if (DemoTime == 20000) P.Counter += 3000;                   // stopped for 3 s
    if (DemoTime == 30100) P.Post(KeyDownEvent(VK_F10, true));  // a pass without a frame
  };
  RunDemo(Fakes);
  // Every pass, the one that took the event too; every frame's time first.
  ASSERT_EQ(Fake.Followed.size(), Fake.Frames.size() + 1);
  EXPECT_TRUE(std::includes(Fake.Followed.begin(), Fake.Followed.end(), Fake.Frames.begin(),
                            Fake.Frames.end()));
  std::vector<int64_t> Jumps;
  for (size_t Pass = 1; Pass < Fake.Followed.size(); ++Pass) {
    const int64_t Step = Fake.Followed[Pass] - Fake.Followed[Pass - 1];
    if (Step > 101) Jumps.push_back(Step);
  }
  EXPECT_EQ(Jumps, std::vector<int64_t>{3100});
  EXPECT_EQ(Fake.Followed.front(), 0);
  EXPECT_GT(Fake.Followed.back(), 110000);
}

TEST_F(RunnerTest, TheCountdownRunsFrom700PastThe4000MarkAcrossTheTickWrap) {
  const uint32_t StartTicks[] = {123456, 0, 300, 0xFFFFFFFFu - 1000, 0xFFFFFFFFu};
  for (const uint32_t Start : StartTicks) {
    SCOPED_TRACE(Start);
    StartOver();
    P.TickCount = Start;
    RunDemo(Fakes);
    ASSERT_FALSE(Fake.LeaderFrames.empty());
    EXPECT_EQ(Fake.LeaderFrames.front(), 700u);
    EXPECT_EQ(Fake.LeaderFrames.back(), 4000u);
    EXPECT_EQ(Fake.LeaderFrames.size(), (4000u - 700u) / 50u + 1u);
    for (size_t i = 1; i < Fake.LeaderFrames.size(); ++i)
      ASSERT_EQ(Fake.LeaderFrames[i], Fake.LeaderFrames[i - 1] + 50u);
  }
}

TEST_F(RunnerTest, EscapeDuringTheCountdownStartsAndStopsTheMusicWithoutAFrame) {
  EachPass = [this]() {
    if (Fake.LeaderFrames.size() == 10 && !RunState().Keys[VK_ESCAPE])
      P.Post(KeyDownEvent(VK_ESCAPE));
  };
  EXPECT_EQ(RunDemo(Fakes), 0);
  EXPECT_EQ(Fake.LeaderFrames.size(), 10u);
  EXPECT_TRUE(Fake.Frames.empty());
  EXPECT_EQ(P.SwapCount, 10);  // the leader's frames only
  const Steps Tail(P.Log.end() - 9, P.Log.end());
  EXPECT_EQ(Tail,
            (Steps{"FSOUND_Stream_Play -1 7", "FSOUND_SetVolume -3 255", "FSOUND_Stream_Stop 7",
                   "FSOUND_Stream_Close 7", "FSOUND_Close", "ReleaseCurrent", "DeleteContext",
                   "DestroyWindow", "UnregisterWindowClass"}));
}

TEST_F(RunnerTest, ClosingTheWindowEndsTheRunWithResultZero) {
  // During the countdown.
  EachPass = [this]() {
    if (Fake.LeaderFrames.size() == 5 && !RunState().Done) P.Post(CloseEvent());
  };
  EXPECT_EQ(RunDemo(Fakes), 0);
  EXPECT_EQ(Fake.LeaderFrames.size(), 5u);
  EXPECT_TRUE(Fake.Frames.empty());
  EXPECT_EQ(P.Log.back(), "UnregisterWindowClass");

  // During the film: the pass that takes the close draws nothing and is the
  // last.
  StartOver();
  PostAtFilmTime(50000, CloseEvent());
  EXPECT_EQ(RunDemo(Fakes), 0);
  ASSERT_FALSE(Fake.Frames.empty());
  EXPECT_EQ(Fake.Frames.back(), 49900);
  EXPECT_EQ(Outline().back(), "UnregisterWindowClass");
  EXPECT_EQ(P.LogStartingWith("FSOUND_Stream_Stop").size(), 1u);
}

TEST_F(RunnerTest, EscapeDuringTheFilmEndsWithoutShowingThatFrame) {
  PostAtFilmTime(30000, KeyDownEvent(VK_ESCAPE));
  EXPECT_EQ(RunDemo(Fakes), 0);
  // The key-down pass draws nothing; the next pass draws, sees Escape and
  // ends without a swap.
  EXPECT_EQ(Fake.Frames.back(), 30100);
  EXPECT_EQ(P.SwapCount, static_cast<int>(Fake.LeaderFrames.size() + Fake.Frames.size()) - 1);
}

TEST_F(RunnerTest, AnEscapeTapBetweenTwoFramesStillEndsTheRun) {
  // Key-down and key-up are both taken before the next frame, so the key is
  // already up when a pass finds no event.
  PostAtFilmTime(30000, KeyDownEvent(VK_ESCAPE));
  PostAtFilmTime(30000, KeyUpEvent(VK_ESCAPE));
  EXPECT_EQ(RunDemo(Fakes), 0);
  EXPECT_FALSE(RunState().Keys[VK_ESCAPE]);
  EXPECT_LT(Fake.Frames.back(), 30500);
}

TEST_F(RunnerTest, AMessageStormSkipsFramesButTheRunStillEndsOnTime) {
  // Mouse moves arrive on every pass from 20000 ms on; Escape is pressed
  // inside the storm at 30000 ms.
  EachPass = [this]() {
    if (DemoTime >= 20000) P.Post(PointerEvent());
    if (DemoTime == 30000) P.Post(KeyDownEvent(VK_ESCAPE));
  };
  EXPECT_EQ(RunDemo(Fakes), 0);
  EXPECT_TRUE(RunState().Keys[VK_ESCAPE]);  // dispatched, but never acted on
  EXPECT_EQ(Fake.Frames.back(), 19900);
  // The clock went on through the storm and the run ended past its length.
  EXPECT_GT(DemoTime, 110000);
  EXPECT_LE(DemoTime, 110100);
}

TEST_F(RunnerTest, AMinimisedWindowDrawsNothingButKeepsSwappingAndTheClockRuns) {
  PostAtFilmTime(30000, ActivationEvent(true));
  PostAtFilmTime(60000, ActivationEvent(false));
  int SwapsWhileMinimised = 0;
  P.OnSwap = [&]() {
    if (!RunState().Active) ++SwapsWhileMinimised;
  };
  RunDemo(Fakes);
  for (int64_t Time : Fake.Frames) ASSERT_TRUE(Time < 30000 || Time > 60000) << Time;
  EXPECT_GT(SwapsWhileMinimised, 250);
  EXPECT_GT(Fake.Frames.back(), 110000);
}

TEST_F(RunnerTest, SoundStartFailuresAreReportedAndEndTheRunWithResultOne) {
  const struct {
    const char *Name;
    float Version;
    bool InitSucceeds;
    int ErrorCode;
    std::string Message;
    Steps SoundCalls;
  } Cases[] = {
      {"old version", 3.73f, true, 0, "FMOD error: wrong dll version", {"FSOUND_GetVersion"}},
      {"not a number",
       std::numeric_limits<float>::quiet_NaN(),
       true,
       0,
       "FMOD error: wrong dll version",
       {"FSOUND_GetVersion"}},
      {"init fails",
       3.74f,
       false,
       3,
       std::string("Error initializing FMOD: ") + FmodErrorText(3),
       {"FSOUND_GetVersion", "FSOUND_Init 44100 32 0", "FSOUND_GetError", "FSOUND_Close"}},
      {"unknown init error",
       9.0f,
       false,
       -1,
       std::string("Error initializing FMOD: ") + FmodErrorText(-1),
       {"FSOUND_GetVersion", "FSOUND_Init 44100 32 0", "FSOUND_GetError", "FSOUND_Close"}},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    StartOver();
    Fake.Version = Case.Version;
    Fake.InitSucceeds = Case.InitSucceeds;
    Fake.ErrorCode = Case.ErrorCode;
    EXPECT_EQ(RunDemo(Fakes), 1);
    EXPECT_TRUE(RunDemoFailed());
    ASSERT_EQ(P.MessageBoxes.size(), 1u);
    EXPECT_EQ(P.MessageBoxes[0].Text, Case.Message);
    EXPECT_EQ(P.MessageBoxes[0].Caption, "Quillmoor");
    EXPECT_EQ(P.MessageBoxes[0].Icon, TMessageIcon::Error);
    EXPECT_EQ(P.MessageBoxes[0].Buttons, TMessageButtons::Ok);
    Steps Expected = Case.SoundCalls;
    Expected.insert(Expected.end() - (Case.InitSucceeds ? 0 : 1), "MessageBox " + Case.Message);
    EXPECT_EQ(P.Log, Expected);  // no window, no cursor, nothing else
  }
}

TEST_F(RunnerTest, AMissingMusicFileIsALoadErrorAfterTheWindowOpened) {
  Fake.OpenSucceeds = false;
  Fake.ErrorCode = 9;
  EXPECT_EQ(RunDemo(Fakes), 1);
  EXPECT_TRUE(RunDemoFailed());
  ASSERT_EQ(P.MessageBoxes.size(), 1u);
  EXPECT_EQ(P.MessageBoxes[0].Text, FmodErrorText(9));
  EXPECT_EQ(P.MessageBoxes[0].Caption, "Load error");
  EXPECT_EQ(P.MessageBoxes[0].Icon, TMessageIcon::Error);
  // The window stays up behind the message, then the run leaves nothing.
  const Steps Outlined = Outline();
  const Steps Tail(Outlined.end() - 8, Outlined.end());
  EXPECT_EQ(Tail,
            (Steps{"FSOUND_Stream_Open music.mp3 304 0 0", "FSOUND_GetError",
                   "MessageBox " + std::string(FmodErrorText(9)), "FSOUND_Close", "ReleaseCurrent",
                   "DeleteContext", "DestroyWindow", "UnregisterWindowClass"}));
  EXPECT_TRUE(Fake.LeaderFrames.empty());
  EXPECT_FALSE(P.WindowExists);
}

// A window that cannot be made is a failure of the run (result 1, and the
// program's exit status 1); a viewer who declines a window in place of a
// refused fullscreen mode ends the run as chosen (result 0, no failure).
TEST_F(RunnerTest, AWindowFailureFailsTheRunButDecliningTheWindowDoesNot) {
  const struct {
    const char *Name;
    bool Fullscreen;
    TWindowFailure Creation;
    std::set<TWindowStep> Failing;
    const char *LastBox;
    int Result;
    bool Failed;
  } Cases[] = {
      {"no context",
       false,
       TWindowFailure::Context,
       {},
       "Could not create a GL rendering context.",
       1,
       true},
      {"no window",
       true,
       TWindowFailure::WindowCreation,
       {},
       "Window could not be created for some reason.",
       1,
       true},
      {"no window system",
       false,
       TWindowFailure::NoFailure,
       {TWindowStep::RegisterWindowClass},
       "Could not register the window class.",
       1,
       true},
      {"window declined",
       true,
       TWindowFailure::NoFailure,
       {TWindowStep::ChangeDisplayMode},
       "Good bye.",
       0,
       false},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    StartOver();
    RunState().Fullscreen = Case.Fullscreen;
    P.CreationFailure = Case.Creation;
    P.Failing = Case.Failing;
    EXPECT_EQ(RunDemo(Fakes), Case.Result);
    EXPECT_EQ(RunDemoFailed(), Case.Failed);
    ASSERT_FALSE(P.MessageBoxes.empty());
    EXPECT_EQ(P.MessageBoxes.back().Text, Case.LastBox);
    EXPECT_TRUE(P.LogStartingWith("FSOUND_Close").empty());
    EXPECT_TRUE(P.LogStartingWith("Precompute").empty());
    EXPECT_FALSE(P.WindowExists || P.ClassRegistered || P.DisplayModeChanged);
  }
}

TEST_F(RunnerTest, AFailedPrecomputeClosesTheSoundAndTheWindow) {
  Fake.PrecomputeSucceeds = false;
  EXPECT_EQ(RunDemo(Fakes), 1);
  EXPECT_TRUE(RunDemoFailed());
  EXPECT_TRUE(P.LogStartingWith("FSOUND_Stream").empty());
  const Steps Tail(P.Log.end() - 6, P.Log.end());
  EXPECT_EQ(Tail, (Steps{"Precompute", "FSOUND_Close", "ReleaseCurrent", "DeleteContext",
                         "DestroyWindow", "UnregisterWindowClass"}));
  EXPECT_TRUE(Fake.LeaderFrames.empty());
}

// Fullscreen on the scripted machine, whose GL has no framebuffer objects.
// Asked for the switch, the display's mode is changed for the one window.
// By default the window at the monitor's own mode cannot show the film
// scaled, so it makes way for a window in the switched mode. Either way the
// desktop's mode comes back and the pointer's hides and shows balance.
TEST_F(RunnerTest, FullscreenRunRestoresTheDesktopAndTheCursorBalances) {
  const struct {
    const char *Way;
    Steps Cursor;
    size_t Windows;
  } Cases[] = {
      {"switch", {"ShowCursor false", "ShowCursor false", "ShowCursor true"}, 1},
      {"scaled",
       {"ShowCursor false", "ShowCursor true", "ShowCursor false", "ShowCursor false",
        "ShowCursor true"},
       2},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Way);
    StartOver();
    setenv(FullscreenVariable, Case.Way, 1);
    RunState().Fullscreen = true;
    RunDemo(Fakes);
    unsetenv(FullscreenVariable);
    EXPECT_FALSE(P.DisplayModeChanged);
    EXPECT_EQ(P.LogStartingWith("ChangeDisplayMode").size(), 1u);
    EXPECT_EQ(P.LogStartingWith("DestroyWindow").size(), Case.Windows);
    EXPECT_EQ(P.LogStartingWith("ShowCursor"), Case.Cursor);
    // The entry shows the pointer once more after the run.
    EXPECT_EQ(P.CursorCounter, -1);
  }
}

}  // namespace

namespace {

// The real precomputation through the recording GL: it ends in the pixel
// projection and the resting state the leader and the film start from.
TEST(RunnerPrecomputeTest, EndsInThePixelProjectionAndTheRestingState) {
  TOgl View;
  View.ViewWidth = 1024;
  View.ViewHeight = 768;
  Ogl = &View;
  RecordedGL().Reset();
  ASSERT_TRUE(Precompute());
  const auto &Calls = RecordedGL().Calls;
  ASSERT_GE(Calls.size(), 4u);
  const std::vector<std::pair<std::string, double>> Expected = {{"glDisable", GL_TEXTURE_2D},
                                                                {"glEnable", GL_BLEND},
                                                                {"glDisable", GL_DEPTH_TEST},
                                                                {"glDisable", GL_LIGHTING}};
  for (size_t i = 0; i < Expected.size(); ++i) {
    const TGLCall &Call = Calls[Calls.size() - Expected.size() + i];
    EXPECT_EQ(Call.Name, Expected[i].first) << i;
    EXPECT_EQ(Call.Arg(0), Expected[i].second) << i;
  }
  EXPECT_EQ(RecordedGL().ProjectionDepth, 2);  // the pixel projection is pushed
  EXPECT_EQ(RecordedGL().ModelViewDepth, 2);
  ReleaseTextures();
  Ogl = nullptr;
}

}  // namespace
