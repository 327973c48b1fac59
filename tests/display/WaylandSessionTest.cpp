// The demo in a Wayland session: a private weston compositor with XWayland,
// the demo an X client of XWayland as SDL picks by default. Two compositors:
// the headless backend, which has no seat (no keyboard, no pointer: XWayland
// crashes on a pointer warp there), and the x11 backend nested in the test's
// X server, which has one. On each the demo is driven through its dialog to
// the film, windowed and fullscreen; frames must change on the compositor's
// screen, the demo must end cleanly on Escape, and XWayland must outlive it.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../SoundFixtures.h"
#include "DemoProcess.h"

// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>

namespace {

std::string ReadText(const std::string &Path) {
  std::ifstream In(Path);
  std::stringstream Text;
  Text << In.rdbuf();
  return Text.str();
}

size_t Occurrences(const std::string &Text, const std::string &Word) {
  size_t Count = 0;
  for (size_t At = Text.find(Word); At != std::string::npos; At = Text.find(Word, At + 1)) ++Count;
  return Count;
}

bool Installed(const char *Program) {
  return std::system((std::string("command -v ") + Program + " >/dev/null").c_str()) == 0;
}

// Sets an environment variable for the life of the object (the xdotool
// helpers talk to the display in DISPLAY).
class TScopedVariable {
public:
  TScopedVariable(const char *Variable, const std::string &Value) : Name(Variable) {
    if (const char *Old = std::getenv(Name)) SavedValue = Old, HadValue = true;
    setenv(Name, Value.c_str(), 1);
  }
  ~TScopedVariable() {
    if (HadValue)
      setenv(Name, SavedValue.c_str(), 1);
    else
      unsetenv(Name);
  }

  // The value it had before.
  const char *Saved() const { return SavedValue.c_str(); }

private:
  const char *Name;
  std::string SavedValue;
  bool HadValue = false;
};

// A weston compositor in its own runtime folder, with XWayland and the
// debugging protocols (screenshots). Its log names the X display XWayland
// listens on.
class TWeston {
public:
  // Outputs of Width x Height, side by side (more than one only with the
  // x11 backend, the only one that takes the option).
  TWeston(const TScratchFolder &Folder, const std::string &Backend, int Outputs = 1,
          int Width = 1024, int Height = 768)
      : Scratch(Folder) {
    Runtime = Scratch.Path("run");
    mkdir(Runtime.c_str(), 0700);
    Log = Scratch.Path("weston.log");
    Socket = "quillmoor-" + std::to_string(getpid());
    std::vector<std::string> Arguments = {"weston",
                                          "--backend=" + Backend,
                                          "--use-pixman",
                                          "--xwayland",
                                          "--idle-time=0",
                                          "--debug",
                                          "--width=" + std::to_string(Width),
                                          "--height=" + std::to_string(Height),
                                          "--socket=" + Socket,
                                          "--log=" + Log};
    if (Outputs > 1) Arguments.push_back("--output-count=" + std::to_string(Outputs));
    Server =
        std::make_unique<TChild>(Arguments, std::vector<std::string>{"XDG_RUNTIME_DIR=" + Runtime},
                                 Scratch.Path("weston.out"));
  }

  // The X display of XWayland (":N"), or "" when weston did not offer one in
  // time. XWayland itself starts with its first client.
  std::string WaitForXDisplay() {
    const std::string Mark = "xserver listening on display ";
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < Deadline && Server->Running()) {
      const std::string Text = ReadText(Log);
      const size_t At = Text.find(Mark);
      if (At != std::string::npos)
        return Text.substr(At + Mark.size(), Text.find('\n', At) - At - Mark.size());
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
  }

  // What a Wayland client needs to reach this compositor.
  std::vector<std::string> ClientEnvironment() const {
    return {"XDG_RUNTIME_DIR=" + Runtime, "WAYLAND_DISPLAY=" + Socket};
  }

  // A screenshot of the whole output, as PNG bytes (empty on failure).
  // weston-screenshooter names its file after the second, so each shot
  // gets a folder of its own.
  std::vector<uint8_t> Screenshot() {
    const std::string Folder = Scratch.Path("shot" + std::to_string(++Shots));
    mkdir(Folder.c_str(), 0700);
    std::string Command = "cd '" + Folder + "' && env";
    for (const std::string &Variable : ClientEnvironment()) Command += " '" + Variable + "'";
    Command += " timeout 20 weston-screenshooter >/dev/null 2>&1 && ls";
    const std::string Name = Output(Command);
    if (Name.empty()) return {};
    return ReadBytes(Folder + "/" + Name.substr(0, Name.find('\n')));
  }

