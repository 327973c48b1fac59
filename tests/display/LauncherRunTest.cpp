// The demo's executable from its settings dialog to the end, driven from the
// keyboard and the window system under the X server, in a scratch folder
// with a short generated music.mp3. The sound device is SDL's disk driver,
// so a run that never opened it leaves no audio file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "DemoProcess.h"
#include "SoundFixtures.h"

namespace {

const std::string Dialog = "^Display settings$";
const std::string Film = "^Quillmoor$";

class LauncherRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    Program = BuildFolder() + "/quillmoor";
    if (access(Program.c_str(), X_OK) != 0) GTEST_SKIP() << "the demo is not built";
    TToneOptions Tone;
    Tone.Seconds = 3.0;
    Scratch.Write("music.mp3", ToneMp3(Tone));
  }

  // Starts the demo and returns its dialog's window.
  unsigned long StartAtDialog() {
    const bool Started = Demo.Start(
        Program, Scratch.Path(""),
        {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + AudioFile(), "SDL_DISKAUDIODELAY=20"});
    EXPECT_TRUE(Started);
    return Started ? WaitForWindow(Dialog, 20) : 0;
  }

  std::string AudioFile() const { return Scratch.Path("audio.raw"); }
  bool SoundOpened() const { return access(AudioFile().c_str(), F_OK) == 0; }

  // Escape held long enough for a pass of the main loop with no message.
  static void PressEscapeInFilm(unsigned long Window) {
    ASSERT_TRUE(Focus(Window));
    std::system("xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
  }

  std::string Program;
  TScratchFolder Scratch;
  TDemoProcess Demo;
};

TEST_F(LauncherRunTest, EnterAtOnceAsksForAWindowWhenTheDisplayRefusesFullscreenAndYesRunsIt) {
  const unsigned long Settings = StartAtDialog();
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(TypeInto(Settings, "Return"));
  // The server runs one mode only, so 1024x768 fullscreen is refused.
  const unsigned long Question = WaitForMessageBox(Film, 30);
  ASSERT_NE(Question, 0u) << "no question about window mode";
  ASSERT_TRUE(TypeInto(Question, "Return"));  // Yes
  const TWindowSize Default{1024, 768};
  const unsigned long Window = WaitForWindow(Film, 30, &Default);
  ASSERT_NE(Window, 0u) << "no 1024x768 render window";
  EXPECT_EQ(WindowPosition(Window), "0,0");
  EXPECT_TRUE(NoWindow(Dialog));
  PressEscapeInFilm(Window);
  EXPECT_EQ(Demo.WaitForExit(30), 0);
  EXPECT_TRUE(NoWindow(Film));
  EXPECT_TRUE(SoundOpened());
}

TEST_F(LauncherRunTest, NoToTheWindowQuestionEndsAfterGoodBye) {
  const unsigned long Settings = StartAtDialog();
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(TypeInto(Settings, "Return"));
  const unsigned long Question = WaitForMessageBox(Film, 30);
  ASSERT_NE(Question, 0u) << "no question about window mode";
  ASSERT_TRUE(TypeInto(Question, "Escape"));  // No
  const unsigned long GoodBye = WaitForMessageBox(Film, 30);
  ASSERT_NE(GoodBye, 0u) << "no good-bye box";
  EXPECT_NE(GoodBye, Question);
  ASSERT_TRUE(TypeInto(GoodBye, "Return"));
  EXPECT_EQ(Demo.WaitForExit(30), 0);
  EXPECT_TRUE(NoWindow(Film));
}

// Tab leaves the list first, so only Alt+R can bring the focus back to it
// before Up moves the selection from row 2 to row 0.
TEST_F(LauncherRunTest, WindowedRowZeroRunsIn640x480AndEscapeEndsTheFilm) {
  const unsigned long Settings = StartAtDialog();
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(TypeInto(Settings, "alt+f Tab Tab alt+r Up Up Return"));
  const TWindowSize Small{640, 480};
  const unsigned long Window = WaitForWindow(Film, 30, &Small);
  ASSERT_NE(Window, 0u) << "no 640x480 render window";
  EXPECT_EQ(WindowPosition(Window), "0,0");
  PressEscapeInFilm(Window);
  EXPECT_EQ(Demo.WaitForExit(30), 0);
  EXPECT_TRUE(NoWindow(Film));
}

