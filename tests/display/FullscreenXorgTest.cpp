// Fullscreen on a real X server: a private X.org with the dummy driver
// (tests/xorg/dummy.conf: a 1600x1200 desktop, 1280x1024, 1024x768, 800x600
// and 640x480, nothing else) really switches modes, which Xvfb never does.
// Most tests here ask for the real mode change (QUILLMOOR_FULLSCREEN=switch)
// and read the server back after every way a run can end: the desktop's
// 1600x1200 must be there again, also after SIGKILL and a crash, when only
// the mode guardian can put it back. The default way, which keeps the
// desktop's mode, is tested in FullscreenScaledXorgTest.cpp; here only its
// 16-bit colours on a desktop of the mode's own size.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DemoProcess.h"
#include "SoundFixtures.h"
#include "XorgServer.h"

namespace {

const std::string Dialog = "^Display settings$";
const std::string Film = "^Quillmoor$";
const std::string Desktop = "1600x1200";

// The dialog's rows, counted from 640x480 at 32 bits; it opens on row 2.
struct TRow {
  int Index;
  int Width, Height;
};
const TRow Row640{0, 640, 480}, Row800{1, 800, 600}, Row1024{2, 1024, 768}, Row1280{3, 1280, 1024},
    Row1400{4, 1400, 1050}, Row1600{5, 1600, 1200}, Row800Bits16{7, 800, 600},
    Row1600Bits16{11, 1600, 1200};

std::string Size(const TRow &Row) {
  return std::to_string(Row.Width) + "x" + std::to_string(Row.Height);
}

// Keys that select Row and press OK, fullscreen left ticked.
std::string PickRow(const TRow &Row) {
  std::string Keys = "alt+r";
  for (int i = Row.Index; i < 2; ++i) Keys += " Up";
  for (int i = 2; i < Row.Index; ++i) Keys += " Down";
  return Keys + " Return";
}

// Polls the server until its screen and CRTC both run Mode.
bool ScreenRuns(const std::string &Mode, int Seconds) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  do {
    const TScreenState Now = ReadScreenState();
    if (Now.Screen == Mode && Now.Crtc == Mode) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < Deadline);
  return false;
}

std::string Describe(const TScreenState &State) {
  return "screen " + State.Screen + ", CRTC " + State.Crtc;
}

// The demo's child processes named as the mode guardian.
std::vector<pid_t> GuardiansOf(pid_t Parent) {
  std::vector<pid_t> Found;
  DIR *Processes = opendir("/proc");
  if (!Processes) return Found;
  while (dirent *Entry = readdir(Processes)) {
    const pid_t Pid = std::atoi(Entry->d_name);
    if (Pid <= 0) continue;
    std::ifstream Stat("/proc/" + std::to_string(Pid) + "/stat");
    std::string Line;
    std::getline(Stat, Line);
    // "pid (comm) state ppid ...": the name may hold spaces, so read from
    // its closing parenthesis.
    const size_t Close = Line.rfind(')');
    if (Close == std::string::npos || Line.find("(qm-guardian)") == std::string::npos) continue;
    char State = 0;
    int ParentPid = 0;
    if (std::sscanf(Line.c_str() + Close + 1, " %c %d", &State, &ParentPid) == 2 &&
        ParentPid == Parent)
      Found.push_back(Pid);
  }
  closedir(Processes);
  return Found;
}

// The test is the child subreaper, so a guardian orphaned by the demo's
// death becomes its child: ended means reaped here or already reaped by the
// demo.
bool Ended(pid_t Pid, int Seconds) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  do {
    const pid_t Done = waitpid(Pid, nullptr, WNOHANG);
    if (Done == Pid || (Done < 0 && errno == ECHILD)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < Deadline);
  return false;
}

class FullscreenXorgTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Xorg.Start("dummy.conf", 40);
    if (!Xorg.Unusable.empty() || !Xorg.Failure.empty()) return;
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    // A crash case must not leave a core file behind.
    const rlimit NoCore = {0, 0};
    setrlimit(RLIMIT_CORE, &NoCore);
  }

  static void TearDownTestSuite() { Xorg.Stop(); }

  void SetUp() override {
    if (!Xorg.Unusable.empty()) GTEST_SKIP() << Xorg.Unusable;
    // Everything it needs is there, so a server that will not start is a
    // failure, not a reason to skip.
    ASSERT_TRUE(Xorg.Failure.empty()) << Xorg.Failure;
    Program = BuildFolder() + "/quillmoor";
    if (access(Program.c_str(), X_OK) != 0) GTEST_SKIP() << "the demo is not built";
    ASSERT_TRUE(ScreenRuns(Desktop, 5)) << Describe(ReadScreenState());
    WriteMusic();
  }

  void WriteMusic() {
    TToneOptions Tone;
    Tone.Seconds = 3.0;
    Scratch.Write("music.mp3", ToneMp3(Tone));
  }

  // Starts the demo and picks Row in its dialog; fullscreen switches the
  // display's mode unless Way says otherwise.
  void StartAndPick(const TRow &Row, const std::string &Way = "switch") {
    ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""),
                           {"SDL_AUDIODRIVER=dummy", "QUILLMOOR_FULLSCREEN=" + Way}));
    const unsigned long Settings = WaitForWindow(Dialog, 20);
    ASSERT_NE(Settings, 0u) << "no dialog";
    ASSERT_TRUE(TypeInto(Settings, PickRow(Row)));
  }

  // Waits for the fullscreen render window in Row's mode and checks that
  // the server runs that mode and the window covers the screen. Returns the
  // window and the one guardian the demo started.
  unsigned long ExpectFullscreen(const TRow &Row, pid_t &Guardian) {
    const TWindowSize Wanted{Row.Width, Row.Height};
    const unsigned long Window = WaitForWindow(Film, 40, &Wanted);
    EXPECT_NE(Window, 0u) << "no " << Size(Row) << " render window";
    if (Window == 0) return 0;
    EXPECT_TRUE(ScreenRuns(Size(Row), 5)) << Describe(ReadScreenState());
    EXPECT_EQ(WindowPosition(Window), "0,0");
    const std::vector<pid_t> Guardians = GuardiansOf(Demo.Pid());
    EXPECT_EQ(Guardians.size(), 1u) << "guardians running";
    Guardian = Guardians.empty() ? 0 : Guardians[0];
    return Window;
  }

  // After the demo has ended: the desktop's mode is back and the guardian
  // is gone.
  void ExpectDesktopBack(pid_t Guardian) {
    EXPECT_TRUE(ScreenRuns(Desktop, 5)) << Describe(ReadScreenState());
    if (Guardian > 0) {
      EXPECT_TRUE(Ended(Guardian, 5)) << "the guardian outlives the run";
    }
    EXPECT_TRUE(NoWindow(Film));
  }

  static inline TXorgDisplay Xorg;
  std::string Program;
  TScratchFolder Scratch;
  TDemoProcess Demo;
};

// The screen and CRTC run Mode at every look for Seconds: a property held
// over a stretch of the film, not a wait.
bool ModeHeldFor(const std::string &Mode, int Seconds) {
  const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  do {
    const TScreenState Now = ReadScreenState();
    if (Now.Screen != Mode || Now.Crtc != Mode) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < End);
  return true;
}

// Frames reach the screen: two looks at it a moment apart differ (the
// leader's sweep, then the film).
bool ScreenAnimates(int Seconds) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  size_t Before = ScreenDigest();
  while (std::chrono::steady_clock::now() < Deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const size_t Now = ScreenDigest();
    if (Now != 0 && Before != 0 && Now != Before) return true;
    Before = Now;
  }
  return false;
}

// Each 32-bit mode of the dialog the server offers: the server switches,
// the render window covers the screen, the film plays in it with the mode
// kept (the guardian never acts while the demo runs), and Escape brings the
// desktop back.
TEST_F(FullscreenXorgTest, EveryOfferedModeReallyChangesAndComesBack) {
  for (const TRow &Row : {Row640, Row800, Row1024, Row1280, Row1600}) {
    SCOPED_TRACE(Size(Row));
    StartAndPick(Row);
    pid_t Guardian = 0;
    const unsigned long Window = ExpectFullscreen(Row, Guardian);
    ASSERT_NE(Window, 0u);
    EXPECT_TRUE(ScreenAnimates(30)) << "no frames on the screen";
    // Watched through the leader's few seconds into the film.
    EXPECT_TRUE(ModeHeldFor(Size(Row), 4)) << Describe(ReadScreenState());
    std::printf("during the film in %s: %s\n", Size(Row).c_str(),
                Describe(ReadScreenState()).c_str());
    EXPECT_EQ(Demo.WaitForExit(0), -1) << "the demo ended by itself";
    EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
    ExpectDesktopBack(Guardian);
  }
}

struct TRefusedCase {
  const char *Name;
  TRow Row;
  bool AnswerYes;
};