  // weston's description of what it shows: outputs, layers and views.
  std::string SceneGraph() const {
    std::string Command = "env";
    for (const std::string &Variable : ClientEnvironment()) Command += " '" + Variable + "'";
    return Output(Command + " timeout 10 weston-debug scene-graph 2>/dev/null");
  }

  std::string LogText() const { return ReadText(Log); }
  bool Running() const { return Server->Running(); }

private:
  const TScratchFolder &Scratch;
  std::string Runtime, Log, Socket;
  std::unique_ptr<TChild> Server;
  int Shots = 0;
};

// Waits until the window manager has taken Window on (WM_STATE set): the
// focus it gives a new window, and takes back where there is no seat, has
// settled by then, so keys sent afterwards reach the widget they are for.
bool WaitUntilManaged(unsigned long Window) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    if (Output("xprop -id " + std::to_string(Window) + " WM_STATE 2>/dev/null").find("Normal") !=
        std::string::npos)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < Deadline);
  return false;
}

int IgnoreXError(Display *, XErrorEvent *) { return 0; }

// Sends Keys (xdotool's names: "alt+r Home") to Window as synthetic key
// events. xdotool itself switches to XTEST when the window has the focus,
// which XWayland 22 does not pass on; sent events reach the window whatever
// has the focus. False when a key is not in the keyboard map.
bool SendKeys(unsigned long Window, const std::string &Keys) {
  Display *Connection = XOpenDisplay(nullptr);
  if (!Connection) return false;
  const auto Previous = XSetErrorHandler(IgnoreXError);
  std::istringstream Words(Keys);
  std::string Word;
  bool Sent = true;
  while (Words >> Word) {
    unsigned int State = 0;
    for (size_t Plus; (Plus = Word.find('+')) != std::string::npos; Word.erase(0, Plus + 1)) {
      const std::string Modifier = Word.substr(0, Plus);
      State |= Modifier == "alt" ? Mod1Mask : Modifier == "ctrl" ? ControlMask : ShiftMask;
    }
    const KeyCode Code = XKeysymToKeycode(Connection, XStringToKeysym(Word.c_str()));
    if (Code == 0) {
      Sent = false;
      break;
    }
    XKeyEvent Event = {};
    Event.display = Connection;
    Event.window = Window;
    Event.root = DefaultRootWindow(Connection);
    Event.time = CurrentTime;
    Event.x = Event.y = Event.x_root = Event.y_root = 1;
    Event.same_screen = True;
    Event.state = State;
    Event.keycode = Code;
    for (const int Type : {KeyPress, KeyRelease}) {
      Event.type = Type;
      XSendEvent(Connection, Window, True, Type == KeyPress ? KeyPressMask : KeyReleaseMask,
                 reinterpret_cast<XEvent *>(&Event));
    }
    XSync(Connection, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  }
  XSetErrorHandler(Previous);
  XCloseDisplay(Connection);
  return Sent;
}

struct TSessionCase {
  const char *Name;
  const char *Backend;
  // Whether the demo is told of the compositor (WAYLAND_DISPLAY); without
  // it only the XWayland server shows what the session is.
  bool DemoSeesWayland;
};

class WaylandSessionTest : public ::testing::TestWithParam<TSessionCase> {};

TEST_P(WaylandSessionTest, TheFilmRunsWindowedAndFullscreenAndXWaylandOutlivesIt) {
  const TSessionCase &Case = GetParam();
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the test's X server (Xvfb)";
  const std::string Program = BuildFolder() + "/quillmoor";
  ASSERT_EQ(access(Program.c_str(), X_OK), 0) << "the demo is not built";
  for (const char *Tool : {"weston", "Xwayland", "weston-screenshooter"})
    ASSERT_TRUE(Installed(Tool)) << Tool
                                 << " is missing: scripts/deps installs weston and xwayland";

  TScratchFolder Scratch;
  Scratch.Write("music.mp3", ReadBytes(BuildFolder() + "/music.mp3"));
  TWeston Weston(Scratch, Case.Backend);
  const std::string XDisplay = Weston.WaitForXDisplay();
  ASSERT_FALSE(XDisplay.empty()) << "weston offered no XWayland display:\n" << Weston.LogText();
  const TScopedVariable Display("DISPLAY", XDisplay);

  std::vector<std::string> Environment = {"SDL_AUDIODRIVER=dummy"};
  if (Case.DemoSeesWayland)
    for (const std::string &Variable : Weston.ClientEnvironment()) Environment.push_back(Variable);

  for (const bool Fullscreen : {false, true}) {
    SCOPED_TRACE(Fullscreen ? "fullscreen" : "windowed");
    TDemoProcess Demo;
    ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), Environment));
    const unsigned long Settings = WaitForWindow("^Display settings$", 30);
    ASSERT_NE(Settings, 0u) << "no dialog";
    ASSERT_TRUE(WaitUntilManaged(Settings)) << "the window manager did not take the dialog on";
    // Keys go straight to the dialog's window: without a seat nothing has
    // the focus. Alt+R puts it in the list, Home picks 640x480, 32bit.
    ASSERT_TRUE(SendKeys(Settings, Fullscreen ? "alt+r Home Return" : "alt+r Home alt+f Return"));
    // Windowed: 640x480. Fullscreen: XWayland fakes the mode change for
    // the demo alone (it scales the window up), so other clients see the
    // window either at the mode's size or covering the 1024x768 output.
    const TWindowSize Small{640, 480}, Screen{1024, 768};
    unsigned long Window = 0;
    const auto Shown = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Window && std::chrono::steady_clock::now() < Shown) {
      Window = WaitForWindow("^Quillmoor$", 1, &Small);
      if (!Window && Fullscreen) Window = WaitForWindow("^Quillmoor$", 1, &Screen);
    }
    ASSERT_NE(Window, 0u) << "no render window; windows: "
                          << Output("xdotool search --name . getwindowname %@ 2>&1")
                          << "\nweston's log:\n"
                          << Weston.LogText();
    const std::string State = Output("xprop -id " + std::to_string(Window) + " _NET_WM_STATE");
    EXPECT_EQ(State.find("_NET_WM_STATE_FULLSCREEN") != std::string::npos, Fullscreen) << State;

    // Frames reach the compositor's screen: two screenshots differ, windowed
    // and fullscreen (where the output keeps its mode and the film is
    // scaled into it by the demo itself).
    const std::vector<uint8_t> First = Weston.Screenshot();
    ASSERT_FALSE(First.empty()) << "no screenshot";
    bool Changed = false;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Changed && std::chrono::steady_clock::now() < Deadline) {
      const std::vector<uint8_t> Next = Weston.Screenshot();
      Changed = !Next.empty() && Next != First;
    }
    EXPECT_TRUE(Changed) << "the screen did not change";

    ASSERT_TRUE(SendKeys(Window, "Escape"));
    EXPECT_EQ(Demo.WaitForExit(30), 0);
  }

  // One XWayland for the whole session, still serving X clients.
  const std::string Log = Weston.LogText();
  EXPECT_EQ(Occurrences(Log, "xserver exited"), 0u) << Log;
  EXPECT_EQ(Occurrences(Log, "Spawned Xwayland server"), 1u) << Log;
  EXPECT_EQ(std::system(("xdpyinfo -display " + XDisplay + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_TRUE(Weston.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, WaylandSessionTest,
    ::testing::Values(TSessionCase{"HeadlessWithoutSeat", "headless-backend.so", false},
                      TSessionCase{"NestedInXWithSeat", "x11-backend.so", true}),
    [](const ::testing::TestParamInfo<TSessionCase> &Info) { return Info.param.Name; });

// SDL's native Wayland driver, which some users choose for every program:
// a compositor keeps its mode and SDL scales the window instead, so the
// fullscreen 640x480 mode is the window's, not the display's. The demo must
// take it (the film's top-level window covers the output) instead of asking
// whether to run in a window. SDL 2.26's Wayland driver needs a seat, so the
// nested compositor is the one that can run it.
TEST(WaylandDriverTest, FullscreenInAModeOtherThanTheDesktopsRunsWithoutTheWindowQuestion) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the test's X server (Xvfb)";
  const std::string Program = BuildFolder() + "/quillmoor";
  ASSERT_EQ(access(Program.c_str(), X_OK), 0) << "the demo is not built";
  for (const char *Tool : {"weston", "Xwayland", "weston-debug"})
    ASSERT_TRUE(Installed(Tool)) << Tool
                                 << " is missing: scripts/deps installs weston and xwayland";

  TScratchFolder Scratch;
  Scratch.Write("music.mp3", ReadBytes(BuildFolder() + "/music.mp3"));
  TWeston Weston(Scratch, "x11-backend.so");
  const std::string XDisplay = Weston.WaitForXDisplay();
  ASSERT_FALSE(XDisplay.empty()) << "weston offered no XWayland display:\n" << Weston.LogText();
  const TScopedVariable Display("DISPLAY", XDisplay);
  std::vector<std::string> Environment = Weston.ClientEnvironment();
  Environment.push_back("SDL_VIDEODRIVER=wayland");
  Environment.push_back("SDL_AUDIODRIVER=dummy");

  TDemoProcess Demo;
  ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), Environment));
  const unsigned long Settings = WaitForWindow("^Display settings$", 30);
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(WaitUntilManaged(Settings));
  ASSERT_TRUE(SendKeys(Settings, "alt+r Home Return"));  // 640x480, 32bit, fullscreen

  // The film's window, a Wayland top-level now, covering the output, in
  // three descriptions in a row (the window that tries the mode shows the
  // same way for a moment before a refusal takes it down).
  const std::string Film = "top-level window 'Quillmoor'";
  const std::string Covering = "position: (0, 0) -> (1024, 768)";
  std::string Scene;
  int InARow = 0;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (InARow < 3 && std::chrono::steady_clock::now() < Deadline && Demo.WaitForExit(0) == -1) {
    Scene = Weston.SceneGraph();
    const size_t At = Scene.find(Film);
    const bool Shown = At != std::string::npos && Scene.find(Covering, At) != std::string::npos;
    InARow = Shown ? InARow + 1 : 0;
  }
  ASSERT_EQ(InARow, 3) << "no fullscreen film window; X windows: "
                       << Output("xdotool search --name . getwindowname %@ 2>&1")
                       << "\nscene: " << Scene;
  EXPECT_TRUE(NoWindow("^Quillmoor$")) << "a question on the X side";

  // No keyboard reaches the Wayland window from here: a stop signal ends
  // the film the way the viewer's Ctrl+C would.
  kill(Demo.Pid(), SIGTERM);
  EXPECT_EQ(Demo.WaitForExit(30), 128 + SIGTERM);
}

