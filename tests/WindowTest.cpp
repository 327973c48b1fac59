// The render window over the scripted platform: creation order, every failure
// with its message and teardown, the refused fullscreen question, and the
// window procedure's flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RecordingGL.h"
#include "ScriptedPlatform.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "window/RenderWindow.h"

namespace {

using Steps = std::vector<std::string>;

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetPlatform(&P, &P);
    Ogl = &View;
    ResetDemoState();
    RecordedGL().Reset();
    ResetRenderWindowState();
  }
  void TearDown() override {
    Ogl = nullptr;
    SetPlatform(nullptr);
  }

  // A fresh machine and a fresh window for the next case of a table.
  void StartOver() {
    TearDown();
    P = TScriptedPlatform();
    SetUp();
  }

  // Nothing of the window is left on the machine.
  void ExpectNothingLeft() {
    EXPECT_FALSE(P.ClassRegistered);
    EXPECT_FALSE(P.DisplayModeChanged);
    EXPECT_FALSE(P.WindowExists);
    EXPECT_FALSE(P.ContextExists);
    EXPECT_FALSE(P.ContextCurrent);
    EXPECT_EQ(P.CursorCounter, 0);
  }

  TScriptedPlatform P;
  TOgl View;
};

TEST_F(WindowTest, WindowedCreationTakesItsStepsInOrderAndSetsTheView) {
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 16, false), TWindowFailure::NoFailure);
  EXPECT_EQ(P.Log, (Steps{"RegisterWindowClass", "CreateWindow Quillmoor 640x480x16 windowed",
                          "ShowWindow"}));
  EXPECT_FALSE(RunState().Fullscreen);
  EXPECT_TRUE(P.MessageBoxes.empty());

  // Resize before InitGL: the light position is given under the identity.
  const auto &Calls = RecordedGL().Calls;
  ASSERT_FALSE(Calls.empty());
  EXPECT_STREQ(Calls.front().Name, "glViewport");
  EXPECT_EQ(Calls.front().Arg(2), 640);
  EXPECT_EQ(Calls.front().Arg(3), 480);
  EXPECT_STREQ(Calls.back().Name, "glLineWidth");

  P.Log.clear();
  DestroyRenderWindow();
  EXPECT_EQ(P.Log,
            (Steps{"ReleaseCurrent", "DeleteContext", "DestroyWindow", "UnregisterWindowClass"}));
  ExpectNothingLeft();
}

TEST_F(WindowTest, FullscreenChangesTheModeHidesTheCursorAndRestoresBoth) {
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 1024, 768, 32, true), TWindowFailure::NoFailure);
  EXPECT_TRUE(RunState().Fullscreen);
  EXPECT_EQ(P.Log[1], "ChangeDisplayMode 1024x768x32");
  EXPECT_EQ(P.Log[2], "ShowCursor false");
  EXPECT_EQ(P.Log[3], "CreateWindow Quillmoor 1024x768x32 fullscreen");

  P.Log.clear();
  DestroyRenderWindow();
  EXPECT_EQ(P.Log, (Steps{"RestoreDisplayMode", "ShowCursor true", "ReleaseCurrent",
                          "DeleteContext", "DestroyWindow", "UnregisterWindowClass"}));
  ExpectNothingLeft();
}

TEST_F(WindowTest, RefusedFullscreenAnsweredYesRunsInAWindow) {
  P.Fail(TWindowStep::ChangeDisplayMode);
  P.Answers = {TMessageResult::Yes};
  ASSERT_EQ(CreateRenderWindow("Quillmoor", 800, 600, 32, true), TWindowFailure::NoFailure);
  ASSERT_EQ(P.MessageBoxes.size(), 1u);
  const auto &Question = P.MessageBoxes[0];
  EXPECT_EQ(Question.Text,
            "Selected fullscreen mode is not supported. Click \"Yes\" to switch to window mode, "
            "or \"No\" to exit.");
  EXPECT_EQ(Question.Caption, "Quillmoor");
  EXPECT_EQ(Question.Icon, TMessageIcon::Warning);
  EXPECT_EQ(Question.Buttons, TMessageButtons::YesNo);
  EXPECT_FALSE(RunState().Fullscreen);
  EXPECT_EQ(P.LogStartingWith("CreateWindow"), Steps{"CreateWindow Quillmoor 800x600x32 windowed"});
  EXPECT_TRUE(P.LogStartingWith("ShowCursor").empty());

  // The desktop mode was never changed, so the teardown leaves it alone.
  DestroyRenderWindow();
  EXPECT_TRUE(P.LogStartingWith("RestoreDisplayMode").empty());
  ExpectNothingLeft();
}

