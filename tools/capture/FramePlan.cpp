#include "FramePlan.h"

#include <algorithm>

#include "scenes/FilmTiming.h"

int64_t FilmFrameTime(int64_t K, int Fps, int64_t From) { return K * 1000 / Fps + From; }

int64_t FilmFrameCount(int64_t From, int64_t To, int Fps) {
  if (To <= From) return 0;
  // floor(K * 1000 / Fps) < To - From  <=>  K < (To - From) * Fps / 1000.
  return ((To - From) * Fps + 999) / 1000;
}

namespace {

// True when both instants lie in the same stateful stretch.
bool SameStretch(int64_t A, int64_t B) {
  for (const TFilmStretch &Stretch : FilmStretches)
    if (Stretch.CarriesState && Stretch.Holds(A) && Stretch.Holds(B)) return true;
  return false;
}

}  // namespace

std::vector<TFilmPart> FilmParts(int64_t From, int64_t Count, int Fps) {
  const int64_t Step = std::clamp<int64_t>(Count / 8, std::max(1, Fps), std::max(1, 5 * Fps));
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

std::vector<uint32_t> LeaderTicks(int Fps) {
  std::vector<uint32_t> Ticks;
  for (int64_t J = 0;; ++J) {
    const int64_t Tick = LeaderHeadStart + J * 1000 / Fps;
    if (Tick > LeaderLength) break;
    Ticks.push_back(static_cast<uint32_t>(Tick));
  }
  return Ticks;
}

std::vector<int64_t> ReplayTimes(int64_t From, int Fps, int64_t K) {
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