// A PNG's pixels as RGB, with its width (empty when it cannot be read).
std::vector<uint8_t> DecodePng(const std::vector<uint8_t> &Bytes, int &Width) {
  png_image Image = {};
  Image.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> Rgb;
  if (Bytes.empty() || !png_image_begin_read_from_memory(&Image, Bytes.data(), Bytes.size()))
    return Rgb;
  Image.format = PNG_FORMAT_RGB;
  Rgb.resize(PNG_IMAGE_SIZE(Image));
  if (!png_image_finish_read(&Image, nullptr, Rgb.data(), 0, nullptr)) Rgb.clear();
  Width = static_cast<int>(Image.width);
  return Rgb;
}

// Bytes that differ between two pictures of the same size in the columns
// [Left, Right), below the desktop's panel (whose clock may turn).
size_t Differing(const std::vector<uint8_t> &A, const std::vector<uint8_t> &B, int Width, int Left,
                 int Right) {
  const int Panel = 40;
  size_t Count = 0;
  const size_t Rows = A.size() / (static_cast<size_t>(Width) * 3);
  for (size_t Y = Panel; Y < Rows; ++Y)
    for (int X = Left; X < Right; ++X)
      for (int C = 0; C < 3; ++C) {
        const size_t At =
            (Y * static_cast<size_t>(Width) + static_cast<size_t>(X)) * 3 + static_cast<size_t>(C);
        Count += A[At] != B[At];
      }
  return Count;
}

