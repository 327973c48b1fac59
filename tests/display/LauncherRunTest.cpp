// The demo's executable from its settings dialog to the end, driven from the
// keyboard and the window system under the X server, in a scratch folder
// with a short generated music.mp3. The sound device is SDL's disk driver,
// so a run that never opened it leaves no audio file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

  // Starts the demo and returns its dialog's window; fullscreen takes the
  // Way given (the default keeps the display's mode).
  unsigned long StartAtDialog(const std::string &Way = "") {
    std::vector<std::string> Environment = {
        "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + AudioFile(), "SDL_DISKAUDIODELAY=20"};
    if (!Way.empty()) Environment.push_back("QUILLMOOR_FULLSCREEN=" + Way);
    const bool Started = Demo.Start(Program, Scratch.Path(""), Environment);
    EXPECT_TRUE(Started);
    return Started ? WaitForWindow(Dialog, 20) : 0;
  }

  std::string AudioFile() const { return Scratch.Path("audio.raw"); }
  bool SoundOpened() const { return access(AudioFile().c_str(), F_OK) == 0; }

  std::string Program;
  TScratchFolder Scratch;
  TDemoProcess Demo;
};

// Enter at once: fullscreen at the default mode covers the screen at the
// screen's own mode, with no question, whatever modes the server offers.
TEST_F(LauncherRunTest, EnterAtOnceRunsFullscreenAtTheScreensOwnMode) {
  const unsigned long Settings = StartAtDialog();
  ASSERT_NE(Settings, 0u) << "no dialog";
  const std::string Screen = Output("xdpyinfo | awk '/dimensions:/ {print $2}'");
  ASSERT_TRUE(TypeInto(Settings, "Return"));
  const TWindowSize Covering{std::atoi(Screen.c_str()),
                             std::atoi(Screen.substr(Screen.find('x') + 1).c_str())};
  const unsigned long Window = WaitForWindow(Film, 30, &Covering);
  ASSERT_NE(Window, 0u) << "no render window covering the " << Screen << " screen";
  EXPECT_EQ(WindowPosition(Window), "0,0");
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
  EXPECT_TRUE(SoundOpened());
}

TEST_F(LauncherRunTest, ASwitchTheDisplayRefusesAsksForAWindowAndYesRunsIt) {
  const unsigned long Settings = StartAtDialog("switch");
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
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
  EXPECT_TRUE(NoWindow(Film));
  EXPECT_TRUE(SoundOpened());
}

TEST_F(LauncherRunTest, NoToTheWindowQuestionEndsAfterGoodBye) {
  const unsigned long Settings = StartAtDialog("switch");
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
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
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
    const char *VideoDriver;  // null: SDL's own choice
  } Cases[] = {
      {"no music: the load error", false, "disk", "^Load error$", true, nullptr},
      {"no sound device: the FMOD error", true, "no-such-driver", "^Quillmoor$", false, nullptr},
      {"no window system: the window error", true, "disk", "^Quillmoor$", false, "no-such-driver"},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    if (Case.Music)
      Scratch.Write("music.mp3", ToneMp3(TToneOptions{}));
    else
      std::remove(Scratch.Path("music.mp3").c_str());
    std::vector<std::string> Environment = {std::string("SDL_AUDIODRIVER=") + Case.AudioDriver,
                                            "SDL_DISKAUDIOFILE=" + AudioFile(),
                                            "SDL_DISKAUDIODELAY=20"};
    if (Case.VideoDriver) Environment.push_back(std::string("SDL_VIDEODRIVER=") + Case.VideoDriver);
    ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), Environment));
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

