// Arbitrary bytes as "music.mp3" through the whole way a music file takes:
// the MPEG check, the open, decoding, conversion to the device rate, the
// full-scale limit and the level meter. Besides the sanitizers' findings, a
// sample outside [-1, 1] or a level outside [0, 1] is a fault.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound/DecodedTrack.h"

namespace {

// Device rates the conversion is tried at, chosen by the input's length so
// that every seed reaches each of them as it mutates.
constexpr int DeviceRates[] = {44100, 48000, 22050, 8000};
// Enough music for several meter windows, little enough for a quick run.
constexpr int64_t MaxMilliseconds = 1500;

[[noreturn]] void Fault(const char *What, double Value, int64_t Where) {
  std::fprintf(stderr, "%s: %g at %lld\n", What, Value, static_cast<long long>(Where));
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size) {
  // The file lives in memory; the decoder opens it by name like any other.
  const int Fd = memfd_create("music.mp3", 0);
  if (Fd < 0) return 0;
  if (write(Fd, Data, Size) != static_cast<ssize_t>(Size)) {
    close(Fd);
    return 0;
  }
  const std::string Path = "/proc/self/fd/" + std::to_string(Fd);
  const int Rate = DeviceRates[Size % 4];
  TDecodedTrack Track;
  const TMp3OpenResult Result = Track.Load(Path.c_str(), Rate, MaxMilliseconds);
  close(Fd);
  if (Result != TMp3OpenResult::Ok) return 0;

  const std::vector<float> &Samples = Track.Frames();
  for (size_t i = 0; i < Samples.size(); ++i)
    if (!(std::fabs(Samples[i]) <= 1.0f)) Fault("sample beyond full scale", Samples[i], i);
  const int64_t Length = Track.FrameCount() * 1000 / Rate;
  for (int64_t Ms = -7; Ms <= Length + 30; Ms += 7) {
    float Left = -1.0f, Right = -1.0f;
    Track.LevelsAt(Ms, Left, Right);
    if (!(Left >= 0.0f && Left <= 1.0f)) Fault("left level out of range", Left, Ms);
    if (!(Right >= 0.0f && Right <= 1.0f)) Fault("right level out of range", Right, Ms);
  }
  return 0;
}
