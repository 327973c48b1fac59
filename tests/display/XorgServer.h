// A private X.org server with the dummy driver for the fullscreen tests: it
// offers real mode changes, which Xvfb cannot. Starting it needs root (a
// configuration file outside /etc) and the dummy driver; the tests skip
// without them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// What XRandR reports: the screen's size and the mode the first active CRTC
// runs, both as "WxH" ("" when unreadable).
struct TScreenState {
  std::string Screen;
  std::string Crtc;
};

class TXorgServer {
public:
  ~TXorgServer() { Stop(); }

  // Why the server cannot run here, or "" when it can.
  static std::string Unavailable();
  // Starts the server on the first free display from First on, with the
  // configuration file Config (absolute path); its log goes to LogFile.
  // True once it accepts connections.
  bool Start(const std::string &Config, const std::string &LogFile, int First);
  void Stop();
  // Kills the server at once (SIGKILL), as a crash or a lost session does.
  void Kill();
  // ":N" of the running server.
  std::string Name() const { return ":" + std::to_string(Number); }

private:
  bool StartOn(int Candidate, const std::string &Config, const std::string &LogFile);

  pid_t Pid = 0;
  int Number = 0;
};

// The server a test suite shares, started from a configuration file of
// tests/xorg/, with DISPLAY pointing at it from Start until Stop. Unusable
// says why the suite is skipped ("" when it can run), Failure why a server
// that could run did not start ("" once it runs).
class TXorgDisplay {
public:
  void Start(const std::string &ConfigName, int First);
  void Stop();
  std::string Unusable, Failure;
  TXorgServer *Server = nullptr;

private:
  std::string OldDisplay, LogFile;
};

// Read through a fresh connection to the display in DISPLAY, so nothing
// cached from an earlier configuration is reported.
TScreenState ReadScreenState();

// What the screen shows now, as RGB bytes, top row first, with its size
// (empty when unreadable).
struct TScreenPicture {
  int Width = 0;
  int Height = 0;
  std::vector<unsigned char> Rgb;
  const unsigned char *At(int X, int Y) const {
    return &Rgb[(static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)) * 3];
  }
};
TScreenPicture ReadScreenPicture();

// A digest of what the screen shows now (0 when unreadable): two that
// differ mean frames are reaching the screen.
size_t ScreenDigest();
