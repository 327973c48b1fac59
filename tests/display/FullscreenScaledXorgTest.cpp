// Fullscreen as most viewers have it: a private X.org with the dummy driver
// set up as a 1080p monitor (tests/xorg/dummy-1080p.conf: a 1920x1080
// desktop and the sizes such a monitor lists, none of them 4:3 above
// 1024x768). The demo keeps the monitor's mode and shows the film scaled
// into it with its shape kept; the screen itself is read to see what the
// viewer sees: black bars, the leader and the opening drawn.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "DemoProcess.h"
#include "SoundFixtures.h"
#include "XorgServer.h"
#include "platform/PictureFit.h"

namespace {

const std::string Dialog = "^Display settings$";
const std::string Film = "^Quillmoor$";
const std::string Monitor = "1920x1080";

struct TMode {
  const char *Keys;  // in the dialog, from its default row (1024x768, fullscreen)
  int Width, Height;
};
const TMode Default{"Return", 1024, 768};
const TMode Largest{"alt+r Down Down Down Return", 1600, 1200};
const TMode LargestWindowed{"alt+r Down Down Down alt+f Return", 1600, 1200};
const TMode DefaultWindowed{"alt+f Return", 1024, 768};

// What a look at the screen found in the area Area of the window at
// (Left, Top): bars that are not black, and the film's dark pixels (the
// leader's rings and digits, the opening's wave and wheel).
struct TLook {
  size_t LitBarPixels = 0;
  size_t DarkFilmPixels = 0;
};

TLook LookAt(const TScreenPicture &Screen, int Left, int Top, int Width, int Height,
             const TPictureArea &Area) {
  TLook Look;
  for (int Y = Top; Y < Top + Height && Y < Screen.Height; Y += 2)
    for (int X = Left; X < Left + Width && X < Screen.Width; X += 2) {
      const unsigned char *Rgb = Screen.At(X, Y);
      const int InX = X - Left, InY = Y - Top;
      const bool InFilm =
          InX >= Area.X && InX < Area.X + Area.Width && InY >= Area.Y && InY < Area.Y + Area.Height;
      // A pixel at the picture's edge may be blended with the bar.
      const bool Edge = InX == Area.X - 1 || InX == Area.X + Area.Width || InY == Area.Y - 1 ||
                        InY == Area.Y + Area.Height;
      if (!InFilm && !Edge) Look.LitBarPixels += Rgb[0] != 0 || Rgb[1] != 0 || Rgb[2] != 0;
      if (InFilm) Look.DarkFilmPixels += Rgb[0] < 100;
    }
  return Look;
}

// Looks at the screen every half second for Seconds: every look must find
// the bars black and the film drawn (never a plain white or black picture).
void ExpectPictureFor(double Seconds, int Left, int Top, int Width, int Height,
                      const TPictureArea &Area) {
  const auto End = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<int>(Seconds * 1000));
  int Looks = 0;
  do {
    const TScreenPicture Screen = ReadScreenPicture();
    ASSERT_FALSE(Screen.Rgb.empty());
    const TLook Look = LookAt(Screen, Left, Top, Width, Height, Area);
    EXPECT_EQ(Look.LitBarPixels, 0u) << "look " << Looks;
    // A few hundred of the sampled pixels at least: the wave alone gives
    // that, a white opening none.
    EXPECT_GT(Look.DarkFilmPixels, 200u) << "look " << Looks;
    ++Looks;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  } while (std::chrono::steady_clock::now() < End);
}

class FullscreenScaledXorgTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Xorg.Start("dummy-1080p.conf", 60); }
  static void TearDownTestSuite() { Xorg.Stop(); }

  void SetUp() override {
    if (!Xorg.Unusable.empty()) GTEST_SKIP() << Xorg.Unusable;
    ASSERT_TRUE(Xorg.Failure.empty()) << Xorg.Failure;
    Program = BuildFolder() + "/quillmoor";
    if (access(Program.c_str(), X_OK) != 0) GTEST_SKIP() << "the demo is not built";
    ASSERT_EQ(ReadScreenState().Crtc, Monitor);
    TToneOptions Tone;
    Tone.Seconds = 3.0;
    Scratch.Write("music.mp3", ToneMp3(Tone));
  }

  // Starts the demo (the default fullscreen way) and answers its dialog.
  void StartAndChoose(const TMode &Mode) {
    ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), {"SDL_AUDIODRIVER=dummy"}));
    const unsigned long Settings = WaitForWindow(Dialog, 20);
    ASSERT_NE(Settings, 0u) << "no dialog";
    ASSERT_TRUE(TypeInto(Settings, Mode.Keys));
  }

  static inline TXorgDisplay Xorg;
  std::string Program;
  TScratchFolder Scratch;
  TDemoProcess Demo;
};