namespace {

// The paths a traced process wrote to or made: files opened for writing or
// created, folders made, names renamed, linked or removed. One path a line,
// as strace printed them (its -f -qq output, successful calls only).
std::vector<std::string> WrittenPaths(const std::string &Trace) {
  std::vector<std::string> Paths;
  std::istringstream Lines(Trace);
  std::string Line;
  while (std::getline(Lines, Line)) {
    const size_t Equals = Line.rfind(") = ");
    if (Equals == std::string::npos || Line.compare(Equals + 4, 1, "-") == 0) continue;
    const bool Opened = Line.find("open") != std::string::npos;
    if (Opened && Line.find("O_WRONLY") == std::string::npos &&
        Line.find("O_RDWR") == std::string::npos && Line.find("O_CREAT") == std::string::npos)
      continue;
    const size_t Quote = Line.find('"');
    if (Quote == std::string::npos) continue;
    Paths.push_back(Line.substr(Quote + 1, Line.find('"', Quote + 1) - Quote - 1));
  }
  return Paths;
}

}  // namespace

// A whole run (dialog, film, Escape) under a fresh home folder writes
// nothing outside the temporary folder: FLTK's preferences in the home
// folder and in /etc/fltk (as root) were the files it used to leave. Every write is
// traced; the one exception is Mesa's shader cache, the GL driver's own
// (kept in the user's cache folder, whatever the program does).
TEST_F(LauncherRunTest, AWholeRunWritesNoFileOutsideTheTemporaryFolder) {
  ASSERT_EQ(std::system("command -v strace >/dev/null"), 0) << "scripts/deps installs strace";
  const std::string Home = Scratch.Path("home");
  ASSERT_EQ(mkdir(Home.c_str(), 0700), 0);
  const std::string Trace = Scratch.Path("trace");
  // strace started in the scratch folder (where the music is), the demo
  // under it.
  TChild Run({"sh", "-c", "cd \"$0\" && exec \"$@\"", Scratch.Path(""), "strace", "-f", "-qq", "-o",
              Trace, "-e",
              "trace=open,openat,creat,mkdir,mkdirat,rename,renameat,renameat2,link,linkat,"
              "symlink,symlinkat,unlink,unlinkat,truncate",
              Program},
             {"HOME=" + Home, "LC_ALL=C", "SDL_AUDIODRIVER=dummy"}, Scratch.Path("run.out"));
  // strace waits for the demo: a failed step ends the demo (the first
  // process in the trace) before strace is stopped.
  struct TEndDemo {
    const std::string &Trace;
    ~TEndDemo() {
      const std::vector<uint8_t> Bytes = ReadBytes(Trace);
      const int Pid = std::atoi(std::string(Bytes.begin(), Bytes.end()).c_str());
      if (Pid > 0) kill(Pid, SIGKILL);
    }
  } EndDemo{Trace};
  const unsigned long Settings = WaitForWindow(Dialog, 30);
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(TypeInto(Settings, "alt+f Tab Tab alt+r Up Up Return"));
  const TWindowSize Small{640, 480};
  const unsigned long Window = WaitForWindow(Film, 30, &Small);
  ASSERT_NE(Window, 0u) << "no render window";
  // Escape held down until the run has ended, as TDemoProcess::EscapeAndWait
  // does for a demo started directly.
  ASSERT_TRUE(Focus(Window));
  std::system("timeout 10 xdotool keydown Escape");
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool Ended = false;
  while (!(Ended = !Run.Running()) && std::chrono::steady_clock::now() < Deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::system("timeout 10 xdotool keyup Escape");
  ASSERT_TRUE(Ended) << "the demo did not end";

  std::vector<std::string> Outside;
  const std::vector<uint8_t> Bytes = ReadBytes(Trace);
  for (const std::string &Path : WrittenPaths(std::string(Bytes.begin(), Bytes.end()))) {
    const bool Temporary =
        Path.rfind("/tmp/", 0) == 0 || Path.rfind("/dev/", 0) == 0 || Path.rfind("/proc/", 0) == 0;
    if (!Temporary && Path.find("/mesa_shader_cache") == std::string::npos) Outside.push_back(Path);
  }
  EXPECT_TRUE(Outside.empty()) << Outside.size() << " paths written, the first: "
                               << (Outside.empty() ? "" : Outside[0]);
  EXPECT_EQ(Output("ls -A '" + Home + "'"), "");
}
