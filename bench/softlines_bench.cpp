// The software-renderer paths' own processor time at 1024 x 768: the live
// tree's arcs (as DrawBranches forms them) and their smoothed lines on one
// and on two threads, and the organism's lines (rings of its four sizes with
// their spokes, segments shorter than a pixel drawn as the driver does).
//
//   build/bench/softlines_bench
#include <benchmark/benchmark.h>

#include <cmath>

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
// One ring of 200 segments and five spokes of radius R at (X, Y), and its
// five children 0.25 as large on the spoke ends, three generations down:
// 156 rings, as the organism draws them (without their ripples).
void AddRings(TStrips &Strips, float X, float Y, float R, int Depth) {
  constexpr float Turn = 6.2831853f;
  Strips.Begin(0.7f, 255);
  for (int i = 0; i <= 200; ++i)
    Strips.Add(X + R * std::cos(Turn * i / 200), Y + R * std::sin(Turn * i / 200));
  for (int k = 0; k < 5; ++k) {
    const float C = std::cos(Turn * k / 5 + 0.3f), S = std::sin(Turn * k / 5 + 0.3f);
    Strips.Begin(0.7f, 255);
    Strips.Add(X + C * R, Y + S * R);
    Strips.Add(X + C * 1.6f * R, Y + S * 1.6f * R);
    if (Depth < 3) AddRings(Strips, X + C * 1.6f * R, Y + S * 1.6f * R + R / 4, R / 4, Depth + 1);
  }
}

void DrawOrganismLines(benchmark::State &State) {
  TStrips Strips;
  Strips.ShortAsDriver = true;
  AddRings(Strips, Width / 2.f, Height / 2.f, 0.2f * Width, 0);
  TGreyCanvas Canvas;
  for (auto _ : State) {
    Canvas.Reset(Width, Height, 0);
    DrawSmoothStrips(Canvas, Strips, 2.1f, static_cast<int>(State.range(0)));
    benchmark::DoNotOptimize(Canvas.Pixels.data());
  }
}
}  // namespace

BENCHMARK(DrawOrganismLines)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CollectTree)->Unit(benchmark::kMillisecond);
BENCHMARK(DrawTree)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
