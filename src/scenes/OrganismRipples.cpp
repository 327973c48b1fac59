#include "scenes/OrganismRipples.h"

#include <cmath>

namespace {
// A remainder of the 64-bit clock as a fraction of its period.
Extended Fraction(int64_t t, int64_t Period) { return Extended(t % Period) / Extended(Period); }

Extended OutlineFraction(int i) { return Extended(i) / OutlineSteps; }

// The outline points' own directions never change: they are computed once.
struct TDirection {
  Extended Cos, Sin;
};
using TOutlineDirections = std::array<TDirection, OutlineSteps + 1>;

TOutlineDirections MakeOutlineDirections() {
  TOutlineDirections Directions;
  for (int i = 0; i <= OutlineSteps; ++i) {
    const Extended F = OutlineFraction(i);
    Directions[static_cast<size_t>(i)] = TDirection{std::cos(F * 2 * Pi), std::sin(F * 2 * Pi)};
  }
  return Directions;
}

// The four ripples: 20, 6, 9 and 17 lobes around the outline; the first and
// third travel one way as time goes on, the second and fourth the other way.
void SetRipples(const TRipplePhases &Phases, Extended F, TRipplePoint &Point) {
  Point.Ripple[0] = std::sin((Phases.A + F) * 2 * Pi * 20);
  Point.Ripple[1] = std::cos((Phases.B - F) * 2 * Pi * 6);
  Point.Ripple[2] = std::cos((Phases.C + F) * 2 * Pi * 9);
  Point.Ripple[3] = std::sin((Phases.D - F) * 2 * Pi * 17);
}
}  // namespace

TRipplePhases RipplePhasesAt(int64_t t) {
  return TRipplePhases{Fraction(t, 23000), Fraction(t, 16000), Fraction(t, 20000),
                       Fraction(t, 12000)};
}

TRipplePoint RipplePointAt(const TRipplePhases &Phases, Extended F) {
  TRipplePoint Point;
  SetRipples(Phases, F, Point);
  Point.Cos = std::cos(F * 2 * Pi);
  Point.Sin = std::sin(F * 2 * Pi);
  return Point;
}

// The operations and their order are those of the direct formula, all in
// extended precision, so the table changes nothing in the result.
Single RadiusAt(const TRipplePoint &Point, Single Size, Single Level) {
  const Extended Sum = Point.Ripple[0] * Size * 0.1L + Point.Ripple[1] * Size * 0.22L +
                       Point.Ripple[2] * Size * 0.18L + Point.Ripple[3] * Size * 0.07L;
  return static_cast<Single>(Size + Sum * Level);
}

void ComputeOutlineRipples(const TRipplePhases &Phases, TOutlineRipples &Out) {
  // The same expressions as RipplePointAt, so a point's terms are the same
  // whichever way they were computed.
  static const TOutlineDirections Directions = MakeOutlineDirections();
  for (int i = 0; i <= OutlineSteps; ++i) {
    const size_t n = static_cast<size_t>(i);
    SetRipples(Phases, OutlineFraction(i), Out[n]);
    Out[n].Cos = Directions[n].Cos;
    Out[n].Sin = Directions[n].Sin;
  }
}

void ComputeSpokeRipples(const TRipplePhases &Phases, Single Phase, TSpokeRipples &Out) {
  for (int k = 0; k < SpokeCount; ++k)
    Out[static_cast<size_t>(k)] =
        RipplePointAt(Phases, Extended(Phase) / SpokeCount + Extended(k) / SpokeCount);
}
