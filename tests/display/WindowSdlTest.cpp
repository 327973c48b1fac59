// The render window on the real SDL backend under an X server (Xvfb): the
// windowed geometry, the refused fullscreen mode, keys, minimising, closing,
// and the FLTK message boxes.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "UMOgl.h"
#include "UMTypes.h"
#include "platform/SdlKeyMap.h"
#include "platform/SdlPlatform.h"
#include "support/AnsweringSdlPlatform.h"
#include "window/RenderWindow.h"

namespace {

struct TAskedBox {
  std::string Text;
  TMessageIcon Icon;
  TMessageButtons Buttons;
};

class WindowSdlTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    SetPlatform(&Backend, &Backend);
    Ogl = &View;
    ResetDemoState();
    Backend.Answer = [this](const char *Text, const char *, TMessageIcon Icon,
                            TMessageButtons Buttons) {
      Asked.push_back(TAskedBox{Text, Icon, Buttons});
      return Buttons == TMessageButtons::YesNo ? Answer : TMessageResult::Ok;
    };
  }
  void TearDown() override {
    if (HasFailure())
      for (const auto &Box : Asked)
        std::fprintf(stderr, "message box: %s (%s)\n", Box.Text.c_str(), SDL_GetError());
    if (RenderWindowState().WindowHandle) DestroyRenderWindow();
    Backend.Answer = nullptr;
    Ogl = nullptr;
    SetPlatform(nullptr);
  }

  // Handles the window's events until Condition holds or a second passes.
  bool PumpUntil(const std::function<bool()> &Condition) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < Deadline) {
      TWindowEvent Event;
      while (Backend.PollEvent(Event)) HandleWindowEvent(Event);
      if (Condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Condition();
  }

  // Runs an X client; the server may drop a connection that follows a
  // closed one too closely, so it gets a few tries.
  static void Run(const std::string &Command) {
    int Status = -1;
    for (int Attempt = 0; Attempt < 5 && Status != 0; ++Attempt)
      Status = std::system(Command.c_str());
    ASSERT_EQ(Status, 0) << Command;
  }

  // Answers the message box with Key once it is on screen. A box that takes
  // longer than the deadline fails the test; it is still answered when it
  // comes, so a late box ends the test instead of blocking it, and one that
  // never comes or never goes ends the process with a message.
  static void AnswerBoxWhenShown(const std::string &Key) {
    using Clock = std::chrono::steady_clock;
    const auto Deadline = Clock::now() + std::chrono::seconds(10);
    const auto GiveUp = Clock::now() + std::chrono::seconds(60);
    const std::string FindBox = "xdotool search --onlyvisible --name '^Quillmoor$' >/dev/null";
    while (std::system(FindBox.c_str()) != 0) {
      if (Clock::now() > GiveUp) {
        std::fputs("WindowSdlTest: the message box never showed\n", stderr);
        std::_Exit(1);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_LT(Clock::now(), Deadline) << "the message box showed late";
    // With no window manager the keys go to the window under the pointer;
    // an earlier test can leave the pointer off the box, so it is moved
    // onto it first.
    Run("timeout 10 xdotool search --onlyvisible --name '^Quillmoor$' mousemove --sync --window "
        "%1 20 20");
    Run("xdotool key " + Key);
    // A box that ignores the key would block the test's thread for ever.
    const auto Answered = Clock::now() + std::chrono::seconds(30);
    while (std::system(FindBox.c_str()) == 0) {
      if (Clock::now() > Answered) {
        std::fputs("WindowSdlTest: the message box did not take the key\n", stderr);
        std::_Exit(1);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  TAnsweringSdlPlatform &Backend = AnsweringSdlPlatform();
  TOgl View;
  std::vector<TAskedBox> Asked;
  TMessageResult Answer = TMessageResult::No;
};

TEST_F(WindowSdlTest, WindowedClientAreaIsExactlyTheModeAtTheTopLeft) {
  for (const int Bits : {32, 16}) {
    SCOPED_TRACE(Bits);
    ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, Bits, false), TWindowFailure::NoFailure)
        << (Asked.empty() ? "" : Asked.back().Text) << " " << SDL_GetError();
    SDL_Window *Window = Backend.Window();
    ASSERT_NE(Window, nullptr);
    int Width = 0, Height = 0, X = -1, Y = -1;
    SDL_GetWindowSize(Window, &Width, &Height);
    SDL_GetWindowPosition(Window, &X, &Y);
    EXPECT_EQ(Width, 640);
    EXPECT_EQ(Height, 480);
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, 0);
    EXPECT_STREQ(SDL_GetWindowTitle(Window), "Quillmoor");
    EXPECT_TRUE(SDL_GetWindowFlags(Window) & SDL_WINDOW_SHOWN);

    // A current, double-buffered context with a depth buffer.
    GLint DepthBits = 0;
    GLboolean DoubleBuffered = GL_FALSE;
    glGetIntegerv(GL_DEPTH_BITS, &DepthBits);
    glGetBooleanv(GL_DOUBLEBUFFER, &DoubleBuffered);
    EXPECT_GE(DepthBits, 16);
    EXPECT_TRUE(DoubleBuffered);
    GLint Viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, Viewport);
    EXPECT_EQ(Viewport[2], 640);
    EXPECT_EQ(Viewport[3], 480);

    DestroyRenderWindow();
    EXPECT_EQ(Backend.Window(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_TRUE(Asked.empty());
  }
}

// Xvfb runs one mode; SDL would accept the switch and change nothing, so
// the viewer must get the question.
TEST_F(WindowSdlTest, AModeTheDisplayCannotRunTakesTheQuestion) {
  Answer = TMessageResult::Yes;
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 1024, 768, 32, true), TWindowFailure::NoFailure)
      << (Asked.empty() ? "" : Asked.back().Text) << " " << SDL_GetError();
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_EQ(Asked[0].Buttons, TMessageButtons::YesNo);
  EXPECT_EQ(Asked[0].Icon, TMessageIcon::Warning);
  EXPECT_FALSE(RunState().Fullscreen);
  EXPECT_FALSE(SDL_GetWindowFlags(Backend.Window()) & SDL_WINDOW_FULLSCREEN);
  int Width = 0, Height = 0;
  SDL_GetWindowSize(Backend.Window(), &Width, &Height);
  EXPECT_EQ(Width, 1024);
  EXPECT_EQ(Height, 768);
  DestroyRenderWindow();

  Asked.clear();
  Answer = TMessageResult::No;
  EXPECT_EQ(CreateRenderWindow("Quillmoor", 800, 600, 16, true), TWindowFailure::ModeDeclined);
  ASSERT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Asked[1].Text, "Good bye.");
  EXPECT_EQ(Backend.Window(), nullptr);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

// A window system that cannot start: the viewer reads the film's own text,
// the log also has SDL's account of why.
TEST_F(WindowSdlTest, AFailedSdlCallIsReportedBesideTheFilmsText) {
  const char *Before = std::getenv("SDL_VIDEODRIVER");
  const std::string Saved = Before ? Before : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStderr();
  const TWindowFailure Failure = CreateRenderWindow("Quillmoor", 640, 480, 32, false);
  const std::string Log = testing::internal::GetCapturedStderr();
  if (Before)
    setenv("SDL_VIDEODRIVER", Saved.c_str(), 1);
  else
    unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(Failure, TWindowFailure::ClassRegistration);
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_EQ(Asked[0].Text, "Could not register the window class.");
  const std::string Prefix = "Quillmoor: SDL_InitSubSystem failed: ";
  const size_t At = Log.find(Prefix);
  ASSERT_NE(At, std::string::npos) << Log;
  EXPECT_NE(Log.find("no-such-driver", At), std::string::npos) << Log;
}

// The one mode Xvfb runs is a mode the display really runs: the switch
// succeeds, the pointer hides, and the teardown gives both back.
TEST_F(WindowSdlTest, AModeTheDisplayRunsGoesFullscreen) {
  SDL_DisplayMode Desktop;
  ASSERT_TRUE(Backend.RegisterWindowClass());
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &Desktop), 0);
  Backend.UnregisterWindowClass();

  ASSERT_EQ(CreateRenderWindow("Quillmoor", Desktop.w, Desktop.h, 32, true),
            TWindowFailure::NoFailure);
  EXPECT_TRUE(Asked.empty());
  EXPECT_TRUE(RunState().Fullscreen);
  EXPECT_TRUE(SDL_GetWindowFlags(Backend.Window()) & SDL_WINDOW_FULLSCREEN);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  DestroyRenderWindow();
  EXPECT_EQ(Backend.Window(), nullptr);
  EXPECT_TRUE(Asked.empty());
}

