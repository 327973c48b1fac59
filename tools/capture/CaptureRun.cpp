#include "CaptureRun.h"

#include <GL/gl.h>
#include <dirent.h>
#include <signal.h>
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

// What a capture writes, frame by frame: the leader's frames first, then the
// film's, cut into parts (see FilmParts). The first part is the leader when there is
// one; every part is rendered and written on its own.
struct TPlan {
  const TCaptureOptions *Options = nullptr;
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
  TPartWriter(const TCaptureOptions &O, const std::string &PartsFolder)
      : O(O), PartsFolder(PartsFolder) {}
  bool Begin(size_t Part, std::string &Error) {
    if (O.Kind != TOutputKind::Video) return true;
    TVideoSettings Settings{O.OutPath, O.Width, O.Height, O.Fps, {}, 0, 0};
    return Video.Start(PartArguments(Settings, PartPath(PartsFolder, Part)), Error);
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
  bool End(std::string &Error) { return O.Kind != TOutputKind::Video || Video.Finish(Error); }

  static std::string PartPath(const std::string &Folder, size_t Part) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "/part-%04zu.nut", Part);
    return Folder + Name;
  }
  static std::string SequenceName(const std::string &Folder, int64_t Frame) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "frame-%06lld.png", static_cast<long long>(Frame));
    return Folder + Name;
  }

private:
  const TCaptureOptions &O;
  std::string PartsFolder;
  TVideoPipe Video;
};

struct TRenderer {
  const TPlan &Plan;
  THeadlessPlatform &Headless;
  THeadlessGL &Gl;
  TPartWriter &Writer;
  const TWorkFeed &Feed;
  bool DrawsLeader;  // this renderer writes the leader's part
  TTimes Times;
  std::string Error;
  bool Failed = false;
  std::vector<uint8_t> Rgba;  // the frame read back, its storage reused

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
  static void ResetStretches() {
    for (const TStatefulStretch &Stretch : StatefulStretches())
      if (Stretch.Reset) Stretch.Reset();
  }

