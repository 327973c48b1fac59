#include "CaptureRun.h"

#include <GL/gl.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "EncoderArguments.h"
#include "FramePlan.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "PartsFolder.h"
#include "PngFile.h"
#include "Progress.h"
#include "VideoPipe.h"
#include "film/FilmSetup.h"
#include "present/FramePresenter.h"
#include "scenes/CarriedState.h"
#include "scenes/Countdown.h"
#include "scenes/FilmTiming.h"
#include "scenes/Timeline.h"
#include "sound/DecodedTrack.h"

namespace {

namespace fs = std::filesystem;

// Ctrl-C and the stop signals set CaptureStop (see VideoPipe.h).
bool Stopping() { return CaptureStop.Interrupt || CaptureStop.Signal; }

void OnInterrupt(int) { CaptureStop.Interrupt = 1; }
void OnStop(int Signal) { CaptureStop.Signal = Signal; }

// In a renderer process a stop signal ends its ffmpeg and the process at
// once, wherever it is: the capture removes the unfinished parts.
volatile pid_t RendererFfmpeg = -1;
void OnStopInRenderer(int) {
  const pid_t Ffmpeg = RendererFfmpeg;
  if (Ffmpeg > 0) kill(Ffmpeg, SIGKILL);
  _exit(1);
}

// What a capture writes, frame by frame: the leader's frames first, then the
// film's, cut into parts (see FilmParts). The first part is the leader when there is
// one; every part is rendered and written on its own.
struct TPlan {
  const TCaptureOptions *Options = nullptr;
  // The music the organism's levels come from; null: silence.
  const TDecodedTrack *Music = nullptr;
  // A video's size, rate and encoding (its music is added at the join).
  TVideoSettings Video;
  std::vector<uint32_t> Leader;
  int64_t FilmFrames = 0;
  std::vector<TFilmPart> Film;
  int64_t Total() const { return static_cast<int64_t>(Leader.size()) + FilmFrames; }
  bool HasLeaderPart() const { return !Leader.empty(); }
  size_t PartCount() const { return Film.size() + (HasLeaderPart() ? 1 : 0); }
  int64_t PartFrames(size_t Part) const {
    if (HasLeaderPart() && Part == 0) return static_cast<int64_t>(Leader.size());
    const TFilmPart &P = Film[Part - (HasLeaderPart() ? 1 : 0)];
    return P.End - P.Begin;
  }
};

// Where one renderer's time went, in seconds.
struct TTimes {
  double Replay = 0;    // unseen frames that bring carried state up to date
  double Draw = 0;      // the seen frames' drawing, to the last pixel
  double Readback = 0;  // glReadPixels and the flip to top-down rows
  double Output = 0;    // PNG encoding, or handing frames to ffmpeg (waits on it)
  int64_t Frames = 0;
};

double Since(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// A frame nobody sees: every call made, no pixel touched. Only its carried
// state (the generator, the blobs, ...) matters.
void Unseen(const std::function<void()> &Draw) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 0, 0);
  Draw();
  glDisable(GL_SCISSOR_TEST);
}

// How a renderer gets its parts and reports its frames: in this process, or
// in a renderer process talking to the parent through pipes.
struct TWorkFeed {
  std::function<bool(size_t &Part)> Next;  // false: no more parts
  std::function<void(size_t Part)> FrameDone;
};

