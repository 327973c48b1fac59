#include "VideoPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

TCaptureStop CaptureStop;

namespace {

const char *NotInstalled = "the ffmpeg program is not installed (Debian package: ffmpeg)";

// The ffmpeg program on PATH, found before the fork: the child only execs.
std::string FindFfmpeg() {
  const char *Path = std::getenv("PATH");
  std::string Folders = Path ? Path : "/usr/local/bin:/usr/bin:/bin";
  size_t Begin = 0;
  for (;;) {
    const size_t End = std::min(Folders.find(':', Begin), Folders.size());
    const std::string Folder = End > Begin ? Folders.substr(Begin, End - Begin) : ".";
    const std::string Candidate = Folder + "/ffmpeg";
    struct stat Info {};
    if (stat(Candidate.c_str(), &Info) == 0 && S_ISREG(Info.st_mode) &&
        access(Candidate.c_str(), X_OK) == 0)
      return Candidate;
    if (End >= Folders.size()) return {};
    Begin = End + 1;
  }
}

// In the forked child, before the exec: only calls that are safe after a
// fork. The default signal actions and an empty mask; death with the
// parent (also when it is killed outright), checked once more in case the
// parent died before the request was made.
[[noreturn]] void BecomeFfmpeg(const std::string &Program, char *const Argv[], int Stdin,
                               pid_t Parent, int Report) {
  for (int Signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(Signal, SIG_DFL);
  sigset_t Empty;
  sigemptyset(&Empty);
  sigprocmask(SIG_SETMASK, &Empty, nullptr);
  // Its own process group: a Ctrl-C at the terminal reaches only the
  // capture, which then lets ffmpeg finish a playable file.
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != Parent) _exit(127);
  const int Input = Stdin >= 0 ? Stdin : open("/dev/null", O_RDONLY);
  // ffmpeg writes its files itself: what it prints to standard output
  // (-version's text) would land in the capture's own.
  const int Output = open("/dev/null", O_WRONLY);
  if (Input < 0 || Output < 0 || dup2(Input, STDIN_FILENO) < 0 || dup2(Output, STDOUT_FILENO) < 0) {
    const int Failure = errno;
    (void)!write(Report, &Failure, sizeof Failure);
    _exit(127);
  }
  execv(Program.c_str(), Argv);
  const int Failure = errno;
  (void)!write(Report, &Failure, sizeof Failure);
  _exit(127);
}

// Starts ffmpeg with Args; Stdin is its standard input (-1: /dev/null).
// Descriptors marked close-on-exec stay behind. A failed exec comes back
// through a close-on-exec pipe as its errno.
pid_t Spawn(const std::vector<std::string> &Args, int Stdin, std::string &Error) {
  const std::string Program = FindFfmpeg();
  if (Program.empty()) {
    Error = NotInstalled;
    return -1;
  }
  std::vector<char *> Argv;
  Argv.push_back(const_cast<char *>("ffmpeg"));
  for (const std::string &Arg : Args) Argv.push_back(const_cast<char *>(Arg.c_str()));
  Argv.push_back(nullptr);
  int Report[2];
  if (pipe2(Report, O_CLOEXEC) != 0) {
    Error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    return -1;
  }
  const pid_t Parent = getpid();
  const pid_t Child = fork();
  if (Child == 0) BecomeFfmpeg(Program, Argv.data(), Stdin, Parent, Report[1]);
  close(Report[1]);
  if (Child < 0) {
    Error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    close(Report[0]);
    return -1;
  }
  int Failure = 0;
  ssize_t Got;
  while ((Got = read(Report[0], &Failure, sizeof Failure)) < 0 && errno == EINTR) {
  }
  close(Report[0]);
  if (Got <= 0) return Child;
  while (waitpid(Child, nullptr, 0) < 0 && errno == EINTR) {
  }
  Error = "ffmpeg does not run: cannot start " + Program + ": " + std::strerror(Failure);
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
  Error = WIFEXITED(Status) ? "ffmpeg exits with status " + std::to_string(WEXITSTATUS(Status))
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