// The share of pixels in the columns [Left, Right) that are nearly white
// (the leader's and the opening's ground).
double BrightPart(const std::vector<uint8_t> &Rgb, int Width, int Left, int Right) {
  size_t Bright = 0, All = 0;
  for (size_t At = 0; At + 2 < Rgb.size(); At += 3) {
    const int X = static_cast<int>((At / 3) % static_cast<size_t>(Width));
    if (X < Left || X >= Right) continue;
    ++All;
    Bright += Rgb[At] > 200 && Rgb[At + 1] > 200 && Rgb[At + 2] > 200;
  }
  return All ? static_cast<double>(Bright) / static_cast<double>(All) : 0.0;
}

// Two monitors side by side (weston's x11 backend with two outputs; the
// demo an X client of its XWayland, where SDL sees two displays). The
// dialog opens on the monitor that holds the pointer, and the fullscreen
// film covers that monitor only: the other keeps its mode and its picture.
TEST(WaylandTwoMonitorsTest, TheFilmCoversTheDialogsMonitorOnly) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs the test's X server (Xvfb)";
  const std::string Program = BuildFolder() + "/quillmoor";
  ASSERT_EQ(access(Program.c_str(), X_OK), 0) << "the demo is not built";
  for (const char *Tool : {"weston", "Xwayland", "weston-screenshooter", "xrandr"})
    ASSERT_TRUE(Installed(Tool)) << Tool << " is missing: scripts/deps installs it";

  TScratchFolder Scratch;
  Scratch.Write("music.mp3", ReadBytes(BuildFolder() + "/music.mp3"));
  TWeston Weston(Scratch, "x11-backend.so", 2, 800, 600);
  const std::string XDisplay = Weston.WaitForXDisplay();
  ASSERT_FALSE(XDisplay.empty()) << "weston offered no XWayland display:\n" << Weston.LogText();
  const TScopedVariable Display("DISPLAY", XDisplay);
  const std::string Monitors = Output("xrandr --listmonitors");
  ASSERT_NE(Monitors.find("Monitors: 2"), std::string::npos) << Monitors;
  const std::string Modes = Output("xrandr | grep ' connected'");
  // The viewer's pointer on the right-hand monitor: weston's second
  // output window is moved beside the first in the test's X server, and
  // the pointer there, so that weston and XWayland both have it there.
  const std::string Log = Weston.LogText();
  const std::string Mark = "x11 output 800x600, window id ";
  const size_t Second = Log.find(Mark, Log.find(Mark) + 1);
  ASSERT_NE(Second, std::string::npos) << Log;
  const std::string OutputWindow =
      Log.substr(Second + Mark.size(), Log.find('\n', Second) - Second - Mark.size());
  const std::string Outer = "DISPLAY=" + std::string(Display.Saved()) + " xdotool ";
  ASSERT_EQ(Output(Outer + "windowmove " + OutputWindow + " 800 0 mousemove 1200 300"), "");
  ASSERT_EQ(Output("xdotool mousemove 1200 300"), "");

  int Width = 0;
  // The desktop once weston's fade-in is over: two looks alike.
  std::vector<uint8_t> Before, Again = DecodePng(Weston.Screenshot(), Width);
  const auto Settled = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    Before = Again;
    Again = DecodePng(Weston.Screenshot(), Width);
  } while ((Again.empty() || Again != Before) && std::chrono::steady_clock::now() < Settled);
  ASSERT_EQ(Width, 1600) << "a screenshot of both outputs";
  ASSERT_EQ(Again, Before) << "the desktop never settled";

  TDemoProcess Demo;
  ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), {"SDL_AUDIODRIVER=dummy"}));
  const unsigned long Settings = WaitForWindow("^Display settings$", 30);
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(WaitUntilManaged(Settings));
  EXPECT_GE(std::atoi(WindowPosition(Settings).c_str()), 800)
      << "the dialog is not on the pointer's monitor";
  ASSERT_TRUE(SendKeys(Settings, "Return"));  // 1024x768, fullscreen

  const TWindowSize Output2{800, 600};
  const unsigned long Window = WaitForWindow("^Quillmoor$", 30, &Output2);
  ASSERT_NE(Window, 0u) << "no film window covering one output";
  EXPECT_EQ(WindowPosition(Window), "800,0");
  // The film on the right-hand monitor, the left one as it was.
  bool FilmShown = false;
  std::vector<uint8_t> During;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!FilmShown && std::chrono::steady_clock::now() < Deadline) {
    During = DecodePng(Weston.Screenshot(), Width);
    FilmShown = During.size() == Before.size() && BrightPart(During, Width, 800, 1600) > 0.3;
  }
  ASSERT_TRUE(FilmShown) << "no film on the dialog's monitor";
  EXPECT_EQ(Differing(Before, During, Width, 0, 800), 0u) << "the other monitor's picture changed";
  EXPECT_EQ(Output("xrandr | grep ' connected'"), Modes);

  ASSERT_TRUE(SendKeys(Window, "Escape"));
  EXPECT_EQ(Demo.WaitForExit(30), 0);
}

}  // namespace
