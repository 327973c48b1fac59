// The stretches of the film whose frames carry state from one frame to the
// next, so a frame there depends on the frames drawn before it. A run that
// starts inside such a stretch first draws the stretch's earlier frames
// (unseen) to reach the state a run from 0 has there.
#pragma once

#include <cstdint>
#include <vector>

struct TStatefulStretch {
  const char *Name;
  // The stretch's frames have Start < DemoTime <= End: the first frame that
  // changes the state and the last one whose picture reads it.
  int64_t Start;
  int64_t End;
  // Puts the carried state back to what the set-up leaves, without touching
  // the generator; null when the state only comes from the set-up.
  void (*Reset)();
  // An earlier instant whose frame leaves the generator as a run from 0 has
  // it when the stretch begins (the last scene before it that reseeds it),
  // or 0 when the stretch reseeds it itself. A run that enters the stretch
  // without having drawn that scene draws this frame first, unseen.
  int64_t Primer;
};

// The film's stateful stretches, in time order.
const std::vector<TStatefulStretch> &StatefulStretches();
