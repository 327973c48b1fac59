// The organisms' outline radius, split into what depends only on the frame's
// time and the point's place on the outline (four ripple sines and cosines and
// the point's own direction) and what each organism adds (its Size and Level).
// A frame evaluates the first part once for its 201 outline points and its
// spoke directions and shares it between all 156 organisms.
#pragma once

#include <array>
#include <cstdint>

#include "UMMath.h"

// The outline is a closed strip of OutlineSteps + 1 points, f = i / OutlineSteps.
constexpr int OutlineSteps = 200;
constexpr int SpokeCount = 5;

// Everything the radius at a fraction f of a turn needs from f and the time:
// the four ripples' trigonometric values (before scaling by Size) and the
// point's direction Cos(f x 2pi), Sin(f x 2pi).
struct TRipplePoint {
  Extended Ripple[4];
  Extended Cos;
  Extended Sin;
};

// The ripples' four phases at time t: the remainders of t by their periods
// (23000, 16000, 20000 and 12000 ms) as fractions of a period.
struct TRipplePhases {
  Extended A, B, C, D;
};
TRipplePhases RipplePhasesAt(int64_t t);

// The terms at fraction F of a turn for the given phases.
TRipplePoint RipplePointAt(const TRipplePhases &Phases, Extended F);

// Size + (the ripples scaled by Size) x Level, stored as Single. Equal bit for
// bit to evaluating the whole formula at the point directly.
Single RadiusAt(const TRipplePoint &Point, Single Size, Single Level);

// The 201 outline points of one frame.
using TOutlineRipples = std::array<TRipplePoint, OutlineSteps + 1>;
void ComputeOutlineRipples(const TRipplePhases &Phases, TOutlineRipples &Out);

// The five spoke directions for a Phase: f = Phase / 5 + k / 5.
using TSpokeRipples = std::array<TRipplePoint, SpokeCount>;
void ComputeSpokeRipples(const TRipplePhases &Phases, Single Phase, TSpokeRipples &Out);
