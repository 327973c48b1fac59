#include "platform/SdlModeGuardian.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SdlScreenConfig.h"

extern char **environ;

namespace {

// The environment variable that makes the executable a guardian; its value
// is the number of the guardian's end of the lifeline.
constexpr const char *GuardianMarker = "QUILLMOOR_MODE_GUARDIAN";
// The name the guardian shows in the process list.
constexpr const char *GuardianName = "quillmoor-mode-guardian";
// Guardian to demo: the snapshot is taken. Demo to guardian: the desktop
// mode is back, leave it alone.
constexpr char ReadyWord = 'R';
constexpr char DoneWord = 'D';
// How long the demo waits for the snapshot before it gives up on the mode
// change, and for the guardian to end after the word.
constexpr int ReadyTimeoutMs = 5000;
constexpr int StopTimeoutMs = 2000;

// The demo's side: the guardian's process and the demo's end of the
// lifeline (a socket pair, so that a word to a guardian that has gone gives
// an error instead of SIGPIPE).
struct TGuardianLink {
  pid_t Pid = 0;
  int Lifeline = -1;
};

TGuardianLink Link;

// ---- The guardian's side -------------------------------------------------

// Xlib's default handlers call exit(), which would run the demo's exit-time
// code in a process that never started it.
int IgnoreXError(Display *, XErrorEvent *) { return 0; }
int LeaveOnXIOError(Display *) { _exit(1); }

bool TakeSnapshot(TScreenConfig &Snapshot) {
  Display *Connection = XOpenDisplay(nullptr);
  if (!Connection) return false;
  const bool Taken = ReadScreenConfig(Connection, Snapshot);
  XCloseDisplay(Connection);
  return Taken;
}

void PutBack(const TScreenConfig &Snapshot) {
  Display *Connection = XOpenDisplay(nullptr);
  if (!Connection) return;  // the server went with the demo: nothing to mend
  ApplyScreenConfig(Connection, Snapshot);
  XCloseDisplay(Connection);
}

// Blocks until the demo speaks or goes. True when it said it is done.
bool DemoEndedNormally(int Lifeline) {
  char Word = 0;
  ssize_t Got;
  do Got = read(Lifeline, &Word, 1);
  while (Got < 0 && errno == EINTR);
  return Got == 1 && Word == DoneWord;
}

[[noreturn]] void Guard(int Lifeline) {
  prctl(PR_SET_NAME, "qm-guardian");
  XSetErrorHandler(IgnoreXError);
  XSetIOErrorHandler(LeaveOnXIOError);
  TScreenConfig Snapshot;
  if (!TakeSnapshot(Snapshot)) _exit(1);
  if (send(Lifeline, &ReadyWord, 1, MSG_NOSIGNAL) != 1) _exit(1);
  if (!DemoEndedNormally(Lifeline)) PutBack(Snapshot);
  _exit(0);
}

// Runs before the program's own static objects are built: a guardian needs
// none of them and leaves with _exit, so none of their exit-time code runs.
__attribute__((constructor(101))) void GuardWhenMarked() {
  const char *Value = std::getenv(GuardianMarker);
  if (!Value) return;
  char *End = nullptr;
  const long Lifeline = std::strtol(Value, &End, 10);
  if (End == Value || *End != '\0' || Lifeline < 0) _exit(2);
  Guard(static_cast<int>(Lifeline));
}

// ---- The demo's side -----------------------------------------------------

// The demo's environment plus the marker naming the guardian's end.
std::vector<std::string> GuardianEnvironment(int GuardianEnd) {
  std::vector<std::string> Variables;
  for (char **Entry = environ; *Entry; ++Entry) Variables.emplace_back(*Entry);
  Variables.push_back(std::string(GuardianMarker) + "=" + std::to_string(GuardianEnd));
  return Variables;
}

// Its own session keeps the terminal's signals (Ctrl+C, hang-up) away from
// the guardian: they are for the demo, whose death the guardian must see.
pid_t SpawnGuardian(int GuardianEnd) {
  std::vector<std::string> Variables = GuardianEnvironment(GuardianEnd);
  std::vector<char *> Envp;
  for (std::string &Variable : Variables) Envp.push_back(Variable.data());
  Envp.push_back(nullptr);
  std::string Name = GuardianName;
  char *Argv[] = {Name.data(), nullptr};

  posix_spawnattr_t Attributes;
  posix_spawnattr_init(&Attributes);
  sigset_t All, Empty;
  sigfillset(&All);
  sigemptyset(&Empty);
  posix_spawnattr_setsigdefault(&Attributes, &All);
  posix_spawnattr_setsigmask(&Attributes, &Empty);
  posix_spawnattr_setflags(&Attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t Pid = 0;
  const int Result = posix_spawn(&Pid, "/proc/self/exe", nullptr, &Attributes, Argv, Envp.data());
  posix_spawnattr_destroy(&Attributes);
  return Result == 0 ? Pid : 0;
}

bool WaitForReady(int Lifeline) {
  pollfd Wait = {Lifeline, POLLIN, 0};
  int Ready;
  do Ready = poll(&Wait, 1, ReadyTimeoutMs);
  while (Ready < 0 && errno == EINTR);
  char Word = 0;
  return Ready == 1 && read(Lifeline, &Word, 1) == 1 && Word == ReadyWord;
}

// Reaps the guardian within the deadline; true when it has ended.
bool Reap(pid_t Pid, int TimeoutMs) {
  for (int Waited = 0; Waited <= TimeoutMs; Waited += 10) {
    const pid_t Done = waitpid(Pid, nullptr, WNOHANG);
    if (Done == Pid || (Done < 0 && errno == ECHILD)) return true;
    usleep(10000);
  }
  return false;
}

}  // namespace

bool StartModeGuardian() {
  if (Link.Pid > 0) return true;
  int Ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Ends) != 0) return false;
  // Only the guardian's end crosses into it; the demo's end stays closed on
  // exec, so no other program the demo might start could hold the lifeline
  // open after the demo has died.
  fcntl(Ends[1], F_SETFD, 0);
  const pid_t Pid = SpawnGuardian(Ends[1]);
  close(Ends[1]);
  if (Pid == 0 || !WaitForReady(Ends[0])) {
    if (Pid > 0) {
      kill(Pid, SIGKILL);
      Reap(Pid, StopTimeoutMs);
    }
    close(Ends[0]);
    return false;
  }
  Link = {Pid, Ends[0]};
  return true;
}

void StopModeGuardian() {
  if (Link.Pid <= 0) return;
  send(Link.Lifeline, &DoneWord, 1, MSG_NOSIGNAL);
  close(Link.Lifeline);
  Reap(Link.Pid, StopTimeoutMs);
  Link = TGuardianLink{};
}
