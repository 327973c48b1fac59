#include "scenes/WormWave.h"

#include <cmath>

// The extended sine and cosine reduce every argument beyond pi / 4 the slow
// way, and they were most of the worms' time. Both values are estimated in
// double precision instead, with a bound on how far the estimate can lie from
// the extended formula; when every value within that bound rounds to the same
// Single, that Single is the formula's. Otherwise (rarely, or for arguments
// that are not finite) the extended formula is evaluated as written.

Single EasedWeight(Single Mu) {
  // 1 - cos(a) = 2 sin(a / 2)^2 keeps the small weights free of cancellation:
  // relative error a few 2^-53. The extended formula itself lies within
  // 2^-62 of the exact value (its cosine near 1 and its rounded angle).
  const double Half = std::sin(double(Mu) * (M_PI / 2));
  const double Estimate = Half * Half;
  Single Out;
  if (RoundsSafely(Estimate, Estimate * 0x1p-48 + 0x1p-60, Out)) return Out;
  return static_cast<Single>((1 - std::cos(Extended(Mu) * Pi)) / 2);
}

Single WavyPosition(Single v, Extended Span, Extended Periods, Extended Depth, bool Cosine) {
  // The angle's four roundings in double (and pi's) move it by at most
  // |angle| x 2^-50; the sine or cosine adds 2^-52, the extended one 2^-63,
  // the final sum 2^-52 of its size. Bounded generously.
  const double Angle = double(v) * 2 * M_PI / double(Span) * double(Periods);
  const double Wave = Cosine ? std::cos(Angle) : std::sin(Angle);
  const double Estimate = double(v) + Wave * double(Depth);
  const double Bound = (std::fabs(Angle) * 0x1p-48 + 0x1p-50) * std::fabs(double(Depth)) +
                       std::fabs(Estimate) * 0x1p-50 + 0x1p-60;
  Single Out;
  if (RoundsSafely(Estimate, Bound, Out)) return Out;
  const Extended Exact = Extended(v) * 2 * Pi / Span * Periods;
  return static_cast<Single>(v + (Cosine ? std::cos(Exact) : std::sin(Exact)) * Depth);
}
