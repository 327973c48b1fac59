#include "scenes/CurlArc.h"

#include <cmath>

// The extended-precision sine and cosine cost far more than the rest of the
// tree, so the angles are stepped by a rotation in double precision instead.
// A point is taken from the rotation only when its rounding to Single is
// certain: the rotation's error bound around it must not reach a rounding
// boundary of Single. Otherwise (near a zero of the cosine or sine, or for
// very long sweeps) the point is computed in extended precision, so the
// Single results are exactly those of the extended formula.

namespace {
// The first point's angle is exactly pi, whatever the arc.
const Extended CosPi = std::cos(Pi);
const Extended SinPi = std::sin(Pi);

// Beyond this many radians the rotation's error grows too large to be useful.
constexpr double LongestRotatedSweep = 1e6;

void ExtendedOffsets(int i, Single Length, Single CurlRadius, Single &cx, Single &sy) {
  const Extended Theta = (Extended(i) / ArcSegments) / CurlRadius * Length + Pi;
  cx = static_cast<Single>(std::cos(Theta) * CurlRadius);
  sy = static_cast<Single>(std::sin(Theta) * CurlRadius);
}

Single VertexX(Single StartX, Single cx, Single CurlRadius) {
  return static_cast<Single>(Extended(StartX) + cx + CurlRadius);
}

Single VertexY(Single StartY, Single sy) { return static_cast<Single>(Extended(StartY) + sy); }
}  // namespace

void ArcOffsets(Single Length, Single CurlRadius, Single (&cx)[ArcSegments + 1],
                Single (&sy)[ArcSegments + 1]) {
  const double R = CurlRadius;
  const double Step = double(Length) / (ArcSegments * R);
  const double Sweep = std::fabs(Step) * ArcSegments;
  if (!(R > 0) || !std::isfinite(R) || !(Sweep < LongestRotatedSweep)) {
    for (int i = 0; i <= ArcSegments; ++i) ExtendedOffsets(i, Length, CurlRadius, cx[i], sy[i]);
    return;
  }
  cx[0] = static_cast<Single>(CosPi * CurlRadius);
  sy[0] = static_cast<Single>(SinPi * CurlRadius);
  const double StepCos = std::cos(Step), StepSin = std::sin(Step);
  double c = -1, s = 0;  // at angle pi
  for (int i = 1; i <= ArcSegments; ++i) {
    const double NextC = c * StepCos - s * StepSin;
    s = s * StepCos + c * StepSin;
    c = NextC;
    // The rotated point differs from the extended one by the rounding of the
    // step (relative 2^-53 per radian of angle), of its cosine and sine and
    // of each rotation (a few 2^-53 per step): bounded generously here.
    const double Bound = R * ((i * std::fabs(Step) + 4) * 0x1p-50 + 0x1p-45);
    if (!RoundsSafely(c * R, Bound, cx[i]) || !RoundsSafely(s * R, Bound, sy[i]))
      ExtendedOffsets(i, Length, CurlRadius, cx[i], sy[i]);
  }
}

void ExactArcVertex(int i, Single StartX, Single StartY, Single Length, Single CurlRadius,
                    Single &X, Single &Y) {
  Single cx, sy;
  ExtendedOffsets(i, Length, CurlRadius, cx, sy);
  X = VertexX(StartX, cx, CurlRadius);
  Y = VertexY(StartY, sy);
}

#if defined(__x86_64__) || defined(__i386__)
namespace {
// Read while the program's globals are initialised; the processor's features
// are read first, since other initialisers may run before the library's.
const bool HasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
}  // namespace
#endif

void ArcVertices(Single StartX, Single StartY, Single Length, Single CurlRadius, TArcPoints &Out) {
#if defined(__x86_64__) || defined(__i386__)
  if (HasAvx2) {
    ArcVerticesAvx2(StartX, StartY, Length, CurlRadius, Out);
    return;
  }
#endif
  ArcVerticesByRotation(StartX, StartY, Length, CurlRadius, Out);
}

void ArcVerticesByRotation(Single StartX, Single StartY, Single Length, Single CurlRadius,
                           TArcPoints &Out) {
  Single cx[ArcPoints], sy[ArcPoints];
  ArcOffsets(Length, CurlRadius, cx, sy);
  for (int i = 0; i < ArcPoints; ++i) {
    Out.X[i] = VertexX(StartX, cx[i], CurlRadius);
    Out.Y[i] = VertexY(StartY, sy[i]);
  }
}