  // Runs inside the set-up, before the film's line width: the stretches'
  // state as the set-up left it, then the leader, seen by the renderer that
  // writes it and unseen by the others (the leader's drawing is part of the
  // state every renderer starts the film from).
  void Leader() {
    ResetStretches();
    if (!DrawsLeader) {
      Timed(Times.Replay, [&] {
        for (uint32_t Tick : Plan.Leader) Unseen([&] { DrawLeaderFrame(Tick); });
      });
      return;
    }
    if (Plan.Leader.empty()) return;
    if (!Writer.Begin(0, Error)) return Fail();
    for (size_t J = 0; J < Plan.Leader.size() && !Failed && !Interrupted; ++J) {
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
    ResetStretches();
    Timed(Times.Replay, [&] {
      for (const TStatefulStretch &Stretch : StatefulStretches())
        if (Stretch.Primer > 0 && FilmFrameTime(P.Begin, O.Fps, O.From) <= Stretch.End &&
            FilmFrameTime(P.End - 1, O.Fps, O.From) > Stretch.Start)
          Unseen([&] { DrawFilmFrame(Stretch.Primer); });
      for (int64_t T : ReplayTimes(O.From, O.Fps, P.Begin)) Unseen([&] { DrawFilmFrame(T); });
    });
    if (!Writer.Begin(Part, Error)) return Fail();
    const int64_t First = static_cast<int64_t>(Plan.Leader.size());
    for (int64_t K = P.Begin; K < P.End && !Failed && !Interrupted; ++K) {
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
    while (!Failed && !Interrupted && Feed.Next(Part)) FilmPart(Part);
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

// Sets up a headless context and the film, renders the parts Feed hands out.
bool Render(const TPlan &Plan, const TWorkFeed &Feed, bool DrawsLeader,
            const std::string &PartsFolder, const char *Who, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  bool Done = false;
  if (auto Gl = THeadlessGL::Create(O.Width, O.Height, Error)) {
    TPartWriter Writer(O, PartsFolder);
    TRenderer Renderer{Plan, Headless, *Gl, Writer, Feed, DrawsLeader, {}, {}, false, {}};
    auto Leader = [](void *R) { static_cast<TRenderer *>(R)->Leader(); };
    if (SetUpFilm(O.Width, O.Height, Leader, &Renderer)) {
      Renderer.Film();
      Done = !Renderer.Failed;
      if (Renderer.Failed) Error = Renderer.Error;
      if (O.Timing) Renderer.Report(Who);
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

// The parts in the order they are handed out: in film order for one
// renderer (an interrupted capture then keeps the longest run from the
// start), longest first for several (a long stateful stretch does not end up
// alone at the end).
std::vector<size_t> PartOrder(const TPlan &Plan, int Renderers) {
  std::vector<size_t> Order;
  for (size_t Part = Plan.HasLeaderPart() ? 1 : 0; Part < Plan.PartCount(); ++Part)
    Order.push_back(Part);
  if (Renderers > 1)
    std::stable_sort(Order.begin(), Order.end(),
                     [&](size_t A, size_t B) { return Plan.PartFrames(A) > Plan.PartFrames(B); });
  return Order;
}

// Several renderers, one process each, every one with its own context. They
// take parts from a shared queue (a pipe of part numbers, read whole by one
// reader each) and report every written frame by its part number down a
// shared pipe; this process counts them.
bool RenderInProcesses(const TPlan &Plan, const std::string &PartsFolder,
                       std::vector<int64_t> &Written, TProgress &Progress, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  const int Count = std::min<int>(O.Jobs, static_cast<int>(Plan.Film.size()));
  int Queue[2], Done[2];
  if (pipe(Queue) != 0 || pipe(Done) != 0) {
    Error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  for (size_t Part : PartOrder(Plan, Count)) {
    const uint32_t Number = static_cast<uint32_t>(Part);
    WriteAll(Queue[1], reinterpret_cast<const uint8_t *>(&Number), sizeof Number);
  }
  close(Queue[1]);
  std::vector<pid_t> Children;
  std::fflush(nullptr);
  for (int Index = 0; Index < Count; ++Index) {
    const pid_t Child = fork();
    if (Child == 0) {
      close(Done[0]);
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
      if (!Ok && !ChildError.empty() && !Interrupted)
        std::fprintf(stderr, "quillmoor-capture: %s\n", ChildError.c_str());
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
  int64_t Frames = 0;
  uint32_t Number = 0;
  bool Passed = false;
  while (ReadAll(Done[0], reinterpret_cast<uint8_t *>(&Number), sizeof Number)) {
    if (Number < Written.size()) ++Written[Number];
    Progress.Update(++Frames);
    // A Ctrl-C at the terminal reaches the renderers too; an interrupt sent
    // to this process alone is passed on, so they finish their parts' files.
    if (Interrupted && !Passed) {
      for (pid_t Child : Children) kill(Child, SIGINT);
      Passed = true;
    }
  }
  close(Done[0]);
  for (pid_t Child : Children) {
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
    if (Ok && !Interrupted && !(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)) {
      Error = "a renderer failed";
      Ok = false;
    }
  }
  return Ok;
}

// One renderer in this process, the parts in film order.
bool RenderHere(const TPlan &Plan, const std::string &PartsFolder, std::vector<int64_t> &Written,
                TProgress &Progress, std::string &Error) {
  const std::vector<size_t> Order = PartOrder(Plan, 1);
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

// A folder beside the video for its parts, removed with them at the end.
struct TPartsFolder {
  std::string Path;
  bool Make(const std::string &OutPath, std::string &Error) {
    std::string Pattern = OutPath + ".parts-XXXXXX";
    if (!mkdtemp(&Pattern[0])) {
      Error = "cannot write " + OutPath + ": " + std::strerror(errno);
      return false;
    }
    Path = Pattern;
    return true;
  }
  ~TPartsFolder() {
    if (Path.empty()) return;
    if (DIR *Folder = opendir(Path.c_str())) {
      while (const dirent *Entry = readdir(Folder))
        if (Entry->d_name[0] != '.') unlink((Path + "/" + Entry->d_name).c_str());
      closedir(Folder);
    }
    rmdir(Path.c_str());
  }
};

// Joins the parts into the video with its music: every part in film order as
// far as they are complete, then the first incomplete one if it holds frames
// (after Ctrl-C: a playable video up to the last frame of the unbroken run
// from the start).
bool JoinParts(const TPlan &Plan, const std::string &MusicPath, const std::string &PartsFolder,
               const std::vector<int64_t> &Written, std::string &Error) {
  const TCaptureOptions &O = *Plan.Options;
  const std::string ListPath = PartsFolder + "/parts.txt";
  std::FILE *List = std::fopen(ListPath.c_str(), "w");
  if (!List) {
    Error = "cannot write " + ListPath + ": " + std::strerror(errno);
    return false;
  }
  size_t Listed = 0;
  for (size_t Part = 0; Part < Plan.PartCount() && Written[Part] > 0; ++Part) {
    // The part's exact length: left to itself the join would take the
    // container's rounded-up end and leave a frame's gap at every seam.
    std::fprintf(List, "file '%s'\nduration %.6f\n",
                 TPartWriter::PartPath(PartsFolder, Part).c_str(),
                 static_cast<double>(Written[Part]) / O.Fps);
    ++Listed;
    if (Written[Part] < Plan.PartFrames(Part)) break;
  }
  std::fclose(List);
  if (Listed == 0) return true;
  TVideoSettings Settings{O.OutPath,
                          O.Width,
                          O.Height,
                          O.Fps,
                          MusicPath,
                          O.From,
                          static_cast<int64_t>(Plan.Leader.size())};
  TVideoPipe Join;
  return Join.Start(JoinArguments(Settings, ListPath), Error) && Join.Finish(Error);
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
    Plan.Film = FilmParts(O.From, Plan.FilmFrames, O.Fps);
  }
  if (!PrepareOutput(O, Error)) return TCaptureResult::Failed;

  TDecodedTrack Track;
  std::string MusicPath;
  if (!O.Countdown && !LoadMusic(O, Track, MusicPath, Error)) return TCaptureResult::Failed;
  UseDecodedTrackLevels(MusicPath.empty() ? nullptr : &Track);

  TPartsFolder Parts;
  if (O.Kind == TOutputKind::Video && !Parts.Make(O.OutPath, Error)) {
    UseDecodedTrackLevels(nullptr);
    return TCaptureResult::Failed;
  }

  struct sigaction Action {
  }, OldInt{}, OldPipe{};
  Action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &Action, &OldInt);
  Action.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &Action, &OldPipe);

  TProgress Progress(Plan.Total());
  std::vector<int64_t> Written(Plan.PartCount(), 0);
  bool Ok = O.Jobs > 1 && Plan.Film.size() > 1
                ? RenderInProcesses(Plan, Parts.Path, Written, Progress, Error)
                : RenderHere(Plan, Parts.Path, Written, Progress, Error);
  Progress.Finish(Plan.Total());
  if (Ok && !Interrupted) {
    for (size_t Part = 0; Part < Plan.PartCount(); ++Part)
      if (Written[Part] != Plan.PartFrames(Part)) {
        Error = "a renderer stopped before its last frame";
        Ok = false;
      }
  }
  if (O.Kind == TOutputKind::Video && (Ok || Interrupted)) {
    std::string JoinError;
    if (!JoinParts(Plan, MusicPath, Parts.Path, Written, JoinError)) {
      Error = JoinError;
      Ok = false;
    }
  }
  sigaction(SIGINT, &OldInt, nullptr);
  sigaction(SIGPIPE, &OldPipe, nullptr);
  UseDecodedTrackLevels(nullptr);
  return Outcome(Ok);
}

bool RunCapture(const TCaptureOptions &Options, std::string &Error) {
  return Capture(Options, Error) == TCaptureResult::Done;
}
