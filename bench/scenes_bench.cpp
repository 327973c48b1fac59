// Processor time of the scenes' own code per frame, with the GL entry
// points answered by the recording GL in its non-recording mode (state only),
// so the driver's share is left out. One benchmark per scene window, at a
// 1024 x 768 view and at the frame of the window where it works hardest.
//
//   build/bench/scenes_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
// (one command line) and read the CPU column of the _median rows: the wall
// time also counts the waits of a busy machine.
#include <benchmark/benchmark.h>

#include "RecordingGL.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Attractor.h"
#include "scenes/BlobField.h"
#include "scenes/Branches.h"
#include "scenes/DiscStamps.h"
#include "scenes/Finale.h"
#include "scenes/Organism.h"
#include "scenes/Profile.h"
#include "scenes/UAWorms.h"
#include "scenes/WaveStrands.h"

namespace {
TOgl View;

void SetUpView(uint32_t Width, uint32_t Height) {
  RecordedGL().Reset();
  RecordedGL().Recording = false;
  View.ViewWidth = Width;
  View.ViewHeight = Height;
  Ogl = &View;
  View.BeginOrtho();
}

void WaveStrands(benchmark::State &State) {
  SetUpView(1024, 768);
  DemoTime = 26000;
  for (auto _ : State) DrawWaveStrands();
}
BENCHMARK(WaveStrands)->Unit(benchmark::kMicrosecond);

void AttractorWindow(benchmark::State &State) {
  SetUpView(1024, 768);
  BuildAttractorList();
  DemoTime = 25000;
  for (auto _ : State) DrawAttractorWindow();
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
    DemoTime = t;
    t += 16;  // the blobs move and advance as in the film
    DrawBlobField(1, Wipe);
  }
}
BENCHMARK(BlobField)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The live tree at the start and at the end of its unrolling, for a view
// height given as the argument.
void LiveBranches(benchmark::State &State) {
  const uint32_t Height = static_cast<uint32_t>(State.range(0));
  SetUpView(Height * 4 / 3, Height);
  const Extended H = Height;
  const Single CurlRadius =
      static_cast<Single>(State.range(1) == 0 ? H * 0.1L : H * 0.2L + H * 0.2L);
  for (auto _ : State) {
    RandSeed = 8181;
    DrawBranches(0, static_cast<Single>(H * 0.8L), static_cast<Single>(H * 0.65L),
                 static_cast<Single>(H * 0.65L), CurlRadius);
  }
}
BENCHMARK(LiveBranches)
    ->Args({768, 0})
    ->Args({768, 1})
    ->Args({1200, 1})
    ->Unit(benchmark::kMillisecond);

void BranchListReplay(benchmark::State &State) {
  SetUpView(1024, 768);
  BuildBranchList();
  for (auto _ : State) {
    RandSeed = 8181;
    glCallList(BranchList);
  }
}
BENCHMARK(BranchListReplay)->Unit(benchmark::kMicrosecond);

void DiscStamps(benchmark::State &State) {
  SetUpView(1024, 768);
  DemoTime = 61000;
  for (auto _ : State) DrawDiscStamps();
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
  int64_t t = 73001;
  for (auto _ : State) {
    DrawWorms(static_cast<uint32_t>(t),
              t < 83000 ? static_cast<Single>(Extended(t - 73000) / 10000) : Single(1));
    t += 16;
    if (t > 90000) {
      t = 73001;
      ResetWorms();
    }
  }
}
BENCHMARK(Worms)->Unit(benchmark::kMicrosecond);

// The whole organism window: 40 wave draws, the veil and 156 rippling
// organisms. No stream is open, so the level query fails and keeps the levels
// set here (a loud beat); at 76000 the top organism is swelling.
void OrganismWindow(benchmark::State &State) {
  SetUpView(1024, 768);
  LeftLevel = 0.8f;
  RightLevel = 0.6f;
  DemoTime = State.range(0);
  for (auto _ : State) DrawOrganismWindow();
}
BENCHMARK(OrganismWindow)->Arg(66000)->Arg(76000)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
