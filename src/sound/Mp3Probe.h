// Decides whether a file is MPEG audio. libmpg123 resynchronises eagerly and
// will "find" frame headers inside random bytes, PCM or text, so a file is
// only accepted when it starts with a run of frames that follow each other
// byte for byte and agree on version, layer, rate and channel count. The
// decoder itself, with resync off, checks that the frames follow each other.
#pragma once

#include "sound/Mp3Source.h"

// Probes the open file Fd from its start; leaves the file offset undefined.
TMp3OpenResult ProbeMp3(int Fd);

// How many consecutive consistent frames make a file MPEG audio.
constexpr int ProbeFrames = 4;
