// The demo's executable started as a child process under the X server, and
// the xdotool steps that drive it. Every wait has a deadline, so a window
// that never comes fails the test instead of hanging it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The build folder: one above the folder of the running test program.
std::string BuildFolder();

// The standard output of a shell command.
std::string Output(const std::string &Command);

struct TWindowSize {
  int Width = 0;
  int Height = 0;
};

// A helper program (a server, a recorder) with arguments and Environment
// added to this process's own, its standard output to Output and its errors
// to Output + ".log"; ended with SIGTERM by Stop or at the end.
class TChild {
public:
  TChild(const std::vector<std::string> &Arguments, const std::vector<std::string> &Environment,
         const std::string &Output);
  ~TChild() { Stop(); }
  TChild(const TChild &) = delete;
  TChild &operator=(const TChild &) = delete;
  void Stop();
  bool Running() const;
  pid_t Pid() const { return Child; }

private:
  pid_t Child = 0;
};

class TDemoProcess {
public:
  TDemoProcess() = default;
  ~TDemoProcess();  // kills a child that is still running
  TDemoProcess(const TDemoProcess &) = delete;
  TDemoProcess &operator=(const TDemoProcess &) = delete;

  // Starts Program in Folder with Environment added to this process's own.
  bool Start(const std::string &Program, const std::string &Folder,
             const std::vector<std::string> &Environment = {});
  // Standard error of the next Start goes to Path ("" : this process's own).
  void SetErrorFile(const std::string &Path) { ErrorFile = Path; }
  pid_t Pid() const { return Child; }
  // The exit status (128 + signal for a signal), or -1 while still running
  // after the wait. WaitForExit(0) looks once without waiting.
  int WaitForExit(int Seconds);
  // Gives Window the focus, holds Escape down until the demo ends or
  // Seconds pass, and returns WaitForExit's answer.
  int EscapeAndWait(unsigned long Id, int Seconds);

private:
  void Kill();

  pid_t Child = 0;
  std::string ErrorFile;
};

// The id of the first window whose title matches the regular expression
// Title and, when Size is given, whose size is Size; 0 when none shows up
// within the deadline.
unsigned long WaitForWindow(const std::string &Title, int Seconds,
                            const TWindowSize *Size = nullptr);
// A message box titled Title (a window of that title lower than any render
// window), or 0 when none shows up within the deadline.
unsigned long WaitForMessageBox(const std::string &Title, int Seconds);
// The current size of a window.
TWindowSize WindowSize(unsigned long Id);
// True when no window with that title exists.
bool NoWindow(const std::string &Title);
// Gives Window the keyboard focus.
bool Focus(unsigned long Id);
// Gives Window the keyboard focus and types Keys (xdotool key names, e.g.
// "alt+f Return"). False when xdotool fails or times out.
bool TypeInto(unsigned long Id, const std::string &Keys);
// Asks the window to close, as its title-bar close button does.
bool RequestClose(unsigned long Id);
// The window's top-left corner on the screen (x, y).
std::string WindowPosition(unsigned long Id);