// Where finished frames go: the PNG file(s) or one ffmpeg per part.
class TPartWriter {
public:
  TPartWriter(const TPlan &Plan, const std::string &Folder)
      : O(*Plan.Options), Settings(Plan.Video), PartsFolder(Folder) {}
  bool Begin(size_t Part, std::string &Error) {
    if (O.Kind != TOutputKind::Video) return true;
    Current = PartPath(PartsFolder, Part);
    // A stop signal waits until the new ffmpeg is known to the handler that
    // ends it.
    sigset_t Stops, Old;
    sigemptyset(&Stops);
    sigaddset(&Stops, SIGTERM);
    sigaddset(&Stops, SIGHUP);
    sigprocmask(SIG_BLOCK, &Stops, &Old);
    const bool Started = Video.Start(PartArguments(Settings, Current), Error);
    RendererFfmpeg = Video.Process();
    sigprocmask(SIG_SETMASK, &Old, nullptr);
    return Started;
  }
  bool Write(int64_t Frame, const std::vector<uint8_t> &Rgba, std::string &Error) {
    switch (O.Kind) {
      case TOutputKind::Png:
        return WritePng(O.OutPath, Rgba, O.Width, O.Height, Error);
      case TOutputKind::PngSequence:
        return WritePng(SequenceName(O.OutPath, Frame), Rgba, O.Width, O.Height, Error);
      case TOutputKind::Video:
        return Video.Write(Rgba.data(), Rgba.size(), Error);
    }
    return false;
  }
  // The part's ffmpeg has finished and written something.
  bool End(std::string &Error) {
    if (O.Kind != TOutputKind::Video) return true;
    const bool Finished = Video.Finish(Error);
    RendererFfmpeg = -1;
    if (!Finished) return false;
    std::error_code Failure;
    if (fs::file_size(Current, Failure) > 0 && !Failure) return true;
    Error = "ffmpeg ended without writing " + Current;
    return false;
  }

  static std::string PartName(size_t Part) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "part-%04zu.nut", Part);
    return Name;
  }
  static std::string PartPath(const std::string &Folder, size_t Part) {
    return (fs::path(Folder) / PartName(Part)).string();
  }
  static std::string SequenceName(const std::string &Folder, int64_t Frame) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "frame-%06lld.png", static_cast<long long>(Frame));
    return Folder + Name;
  }

private:
  const TCaptureOptions &O;
  const TVideoSettings &Settings;
  std::string PartsFolder;
  std::string Current;  // the part being written
  TVideoPipe Video;
};

struct TRenderer {
  const TPlan &Plan;
  THeadlessPlatform &Headless;
  THeadlessGL &Gl;
  // Shows the film in a frame of another size or colour; null when the
  // film is drawn straight into the frame, as the demo draws it.
  TFramePresenter *Presenter;
  TPartWriter &Writer;
  const TWorkFeed &Feed;
  bool DrawsLeader;  // this renderer writes the leader's part
  TTimes Times;
  std::string Error;
  bool Failed = false;
  std::vector<uint8_t> Rgba;  // the frame read back, its storage reused
  TCarriedState AtSetUp;      // the carried state as the set-up left it

  void DrawLeaderFrame(uint32_t Tick) {
    Headless.TickCount = Tick;
    Shown([&] { DrawCountdown(Tick); });
  }
  // One drawing, shown in the frame as the demo's fullscreen shows it.
  template <typename TDraw>
  void Shown(TDraw Draw) {
    if (Presenter) Presenter->BeginFrame(Gl.Width(), Gl.Height());
    Draw();
    if (Presenter) Presenter->Present(Gl.Width(), Gl.Height());
    Headless.SwapBuffers();
  }
  // The frame the demo draws at film time T, with the levels its music has
  // there.
  void DrawFilmFrame(int64_t T) {
    Headless.Counter = T;
    TFrameInputs Frame;
    Frame.Time = T;
    if (Plan.Music) Plan.Music->LevelsAt(T, Frame.LeftLevel, Frame.RightLevel);
    Shown([&] { DrawScene(Frame); });
  }
  void Fail() { Failed = true; }
  // Reads the frame back and writes it as output frame Frame of part Part.
  bool Keep(size_t Part, int64_t Frame) {
    auto Start = std::chrono::steady_clock::now();
    if (Plan.Options->Timing) {
      glFinish();
      Times.Draw += Since(Start);
      Start = std::chrono::steady_clock::now();
    }
    Gl.ReadFrame(Rgba);
    Times.Readback += Since(Start);
    Start = std::chrono::steady_clock::now();
    if (!Writer.Write(Frame, Rgba, Error)) Fail();
    Times.Output += Since(Start);
    ++Times.Frames;
    if (!Failed) Feed.FrameDone(Part);
    return !Failed;
  }
  template <typename TDraw>
  void Timed(double &Into, TDraw Draw) {
    const auto Start = std::chrono::steady_clock::now();
    Draw();
    Into += Since(Start);
  }
  // Runs inside the set-up, before the film's line width: keeps the carried
  // state as the set-up left it, then draws the leader, seen by the renderer that
  // writes it and unseen by the others (the leader's drawing is part of the
  // state every renderer starts the film from).
  void Leader() {
    AtSetUp = Carried;
    if (!DrawsLeader) {
      Timed(Times.Replay, [&] {
        for (uint32_t Tick : Plan.Leader) {
          if (CaptureStop.Signal) return;
          Unseen([&] { DrawLeaderFrame(Tick); });
        }
      });
      return;
    }
    if (Plan.Leader.empty()) return;
    if (!Writer.Begin(0, Error)) return Fail();
    for (size_t J = 0; J < Plan.Leader.size() && !Failed && !Stopping(); ++J) {
      Timed(Times.Draw, [&] { DrawLeaderFrame(Plan.Leader[J]); });
      Keep(0, static_cast<int64_t>(J));
    }
    std::string EndError;
    if (!Writer.End(EndError) && !Failed) {
      Error = EndError;
      Fail();
    }
  }