TEST_F(WindowSdlTest, KeyPressAndReleaseSetAndClearKeys) {
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
  PumpUntil([] { return false; });  // let the window come up and take the focus
  Run("xdotool keydown Escape");
  EXPECT_TRUE(PumpUntil([] { return RunState().Keys[VK_ESCAPE]; }));
  Run("xdotool keyup Escape");
  EXPECT_TRUE(PumpUntil([] { return !RunState().Keys[VK_ESCAPE]; }));
  Run("xdotool key a");
  EXPECT_TRUE(PumpUntil([] { return !RunState().Keys['A']; }));
}

TEST_F(WindowSdlTest, MinimisingTheWindowClearsActiveAndRestoringItSetsItAgain) {
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
  PumpUntil([] { return false; });
  const std::string Window = "xdotool search --name '^Quillmoor$' ";
  // With no window manager an iconify request goes unanswered; another
  // client unmapping the window is what a manager does when it minimises it.
  Run(Window + "windowunmap");
  EXPECT_TRUE(PumpUntil([] { return !RunState().Active; }));
  Run(Window + "windowmap");
  EXPECT_TRUE(PumpUntil([] { return RunState().Active; }));
}

TEST_F(WindowSdlTest, ClosingOrLosingTheWindowPostsQuit) {
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
  SDL_Event Close = {};
  Close.type = SDL_WINDOWEVENT;
  Close.window.event = SDL_WINDOWEVENT_CLOSE;
  Close.window.windowID = SDL_GetWindowID(Backend.Window());
  SDL_PushEvent(&Close);
  EXPECT_TRUE(PumpUntil([] { return RunState().Done; }));
  EXPECT_NE(Backend.Window(), nullptr);
  DestroyRenderWindow();

  // Destroyed by another client: the same close, and a quiet teardown
  // instead of Xlib ending the process on the next swap.
  RunState().Done = false;
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
  PumpUntil([] { return false; });
  Run("xdotool search --name '^Quillmoor$' windowclose");
  Backend.SwapBuffers();
  EXPECT_TRUE(PumpUntil([] { return RunState().Done; }));
  Backend.SwapBuffers();
  DestroyRenderWindow();

  // Alt+F4, as the desktop closes any window with it.
  RunState().Done = false;
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
  PumpUntil([] { return false; });
  Run("xdotool key alt+F4");
  EXPECT_TRUE(PumpUntil([] { return RunState().Done; }));
  EXPECT_NE(Backend.Window(), nullptr);
  DestroyRenderWindow();
  EXPECT_TRUE(Asked.empty());
}