TEST_F(WindowTest, RefusedFullscreenAnsweredNoSaysGoodByeAndLeavesNothing) {
  P.Fail(TWindowStep::ChangeDisplayMode);
  P.Answers = {TMessageResult::No};
  EXPECT_EQ(CreateRenderWindow("Quillmoor", 1600, 1200, 16, true), TWindowFailure::ModeDeclined);
  ASSERT_EQ(P.MessageBoxes.size(), 2u);
  EXPECT_EQ(P.MessageBoxes[1].Text, "Good bye.");
  EXPECT_EQ(P.MessageBoxes[1].Caption, "Quillmoor");
  EXPECT_EQ(P.MessageBoxes[1].Icon, TMessageIcon::Error);
  EXPECT_TRUE(P.LogStartingWith("CreateWindow").empty());
  EXPECT_TRUE(P.LogStartingWith("RestoreDisplayMode").empty());
  ExpectNothingLeft();
}

TEST_F(WindowTest, RegisterFailureReportsAndCreatesNothing) {
  P.Fail(TWindowStep::RegisterWindowClass);
  EXPECT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, true), TWindowFailure::ClassRegistration);
  ASSERT_EQ(P.MessageBoxes.size(), 1u);
  EXPECT_EQ(P.MessageBoxes[0].Text, "Could not register the window class.");
  EXPECT_EQ(P.MessageBoxes[0].Icon, TMessageIcon::Error);
  EXPECT_EQ(P.Log.size(), 2u);  // the failed step and its message
  ExpectNothingLeft();
}

// Each failure of the window system's creation: its message comes after a
// teardown of exactly what it left, in both modes, so the desktop is back
// before the viewer reads it.
TEST_F(WindowTest, EveryCreationFailureTearsDownThenReports) {
  const Steps WindowOnly = {"DestroyWindow", "UnregisterWindowClass"};
  const struct {
    TWindowFailure Failure;
    const char *Text;
    Steps Released;
  } Cases[] = {
      {TWindowFailure::WindowCreation,
       "Window could not be created for some reason.",
       {"UnregisterWindowClass"}},
      {TWindowFailure::DeviceContext, "Could not create a GL device context.", WindowOnly},
      {TWindowFailure::PixelFormatChoice, "Could not find any suitable pixel format.", WindowOnly},
      {TWindowFailure::PixelFormatSet, "Could not set a pixel format.", WindowOnly},
      {TWindowFailure::Context, "Could not create a GL rendering context.", WindowOnly},
      {TWindowFailure::Activation,
       "Could not activate the GL rendering context.",
       {"ReleaseCurrent", "DeleteContext", "DestroyWindow", "UnregisterWindowClass"}},
  };
  for (const auto &Case : Cases) {
    EXPECT_STREQ(WindowFailureText(Case.Failure), Case.Text);
    for (const bool AskFullscreen : {false, true}) {
      SCOPED_TRACE(std::string(Case.Text) + (AskFullscreen ? " fullscreen" : " windowed"));
      StartOver();
      P.CreationFailure = Case.Failure;
      EXPECT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, AskFullscreen), Case.Failure);
      ASSERT_EQ(P.MessageBoxes.size(), 1u);
      EXPECT_EQ(P.MessageBoxes[0].Text, Case.Text);
      EXPECT_EQ(P.MessageBoxes[0].Caption, "Quillmoor");
      EXPECT_EQ(P.MessageBoxes[0].Icon, TMessageIcon::Warning);
      EXPECT_EQ(P.Log.back(), std::string("MessageBox ") + Case.Text);
      // What the teardown released, after the failed creation.
      const auto Created = std::find_if(P.Log.begin(), P.Log.end(), [](const std::string &E) {
        return E.compare(0, 12, "CreateWindow") == 0;
      });
      ASSERT_NE(Created, P.Log.end());
      Steps Released(Created + 1, P.Log.end() - 1);
      if (AskFullscreen) {
        ASSERT_GE(Released.size(), 2u);
        EXPECT_EQ(Steps(Released.begin(), Released.begin() + 2),
                  (Steps{"RestoreDisplayMode", "ShowCursor true"}));
        Released.erase(Released.begin(), Released.begin() + 2);
      }
      EXPECT_EQ(Released, Case.Released);
      EXPECT_TRUE(P.LogStartingWith("ShowWindow").empty());
      ExpectNothingLeft();
    }
  }
}