  // One part of the film, from the state a run from 0 has at its start.
  void FilmPart(size_t Part) {
    const TCaptureOptions &O = *Plan.Options;
    const TFilmPart &P = Plan.Film[Part - (Plan.HasLeaderPart() ? 1 : 0)];
    Carried = AtSetUp;
    Timed(Times.Replay, [&] {
      for (const TFilmStretch &Stretch : FilmStretches)
        if (Stretch.CarriesState && Stretch.Primer > 0 &&
            FilmFrameTime(P.Begin, O.Fps, O.From) <= Stretch.End &&
            FilmFrameTime(P.End - 1, O.Fps, O.From) > Stretch.Start)
          Unseen([&] { DrawFilmFrame(Stretch.Primer); });
      for (int64_t T : ReplayTimes(O.From, O.Fps, P.Begin)) {
        if (Stopping()) return;
        Unseen([&] { DrawFilmFrame(T); });
      }
    });
    if (Stopping()) return;
    if (!Writer.Begin(Part, Error)) return Fail();
    const int64_t First = static_cast<int64_t>(Plan.Leader.size());
    for (int64_t K = P.Begin; K < P.End && !Failed && !Stopping(); ++K) {
      Timed(Times.Draw, [&] { DrawFilmFrame(FilmFrameTime(K, O.Fps, O.From)); });
      Keep(Part, First + K);
    }
    std::string EndError;
    if (!Writer.End(EndError) && !Failed) {
      Error = EndError;
      Fail();
    }
  }

  void Film() {
    size_t Part = 0;
    while (!Failed && !Stopping() && Feed.Next(Part)) FilmPart(Part);
  }

  // The wall-clock times, and the processor time this renderer and its
  // ffmpegs used: on a busy machine the second says what the work costs.
  void Report(const char *Who) const {
    const TTimes &T = Times;
    std::fprintf(stderr,
                 "quillmoor-capture: %s: %lld frames; drawing %.1f s, unseen replay %.1f s, "
                 "reading back %.1f s, writing %.1f s; processor %.1f s, its ffmpeg %.1f s\n",
                 Who, static_cast<long long>(T.Frames), T.Draw, T.Replay, T.Readback, T.Output,
                 ProcessorSeconds(RUSAGE_SELF), ProcessorSeconds(RUSAGE_CHILDREN));
  }
  static double ProcessorSeconds(int Who) {
    rusage Usage{};
    getrusage(Who, &Usage);
    const auto Seconds = [](const timeval &V) { return V.tv_sec + V.tv_usec / 1e6; };
    return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
  }
};

// Whether the film is drawn apart and shown in the frame: a frame of
// another size than the film's, or the film in 16-bit colours.
bool Shaped(const TCaptureOptions &O) {
  const TFilmSize Film = FilmSizeOf(O);
  return Film.Width != O.Width || Film.Height != O.Height || O.Bits <= 16;
}

