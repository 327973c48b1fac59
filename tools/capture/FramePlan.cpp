#include "FramePlan.h"

#include <algorithm>

#include "scenes/FilmTiming.h"

// The film's 110 s at up to 1000 frames a second and a denominator up to
// 10^6 keep every product below 2^63.
int64_t FilmFrameTime(int64_t K, TFrameRate Fps, int64_t From) {
  return K * 1000 * Fps.Seconds / Fps.Frames + From;
}

int64_t FilmFrameCount(int64_t From, int64_t To, TFrameRate Fps) {
  if (To <= From) return 0;
  // floor(K * 1000 / Fps) < To - From  <=>  K < (To - From) * Fps / 1000.
  const int64_t Per = 1000 * Fps.Seconds;
  return ((To - From) * Fps.Frames + Per - 1) / Per;
}

namespace {

// True when both instants lie in the same stateful stretch.
bool SameStretch(int64_t A, int64_t B) {
  for (const TFilmStretch &Stretch : FilmStretches)
    if (Stretch.CarriesState && Stretch.Holds(A) && Stretch.Holds(B)) return true;
  return false;
}

}  // namespace

std::vector<TFilmPart> FilmParts(int64_t From, int64_t Count, TFrameRate Fps) {
  const int64_t Second = Fps.PerSecondCeiling();
  const int64_t Step = std::clamp<int64_t>(Count / 8, Second, 5 * Second);
  std::vector<TFilmPart> Parts;
  int64_t Begin = 0;
  while (Begin < Count) {
    int64_t End = std::min(Count, Begin + Step);
    while (End < Count &&
           SameStretch(FilmFrameTime(End - 1, Fps, From), FilmFrameTime(End, Fps, From)))
      ++End;
    Parts.push_back({Begin, End});
    Begin = End;
  }
  return Parts;
}

std::vector<uint32_t> LeaderTicks(TFrameRate Fps) {
  std::vector<uint32_t> Ticks;
  for (int64_t J = 0;; ++J) {
    const int64_t Tick = FilmFrameTime(J, Fps, LeaderHeadStart);
    if (Tick > LeaderLength) break;
    Ticks.push_back(static_cast<uint32_t>(Tick));
  }
  return Ticks;
}

std::vector<int64_t> ReplayTimes(int64_t From, TFrameRate Fps, int64_t K) {
  const int64_t Target = FilmFrameTime(K, Fps, From);
  std::vector<int64_t> Times;
  for (const TFilmStretch &Stretch : FilmStretches) {
    if (!Stretch.CarriesState || !Stretch.Holds(Target)) continue;
    // The run from 0 up to From ...
    for (int64_t J = 0;; ++J) {
      const int64_t T = FilmFrameTime(J, Fps, 0);
      if (T >= From || T >= Target) break;
      if (T > Stretch.Start) Times.push_back(T);
    }
    // ... then this capture's own frames before K.
    for (int64_t J = 0; J < K; ++J) {
      const int64_t T = FilmFrameTime(J, Fps, From);
      if (T > Stretch.Start) Times.push_back(T);
    }
  }
  std::sort(Times.begin(), Times.end());
  Times.erase(std::unique(Times.begin(), Times.end()), Times.end());
  return Times;
}