// A mode the server does not offer (a size missing from its list, a 16-bit
// row on a 24-bit server) is never tried: the viewer is asked, Yes runs in a
// window of that size, No ends after "Good bye.", and the desktop keeps its
// mode throughout, with no guardian started.
TEST_F(FullscreenXorgTest, ARefusedModeAsksAndNeverTouchesTheDesktop) {
  const TRefusedCase Cases[] = {
      {"1400x1050 missing from the server, Yes", Row1400, true},
      {"800x600 at 16 bits, No", Row800Bits16, false},
  };
  for (const TRefusedCase &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    StartAndPick(Case.Row);
    const unsigned long Question = WaitForMessageBox(Film, 40);
    ASSERT_NE(Question, 0u) << "no question about window mode";
    EXPECT_EQ(ReadScreenState().Screen, Desktop);
    EXPECT_TRUE(GuardiansOf(Demo.Pid()).empty());
    if (Case.AnswerYes) {
      ASSERT_TRUE(TypeInto(Question, "Return"));
      const TWindowSize Wanted{Case.Row.Width, Case.Row.Height};
      const unsigned long Window = WaitForWindow(Film, 40, &Wanted);
      ASSERT_NE(Window, 0u) << "no window of the mode's size";
      EXPECT_TRUE(ScreenRuns(Desktop, 1)) << Describe(ReadScreenState());
      EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
    } else {
      ASSERT_TRUE(TypeInto(Question, "Escape"));
      const unsigned long GoodBye = WaitForMessageBox(Film, 30);
      ASSERT_NE(GoodBye, 0u) << "no good-bye box";
      EXPECT_NE(GoodBye, Question);
      ASSERT_TRUE(TypeInto(GoodBye, "Return"));
      EXPECT_EQ(Demo.WaitForExit(30), 0);
    }
    ExpectDesktopBack(0);
  }
}

enum class TEnd { Escape, CloseWindow, Signal, LoadError };

struct TExitCase {
  const char *Name;
  TEnd How;
  int Signal;
  int Status;
  // The demo's own teardown puts the mode back and ends the guardian
  // quietly; otherwise the guardian, orphaned, does it.
  bool OwnTeardown;
};

// The guardian was reaped by the demo before it ended: it had stopped
// quietly. An orphaned one is the test's child and still waits to be reaped.
bool ReapedByDemo(pid_t Guardian) {
  return Guardian > 0 && waitpid(Guardian, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

// Every way a fullscreen run can end but the film's own end (below): the
// demo's own teardown for the first ones, the guardian for SIGKILL and the
// crashes, where the process cannot act.
TEST_F(FullscreenXorgTest, EveryWayOutPutsTheDesktopModeBack) {
  const TExitCase Cases[] = {
      {"Escape", TEnd::Escape, 0, 0, true},
      {"closing the window", TEnd::CloseWindow, 0, 0, true},
      {"SIGINT", TEnd::Signal, SIGINT, 128 + SIGINT, true},
      {"SIGTERM", TEnd::Signal, SIGTERM, 128 + SIGTERM, true},
      {"the load-error box", TEnd::LoadError, 0, 1, true},
      {"SIGKILL", TEnd::Signal, SIGKILL, 128 + SIGKILL, false},
      {"a crash (SIGSEGV)", TEnd::Signal, SIGSEGV, 128 + SIGSEGV, false},
      {"an abort (SIGABRT)", TEnd::Signal, SIGABRT, 128 + SIGABRT, false},
  };
  for (const TExitCase &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    if (Case.How == TEnd::LoadError)
      std::remove(Scratch.Path("music.mp3").c_str());
    else
      WriteMusic();
    StartAndPick(Row800);
    pid_t Guardian = 0;
    const unsigned long Window = ExpectFullscreen(Row800, Guardian);
    ASSERT_NE(Window, 0u);
    int ExitStatus = -1;
    switch (Case.How) {
      case TEnd::Escape:
        ExitStatus = Demo.EscapeAndWait(Window, 30);
        break;
      case TEnd::CloseWindow:
        ASSERT_TRUE(RequestClose(Window));
        break;
      case TEnd::Signal:
        kill(Demo.Pid(), Case.Signal);
        break;
      case TEnd::LoadError: {
        const unsigned long Box = WaitForMessageBox("^Load error$", 60);
        ASSERT_NE(Box, 0u) << "no load-error box";
        ASSERT_TRUE(TypeInto(Box, "Return"));
        break;
      }
    }
    if (Case.How != TEnd::Escape) ExitStatus = Demo.WaitForExit(30);
    EXPECT_EQ(ExitStatus, Case.Status);
    EXPECT_EQ(ReapedByDemo(Guardian), Case.OwnTeardown);
    ExpectDesktopBack(Guardian);
    std::printf("after %s: %s\n", Case.Name, Describe(ReadScreenState()).c_str());
  }
}

// The X server killed under the fullscreen film (a crash, a lost session),
// about 12 s after OK: the demo ends at once with a failure status
// instead of hanging on the dead connection, and its guardian, finding no
// server left to mend, ends too. A server of its own, since this one dies.
TEST_F(FullscreenXorgTest, ALostServerEndsTheDemoAndItsGuardian) {
  TXorgServer Own;
  const std::string Config = std::string(QUILLMOOR_SOURCE_DIR) + "/tests/xorg/dummy.conf";
  const std::string Log = "/tmp/quillmoor-xorg-lost-" + std::to_string(getpid()) + ".log";
  ASSERT_TRUE(Own.Start(Config, Log, 80)) << "X.org did not start (see " << Log << ")";
  struct TBack {
    ~TBack() { setenv("DISPLAY", FullscreenXorgTest::Xorg.Server->Name().c_str(), 1); }
  } PutDisplayBack;
  setenv("DISPLAY", Own.Name().c_str(), 1);
  StartAndPick(Row800);
  const auto Ok = std::chrono::steady_clock::now();
  pid_t Guardian = 0;
  ASSERT_NE(ExpectFullscreen(Row800, Guardian), 0u);
  // The moment of the film the server goes at, not a wait for something.
  std::this_thread::sleep_until(Ok + std::chrono::seconds(12));
  ASSERT_EQ(Demo.WaitForExit(0), -1) << "the demo ended before the server went";
  Own.Kill();
  const auto Killed = std::chrono::steady_clock::now();
  EXPECT_EQ(Demo.WaitForExit(10), 1);
  // A hang never ends; a prompt exit on a 2-core machine shared with builds
  // can still take more than a second to be scheduled.
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - Killed).count(), 3.0);
  if (Guardian > 0) {
    EXPECT_TRUE(Ended(Guardian, 5)) << "the guardian outlives the server";
  }
  std::remove(Log.c_str());
}