// A failure the viewer is shown in a box ends the program with status 1
// once the box is answered, so scripts and launchers see it failed.
TEST_F(LauncherRunTest, AFailureBoxEndsTheProgramWithStatusOne) {
  const struct {
    const char *Name;
    bool Music;
    const char *AudioDriver;
    const char *Box;
    bool WindowBehind;
  } Cases[] = {
      {"no music: the load error", false, "disk", "^Load error$", true},
      {"no sound device: the FMOD error", true, "no-such-driver", "^Quillmoor$", false},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    if (Case.Music)
      Scratch.Write("music.mp3", ToneMp3(TToneOptions{}));
    else
      std::remove(Scratch.Path("music.mp3").c_str());
    ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""),
                           {std::string("SDL_AUDIODRIVER=") + Case.AudioDriver,
                            "SDL_DISKAUDIOFILE=" + AudioFile(), "SDL_DISKAUDIODELAY=20"}));
    const unsigned long Settings = WaitForWindow(Dialog, 20);
    ASSERT_NE(Settings, 0u) << "no dialog";
    ASSERT_TRUE(TypeInto(Settings, "alt+f Return"));
    if (Case.WindowBehind) {
      const TWindowSize Default{1024, 768};
      EXPECT_NE(WaitForWindow(Film, 30, &Default), 0u) << "no render window behind the box";
    }
    const unsigned long Box = WaitForMessageBox(Case.Box, 60);
    ASSERT_NE(Box, 0u) << "no failure box";
    ASSERT_TRUE(TypeInto(Box, "Return"));
    EXPECT_EQ(Demo.WaitForExit(30), 1);
    EXPECT_TRUE(NoWindow(Film));
  }
}

enum class TCancel { Keys, CloseClick, WindowClose, StopSignal };

struct TCancelCase {
  const char *Name;
  TCancel How;
  const char *Keys;
  int Status;
};

// Every way out of the dialog but OK ends the program before the sound
// device or a render window is opened.
TEST_F(LauncherRunTest, LeavingTheDialogOtherwiseEndsWithoutTheFilm) {
  const TCancelCase Cases[] = {
      {"Escape", TCancel::Keys, "Escape", 0},
      {"Alt+C", TCancel::Keys, "alt+c", 0},
      {"a plain C while a button has the focus", TCancel::Keys, "Tab Tab c", 0},
      {"Enter on the focused Close button", TCancel::Keys, "Tab Tab Tab Return", 0},
      {"a click on Close", TCancel::CloseClick, "", 0},
      {"the title-bar close", TCancel::WindowClose, "", 0},
      {"a stop signal", TCancel::StopSignal, "", 128 + SIGTERM},
  };
  for (const TCancelCase &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const unsigned long Settings = StartAtDialog();
    ASSERT_NE(Settings, 0u) << "no dialog";
    switch (Case.How) {
      case TCancel::Keys:
        ASSERT_TRUE(TypeInto(Settings, Case.Keys));
        break;
      case TCancel::CloseClick:
        ASSERT_EQ(std::system(("timeout 10 xdotool mousemove --sync --window " +
                               std::to_string(Settings) + " 140 236 click 1")
                                  .c_str()),
                  0);
        break;
      case TCancel::WindowClose:
        ASSERT_TRUE(RequestClose(Settings));
        break;
      case TCancel::StopSignal:
        kill(Demo.Pid(), SIGTERM);
        break;
    }
    EXPECT_EQ(Demo.WaitForExit(20), Case.Status);
    EXPECT_TRUE(NoWindow(Dialog));
    EXPECT_FALSE(SoundOpened());
  }
}

}  // namespace