// The default mode and the largest: the window covers the monitor at its
// own mode, no question is asked, and from the leader through the opening
// every look at the screen finds the film in the centred 1440x1080 area
// with black bars beside it. The monitor's mode never changes.
TEST_F(FullscreenScaledXorgTest, TheMonitorKeepsItsModeAndShowsTheFilmPillarboxed) {
  for (const TMode &Mode : {Default, Largest}) {
    SCOPED_TRACE(std::to_string(Mode.Width) + "x" + std::to_string(Mode.Height));
    StartAndChoose(Mode);
    const TWindowSize Covering{1920, 1080};
    const unsigned long Window = WaitForWindow(Film, 40, &Covering);
    ASSERT_NE(Window, 0u) << "no render window covering the monitor";
    EXPECT_EQ(WindowPosition(Window), "0,0");
    const TPictureArea Area = FitPicture(Mode.Width, Mode.Height, 1920, 1080);
    EXPECT_EQ(Area.X, 240);
    // The leader, then the opening's first seconds.
    ExpectPictureFor(12, 0, 0, 1920, 1080, Area);
    const TScreenState During = ReadScreenState();
    EXPECT_EQ(During.Crtc, Monitor);
    EXPECT_EQ(During.Screen, Monitor);
    EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
    EXPECT_EQ(ReadScreenState().Crtc, Monitor);
  }
}

// A window larger than the screen is shown whole, smaller with its shape
// kept; the film inside it is still drawn at the chosen size.
TEST_F(FullscreenScaledXorgTest, AWindowLargerThanTheScreenIsShownWhole) {
  StartAndChoose(LargestWindowed);
  const TWindowSize Fitting{1440, 1080};
  const unsigned long Window = WaitForWindow(Film, 40, &Fitting);
  ASSERT_NE(Window, 0u) << "no 1440x1080 render window";
  EXPECT_EQ(WindowPosition(Window), "0,0");
  ExpectPictureFor(3, 0, 0, 1440, 1080, TPictureArea{0, 0, 1440, 1080});
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
}

// Resizing the window during the leader and during the opening changes
// only the size of the picture: it stays drawn, with its shape, in the
// middle of the new size, bars beside it.
TEST_F(FullscreenScaledXorgTest, AResizeDuringTheLeaderAndTheOpeningKeepsThePicture) {
  StartAndChoose(DefaultWindowed);
  const TWindowSize Chosen{1024, 768};
  const unsigned long Window = WaitForWindow(Film, 40, &Chosen);
  ASSERT_NE(Window, 0u);
  const struct { int Width, Height; } Sizes[] = {{1400, 1000}, {900, 800}};
  for (const auto &Size : Sizes) {
    SCOPED_TRACE(std::to_string(Size.Width) + "x" + std::to_string(Size.Height));
    ASSERT_EQ(Output("xdotool windowsize " + std::to_string(Window) + " " +
                     std::to_string(Size.Width) + " " + std::to_string(Size.Height)),
              "");
    const TWindowSize Resized{Size.Width, Size.Height};
    ASSERT_NE(WaitForWindow(Film, 10, &Resized), 0u) << "the window kept its size";
    const TPictureArea Area = FitPicture(1024, 768, Size.Width, Size.Height);
    // The first frame presented at the new size: its bars are black.
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (LookAt(ReadScreenPicture(), 0, 0, Size.Width, Size.Height, Area).LitBarPixels != 0 &&
           std::chrono::steady_clock::now() < Deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ExpectPictureFor(4, 0, 0, Size.Width, Size.Height, Area);
  }
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
}

}  // namespace
