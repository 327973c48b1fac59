// Which instants a capture draws: the film's frames on a fixed grid, the
// leader's frames, and the unseen frames that bring a stateful stretch to
// where a run from 0 has it.
#pragma once

#include <cstdint>
#include <vector>

#include "FrameRate.h"

// Frame K of a capture that starts at From: DemoTime = floor(K * 1000 / Fps) + From,
// in exact integer arithmetic on the rate's fraction.
int64_t FilmFrameTime(int64_t K, TFrameRate Fps, int64_t From);
// How many frames fall in [From, To).
int64_t FilmFrameCount(int64_t From, int64_t To, TFrameRate Fps);

// The leader's tick times at a fixed frame timing: 700 + floor(J * 1000 / Fps)
// for as long as it stays within 4000, the countdown's span in the demo.
std::vector<uint32_t> LeaderTicks(TFrameRate Fps);

// The frames a capture from From must draw, unseen, before its frame K to
// give the picture a run from 0 at the same rate shows there: for every
// stateful stretch that frame K's instant lies in, the stretch's earlier
// frames of that run (the 0-based grid before From, then this capture's own
// frames). Ascending, each instant once.
std::vector<int64_t> ReplayTimes(int64_t From, TFrameRate Fps, int64_t K);

// A run of film frames [Begin, End) of a capture, rendered and encoded as one
// piece, in any order and by any process.
struct TFilmPart {
  int64_t Begin;
  int64_t End;
};

// The capture's Count film frames cut into parts: an eighth of the capture
// each, kept between 1 and 5 s of film (enough parts to share out, few
// enough seams). A cut never falls between two frames of the same stateful stretch,
// so a part needs no more replay than its own start asks for, and a
// stretch's frames are drawn once. The cuts depend only on the arguments, so
// the output does not depend on how many processes render the parts.
std::vector<TFilmPart> FilmParts(int64_t From, int64_t Count, TFrameRate Fps);
