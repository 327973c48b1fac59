// The state the film's frames carry from one frame to the next (see the
// stretches of FilmTiming.h that carry state).
#pragma once

// Puts the carried state back to what the set-up leaves, without touching
// the generator. Replaying a stretch's frames from there with the same
// generator states reproduces a run.
void ResetCarriedState();