// Sets up a headless context and the film, renders the parts Feed hands out.
bool Render(const TPlan &Plan, const TWorkFeed &Feed, bool DrawsLeader,
            const std::string &PartsFolder, const char *Who, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  bool Done = false;
  TFramePresenter Presenter;
  const TFilmSize Film = FilmSizeOf(O);
  auto Gl = THeadlessGL::Create(O.Width, O.Height, Error);
  if (Gl && Shaped(O) && !Presenter.Begin(&PlatformGlEntry, Film.Width, Film.Height, O.Bits)) {
    Error = "the renderer cannot draw the film at " + std::to_string(Film.Width) + "x" +
            std::to_string(Film.Height) + " apart from the frame (no framebuffer objects)";
    Gl.reset();
    SetPlatform(nullptr);
    return false;
  }
  if (Gl) {
    TPartWriter Writer(Plan, PartsFolder);
    TRenderer Renderer{Plan,   Headless, *Gl,         Shaped(O) ? &Presenter : nullptr,
                       Writer, Feed,     DrawsLeader, {},
                       {},     false,    {},          {}};
    auto Leader = [](void *R) { static_cast<TRenderer *>(R)->Leader(); };
    if (SetUpFilm(Film.Width, Film.Height, Leader, &Renderer)) {
      Renderer.Film();
      Done = !Renderer.Failed;
      if (Renderer.Failed) Error = Renderer.Error;
      if (O.Timing) Renderer.Report(Who);
    } else {
      Error = "the film could not be set up" +
              (Headless.Messages.empty() ? std::string() : ": " + Headless.Messages.back());
    }
    Presenter.End();
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
    for (const std::string &Candidate :
         {std::string("music.mp3"), ExecutableFolder() + "/music.mp3"})
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
           : Result == TMp3OpenResult::Ok     ? std::string("no sound in it")
                                              : std::string("not an MP3 file it can decode"));
  return false;
}

// --- the outputs ------------------------------------------------------------

