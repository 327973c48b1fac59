// The film's arithmetic: the seeded generator, the interpolation helpers and
// the rounding rules every scene computes with.
//
// Precision follows the film: `Single` values are float; values formed in
// extended precision are long double (80-bit x87 on x86-64) and only become
// float where they are stored or passed on. Round is ties-to-even, Trunc is
// toward zero.
#pragma once

#include <cstdint>

using Single = float;
using Extended = long double;

// pi in extended precision.
constexpr Extended Pi = 3.14159265358979323846264338327950288L;

// Seeding from the machine's clocks (Randomize) is the platform's: see
// platform/Randomize.h.

// Advances RandSeed once and returns a value in [0, n) (0 for n = 0).
int32_t Random(int32_t n);

Single LinearInterpolate(Single y1, Single y2, Single mu);
Single CosineInterpolate(Single y1, Single y2, Single mu);
Single CubicInterpolate(Single y0, Single y1, Single y2, Single y3, Single mu);

// Nearest integer, halves to even (the FPU's default mode). C's round() would
// turn 100.5 into 101.
int64_t Round(Extended x);
// Toward zero.
int64_t Trunc(Extended x);

// Rounds Estimate to Single (in Out) when every value within Bound of it
// rounds alike, so that an estimate in double precision with a known error
// gives the Single of the exact value; false when it may not.
inline bool RoundsSafely(double Estimate, double Bound, Single &Out) {
  const Single Low = static_cast<Single>(Estimate - Bound);
  const Single High = static_cast<Single>(Estimate + Bound);
  Out = Low;
  return Low == High;
}
