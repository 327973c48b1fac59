// A captured frame is the demo's own frame: the demo runs under the X server
// on a clock that jumps straight to a chosen instant, its back buffer is read
// before the swap, and the capture of the same instant and size must agree
// pixel for pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CaptureRun.h"
#include "DemoProcess.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "platform/SdlPlatform.h"
#include "runner/RunDemo.h"
#include "runner/RunnerCalls.h"
#include "sound/Fmod.h"

// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

// The SDL backend with the clocks replaced: the countdown ends at once, the
// film's first frame is at Instant; that frame's back buffer is kept (RGB,
// top row first) and the run is then closed.
class TInstantPlatform : public TSdlPlatform {
public:
  int64_t Instant = 0;
  int FrameWidth = Width, FrameHeight = Height;
  std::vector<uint8_t> Frame;

  uint32_t GetTickCount() override { return 5000u * Ticks++; }
  bool QueryPerformanceFrequency(int64_t &Frequency) override {
    Frequency = 1000;
    return true;
  }
  bool QueryPerformanceCounter(int64_t &Counter) override {
    Counter = CounterReads++ == 0 ? 0 : Instant;
    return true;
  }
  void SwapBuffers() override {
    if (CounterReads >= 2 && Frame.empty()) {
      std::vector<uint8_t> BottomUp(static_cast<size_t>(FrameWidth) * FrameHeight * 3);
      glReadBuffer(GL_BACK);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGB, GL_UNSIGNED_BYTE, BottomUp.data());
      const size_t Row = static_cast<size_t>(FrameWidth) * 3;
      for (int Y = FrameHeight - 1; Y >= 0; --Y)
        Frame.insert(Frame.end(), BottomUp.begin() + static_cast<long>(Y * Row),
                     BottomUp.begin() + static_cast<long>((Y + 1) * Row));
      Kept = true;
    }
    TSdlPlatform::SwapBuffers();
  }
  // Once the frame is kept the run is closed.
  bool PollEvent(TWindowEvent &Event) override {
    if (!Kept) return TSdlPlatform::PollEvent(Event);
    Event = TWindowEvent{};
    Event.Kind = TWindowEventKind::Close;
    return true;
  }

private:
  uint32_t Ticks = 0;
  int CounterReads = 0;
  bool Kept = false;
};

std::vector<uint8_t> ReadRgb(const std::string &Path) {
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> Rgb;
  if (!png_image_begin_read_from_file(&Image, Path.c_str())) return Rgb;
  Image.format = PNG_FORMAT_RGB;
  Rgb.resize(PNG_IMAGE_SIZE(Image));
  if (!png_image_finish_read(&Image, nullptr, Rgb.data(), 0, nullptr)) Rgb.clear();
  return Rgb;
}

// The demo's frame at Instant, in a window of the mode FrameWidth x
// FrameHeight, or fullscreen in that mode (the monitor keeping its own).
std::vector<uint8_t> DemoFrame(int64_t Instant, int FrameWidth = Width, int FrameHeight = Height,
                               bool Fullscreen = false) {
  TInstantPlatform Backend;
  Backend.Instant = Instant;
  Backend.FrameWidth = FrameWidth;
  Backend.FrameHeight = FrameHeight;
  TOgl View;
  View.ModeWidth = static_cast<uint32_t>(FrameWidth);
  View.ModeHeight = static_cast<uint32_t>(FrameHeight);
  View.ModeBits = 32;
  SetPlatform(&Backend, &Backend);
  Ogl = &View;
  ResetDemoState();
  RunState().Fullscreen = Fullscreen;
  RunDemo(RealRunnerCalls());
  ResetSoundSystem();
  Ogl = nullptr;
  SetPlatform(nullptr);
  ResetDemoState();
  return Backend.Frame;
}

}  // namespace