// What can be known before anything is rendered: the output path can be
// written (a folder for a sequence, a file otherwise), and for a video that
// ffmpeg runs and reads the music.
bool PrepareOutput(const TPlan &Plan, const std::string &MusicPath, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  std::error_code Failure;
  const fs::path Out(O.OutPath);
  if (O.Kind == TOutputKind::PngSequence) {
    if (mkdir(O.OutPath.c_str(), 0777) != 0 && errno != EEXIST) {
      Error = "cannot write " + O.OutPath + ": " + std::strerror(errno);
      return false;
    }
    if (!fs::is_directory(Out, Failure)) {
      Error = "cannot write " + O.OutPath + ": it is not a folder";
      return false;
    }
  } else if (fs::is_directory(Out, Failure)) {
    Error = "cannot write " + O.OutPath + ": it is a folder";
    return false;
  }
  const fs::path Folder = O.Kind == TOutputKind::PngSequence ? Out
                          : Out.has_parent_path()            ? Out.parent_path()
                                                             : fs::path(".");
  if (access(Folder.c_str(), W_OK | X_OK) != 0) {
    Error = "cannot write " + O.OutPath + ": " + std::strerror(errno);
    return false;
  }
  if (O.Kind != TOutputKind::Video) return true;
  TVideoSettings Settings = Plan.Video;
  Settings.MusicPath = MusicPath;
  // First whether ffmpeg runs at all, so that a broken one is not taken for
  // music it cannot read.
  std::string Reason;
  if (!RunFfmpeg({"-hide_banner", "-loglevel", "error", "-version"}, Reason)) {
    Error = Reason.find("not installed") != std::string::npos ||
                    Reason.find("does not run") != std::string::npos || CaptureStop.Signal
                ? Reason
                : "ffmpeg does not run: " + Reason;
    return false;
  }
  if (MusicPath.empty() || RunFfmpeg(MusicCheckArguments(Settings), Reason)) return true;
  Error = "ffmpeg cannot read the music " + MusicPath + " (" + Reason + ")";
  return false;
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

// The parts in the order they are handed out: film order, for any number of
// renderers, so that the finished run from the start grows steadily and an
// interrupted capture keeps as much as one renderer would.
std::vector<size_t> PartOrder(const TPlan &Plan) {
  std::vector<size_t> Order;
  for (size_t Part = Plan.HasLeaderPart() ? 1 : 0; Part < Plan.PartCount(); ++Part)
    Order.push_back(Part);
  return Order;
}

void Pause(long Milliseconds) {
  timespec Time{0, Milliseconds * 1000000L};
  nanosleep(&Time, nullptr);
}

// Several renderers, one process each, every one with its own context. They
// take parts from a shared queue (a pipe of part numbers, read whole by one
// reader each) and report every written frame by its part number down a
// shared pipe; this process counts them, passes a Ctrl-C or a stop signal on,
// and stops the others as soon as one renderer fails.
bool RenderInProcesses(const TPlan &Plan, const std::string &PartsFolder,
                       std::vector<int64_t> &Written, TProgress &Progress, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  const int Count = std::min<int>(O.Jobs, static_cast<int>(Plan.Film.size()));
  // Close-on-exec: no ffmpeg holds either pipe open.
  int Queue[2], Done[2];
  if (pipe2(Queue, O_CLOEXEC) != 0 || pipe2(Done, O_CLOEXEC) != 0) {
    Error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  for (size_t Part : PartOrder(Plan)) {
    const uint32_t Number = static_cast<uint32_t>(Part);
    WriteAll(Queue[1], reinterpret_cast<const uint8_t *>(&Number), sizeof Number);
  }
  close(Queue[1]);
  std::vector<pid_t> Children;
  std::fflush(nullptr);
  const pid_t Parent = getpid();
  for (int Index = 0; Index < Count; ++Index) {
    const pid_t Child = fork();
    if (Child == 0) {
      close(Done[0]);
      struct sigaction Stop {};
      Stop.sa_handler = OnStopInRenderer;
      sigaction(SIGTERM, &Stop, nullptr);
      sigaction(SIGHUP, &Stop, nullptr);
      // A renderer never outlives the capture, however it ends.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != Parent) OnStopInRenderer(SIGTERM);
      // One rasteriser thread per renderer: the processes share the cores.
      setenv("LP_NUM_THREADS", "1", 0);
      TWorkFeed Feed;
      Feed.Next = [&](size_t &Part) {
        uint32_t Number = 0;
        if (!ReadAll(Queue[0], reinterpret_cast<uint8_t *>(&Number), sizeof Number)) return false;
        Part = Number;
        return true;
      };
      Feed.FrameDone = [&](size_t Part) {
        const uint32_t Number = static_cast<uint32_t>(Part);
        WriteAll(Done[1], reinterpret_cast<const uint8_t *>(&Number), sizeof Number);
      };
      const std::string Who = "renderer " + std::to_string(Index + 1);
      std::string ChildError;
      const bool Ok = Render(Plan, Feed, Index == 0, PartsFolder, Who.c_str(), ChildError);
      if (!Ok && !ChildError.empty() && !Stopping())
        std::fprintf(stderr, "quillmoor-capture: %s: %s\n", Who.c_str(), ChildError.c_str());
      std::fflush(nullptr);
      _exit(Ok ? 0 : 1);
    }
    if (Child < 0) break;
    Children.push_back(Child);
  }
  close(Queue[0]);
  close(Done[1]);
  bool Ok = static_cast<int>(Children.size()) == Count;
  if (!Ok) Error = std::string("cannot start the renderers: ") + std::strerror(errno);
  std::vector<bool> Running(Children.size(), true);
  const auto StopAll = [&](int Signal) {
    for (size_t I = 0; I < Children.size(); ++I)
      if (Running[I]) kill(Children[I], Signal);
  };
  int64_t Frames = 0;
  bool Passed = false, Open = true;
  size_t Left = Children.size();
  while (Left > 0) {
    if (CaptureStop.Signal) break;
    // A Ctrl-C at the terminal reaches the renderers too; an interrupt sent
    // to this process alone is passed on, so they finish their parts' files.
    if (CaptureStop.Interrupt && !Passed) {
      StopAll(SIGINT);
      Passed = true;
    }
    if (Open) {
      pollfd Reports{Done[0], POLLIN, 0};
      if (poll(&Reports, 1, 50) > 0) {
        uint32_t Number = 0;
        if (ReadAll(Done[0], reinterpret_cast<uint8_t *>(&Number), sizeof Number)) {
          if (Number < Written.size()) ++Written[Number];
          Progress.Update(++Frames);
          continue;
        }
        Open = false;
      }
    } else {
      Pause(20);
    }
    // A renderer that ended: a failure stops the others at once.
    for (size_t I = 0; I < Children.size(); ++I) {
      int Status = 0;
      if (!Running[I] || waitpid(Children[I], &Status, WNOHANG) != Children[I]) continue;
      Running[I] = false;
      --Left;
      if (Ok && !Stopping() && !(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)) {
        Error = "renderer " + std::to_string(I + 1) +
                (WIFSIGNALED(Status) ? " was killed by signal " + std::to_string(WTERMSIG(Status))
                                     : std::string(" failed"));
        Ok = false;
        StopAll(SIGTERM);
      }
    }
  }
  if (CaptureStop.Signal) StopAll(SIGTERM);
  // The rest end within a second of being told; past that they are killed.
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  for (size_t I = 0; I < Children.size(); ++I) {
    while (Running[I]) {
      int Status = 0;
      if (waitpid(Children[I], &Status, WNOHANG) == Children[I]) {
        Running[I] = false;
        if (Ok && !Stopping() && !(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)) {
          Error = "renderer " + std::to_string(I + 1) + " failed";
          Ok = false;
        }
      } else if ((CaptureStop.Signal || !Ok) && std::chrono::steady_clock::now() > Deadline) {
        kill(Children[I], SIGKILL);
        Pause(5);
      } else if (CaptureStop.Signal || !Ok) {
        Pause(5);
      } else {
        // Every report has been read: the renderer is on its way out.
        while (waitpid(Children[I], &Status, 0) < 0 && errno == EINTR) {
        }
        Running[I] = false;
        if (Ok && !Stopping() && !(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)) {
          Error = "renderer " + std::to_string(I + 1) + " failed";
          Ok = false;
        }
      }
    }
  }
  close(Done[0]);
  return Ok;
}

// One renderer in this process, the parts in film order.
bool RenderHere(const TPlan &Plan, const std::string &PartsFolder, std::vector<int64_t> &Written,
                TProgress &Progress, std::string &Error) {
  const std::vector<size_t> Order = PartOrder(Plan);
  size_t Next = 0;
  int64_t Frames = 0;
  TWorkFeed Feed;
  Feed.Next = [&](size_t &Part) {
    if (Next >= Order.size()) return false;
    Part = Order[Next++];
    return true;
  };
  Feed.FrameDone = [&](size_t Part) {
    ++Written[Part];
    Progress.Update(++Frames);
  };
  return Render(Plan, Feed, true, PartsFolder, "renderer", Error);
}

// The time of frame Frames at Fps, to the nearest microsecond.
int64_t MicrosecondsOf(int64_t Frames, TFrameRate Fps) {
  return (Frames * 1000000 * Fps.Seconds * 2 + Fps.Frames) / (2 * Fps.Frames);
}

// Joins the parts into the video with its music: every part in film order as
// far as they are complete, then the first incomplete one if it holds frames
// (after Ctrl-C: a playable video up to the last frame of the unbroken run
// from the start). The video is written inside the parts folder and renamed
// to Target only once ffmpeg has finished it, so a failed join leaves an
// older file there as it was. Kept: Target, or empty when no part had a
// frame from the start.
bool JoinParts(const TPlan &Plan, const std::string &MusicPath, const fs::path &PartsFolder,
               const std::vector<int64_t> &Written, const std::string &Target, std::string &Kept,
               std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  const fs::path ListPath = PartsFolder / "parts.txt";
  std::FILE *List = std::fopen(ListPath.c_str(), "w");
  if (!List) {
    Error = "cannot write " + ListPath.string() + ": " + std::strerror(errno);
    return false;
  }
  size_t Listed = 0;
  int64_t Frames = 0;  // listed so far
  for (size_t Part = 0; Part < Plan.PartCount() && Written[Part] > 0; ++Part) {
    // Named relative to the list, which ffmpeg resolves them against. The
    // part's exact length: left to itself the join would take the
    // container's rounded-up end and leave a frame's gap at every seam. The
    // list holds microseconds: each part ends at its end's exact time rounded
    // to them, so the seams never drift at a rate like 60000/1001.
    const int64_t Start = MicrosecondsOf(Frames, O.Fps);
    Frames += Written[Part];
    const int64_t Length = MicrosecondsOf(Frames, O.Fps) - Start;
    std::fprintf(List, "file '%s'\nduration %lld.%06lld\n", TPartWriter::PartName(Part).c_str(),
                 static_cast<long long>(Length / 1000000),
                 static_cast<long long>(Length % 1000000));
    ++Listed;
    if (Written[Part] < Plan.PartFrames(Part)) break;
  }
  if (std::fclose(List) != 0) {
    Error = "cannot write " + ListPath.string() + ": " + std::strerror(errno);
    return false;
  }
  if (Listed == 0) return true;
  // Absolute paths: ffmpeg never reads a name as a protocol ("a:b.mp4").
  const fs::path Joined = PartsFolder / ("joined" + fs::path(O.OutPath).extension().string());
  TVideoSettings Settings = Plan.Video;
  Settings.MusicPath = MusicPath.empty() ? std::string() : fs::absolute(MusicPath).string();
  Settings.LeaderFrames = static_cast<int64_t>(Plan.Leader.size());
  Settings.Frames = Frames;
  if (!RunFfmpeg(JoinArguments(Settings, ListPath.string(), Joined.string()), Error)) {
    Error = "cannot join the parts into " + Target + ": " + Error;
    return false;
  }
  std::error_code Failure;
  if (!(fs::file_size(Joined, Failure) > 0) || Failure) {
    Error = "ffmpeg ended without writing the video";
    return false;
  }
  fs::rename(Joined, Target, Failure);
  if (Failure) {
    Error = "cannot write " + Target + ": " + Failure.message();
    return false;
  }
  Kept = Target;
  return true;
}

// Where an interrupted video goes: beside an older file at the output
// (NAME.partial.EXT), never over it.
std::string PartialPath(const std::string &OutPath) {
  const fs::path Out(OutPath);
  return (Out.parent_path() / (Out.stem().string() + ".partial" + Out.extension().string()))
      .string();
}

// Something (a file, a link, anything) is at the path.
bool Occupied(const std::string &Path) {
  struct stat Info {};
  return lstat(Path.c_str(), &Info) == 0;
}

// What an interrupted capture says it left: the file that holds the frames,
// that there is none, or why the join failed (JoinError); and that an older
// file is as it was.
std::string InterruptedMessage(const TCaptureOptions &O, const std::string &Kept, int64_t Frames,
                               bool OlderFile, const std::string &JoinError) {
  std::string Text = "interrupted; ";
  if (!JoinError.empty())
    Text += "the frames could not be joined (" + JoinError + ")";
  else if (O.Kind != TOutputKind::Video && Frames > 0)
    Text += O.OutPath + " holds the frames rendered so far";
  else if (!Kept.empty())
    Text += Kept + " holds the frames rendered so far";
  else if (Frames == 0)
    Text += "no frame was rendered, nothing was written";
  else
    Text += "no frame from the start was finished, nothing was written";
  // An older file is kept unless the join had finished the whole video
  // before the Ctrl-C came.
  if (O.Kind == TOutputKind::Video && OlderFile && Kept != O.OutPath)
    Text += "; " + O.OutPath + " is as it was";
  return Text;
}

TCaptureResult Outcome(bool Ok) {
  if (CaptureStop.Signal) return TCaptureResult::Stopped;
  if (CaptureStop.Interrupt) return TCaptureResult::Interrupted;
  return Ok ? TCaptureResult::Done : TCaptureResult::Failed;
}

// The capture's signal handlers while it runs, the old ones back after.
struct TSignals {
  struct sigaction OldInt {
  }, OldTerm{}, OldHup{}, OldPipe{};
  TSignals() {
    // No SA_RESTART: a signal ends the wait it interrupts.
    struct sigaction Action {};
    Action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &Action, &OldInt);
    Action.sa_handler = OnStop;
    sigaction(SIGTERM, &Action, &OldTerm);
    sigaction(SIGHUP, &Action, &OldHup);
    Action.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &Action, &OldPipe);
  }
  ~TSignals() {
    sigaction(SIGINT, &OldInt, nullptr);
    sigaction(SIGTERM, &OldTerm, nullptr);
    sigaction(SIGHUP, &OldHup, nullptr);
    sigaction(SIGPIPE, &OldPipe, nullptr);
  }
};

}  // namespace

