#include "VideoPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char **environ;

TCaptureStop CaptureStop;

namespace {

const char *NotInstalled = "the ffmpeg program is not installed (Debian package: ffmpeg)";

// Starts ffmpeg with Args; Stdin is its standard input (-1: /dev/null). It
// runs in its own process group with the default signal actions and an
// empty mask; descriptors marked close-on-exec stay behind.
pid_t Spawn(const std::vector<std::string> &Args, int Stdin, std::string &Error) {
  std::vector<char *> Argv;
  Argv.push_back(const_cast<char *>("ffmpeg"));
  for (const std::string &Arg : Args) Argv.push_back(const_cast<char *>(Arg.c_str()));
  Argv.push_back(nullptr);

  posix_spawn_file_actions_t Actions;
  posix_spawnattr_t Attributes;
  posix_spawn_file_actions_init(&Actions);
  posix_spawnattr_init(&Attributes);
  if (Stdin >= 0)
    posix_spawn_file_actions_adddup2(&Actions, Stdin, STDIN_FILENO);
  else
    posix_spawn_file_actions_addopen(&Actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // ffmpeg writes its files itself: what it prints to standard output
  // (-version's text) would land in the capture's own.
  posix_spawn_file_actions_addopen(&Actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  sigset_t Defaults, Empty;
  sigemptyset(&Empty);
  sigemptyset(&Defaults);
  for (int Signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&Defaults, Signal);
  posix_spawnattr_setsigdefault(&Attributes, &Defaults);
  posix_spawnattr_setsigmask(&Attributes, &Empty);
  posix_spawnattr_setpgroup(&Attributes, 0);
  posix_spawnattr_setflags(&Attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  pid_t Child = -1;
  const int Result = posix_spawnp(&Child, "ffmpeg", &Actions, &Attributes, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  posix_spawnattr_destroy(&Attributes);
  if (Result == 0) return Child;
  Error = Result == ENOENT ? std::string(NotInstalled)
                           : std::string("cannot start ffmpeg: ") + std::strerror(Result);
  return -1;
}

void Pause(long Milliseconds) {
  timespec Time{0, Milliseconds * 1000000L};
  nanosleep(&Time, nullptr);
}

// Waits for Child; a stop signal kills it instead. True when it exited 0.
bool Wait(pid_t &Child, std::string &Error) {
  int Status = 0;
  for (;;) {
    const pid_t Got = waitpid(Child, &Status, WNOHANG);
    if (Got == Child) break;
    if (Got < 0 && errno != EINTR) {
      Error = std::string("lost track of ffmpeg: ") + std::strerror(errno);
      Child = -1;
      return false;
    }
    if (CaptureStop.Signal) {
      kill(Child, SIGKILL);
      while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
      }
      Child = -1;
      Error = "stopped";
      return false;
    }
    Pause(10);
  }
  Child = -1;
  if (WIFEXITED(Status) && WEXITSTATUS(Status) == 0) return true;
  if (WIFEXITED(Status) && WEXITSTATUS(Status) == 127) {
    Error = NotInstalled;
    return false;
  }
  Error = WIFEXITED(Status) ? "ffmpeg failed (status " + std::to_string(WEXITSTATUS(Status)) + ")"
                            : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(Status));
  return false;
}

}  // namespace

bool RunFfmpeg(const std::vector<std::string> &Arguments, std::string &Error) {
  pid_t Child = Spawn(Arguments, -1, Error);
  return Child > 0 && Wait(Child, Error);
}

bool TVideoPipe::Start(const std::vector<std::string> &Args, std::string &Error) {
  int Ends[2];
  if (pipe2(Ends, O_CLOEXEC) != 0) {
    Error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  Child = Spawn(Args, Ends[0], Error);
  close(Ends[0]);
  if (Child < 0) {
    close(Ends[1]);
    return false;
  }
  // Never blocked in a write: the loop below keeps looking at the stop flags.
  fcntl(Ends[1], F_SETFL, fcntl(Ends[1], F_GETFL) | O_NONBLOCK);
  Fd = Ends[1];
  return true;
}

bool TVideoPipe::Write(const uint8_t *Rgba, size_t Bytes, std::string &Error) {
  using Clock = std::chrono::steady_clock;
  auto LastTaken = Clock::now();
  while (Bytes > 0) {
    if (CaptureStop.Signal) {
      Error = "stopped";
      return false;
    }
    const ssize_t Written = write(Fd, Rgba, Bytes);
    if (Written > 0) {
      Rgba += Written;
      Bytes -= static_cast<size_t>(Written);
      LastTaken = Clock::now();
      continue;
    }
    if (Written < 0 && (errno == EAGAIN || errno == EINTR)) {
      // After a Ctrl-C the frame under way is finished only while ffmpeg
      // still takes it.
      if (CaptureStop.Interrupt && Clock::now() - LastTaken > std::chrono::seconds(1)) {
        Error = "interrupted";
        return false;
      }
      pollfd Wanted{Fd, POLLOUT, 0};
      poll(&Wanted, 1, 100);
      continue;
    }
    Error = "ffmpeg stopped taking frames (see its message above)";
    return false;
  }
  return true;
}

bool TVideoPipe::Finish(std::string &Error) {
  if (Fd >= 0) close(Fd);
  Fd = -1;
  if (Child <= 0) return false;
  return Wait(Child, Error);
}

void TVideoPipe::Kill() {
  if (Fd >= 0) close(Fd);
  Fd = -1;
  if (Child <= 0) return;
  kill(Child, SIGKILL);
  while (waitpid(Child, nullptr, 0) < 0 && errno == EINTR) {
  }
  Child = -1;
}

TVideoPipe::~TVideoPipe() {
  std::string Ignored;
  if (Child > 0) Finish(Ignored);
}