TEST_F(WindowSdlTest, MessageBoxesShowWithoutAWindowAndAnswerTheKeys) {
  Backend.Answer = nullptr;
  // The box appears under the pointer, and with no window manager the
  // window under the pointer takes the keys.
  const struct {
    const char *Key;
    TMessageButtons Buttons;
    TMessageResult Expected;
  } Cases[] = {
      {"Return", TMessageButtons::Ok, TMessageResult::Ok},
      {"Return", TMessageButtons::YesNo, TMessageResult::Yes},
      {"Escape", TMessageButtons::YesNo, TMessageResult::No},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(std::string(Case.Key));
    std::thread Viewer([&Case] { AnswerBoxWhenShown(Case.Key); });
    EXPECT_EQ(Backend.MessageBox("Good bye.", "Quillmoor", TMessageIcon::Error, Case.Buttons),
              Case.Expected);
    Viewer.join();
  }
}

TEST(SdlKeyMapTest, KeysBecomeVirtualKeyCodes) {
  const struct {
    SDL_Keycode Sdl;
    uint32_t Virtual;
  } Cases[] = {{SDLK_ESCAPE, 27}, {SDLK_a, 'A'},    {SDLK_z, 'Z'},     {SDLK_0, '0'},
               {SDLK_9, '9'},     {SDLK_F4, 0x73},  {SDLK_LEFT, 0x25}, {SDLK_RETURN, 13},
               {SDLK_SPACE, 32},  {SDLK_AC_BACK, 0}};
  for (const auto &Case : Cases) EXPECT_EQ(VirtualKeyFromSdl(Case.Sdl), Case.Virtual) << Case.Sdl;
}

}  // namespace
