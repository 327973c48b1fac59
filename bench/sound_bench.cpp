// Processor time of the sound layer: decoding and rate conversion, playback
// on the dummy audio device (decoder thread plus audio callback, as a share
// of one core), and how long opening a very long file takes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Composition.h"
#include "Mp3Encoder.h"
#include "sound/Fmod.h"
#include "sound/Mp3Source.h"
#include "sound/RateConverter.h"

namespace {

constexpr int MixRate = 44100;

double ProcessSeconds() {
  timespec Now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
  return static_cast<double>(Now.tv_sec) + Now.tv_nsec * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void WriteFile(const std::string &Path, const std::vector<uint8_t> &Bytes, int Copies = 1) {
  FILE *File = std::fopen(Path.c_str(), "wb");
  for (int i = 0; i < Copies; ++i) std::fwrite(Bytes.data(), 1, Bytes.size(), File);
  std::fclose(File);
}

// The first Seconds of the bundled track, encoded as the build encodes it.
std::vector<uint8_t> TrackExcerpt(double Seconds, bool InfoTag) {
  std::vector<float> Samples = ComposeTrack(MixRate);
  Samples.resize(static_cast<size_t>(Seconds * MixRate) * 2);
  TEncodeOptions Options;
  Options.InfoTag = InfoTag;
  return EncodeMp3(Samples, 2, MixRate, Options);
}

struct TFiles {
  std::string Folder, Track, TwoMinutes, SixtyMinutes;
};

// Made once: the whole track to play, and 2-minute and 60-minute files made
// of whole 10 s pieces of it (bare MP3 frames join into a valid stream).
const TFiles &BenchFiles() {
  static const TFiles Made = [] {
    char Template[] = "/tmp/quillmoor-sound-bench-XXXXXX";
    TFiles Out;
    Out.Folder = mkdtemp(Template);
    Out.Track = Out.Folder + "/track.mp3";
    Out.TwoMinutes = Out.Folder + "/two-minutes.mp3";
    Out.SixtyMinutes = Out.Folder + "/sixty-minutes.mp3";
    WriteFile(Out.Track, TrackExcerpt(TrackSeconds, true));
    const std::vector<uint8_t> Piece = TrackExcerpt(10.0, false);
    WriteFile(Out.TwoMinutes, Piece, 12);
    WriteFile(Out.SixtyMinutes, Piece, 360);
    return Out;
  }();
  return Made;
}

// The decoder thread's whole job for the track, without the waiting.
void BM_DecodeAndConvert(benchmark::State &State) {
  std::vector<float> Decoded(4096 * 2), Converted;
  double AudioSeconds = 0.0;
  for (auto _ : State) {
    TMp3Source Source;
    Source.Open(BenchFiles().Track.c_str());
    TRateConverter Converter;
    size_t Frames = 0, Got;
    while ((Got = Source.Read(Decoded.data(), 4096)) > 0) {
      Converted.clear();
      Frames += Converter.Convert(Source.Rate(), MixRate, Decoded.data(), Got, Converted);
    }
    AudioSeconds += static_cast<double>(Frames) / MixRate;
  }
  State.counters["audio_s_per_cpu_s"] =
      benchmark::Counter(AudioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeAndConvert)->Unit(benchmark::kMillisecond);

// Real-time playback on the dummy device: the whole process's processor time
// over the wall time, in percent of one core.
void BM_PlaybackCpuShare(benchmark::State &State) {
  const double PlaySeconds = static_cast<double>(State.range(0));
  for (auto _ : State) {
    FSOUND_Init(44100, 32, 0);
    const FSOUND_HANDLE Stream = FSOUND_Stream_Open(BenchFiles().Track.c_str(), 304, 0, 0);
    const double Cpu = ProcessSeconds(), Wall = WallSeconds();
    FSOUND_Stream_Play(-1, Stream);
    float Left = 0, Right = 0;
    while (WallSeconds() - Wall < PlaySeconds) {  // the organism asks once a frame
      FSOUND_GetCurrentLevels(0, &Left, &Right);
      std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    const double Elapsed = WallSeconds() - Wall;
    State.counters["cpu_share_pct"] = 100.0 * (ProcessSeconds() - Cpu) / Elapsed;
    // How far the device's consumption ran from the wall clock (SDL's dummy
    // device paces itself by sleeping, so this is its drift, not the decoder's).
    const double Played = FSOUND_Stream_GetTime(Stream) / 1000.0;
    State.counters["played_minus_wall_ms"] = 1000.0 * (Played - Elapsed);
    FSOUND_Stream_Stop(Stream);
    FSOUND_Stream_Close(Stream);
    FSOUND_Close();
  }
}
BENCHMARK(BM_PlaybackCpuShare)->Arg(20)->Arg(110)->Iterations(1)->Unit(benchmark::kSecond);

// Opening a file: the time to a playable stream and the heap it takes, for
// a 2-minute and a 60-minute file.
void BM_StreamOpen(benchmark::State &State) {
  const std::string &Path =
      State.range(0) == 60 ? BenchFiles().SixtyMinutes : BenchFiles().TwoMinutes;
  FSOUND_Init(44100, 32, 0);
  double HeapBytes = 0;
  for (auto _ : State) {
    const size_t Before = mallinfo2().uordblks;
    const auto Start = std::chrono::steady_clock::now();
    const FSOUND_HANDLE Stream = FSOUND_Stream_Open(Path.c_str(), 304, 0, 0);
    State.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
    HeapBytes = static_cast<double>(mallinfo2().uordblks - Before);
    if (Stream == 0) State.SkipWithError("open failed");
    FSOUND_Stream_Close(Stream);
  }
  FSOUND_Close();
  State.counters["heap_bytes"] = HeapBytes;
}
BENCHMARK(BM_StreamOpen)->Arg(2)->Arg(60)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  benchmark::Initialize(&argc, argv);
  BenchFiles();
  benchmark::RunSpecifiedBenchmarks();
  std::remove(BenchFiles().Track.c_str());
  std::remove(BenchFiles().TwoMinutes.c_str());
  std::remove(BenchFiles().SixtyMinutes.c_str());
  rmdir(BenchFiles().Folder.c_str());
  benchmark::Shutdown();
  return 0;
}
