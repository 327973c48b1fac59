#include "CaptureRun.h"

#include <GL/gl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "FramePlan.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "PngFile.h"
#include "Progress.h"
#include "UMTypes.h"
#include "VideoPipe.h"
#include "runner/FilmSetup.h"
#include "scenes/CarriedState.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"
#include "sound/DecodedTrack.h"
#include "sound/Fmod.h"

namespace {

volatile sig_atomic_t Interrupted = 0;

void OnInterrupt(int) { Interrupted = 1; }

// What a capture writes, frame by frame: the leader's frames first, then the film's.
struct TPlan {
  const TCaptureOptions *Options = nullptr;
  std::vector<uint32_t> Leader;
  int64_t FilmFrames = 0;
  int64_t Total() const { return static_cast<int64_t>(Leader.size()) + FilmFrames; }
};

// One renderer's share: output frames I with I % Count == Index. The frames
// of the others it still draws, unseen, wherever they carry state.
struct TShare {
  int Index = 0;
  int Count = 1;
  bool Owns(int64_t I) const { return I % Count == Index; }
};

using TEmit = std::function<bool(int64_t Frame, const std::vector<uint8_t> &Rgba, std::string &)>;

bool InStatefulStretch(int64_t T) {
  for (const TStatefulStretch &Stretch : StatefulStretches())
    if (T > Stretch.Start && T <= Stretch.End) return true;
  return false;
}

// A frame nobody sees: every call made, no pixel touched. Only its carried
// state (the generator, the blobs, ...) matters.
void Unseen(const std::function<void()> &Draw) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 0, 0);
  Draw();
  glDisable(GL_SCISSOR_TEST);
}

struct TRenderer {
  const TPlan &Plan;
  TShare Share;
  THeadlessPlatform &Headless;
  THeadlessGL &Gl;
  TEmit Emit;
  std::string Error;
  bool Failed = false;

  void DrawLeaderFrame(uint32_t Tick) {
    Headless.TickCount = Tick;
    DrawCountdown(Tick);
  }
  void DrawFilmFrame(int64_t T) {
    Headless.Counter = T;
    DemoTime = T;
    DrawScene();
    Headless.SwapBuffers();
  }
  bool Keep(int64_t Frame) {
    if (!Emit(Frame, Gl.ReadFrame(), Error)) Failed = true;
    return !Failed;
  }

  // Runs inside the set-up, before the film's line width: the stretches'
  // state as the set-up left it, then the leader.
  void Leader() {
    for (const TStatefulStretch &Stretch : StatefulStretches())
      if (Stretch.Reset) Stretch.Reset();
    for (size_t J = 0; J < Plan.Leader.size() && !Failed && !Interrupted; ++J) {
      const uint32_t Tick = Plan.Leader[J];
      if (Share.Owns(static_cast<int64_t>(J))) {
        DrawLeaderFrame(Tick);
        Keep(static_cast<int64_t>(J));
      } else {
        Unseen([&] { DrawLeaderFrame(Tick); });
      }
    }
  }

  void Film() {
    const TCaptureOptions &O = *Plan.Options;
    for (int64_t T : ReplayTimes(O.From, O.Fps, 0)) Unseen([&] { DrawFilmFrame(T); });
    const int64_t First = static_cast<int64_t>(Plan.Leader.size());
    for (int64_t K = 0; K < Plan.FilmFrames && !Failed && !Interrupted; ++K) {
      const int64_t T = FilmFrameTime(K, O.Fps, O.From);
      if (Share.Owns(First + K)) {
        DrawFilmFrame(T);
        Keep(First + K);
      } else if (InStatefulStretch(T)) {
        Unseen([&] { DrawFilmFrame(T); });
      }
    }
  }
};

// Sets up a headless context and the film, renders Share's frames.
bool Render(const TPlan &Plan, TShare Share, const TEmit &Emit, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  bool Done = false;
  if (auto Gl = THeadlessGL::Create(O.Width, O.Height, Error)) {
    TRenderer Renderer{Plan, Share, Headless, *Gl, Emit, {}, false};
    auto Leader = [](void *R) { static_cast<TRenderer *>(R)->Leader(); };
    if (SetUpFilm(O.Width, O.Height, Leader, &Renderer)) {
      Renderer.Film();
      Done = !Renderer.Failed;
      if (Renderer.Failed) Error = Renderer.Error;
    } else {
      Error = "the film could not be set up" +
              (Headless.Messages.empty() ? std::string() : ": " + Headless.Messages.back());
    }
    TearDownFilm();
  } else {
    Error = (O.Width > 8192 || O.Height > 8192 ? "the renderer cannot make a frame of this size: "
                                                : "no headless GL context: ") +
            Error;
  }
  SetPlatform(nullptr);
  return Done;
}

// --- the music --------------------------------------------------------------

