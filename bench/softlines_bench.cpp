// The software-renderer paths' own processor time at 1024 x 768: the live
// tree's arcs (as DrawBranches forms them) and their smoothed lines on one
// and on two threads.
//
//   build/bench/softlines_bench
#include <benchmark/benchmark.h>

#include "UMTypes.h"
#include "scenes/SoftLines.h"
#include "scenes/SoftTree.h"

namespace {
constexpr int Width = 1024, Height = 768;

// The tree half way through its unrolling (curl radius 0.25 H).
TStrips Tree() {
  TStrips Strips;
  RandSeed = 8181;
  const float Length = 0.65f * Height;
  CollectBranches(Strips, 0, 0.8f * Height, Length, Length, 0.25f * Height);
  return Strips;
}

void CollectTree(benchmark::State &State) {
  for (auto _ : State) benchmark::DoNotOptimize(Tree());
}

void DrawTree(benchmark::State &State) {
  const TStrips Strips = Tree();
  TGreyCanvas Canvas;
  for (auto _ : State) {
    Canvas.Reset(Width, Height, 255);
    DrawSmoothStrips(Canvas, Strips, 2.1f, static_cast<int>(State.range(0)));
    benchmark::DoNotOptimize(Canvas.Pixels.data());
  }
}
}  // namespace

BENCHMARK(CollectTree)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawTree)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
