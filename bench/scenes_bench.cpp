// Processor time of the scenes' own code per frame, with the GL entry points
// answered by the recording GL in its non-recording mode (state only), so the
// driver's share is left out.
//
// Window/NAME/HEIGHT: every time window of the film alone (the others
// switched off), frame after frame through its span at 16 ms steps, on a
// 4:3 view of HEIGHT pixels. Each reports what one frame in the middle of
// its span hands to GL: vertices, colours, begin/end pairs and all calls
// (display lists replayed count as one call). The branch windows also run
// with their helper thread's time added (/process) and with the helper
// switched off (/one_thread).
//
// The other benchmarks: single scenes at a 1024 x 768 view, at the frame
// where they work hardest.
//
//   build/bench/scenes_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
// (one command line) and read the CPU column of the _median rows: the wall
// time also counts the waits of a busy machine.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "RecordingGL.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "film/Precompute.h"
#include "scenes/Attractor.h"
#include "scenes/BlobField.h"
#include "scenes/BranchTree.h"
#include "scenes/Branches.h"
#include "scenes/CarriedState.h"
#include "scenes/DiscStamps.h"
#include "scenes/Finale.h"
#include "scenes/Organism.h"
#include "scenes/Profile.h"
#include "scenes/Timeline.h"
#include "scenes/UAWorms.h"
#include "scenes/WaveStrands.h"