std::string ExecutableFolder() {
  char Path[4096];
  const ssize_t Length = readlink("/proc/self/exe", Path, sizeof Path - 1);
  if (Length <= 0) return ".";
  std::string Text(Path, static_cast<size_t>(Length));
  return Text.substr(0, Text.rfind('/'));
}

bool Readable(const std::string &Path) { return access(Path.c_str(), R_OK) == 0; }

// The chosen music, else music.mp3 in the working folder, else the one beside
// the program. Empty Path: none found.
bool LoadMusic(const TCaptureOptions &O, TDecodedTrack &Track, std::string &Path,
               std::string &Error) {
  Path = O.MusicPath;
  if (Path.empty()) {
    for (const std::string &Candidate : {std::string("music.mp3"), ExecutableFolder() + "/music.mp3"})
      if (Readable(Candidate)) {
        Path = Candidate;
        break;
      }
    if (Path.empty()) {
      std::fprintf(stderr,
                   "quillmoor-capture: no music.mp3 found: the organism shows silence and the "
                   "video has no sound (--music FILE picks one)\n");
      return true;
    }
  }
  const TMp3OpenResult Result = Track.Load(Path.c_str());
  if (Result == TMp3OpenResult::Ok && Track.FrameCount() > 0) return true;
  Error = "cannot read the music " + Path + ": " +
          (Result == TMp3OpenResult::NotFound ? std::string(std::strerror(ENOENT))
           : Result == TMp3OpenResult::Ok    ? std::string("no sound in it")
                                             : std::string("not an MP3 file it can decode"));
  return false;
}

// --- the outputs ------------------------------------------------------------

std::string FolderOf(const std::string &Path) {
  const size_t Slash = Path.rfind('/');
  return Slash == std::string::npos ? "." : (Slash == 0 ? "/" : Path.substr(0, Slash));
}

bool PrepareOutput(const TCaptureOptions &O, std::string &Error) {
  if (O.Kind == TOutputKind::PngSequence) {
    if (mkdir(O.OutPath.c_str(), 0777) != 0 && errno != EEXIST) {
      Error = "cannot write " + O.OutPath + ": " + std::strerror(errno);
      return false;
    }
  }
  const std::string Folder = O.Kind == TOutputKind::PngSequence ? O.OutPath : FolderOf(O.OutPath);
  if (access(Folder.c_str(), W_OK | X_OK) != 0) {
    Error = "cannot write " + O.OutPath + ": " + std::strerror(errno);
    return false;
  }
  if (O.Kind == TOutputKind::Video && FindFfmpeg().empty()) {
    Error = "the ffmpeg program is not installed (Debian package: ffmpeg)";
    return false;
  }
  return true;
}

std::string SequenceName(const std::string &Folder, int64_t Frame) {
  char Name[32];
  std::snprintf(Name, sizeof Name, "frame-%06lld.png", static_cast<long long>(Frame));
  return Folder + Name;
}

bool ReadAll(int Fd, uint8_t *Into, size_t Bytes) {
  while (Bytes > 0) {
    const ssize_t Got = read(Fd, Into, Bytes);
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) return false;
    Into += Got;
    Bytes -= static_cast<size_t>(Got);
  }
  return true;
}

bool WriteAll(int Fd, const uint8_t *From, size_t Bytes) {
  while (Bytes > 0) {
    const ssize_t Put = write(Fd, From, Bytes);
    if (Put < 0 && errno == EINTR) continue;
    if (Put <= 0) return false;
    From += Put;
    Bytes -= static_cast<size_t>(Put);
  }
  return true;
}

