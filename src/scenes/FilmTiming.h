// The film's timing in one place: the inputs of a frame, the lengths of the
// leader and the film, and the stretches each frame is drawn from (when each
// one draws, in which order, and which of them carry state from frame to
// frame). The timeline draws from this table; the runner, the capture tool's
// frame plan and the benchmarks read their instants from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "UMMath.h"

// Everything one film frame depends on besides the set-up and the state the
// frames before it carried: the film's time and the music's output levels
// at that time.
struct TFrameInputs {
  int64_t Time = 0;      // milliseconds since the music started
  Single LeftLevel = 0;  // the music's output levels in [0, 1]
  Single RightLevel = 0;
};

// The film runs while its time is at most this; the pass whose time is past
// it ends the run.
constexpr int64_t FilmLength = 110000;
// The leader runs on the tick clock from LeaderHeadStart (the first 0.7 s
// count as already passed) until its time is past LeaderLength.
constexpr uint32_t LeaderHeadStart = 700;
constexpr uint32_t LeaderLength = 4000;

struct TTimelineEffects;

// One stretch of the film: it draws in the frames with Start < t <= End (an
// exact comparison of the millisecond clock).
struct TFilmStretch {
  const char *Name;
  int64_t Start;
  int64_t End;
  // Draws the stretch's part of one frame through the given effects.
  void (*Draw)(const TFrameInputs &Frame, const TTimelineEffects &Effects);
  // The stretch's frames carry state to the next one (blobs, worms), so a
  // frame there depends on the frames drawn before it. A run that starts
  // inside such a stretch first draws the stretch's earlier frames (unseen)
  // to reach the state a run from 0 has there.
  bool CarriesState;
  // An earlier instant whose frame leaves the generator as a run from 0 has
  // it when the stretch begins (the last scene before it that reseeds it),
  // or 0 when the stretch reseeds it itself. A run that enters the stretch
  // without having drawn that scene draws this frame first, unseen.
  int64_t Primer;

  bool Holds(int64_t t) const { return t > Start && t <= End; }
};

// Before any time the clock can show, and after any.
constexpr int64_t FilmBeginning = std::numeric_limits<int64_t>::min();
constexpr int64_t FilmForever = std::numeric_limits<int64_t>::max();

constexpr std::size_t FilmStretchCount = 10;
// The stretches in drawing order: where two hold the same instant, the later
// one draws over the earlier.
extern const std::array<TFilmStretch, FilmStretchCount> FilmStretches;
