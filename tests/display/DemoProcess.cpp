#include "DemoProcess.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char **environ;

std::string BuildFolder() {
  char Path[4096] = {};
  const ssize_t Length = readlink("/proc/self/exe", Path, sizeof(Path) - 1);
  std::string Self(Path, Length > 0 ? static_cast<size_t>(Length) : 0);
  Self.resize(Self.rfind('/'));  // .../tests
  Self.resize(Self.rfind('/'));
  return Self;
}

std::string Output(const std::string &Command) {
  std::string Text;
  if (FILE *Pipe = popen(Command.c_str(), "r")) {
    char Buffer[256];
    while (fgets(Buffer, sizeof(Buffer), Pipe)) Text += Buffer;
    pclose(Pipe);
  }
  return Text;
}

TChild::TChild(const std::vector<std::string> &Arguments,
               const std::vector<std::string> &Environment, const std::string &Output) {
  std::vector<std::string> Variables(Environment);
  for (char **Entry = environ; *Entry != nullptr; ++Entry) Variables.emplace_back(*Entry);
  std::vector<char *> Envp, Argv;
  for (std::string &Variable : Variables) Envp.push_back(Variable.data());
  Envp.push_back(nullptr);
  std::vector<std::string> Copy(Arguments);
  for (std::string &Argument : Copy) Argv.push_back(Argument.data());
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, Output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&Actions, 2, (Output + ".log").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (posix_spawnp(&Child, Argv[0], &Actions, nullptr, Argv.data(), Envp.data()) != 0) Child = 0;
  posix_spawn_file_actions_destroy(&Actions);
}

void TChild::Stop() {
  if (Child <= 0) return;
  kill(Child, SIGTERM);
  waitpid(Child, nullptr, 0);
  Child = 0;
}

bool TChild::Running() const { return Child > 0 && waitpid(Child, nullptr, WNOHANG) == 0; }

TDemoProcess::~TDemoProcess() { Kill(); }

void TDemoProcess::Kill() {
  if (Child > 0) {
    kill(Child, SIGKILL);
    waitpid(Child, nullptr, 0);
    Child = 0;
  }
}

bool TDemoProcess::Start(const std::string &Program, const std::string &Folder,
                         const std::vector<std::string> &Environment) {
  Kill();  // one left running by a failed case
  // In a UTF-8 locale that Xlib does not know by name (C.UTF-8), the render
  // window's WM_NAME gets an encoding xdotool cannot read and searches by
  // title miss it; the plain C locale gives the usual Latin-1 title.
  std::vector<std::string> Variables(Environment);
  Variables.emplace_back("LC_ALL=C");
  for (char **Entry = environ; *Entry != nullptr; ++Entry) Variables.emplace_back(*Entry);
  std::vector<char *> Envp;
  for (std::string &Variable : Variables) Envp.push_back(Variable.data());
  Envp.push_back(nullptr);
  std::string Name = Program;
  char *Argv[] = {Name.data(), nullptr};
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addchdir_np(&Actions, Folder.c_str());
  if (!ErrorFile.empty())
    posix_spawn_file_actions_addopen(&Actions, STDERR_FILENO, ErrorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int Result = posix_spawn(&Child, Program.c_str(), &Actions, nullptr, Argv, Envp.data());
  posix_spawn_file_actions_destroy(&Actions);
  if (Result != 0) Child = 0;
  return Result == 0;
}

int TDemoProcess::WaitForExit(int Seconds) {
  // Looks at least once, so WaitForExit(0) tells an ended child from a
  // running one instead of always answering "running".
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  while (Child > 0) {
    int WaitStatus = 0;
    if (waitpid(Child, &WaitStatus, WNOHANG) == Child) {
      Child = 0;
      return WIFEXITED(WaitStatus) ? WEXITSTATUS(WaitStatus) : 128 + WTERMSIG(WaitStatus);
    }
    if (std::chrono::steady_clock::now() >= Deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

int TDemoProcess::EscapeAndWait(unsigned long Id, int Seconds) {
  if (!Focus(Id)) return -1;
  // Held down until the demo has ended: its main loop reads the key's state,
  // so a press shorter than a pass under load could go unseen.
  std::system("timeout 10 xdotool keydown Escape");
  const int ExitStatus = WaitForExit(Seconds);
  std::system("timeout 10 xdotool keyup Escape");
  return ExitStatus;
}

TWindowSize WindowSize(unsigned long Id) {
  TWindowSize Size;
  const std::string Text =
      Output("xdotool getwindowgeometry " + std::to_string(Id) + " 2>/dev/null");
  const size_t At = Text.find("Geometry: ");
  if (At != std::string::npos)
    std::sscanf(Text.c_str() + At, "Geometry: %dx%d", &Size.Width, &Size.Height);
  return Size;
}

std::string WindowPosition(unsigned long Id) {
  const std::string Text =
      Output("xdotool getwindowgeometry " + std::to_string(Id) + " 2>/dev/null");
  const size_t At = Text.find("Position: ");
  if (At == std::string::npos) return "";
  return Text.substr(At + 10, Text.find(' ', At + 10) - At - 10);
}

namespace {
// Polls for a visible window with the title whose size passes Fits.
template <typename TFits>
unsigned long PollForWindow(const std::string &Title, int Seconds, TFits Fits) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  do {
    std::istringstream Ids(
        Output("xdotool search --onlyvisible --name '" + Title + "' 2>/dev/null"));
    unsigned long Window = 0;
    while (Ids >> Window)
      if (Fits(WindowSize(Window))) return Window;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < Deadline);
  return 0;
}
}  // namespace

unsigned long WaitForWindow(const std::string &Title, int Seconds, const TWindowSize *Size) {
  return PollForWindow(Title, Seconds, [Size](TWindowSize Now) {
    return Size == nullptr || (Now.Width == Size->Width && Now.Height == Size->Height);
  });
}

unsigned long WaitForMessageBox(const std::string &Title, int Seconds) {
  return PollForWindow(Title, Seconds,
                       [](TWindowSize Now) { return Now.Height > 0 && Now.Height < 400; });
}

bool NoWindow(const std::string &Title) {
  return Output("xdotool search --onlyvisible --name '" + Title + "' 2>/dev/null").empty();
}

bool Focus(unsigned long Id) {
  return std::system(
             ("timeout 10 xdotool windowfocus --sync " + std::to_string(Id) + " 2>/dev/null")
                 .c_str()) == 0;
}

bool TypeInto(unsigned long Id, const std::string &Keys) {
  return Focus(Id) && std::system(("timeout 10 xdotool key --delay 60 " + Keys).c_str()) == 0;
}

bool RequestClose(unsigned long Id) {
  Display *Connection = XOpenDisplay(nullptr);
  if (Connection == nullptr) return false;
  XEvent Event = {};
  Event.xclient.type = ClientMessage;
  Event.xclient.window = Id;
  Event.xclient.message_type = XInternAtom(Connection, "WM_PROTOCOLS", False);
  Event.xclient.format = 32;
  Event.xclient.data.l[0] = static_cast<long>(XInternAtom(Connection, "WM_DELETE_WINDOW", False));
  Event.xclient.data.l[1] = CurrentTime;
  const bool Sent = XSendEvent(Connection, Id, False, NoEventMask, &Event) != 0;
  XCloseDisplay(Connection);
  return Sent;
}