// Several renderers, one process each, every one with its own context. Each
// sends its frames (video) or a byte per written PNG (sequence) down its own
// pipe; this process takes them in frame order.
bool RenderInProcesses(const TPlan &Plan, const TEmit &Emit, TProgress &Progress,
                       std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  const bool Frames = O.Kind == TOutputKind::Video;
  const size_t FrameBytes = static_cast<size_t>(O.Width) * static_cast<size_t>(O.Height) * 4;
  std::vector<int> Pipes;
  std::vector<pid_t> Children;
  std::fflush(nullptr);
  for (int Index = 0; Index < O.Jobs; ++Index) {
    int Ends[2];
    if (pipe(Ends) != 0) break;
    const pid_t Child = fork();
    if (Child == 0) {
      for (int Fd : Pipes) close(Fd);
      close(Ends[0]);
      const int Out = Ends[1];
      TEmit Send = [&](int64_t Frame, const std::vector<uint8_t> &Rgba, std::string &E) {
        if (Frames) return WriteAll(Out, Rgba.data(), Rgba.size());
        const uint8_t Tick = 1;
        return Emit(Frame, Rgba, E) && WriteAll(Out, &Tick, 1);
      };
      std::string ChildError;
      const bool Ok = Render(Plan, TShare{Index, O.Jobs}, Send, ChildError);
      if (!Ok && !ChildError.empty() && !Interrupted)
        std::fprintf(stderr, "quillmoor-capture: %s\n", ChildError.c_str());
      std::fflush(nullptr);
      _exit(Ok ? 0 : 1);
    }
    close(Ends[1]);
    if (Child < 0) {
      close(Ends[0]);
      break;
    }
    Pipes.push_back(Ends[0]);
    Children.push_back(Child);
  }
  bool Ok = static_cast<int>(Children.size()) == O.Jobs;
  if (!Ok) Error = std::string("cannot start the renderers: ") + std::strerror(errno);
  std::vector<uint8_t> Frame(Frames ? FrameBytes : 1);
  for (int64_t I = 0; Ok && I < Plan.Total() && !Interrupted; ++I) {
    const int From = Pipes[static_cast<size_t>(I % O.Jobs)];
    if (!ReadAll(From, Frame.data(), Frame.size())) {
      if (!Interrupted) Error = "a renderer stopped before its last frame";
      Ok = false;
      break;
    }
    if (Frames && !Emit(I, Frame, Error)) Ok = false;
    Progress.Update(I + 1);
  }
  for (int Fd : Pipes) close(Fd);
  for (pid_t Child : Children) {
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
    if (Ok && !(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)) {
      Error = "a renderer failed";
      Ok = false;
    }
  }
  return Ok;
}

TCaptureResult Outcome(bool Ok) {
  if (Interrupted) return TCaptureResult::Interrupted;
  return Ok ? TCaptureResult::Done : TCaptureResult::Failed;
}

}  // namespace

TCaptureResult Capture(const TCaptureOptions &O, std::string &Error) {
  Interrupted = 0;
  TPlan Plan;
  Plan.Options = &O;
  const bool Single = O.Kind == TOutputKind::Png;
  if (O.Countdown) {
    Plan.Leader = {static_cast<uint32_t>(O.From)};
  } else {
    if (O.Leader && !Single) Plan.Leader = LeaderTicks(O.Fps);
    Plan.FilmFrames = Single ? 1 : FilmFrameCount(O.From, O.To, O.Fps);
  }
  if (!PrepareOutput(O, Error)) return TCaptureResult::Failed;

  TDecodedTrack Track;
  std::string MusicPath;
  if (!O.Countdown && !LoadMusic(O, Track, MusicPath, Error)) return TCaptureResult::Failed;
  UseDecodedTrackLevels(MusicPath.empty() ? nullptr : &Track);

  TVideoPipe Video;
  if (O.Kind == TOutputKind::Video) {
    TVideoSettings Settings{O.OutPath, O.Width, O.Height, O.Fps, MusicPath, O.From,
                            static_cast<int64_t>(Plan.Leader.size())};
    if (!Video.Start(Settings, Error)) {
      UseDecodedTrackLevels(nullptr);
      return TCaptureResult::Failed;
    }
  }
  TEmit Emit = [&](int64_t Frame, const std::vector<uint8_t> &Rgba, std::string &E) {
    switch (O.Kind) {
    case TOutputKind::Png: return WritePng(O.OutPath, Rgba, O.Width, O.Height, E);
    case TOutputKind::PngSequence:
      return WritePng(SequenceName(O.OutPath, Frame), Rgba, O.Width, O.Height, E);
    case TOutputKind::Video: return Video.Write(Rgba.data(), Rgba.size(), E);
    }
    return false;
  };

  struct sigaction Action {}, OldInt{}, OldPipe{};
  Action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &Action, &OldInt);
  Action.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &Action, &OldPipe);

  TProgress Progress(Plan.Total());
  bool Ok = false;
  if (O.Jobs > 1 && !Single) {
    Ok = RenderInProcesses(Plan, Emit, Progress, Error);
  } else {
    int64_t Written = 0;
    TEmit Counted = [&](int64_t Frame, const std::vector<uint8_t> &Rgba, std::string &E) {
      const bool Put = Emit(Frame, Rgba, E);
      Progress.Update(++Written);
      return Put;
    };
    Ok = Render(Plan, TShare{}, Counted, Error);
  }
  Progress.Finish(Plan.Total());

  std::string VideoError;
  if (O.Kind == TOutputKind::Video && !Video.Finish(VideoError) && Ok) {
    Error = VideoError;
    Ok = false;
  }
  sigaction(SIGINT, &OldInt, nullptr);
  sigaction(SIGPIPE, &OldPipe, nullptr);
  UseDecodedTrackLevels(nullptr);
  return Outcome(Ok);
}

bool RunCapture(const TCaptureOptions &Options, std::string &Error) {
  return Capture(Options, Error) == TCaptureResult::Done;
}