TEST(CaptureMatchesDemo, TheSameInstantGivesTheSamePixels) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  const std::string Folder = BuildFolder();
  if (access((Folder + "/music.mp3").c_str(), R_OK) != 0) GTEST_SKIP() << "no music built";
  char Here[4096];
  ASSERT_NE(getcwd(Here, sizeof Here), nullptr);
  ASSERT_EQ(chdir(Folder.c_str()), 0);  // the demo reads music.mp3 from here

  // The opening (2-D, textures) and the strands under the attractor (3-D).
  for (const int64_t Instant : {8000, 25000}) {
    const std::vector<uint8_t> Demo = DemoFrame(Instant);
    ASSERT_EQ(Demo.size(), static_cast<size_t>(Width) * Height * 3) << "no frame at " << Instant;

    TCaptureOptions Options;
    Options.Width = Width;
    Options.Height = Height;
    Options.From = Instant;
    Options.OutPath = ::testing::TempDir() + "capture-vs-demo-" + std::to_string(getpid()) + ".png";
    std::string Error;
    ASSERT_TRUE(RunCapture(Options, Error)) << Error;
    const std::vector<uint8_t> Captured = ReadRgb(Options.OutPath);
    std::remove(Options.OutPath.c_str());

    size_t Differing = 0;
    for (size_t i = 0; i < Demo.size() && i < Captured.size(); ++i)
      Differing += Demo[i] != Captured[i];
    EXPECT_EQ(Captured.size(), Demo.size());
    EXPECT_EQ(Differing, 0u) << "bytes differing at film time " << Instant;
  }
  ASSERT_EQ(chdir(Here), 0);
}

namespace {

// The display's size, or 0 x 0 without one.
void ScreenSize(int &ScreenWidth, int &ScreenHeight) {
  ScreenWidth = ScreenHeight = 0;
  if (Display *Connection = XOpenDisplay(nullptr)) {
    ScreenWidth = DisplayWidth(Connection, DefaultScreen(Connection));
    ScreenHeight = DisplayHeight(Connection, DefaultScreen(Connection));
    XCloseDisplay(Connection);
  }
}

}  // namespace

// Fullscreen in a mode of the monitor's own size shows the film exactly as
// a window of that size does, on both drawing paths: the opening's first
// moments, the opening with its title, the strands under the attractor.
// (The white opening came from fullscreen only.)
TEST(FullscreenMatchesWindow, AModeOfTheMonitorsSizeGivesTheWindowsPixels) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  int ScreenWidth = 0, ScreenHeight = 0;
  ScreenSize(ScreenWidth, ScreenHeight);
  const bool DialogMode =
      (ScreenWidth == 1280 && ScreenHeight == 1024) || (ScreenWidth == 1024 && ScreenHeight == 768);
  if (!DialogMode) GTEST_SKIP() << "the screen is not the size of a dialog mode";
  const std::string Folder = BuildFolder();
  if (access((Folder + "/music.mp3").c_str(), R_OK) != 0) GTEST_SKIP() << "no music built";
  char Here[4096];
  ASSERT_NE(getcwd(Here, sizeof Here), nullptr);
  ASSERT_EQ(chdir(Folder.c_str()), 0);
  for (const char *Path : {"software", "hardware"}) {
    setenv("QUILLMOOR_RENDER_PATH", Path, 1);
    for (const int64_t Instant : {500, 12000, 25000}) {
      SCOPED_TRACE(std::string(Path) + " path, film time " + std::to_string(Instant));
      const std::vector<uint8_t> Windowed = DemoFrame(Instant, ScreenWidth, ScreenHeight, false);
      const std::vector<uint8_t> Full = DemoFrame(Instant, ScreenWidth, ScreenHeight, true);
      ASSERT_EQ(Windowed.size(), static_cast<size_t>(ScreenWidth) * ScreenHeight * 3);
      ASSERT_EQ(Full.size(), Windowed.size());
      size_t Differing = 0;
      for (size_t i = 0; i < Full.size(); ++i) Differing += Full[i] != Windowed[i];
      EXPECT_EQ(Differing, 0u);
    }
  }
  unsetenv("QUILLMOOR_RENDER_PATH");
  ASSERT_EQ(chdir(Here), 0);
}