TCaptureResult Capture(const TCaptureOptions &O, std::string &Error) {
  CaptureStop.Interrupt = 0;
  CaptureStop.Signal = 0;
  TPlan Plan;
  Plan.Options = &O;
  Plan.Video = {O.OutPath, O.Width, O.Height, O.Fps, {}, {}, O.From, 0};
  if (O.Kind == TOutputKind::Video && !ChooseEncoding(O, Plan.Video.Encoding, Error))
    return TCaptureResult::Failed;
  const bool OneFrame = O.Kind == TOutputKind::Png;
  if (O.Countdown) {
    Plan.Leader = {static_cast<uint32_t>(O.From)};
  } else {
    if (O.Leader && !OneFrame) Plan.Leader = LeaderTicks(O.Fps);
    Plan.FilmFrames = OneFrame ? 1 : FilmFrameCount(O.From, O.To, O.Fps);
    Plan.Film = FilmParts(O.From, Plan.FilmFrames, O.Fps);
  }
  if (Plan.Total() == 0) {
    Error = "no frame to capture from " + std::to_string(O.From) + " ms: the film ends at " +
            std::to_string(FilmEnd) + " ms";
    return TCaptureResult::Failed;
  }

  TSignals Signals;
  TDecodedTrack Track;
  std::string MusicPath;
  if (!O.Countdown && !LoadMusic(O, Track, MusicPath, Error)) return TCaptureResult::Failed;
  if (!PrepareOutput(Plan, MusicPath, Error)) return Outcome(false);
  Plan.Music = MusicPath.empty() ? nullptr : &Track;

  // Anything at the output now is an older file that only a finished video
  // replaces.
  const bool OlderFile = Occupied(O.OutPath);
  TPartsFolder Parts;
  if (O.Kind == TOutputKind::Video) {
    RemoveAbandonedPartsFolders(O.OutPath);
    if (!Parts.Make(O.OutPath, Error)) return TCaptureResult::Failed;
  }

  TProgress Progress(Plan.Total());
  std::vector<int64_t> Written(Plan.PartCount(), 0);
  const std::string Folder = Parts.Path().string();
  bool Ok = O.Jobs > 1 && Plan.Film.size() > 1
                ? RenderInProcesses(Plan, Folder, Written, Progress, Error)
                : RenderHere(Plan, Folder, Written, Progress, Error);
  int64_t Done = 0;
  for (int64_t Frames : Written) Done += Frames;
  Progress.Finish(Done);
  if (Ok && !Stopping()) {
    for (size_t Part = 0; Part < Plan.PartCount(); ++Part)
      if (Written[Part] != Plan.PartFrames(Part)) {
        Error = "a renderer stopped before its last frame";
        Ok = false;
      }
  }
  std::string Kept, JoinError;
  bool Joined = true;
  if (O.Kind == TOutputKind::Video && !CaptureStop.Signal && (Ok || CaptureStop.Interrupt)) {
    const std::string Target =
        CaptureStop.Interrupt && OlderFile ? PartialPath(O.OutPath) : O.OutPath;
    Joined = JoinParts(Plan, MusicPath, Parts.Path(), Written, Target, Kept, JoinError);
    if (!Joined) {
      Error = JoinError;
      Ok = false;
    }
  }
  std::string RemoveError;
  if (!Parts.Remove(RemoveError)) {
    if (Ok || Stopping())
      std::fprintf(stderr, "quillmoor-capture: %s\n", RemoveError.c_str());
    else
      Error += "; " + RemoveError;
  }
  if (CaptureStop.Interrupt && !CaptureStop.Signal)
    Error = InterruptedMessage(O, Kept, Done, OlderFile, Joined ? std::string() : JoinError);
  return Outcome(Ok);
}

int CaptureStopSignal() { return CaptureStop.Signal; }

bool RunCapture(const TCaptureOptions &Options, std::string &Error) {
  return Capture(Options, Error) == TCaptureResult::Done;
}
