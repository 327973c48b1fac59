// Whole frames under Mesa's software rasteriser, headless at 1024 x 768: the
// time of DrawScene plus glFinish at one representative instant of each span
// of the timeline, and of one leader frame. Frames are timed on the wall
// clock, since llvmpipe rasterises on worker threads.
//
//   build/bench/frames_glbench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
// (one command line) and read the _median rows.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "scenes/Countdown.h"
#include "scenes/Organism.h"
#include "scenes/Timeline.h"

namespace {

constexpr int Width = 1024;
constexpr int Height = 768;

struct TInstant {
  int64_t Time;
  const char *Windows;
};

// One instant inside each span of the timeline where the set of drawing
// windows is constant.
const TInstant Instants[] = {
    {8000, "opening"},
    {21000, "opening+attractor"},
    {25000, "strands+attractor"},
    {29000, "strands+attractor+blobs"},
    {40000, "blob_field"},
    {50500, "branch_list+blobs"},
    {55000, "live_branches"},
    {59200, "branches+fade+discs"},
    {61000, "branches+fade+discs+organism"},
    {66000, "organism"},
    {68000, "organism"},
    {76000, "organism+worms"},
    {80000, "worms"},
    {88000, "worms+mosaic"},
    {89500, "worms+mosaic+fade"},
    {92000, "finale_fading_in"},
    {100000, "finale"},
};

// The levels of a loud beat, so the organism's outlines ripple as in the film.
void FilmFrame(benchmark::State &State, int64_t Time) {
  const TFrameInputs Frame{Time, 0.8f, 0.6f};
  DrawScene(Frame);  // untimed: lets the driver build its state variants first
  glFinish();
  for (auto _ : State) {
    DrawScene(Frame);
    glFinish();
  }
}

// Each leader frame presented (here: waits for the drawing), as the runner does.
void LeaderFrame(benchmark::State &State) {
  DrawCountdown(1500);
  Platform().SwapBuffers();
  for (auto _ : State) {
    DrawCountdown(1500);
    Platform().SwapBuffers();
  }
}

}  // namespace

int main(int Count, char **Args) {
  benchmark::Initialize(&Count, Args);
  if (benchmark::ReportUnrecognizedArguments(Count, Args)) return 1;

  THeadlessPlatform Headless;
  SetPlatform(&Headless);
  std::string Error;
  std::unique_ptr<THeadlessGL> Gl = THeadlessGL::Create(Width, Height, Error);
  if (!Gl) {
    std::fprintf(stderr, "frames_glbench: no headless GL context: %s\n", Error.c_str());
    return 1;
  }
  if (!SetUpFilm(Width, Height)) return 1;

  for (const TInstant &Instant : Instants) {
    const std::string Name = "Frame/" + std::to_string(Instant.Time) + "/" + Instant.Windows;
    benchmark::RegisterBenchmark(Name.c_str(), FilmFrame, Instant.Time)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RegisterBenchmark("Leader/1500", LeaderFrame)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  TearDownFilm();
  SetPlatform(nullptr);
  return 0;
}