// The whole film, once, in the smallest mode: its end restores the desktop
// like every other way out. Takes the film's 110 seconds.
TEST_F(FullscreenXorgTest, TheFilmsEndPutsTheDesktopModeBack) {
  StartAndPick(Row640);
  pid_t Guardian = 0;
  ASSERT_NE(ExpectFullscreen(Row640, Guardian), 0u);
  EXPECT_EQ(Demo.WaitForExit(150), 0);
  EXPECT_TRUE(ReapedByDemo(Guardian));
  ExpectDesktopBack(Guardian);
  std::printf("after the film's end: %s\n", Describe(ReadScreenState()).c_str());
}

}  // namespace

namespace {

size_t Levels(const TScreenPicture &Screen, int Channel) {
  std::set<unsigned char> Seen;
  for (size_t i = static_cast<size_t>(Channel); i < Screen.Rgb.size(); i += 3)
    Seen.insert(Screen.Rgb[i]);
  return Seen.size();
}

// A 16-bit mode looks like one: on a 24-bit desktop of its size, without a
// mode change, the film shows only 5-6-5 colours (its greys in at most 32
// levels of red and 64 of green), where the 32-bit mode shows many more.
TEST_F(FullscreenXorgTest, ASixteenBitModeShowsSixteenBitColours) {
  for (const TRow &Row : {Row1600Bits16, Row1600}) {
    const bool Sixteen = Row.Index == Row1600Bits16.Index;
    SCOPED_TRACE(Sixteen ? "16 bits" : "32 bits");
    StartAndPick(Row, "scaled");
    const TWindowSize Wanted{Row.Width, Row.Height};
    const unsigned long Window = WaitForWindow(Film, 40, &Wanted);
    ASSERT_NE(Window, 0u);
    // The leader's and the opening's grey gradients, once frames arrive.
    ASSERT_TRUE(ScreenAnimates(30));
    const TScreenPicture Screen = ReadScreenPicture();
    ASSERT_FALSE(Screen.Rgb.empty());
    EXPECT_TRUE(ScreenRuns(Desktop, 1)) << Describe(ReadScreenState());
    if (Sixteen) {
      EXPECT_LE(Levels(Screen, 0), 32u);
      EXPECT_LE(Levels(Screen, 1), 64u);
      EXPECT_GE(Levels(Screen, 0), 8u) << "no gradient on the screen";
    } else {
      EXPECT_GT(Levels(Screen, 0), 64u);
    }
    EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
  }
}

}  // namespace