namespace {
TOgl View;
uint32_t FilmHeight = 0;  // the height the film was last precomputed for

void SetUpView(uint32_t Width, uint32_t Height) {
  FilmHeight = 0;
  RecordedGL().Reset();
  RecordedGL().Recording = false;
  View.ViewWidth = Width;
  View.ViewHeight = Height;
  Ogl = &View;
  View.BeginOrtho();
}

void WaveStrands(benchmark::State &State) {
  SetUpView(1024, 768);
  for (auto _ : State) DrawWaveStrands(26000);
}
BENCHMARK(WaveStrands)->Unit(benchmark::kMicrosecond);

void AttractorWindow(benchmark::State &State) {
  SetUpView(1024, 768);
  BuildAttractorList();
  for (auto _ : State) DrawAttractorWindow(25000);
}
BENCHMARK(AttractorWindow)->Unit(benchmark::kMicrosecond);

// Start-up cost, not per frame: both display lists compiled once.
void BuildLists(benchmark::State &State) {
  SetUpView(1024, 768);
  for (auto _ : State) {
    BuildAttractorList();
    BuildBranchList();
  }
}
BENCHMARK(BuildLists)->Unit(benchmark::kMillisecond);

// Frames of the field: without the ramp, and with the ramp over every row.
void BlobField(benchmark::State &State) {
  SetUpView(1024, 768);
  FieldTex.Width = FieldTex.Height = 512;
  FieldTex.BytesPerPixel = 3;
  FieldTex.Data.assign(512 * 512 * 3, 0);
  InitBlobs();
  const Single Wipe = static_cast<Single>(State.range(0)) / 1000;
  int64_t t = 40000;
  for (auto _ : State) {
    DrawBlobField(t, 1, Wipe);
    t += 16;  // the blobs move and advance as in the film
  }
}
BENCHMARK(BlobField)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

void DiscStamps(benchmark::State &State) {
  SetUpView(1024, 768);
  for (auto _ : State) DrawDiscStamps(61000);
}
BENCHMARK(DiscStamps)->Unit(benchmark::kMicrosecond);

// The mosaic over the worms, halfway through its three seconds.
void MosaicFade(benchmark::State &State) {
  SetUpView(1024, 768);
  for (auto _ : State) DrawMosaicFade(0.5f);
}
BENCHMARK(MosaicFade)->Unit(benchmark::kMicrosecond);

// The closing picture at its middle (no fade; every part is drawn alike at
// any moment).
void Finale(benchmark::State &State) {
  SetUpView(1024, 768);
  BuildProfile();
  for (auto _ : State) DrawFinale(0.5f);
}
BENCHMARK(Finale)->Unit(benchmark::kMicrosecond);

// Start-up cost, not per frame.
void BuildLandscape(benchmark::State &State) {
  for (auto _ : State) BuildProfile();
}
BENCHMARK(BuildLandscape)->Unit(benchmark::kMicrosecond);

// The worms as the film drives them: 16 ms frames across their whole window,
// fading in over the first 10 s, worms advancing as their phases wrap.
void Worms(benchmark::State &State) {
  SetUpView(1024, 768);
  RandSeed = 8181;
  InitWormTracks();
  const TWormState Start = Carried.Worms;
  int64_t t = 73001;
  for (auto _ : State) {
    DrawWorms(static_cast<uint32_t>(t),
              t < 83000 ? static_cast<Single>(Extended(t - 73000) / 10000) : Single(1));
    t += 16;
    if (t > 90000) {
      t = 73001;
      Carried.Worms = Start;
    }
  }
}
BENCHMARK(Worms)->Unit(benchmark::kMicrosecond);

// The whole organism window: 40 wave draws, the veil and 156 rippling
// organisms at the levels of a loud beat; at 76000 the top organism is
// swelling.
void OrganismWindow(benchmark::State &State) {
  SetUpView(1024, 768);
  for (auto _ : State) DrawOrganismWindow(State.range(0), 0.8f, 0.6f);
}
BENCHMARK(OrganismWindow)->Arg(66000)->Arg(76000)->Unit(benchmark::kMicrosecond);

// One time window of the timeline: the stretch of the film's timing table it
// runs through (the part of it up to or past Split when Split is not 0), and
// the effects it calls.
struct TWindow {
  const char *Name;
  const char *Stretch;
  int64_t SplitFrom, SplitTo;
  void (*Keep)(TTimelineEffects &Effects, const TTimelineEffects &Real);
  bool Branches;
};

// The start-up branch list gives way to the live tree after this instant.
constexpr int64_t BranchListEnd = 51688;

const TWindow Windows[] = {
    {"opening", "opening", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawOpening = r.DrawOpening; }, false},
    {"wave_strands", "wave strands", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawWaveStrands = r.DrawWaveStrands; },
     false},
    {"attractor", "attractor", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) {
       e.DrawAttractorWindow = r.DrawAttractorWindow;
     },
     false},
    {"blob_field", "blob field", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawBlobField = r.DrawBlobField; },
     false},
    // The start-up list replayed: drawn by the timeline itself.
    {"branch_list", "growing branches", 0, BranchListEnd,
     [](TTimelineEffects &, const TTimelineEffects &) {}, false},
    {"live_branches", "growing branches", BranchListEnd, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawBranches = r.DrawBranches; }, true},
    {"grown_branches_fade", "grown branches", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawBranches = r.DrawBranches; }, true},
    {"disc_stamps", "disc stamps", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawDiscStamps = r.DrawDiscStamps; },
     false},
    {"organism", "organism", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) {
       e.DrawOrganismWindow = r.DrawOrganismWindow;
     },
     false},
    {"worms_mosaic_fade", "worms", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) {
       e.DrawWorms = r.DrawWorms;
       e.DrawMosaicFade = r.DrawMosaicFade;
     },
     false},
    {"finale", "finale", 0, 0,
     [](TTimelineEffects &e, const TTimelineEffects &r) { e.DrawFinale = r.DrawFinale; }, false},
};

// The effects with every entry doing nothing.
TTimelineEffects NoEffects() {
  TTimelineEffects e;
  e.DrawOpening = [](int64_t) {};
  e.DrawWaveStrands = [](int64_t) {};
  e.DrawAttractorWindow = [](int64_t) {};
  e.DrawBranches = [](Single, Single, Single, Single, Single) {};
  e.DrawBlobField = [](int64_t, Single, Single) {};
  e.DrawDiscStamps = [](int64_t) {};
  e.DrawOrganismWindow = [](int64_t, Single, Single) {};
  e.DrawWorms = [](uint32_t, Single) {};
  e.DrawMosaicFade = [](Single) {};
  e.DrawFinale = [](Single) {};
  return e;
}

// The film precomputed for a 4:3 view of this height, as the runner does.
void SetUpFilm(uint32_t Height) {
  if (FilmHeight == Height) return;
  SetUpView(Height * 4 / 3, Height);
  Ogl->InitGL();
  Precompute();
  glLineWidth(2.1f);
  FilmHeight = Height;
}

