#include "XorgServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <thread>
#include <vector>

extern char **environ;

namespace {

constexpr const char *XorgBinary = "/usr/bin/Xorg";
constexpr const char *DummyDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";

bool Exists(const std::string &Path) { return access(Path.c_str(), F_OK) == 0; }

bool DisplayFree(int Number) {
  const std::string N = std::to_string(Number);
  return !Exists("/tmp/.X" + N + "-lock") && !Exists("/tmp/.X11-unix/X" + N);
}

bool Accepts(const std::string &Name) {
  Display *Connection = XOpenDisplay(Name.c_str());
  if (!Connection) return false;
  XCloseDisplay(Connection);
  return true;
}

std::string Size(int Width, int Height) {
  return std::to_string(Width) + "x" + std::to_string(Height);
}

}  // namespace

std::string TXorgServer::Unavailable() {
  if (geteuid() != 0) return "X.org with a configuration file of its own needs root";
  if (!Exists(XorgBinary)) return "X.org is not installed (xserver-xorg-core)";
  if (!Exists(DummyDriver)) return "the dummy video driver is not installed";
  return "";
}

// Another server may take a free number between the look and the start;
// then the next free one is tried.
bool TXorgServer::Start(const std::string &Config, const std::string &LogFile, int First) {
  Stop();
  int Attempts = 0;
  for (int Candidate = First; Candidate < First + 40 && Attempts < 3; ++Candidate) {
    if (!DisplayFree(Candidate)) continue;
    ++Attempts;
    if (StartOn(Candidate, Config, LogFile)) return true;
  }
  return false;
}

bool TXorgServer::StartOn(int Candidate, const std::string &Config, const std::string &LogFile) {
  Number = Candidate;
  const std::string Name = this->Name();
  // No VT switching and the VTs shared, so on a desktop machine the server
  // never takes the console away.
  std::vector<std::string> Arguments = {"Xorg",     Name,          "-config",  Config,
                                        "-noreset", "-nolisten",   "tcp",      "-logfile",
                                        LogFile,    "-novtswitch", "-sharevts"};
  std::vector<char *> Argv;
  for (std::string &Argument : Arguments) Argv.push_back(Argument.data());
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  const int Result = posix_spawn(&Pid, XorgBinary, &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Result != 0) {
    Pid = 0;
    return false;
  }
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < Deadline) {
    if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
      Pid = 0;
      return false;
    }
    if (Exists("/tmp/.X11-unix/X" + std::to_string(Number)) && Accepts(Name)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  Stop();
  return false;
}

void TXorgServer::Stop() {
  if (Pid <= 0) return;
  kill(Pid, SIGTERM);
  for (int Waited = 0; Waited < 100; ++Waited) {
    if (waitpid(Pid, nullptr, WNOHANG) == Pid) {
      Pid = 0;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(Pid, SIGKILL);
  waitpid(Pid, nullptr, 0);
  Pid = 0;
}

void TXorgServer::Kill() {
  if (Pid <= 0) return;
  kill(Pid, SIGKILL);
  waitpid(Pid, nullptr, 0);
  Pid = 0;
}

TScreenState ReadScreenState() {
  TScreenState State;
  Display *Dpy = XOpenDisplay(nullptr);
  if (!Dpy) return State;
  const int ScreenNumber = DefaultScreen(Dpy);
  State.Screen = Size(DisplayWidth(Dpy, ScreenNumber), DisplayHeight(Dpy, ScreenNumber));
  XRRScreenResources *Resources = XRRGetScreenResourcesCurrent(Dpy, RootWindow(Dpy, ScreenNumber));
  for (int i = 0; Resources && i < Resources->ncrtc && State.Crtc.empty(); ++i) {
    XRRCrtcInfo *Info = XRRGetCrtcInfo(Dpy, Resources, Resources->crtcs[i]);
    if (Info && Info->mode != None)
      State.Crtc = Size(static_cast<int>(Info->width), static_cast<int>(Info->height));
    if (Info) XRRFreeCrtcInfo(Info);
  }
  if (Resources) XRRFreeScreenResources(Resources);
  XCloseDisplay(Dpy);
  return State;
}

size_t ScreenDigest() {
  Display *Dpy = XOpenDisplay(nullptr);
  if (!Dpy) return 0;
  const int ScreenNumber = DefaultScreen(Dpy);
  XImage *Image =
      XGetImage(Dpy, RootWindow(Dpy, ScreenNumber), 0, 0,
                static_cast<unsigned>(DisplayWidth(Dpy, ScreenNumber)),
                static_cast<unsigned>(DisplayHeight(Dpy, ScreenNumber)), AllPlanes, ZPixmap);
  size_t Digest = 0;
  if (Image) {
    const size_t Bytes = static_cast<size_t>(Image->bytes_per_line) * Image->height;
    Digest = std::hash<std::string_view>()(std::string_view(Image->data, Bytes)) | 1;
    XDestroyImage(Image);
  }
  XCloseDisplay(Dpy);
  return Digest;
}

TScreenPicture ReadScreenPicture() {
  TScreenPicture Shot;
  Display *Dpy = XOpenDisplay(nullptr);
  if (!Dpy) return Shot;
  const int ScreenNumber = DefaultScreen(Dpy);
  const int Width = DisplayWidth(Dpy, ScreenNumber), Height = DisplayHeight(Dpy, ScreenNumber);
  XImage *Image = XGetImage(Dpy, RootWindow(Dpy, ScreenNumber), 0, 0, static_cast<unsigned>(Width),
                            static_cast<unsigned>(Height), AllPlanes, ZPixmap);
  if (Image) {
    Shot.Width = Width;
    Shot.Height = Height;
    Shot.Rgb.reserve(static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3);
    for (int Y = 0; Y < Height; ++Y)
      for (int X = 0; X < Width; ++X) {
        const unsigned long Value = XGetPixel(Image, X, Y);
        Shot.Rgb.push_back(static_cast<unsigned char>((Value & Image->red_mask) >> 16));
        Shot.Rgb.push_back(static_cast<unsigned char>((Value & Image->green_mask) >> 8));
        Shot.Rgb.push_back(static_cast<unsigned char>(Value & Image->blue_mask));
      }
    XDestroyImage(Image);
  }
  XCloseDisplay(Dpy);
  return Shot;
}

void TXorgDisplay::Start(const std::string &ConfigName, int First) {
  Unusable = TXorgServer::Unavailable();
  if (!Unusable.empty()) return;
  Server = new TXorgServer;
  const std::string Config = std::string(QUILLMOOR_SOURCE_DIR) + "/tests/xorg/" + ConfigName;
  LogFile = "/tmp/quillmoor-xorg-" + std::to_string(getpid()) + "-" + ConfigName + ".log";
  if (!Server->Start(Config, LogFile, First)) {
    Failure = "X.org did not start (see " + LogFile + ")";
    return;
  }
  const char *Old = std::getenv("DISPLAY");
  OldDisplay = Old ? Old : "";
  setenv("DISPLAY", Server->Name().c_str(), 1);
}

void TXorgDisplay::Stop() {
  const bool Started = Server && Failure.empty();
  if (Started) std::remove(LogFile.c_str());
  delete Server;
  Server = nullptr;
  if (Started && OldDisplay.empty()) unsetenv("DISPLAY");
  if (Started && !OldDisplay.empty()) setenv("DISPLAY", OldDisplay.c_str(), 1);
}
