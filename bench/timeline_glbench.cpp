// Whole frames of the film and of the leader under Mesa's software rasteriser, headless, at
// 1024 x 768: one benchmark per instant, so a slow window shows by its time.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "FilmSetup.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "runner/DemoState.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {
void BM_DrawScene(benchmark::State &State) {
  DemoTime = State.range(0);
  for (auto _ : State) {
    DrawScene();
    glFinish();
  }
}
BENCHMARK(BM_DrawScene)
    ->Arg(0)
    ->Arg(8000)
    ->Arg(21000)
    ->Arg(29000)
    ->Arg(40000)
    ->Arg(55000)
    ->Arg(62000)
    ->Arg(70000)
    ->Arg(80000)
    ->Arg(88000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DrawCountdown(benchmark::State &State) {
  for (auto _ : State) {
    DrawCountdown(2300);
    glFinish();
  }
}
BENCHMARK(BM_DrawCountdown)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int Count, char **Args) {
  benchmark::Initialize(&Count, Args);
  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  std::string Error;
  auto Gl = THeadlessGL::Create(1024, 768, Error);
  if (!Gl || !SetUpFilm(1024, 768)) {
    std::fprintf(stderr, "timeline_glbench: no headless film: %s\n", Error.c_str());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  TearDownFilm();
  SetPlatform(nullptr);
  return 0;
}