// The first and last instant a window draws: its stretch's frames within the
// film (the finale's last frame is the one just past its length).
std::pair<int64_t, int64_t> WindowSpan(const TWindow &Window) {
  for (const TFilmStretch &Stretch : FilmStretches) {
    if (std::string(Stretch.Name) != Window.Stretch) continue;
    int64_t From = std::max<int64_t>(Stretch.Start, 0) + 1;
    int64_t To = std::min(Stretch.End, FilmLength + 1);
    if (Window.SplitFrom) From = Window.SplitFrom + 1;
    if (Window.SplitTo) To = Window.SplitTo;
    return {From, To};
  }
  std::fprintf(stderr, "scenes_bench: no stretch \"%s\" in the film's timing\n", Window.Stretch);
  std::abort();
}

// What one frame at Time hands to GL, as benchmark counters.
void CountCalls(benchmark::State &State, const TTimelineEffects &Effects, int64_t Time) {
  TRecordingGL &Gl = RecordedGL();
  Gl.Calls.clear();
  Gl.Primitives.clear();
  Gl.ColorCalls = Gl.TexCoordCalls = 0;
  Gl.Recording = true;
  DrawScene(TFrameInputs{Time, 0, 0}, Effects);
  Gl.Recording = false;
  const size_t Vertices = Gl.VertexCount();
  State.counters["vertices"] = static_cast<double>(Vertices);
  State.counters["colours"] = static_cast<double>(Gl.ColorCalls);
  State.counters["begins"] = static_cast<double>(Gl.CountCalls("glBegin"));
  State.counters["gl_calls"] =
      static_cast<double>(Gl.Calls.size() + Vertices + Gl.ColorCalls + Gl.TexCoordCalls);
  Gl.Calls.clear();
  Gl.Primitives.clear();
}

// The branches computed by the drawing thread alone, in a tree of their own.
void DrawBranchesInOneThread(Single StartX, Single StartY, Single Length, Single FullLength,
                             Single CurlRadius) {
  static TBranchTree Tree(TTreeFilling{ArcVertices, false});
  DrawBranches(Tree, StartX, StartY, Length, FullLength, CurlRadius);
}

void WindowFrames(benchmark::State &State, const TWindow &Window, uint32_t Height, bool Helper) {
  SetUpFilm(Height);
  TTimelineEffects Effects = NoEffects();
  Window.Keep(Effects, TTimelineEffects());
  if (!Helper && Window.Branches) Effects.DrawBranches = DrawBranchesInOneThread;
  const auto [From, To] = WindowSpan(Window);
  const int64_t Span = To - From + 1;
  int64_t Step = 0;
  for (auto _ : State) {
    DrawScene(TFrameInputs{From + Step % Span, 0, 0}, Effects);
    Step += 16;
  }
  CountCalls(State, Effects, From + Span / 2);
}

// The stub's own share of a branch frame: the same calls with nothing
// computed, for a view of the given height (65 535 arcs at 1200 pixels).
void GLStubCalls(benchmark::State &State) {
  SetUpView(1600, 1200);
  const int Arcs = static_cast<int>(State.range(0));
  for (auto _ : State)
    for (int a = 0; a < Arcs; ++a) {
      glColor4f(0, 0, 0, 0.5f);
      glBegin(GL_LINE_STRIP);
      for (int i = 0; i < 21; ++i) glVertex2f(static_cast<float>(i), static_cast<float>(a));
      glEnd();
    }
}
BENCHMARK(GLStubCalls)->Arg(16383)->Arg(65535)->Unit(benchmark::kMillisecond);

void RegisterWindows() {
  for (uint32_t Height : {768u, 1200u})
    for (const TWindow &Window : Windows) {
      const std::string Name = std::string("Window/") + Window.Name + "/" + std::to_string(Height);
      benchmark::RegisterBenchmark(Name.c_str(), WindowFrames, Window, Height, true)
          ->Unit(benchmark::kMillisecond);
      if (!Window.Branches) continue;
      benchmark::RegisterBenchmark((Name + "/process").c_str(), WindowFrames, Window, Height, true)
          ->MeasureProcessCPUTime()
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((Name + "/one_thread").c_str(), WindowFrames, Window, Height,
                                   false)
          ->Unit(benchmark::kMillisecond);
    }
}
}  // namespace

int main(int Count, char **Args) {
  benchmark::Initialize(&Count, Args);
  if (benchmark::ReportUnrecognizedArguments(Count, Args)) return 1;
  RegisterWindows();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