TEST_F(WindowTest, TeardownFailuresAreReportedAndTheTeardownGoesOn) {
  const struct {
    TWindowStep Step;
    const char *Text;
  } Cases[] = {
      {TWindowStep::ReleaseCurrent, "Release of DC and RC failed."},
      {TWindowStep::DeleteContext, "Could not relase RC."},
      {TWindowStep::DestroyWindow, "Could not release hWnd."},
      {TWindowStep::UnregisterWindowClass, "Could not unregister class."},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(WindowStepName(Case.Step));
    StartOver();
    ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
    P.Fail(Case.Step);
    DestroyRenderWindow();
    ASSERT_EQ(P.MessageBoxes.size(), 1u);
    EXPECT_EQ(P.MessageBoxes[0].Text, Case.Text);
    EXPECT_EQ(P.MessageBoxes[0].Icon, TMessageIcon::Error);
    // The last step of the teardown always runs.
    EXPECT_EQ(P.LogStartingWith("UnregisterWindowClass").size(), 1u);
    EXPECT_EQ(P.LogStartingWith("DestroyWindow").size(), 1u);
    const TRenderWindowState &Window = RenderWindowState();
    EXPECT_FALSE(Window.WindowHandle || Window.RenderContext);
  }
}

TEST_F(WindowTest, KeysFollowKeyDownAndUpButNotSystemKeys) {
  HandleWindowEvent(KeyDownEvent(VK_ESCAPE));
  EXPECT_TRUE(RunState().Keys[27]);
  EXPECT_TRUE(RunState().EscapePressed);
  HandleWindowEvent(KeyUpEvent(VK_ESCAPE));
  EXPECT_FALSE(RunState().Keys[27]);
  EXPECT_TRUE(RunState().EscapePressed);  // kept until the run ends

  HandleWindowEvent(KeyDownEvent('X', true));  // Alt+X is no key of the film's
  EXPECT_FALSE(RunState().Keys['X']);

  // Codes outside the table are ignored: no key goes down, none is written
  // past the table's end.
  ResetDemoState();
  for (const uint32_t Outside : {uint32_t{256}, ~uint32_t{0}}) {
    HandleWindowEvent(KeyDownEvent(Outside));
    for (int Key = 0; Key < 256; ++Key) EXPECT_FALSE(RunState().Keys[Key]) << Key;
    EXPECT_FALSE(RunState().EscapePressed);
  }
}

TEST_F(WindowTest, ActivationFollowsTheMinimisedState) {
  HandleWindowEvent(ActivationEvent(true));
  EXPECT_FALSE(RunState().Active);
  HandleWindowEvent(ActivationEvent(false));
  EXPECT_TRUE(RunState().Active);
  HandleWindowEvent(PointerEvent());  // the pointer changes nothing
  EXPECT_TRUE(RunState().Active);
  EXPECT_FALSE(RunState().Done);
}

// A size change, at any moment of the film (the leader and the opening draw
// under the pixel projection that a new perspective would replace), makes
// no GL call: the film keeps its mode's view, the presenter its new size.
TEST_F(WindowTest, AResizeLeavesTheFilmsViewAlone) {
  RecordedGL().Reset();
  HandleWindowEvent(ResizedEvent(800, 600));
  EXPECT_TRUE(RecordedGL().Calls.empty());
}

TEST_F(WindowTest, CloseAndQuitEndTheRunAndKeepTheWindow) {
  for (const TWindowEvent &Ending : {CloseEvent(), QuitEvent()}) {
    StartOver();
    ASSERT_EQ(CreateRenderWindow("Quillmoor", 640, 480, 32, false), TWindowFailure::NoFailure);
    HandleWindowEvent(Ending);
    EXPECT_TRUE(RunState().Done);
    EXPECT_TRUE(P.WindowExists);
    DestroyRenderWindow();
  }
}

}  // namespace
