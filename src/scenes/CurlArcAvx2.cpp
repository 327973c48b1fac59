// The arc points four at a time with AVX2. Only this file is compiled for
// AVX2, and its loop runs only where the processor has it (see ArcVertices).
//
// Every value is formed in double precision together with a bound on its
// distance from the extended-precision value of the plain formula. A value
// is stored when every number within the bound rounds to the same Single;
// otherwise that point is evaluated in extended precision. So the results
// are exactly those of ExactArcVertex, at a fraction of its cost. Other
// processors compile nothing of it.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "scenes/CurlArc.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace {
using D = __m256d;
using S = __m128;

// pi / 2 in three parts; the first two have 33 significant bits, so their
// products with a quadrant count below 2^20 are exact.
constexpr double HalfPi1 = 0x1.921fb544p+0;
constexpr double HalfPi2 = 0x1.0b4611a6p-34;
constexpr double HalfPi3 = 0x1.3198a2e037073p-69;
constexpr double TwoOverPi = 0x1.45f306dc9c883p-1;
// Sweeps below this keep the quadrant counts below 2^19.
constexpr double LongestSweep = 0x1p19;

// The plain formula's first point, at exactly pi.
const double CosPi = static_cast<double>(std::cos(Pi));
const double SinPi = static_cast<double>(std::sin(Pi));

D Set(double x) { return _mm256_set1_pd(x); }
D Add(D a, D b) { return _mm256_add_pd(a, b); }
D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
D Abs(D a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
D Equal(D a, double b) { return _mm256_cmp_pd(a, Set(b), _CMP_EQ_OQ); }

// cos r and sin r for |r| up to a little beyond pi/4, within 2^-50 (the
// Taylor series' tails are below 2^-54 there). Lanes are D or double.
template <class T, class Ops>
void SinCosSeries(T r, T &SinR, T &CosR) {
  // Estrin's scheme: the terms in pairs, so the chain of dependent
  // operations stays short.
  const T z = Ops::Mul(r, r), z2 = Ops::Mul(z, z), z4 = Ops::Mul(z2, z2);
  auto Pair = [z](double a, double b) { return Ops::Add(Ops::Set(a), Ops::Mul(Ops::Set(b), z)); };
  // sin r = r + r z (s0 + s1 z + ... + s6 z^6)
  const T Ps = Ops::Add(
      Ops::Add(Pair(-1.0 / 6.0, 1.0 / 120.0), Ops::Mul(z2, Pair(-1.0 / 5040.0, 1.0 / 362880.0))),
      Ops::Mul(z4, Ops::Add(Pair(-1.0 / 39916800.0, 1.0 / 6227020800.0),
                            Ops::Mul(z2, Ops::Set(-1.0 / 1307674368000.0)))));
  SinR = Ops::Add(r, Ops::Mul(Ops::Mul(r, z), Ps));
  // cos r = 1 - z / 2 + z^2 (c0 + c1 z + ... + c6 z^6)
  const T Pc = Ops::Add(
      Ops::Add(Pair(1.0 / 24.0, -1.0 / 720.0), Ops::Mul(z2, Pair(1.0 / 40320.0, -1.0 / 3628800.0))),
      Ops::Mul(z4, Ops::Add(Pair(1.0 / 479001600.0, -1.0 / 87178291200.0),
                            Ops::Mul(z2, Ops::Set(1.0 / 20922789888000.0)))));
  CosR = Ops::Add(Ops::Sub(Ops::Set(1), Ops::Mul(z, Ops::Set(0.5))), Ops::Mul(z2, Pc));
}

struct TVectorOps {
  static D Set(double x) { return ::Set(x); }
  static D Add(D a, D b) { return ::Add(a, b); }
  static D Sub(D a, D b) { return ::Sub(a, b); }
  static D Mul(D a, D b) { return ::Mul(a, b); }
};

struct TScalarOps {
  static double Set(double x) { return x; }
  static double Add(double a, double b) { return a + b; }
  static double Sub(double a, double b) { return a - b; }
  static double Mul(double a, double b) { return a * b; }
};

// (-cos Phi, -sin Phi) for |Phi| below 2^19 radians, within 2^-50 of the
// exact values.
void NegatedSinCos(D Phi, D &C, D &Sn) {
  const D k =
      _mm256_round_pd(Mul(Phi, Set(TwoOverPi)), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  D r = Sub(Phi, Mul(k, Set(HalfPi1)));
  r = Sub(r, Mul(k, Set(HalfPi2)));
  r = Sub(r, Mul(k, Set(HalfPi3)));
  D SinR, CosR;
  SinCosSeries<D, TVectorOps>(r, SinR, CosR);

  // Quadrant q = k mod 4: cos phi is cos r, -sin r, -cos r, sin r and
  // sin phi is sin r, cos r, -sin r, -cos r; both are negated once more.
  const D q = Sub(k, Mul(Set(4), _mm256_round_pd(Mul(k, Set(0.25)), _MM_FROUND_TO_NEG_INF)));
  const D Odd = _mm256_or_pd(Equal(q, 1), Equal(q, 3));
  const D FlipC = _mm256_and_pd(_mm256_or_pd(Equal(q, 0), Equal(q, 3)), Set(-0.0));
  const D FlipS = _mm256_and_pd(_mm256_cmp_pd(q, Set(2), _CMP_LT_OQ), Set(-0.0));
  C = _mm256_xor_pd(_mm256_blendv_pd(CosR, SinR, Odd), FlipC);
  Sn = _mm256_xor_pd(_mm256_blendv_pd(SinR, CosR, Odd), FlipS);
}

// Rounds the lanes of Value to Single where Value +- Bound round alike; the
// lanes where they do not are set in Doubt.
S RoundIfCertain(D Value, D Bound, int &Doubt) {
  const S Low = _mm256_cvtpd_ps(Sub(Value, Bound));
  const S High = _mm256_cvtpd_ps(Add(Value, Bound));
  Doubt |= _mm_movemask_ps(_mm_cmpneq_ps(Low, High));
  return Low;
}

// The vertex from its offsets, summed in extended precision as the formula
// sums them: for the few points whose sums the double bounds leave in doubt
// (mostly sums that fall exactly halfway between two Singles).
void ExactSums(Single StartX, Single StartY, Single cx, Single sy, Single CurlRadius, Single &X,
               Single &Y) {
  X = static_cast<Single>(Extended(StartX) + cx + CurlRadius);
  Y = static_cast<Single>(Extended(StartY) + sy);
}

// pi / 2 in five parts of 24 significant bits, for angles in extended
// precision: their products with a quadrant count below 2^40 are exact.
constexpr Extended HalfPiParts[] = {0x1.921fb6p+0L, -0x1.777a5cp-25L, -0x1.ee59dap-50L,
                                    0x1.98a2e0p-77L, 0x1.b839a2p-104L};
constexpr Extended TwoOverPiExtended = 0.636619772367581343075535053490057448L;
constexpr Extended LargestExtendedAngle = 0x1p38L;

// Point i of an arc whose angles are too large for double precision: the
// angle is formed in extended precision exactly as the plain formula forms
// it and reduced there; its cosine and sine are taken in double (within
// 2^-47 of the exact values, the product with the radius included).
bool ExtendedAnglePoint(int i, Single StartX, Single StartY, Single Length, Single CurlRadius,
                        Single &X, Single &Y) {
  const Extended Theta = (Extended(i) / ArcSegments) / CurlRadius * Length + Pi;
  if (!(std::fabs(Theta) < LargestExtendedAngle) || !(CurlRadius > 0)) return false;
  // Adding and taking away 1.5 x 2^63 rounds to the nearest integer.
  const Extended k = (Theta * TwoOverPiExtended + 0x1.8p63L) - 0x1.8p63L;
  Extended Reduced = Theta;
  for (Extended Part : HalfPiParts) Reduced -= k * Part;
  double SinR, CosR;
  SinCosSeries<double, TScalarOps>(static_cast<double>(Reduced), SinR, CosR);
  const int q = static_cast<int>(static_cast<int64_t>(k) & 3);
  const double Cos = q == 0 ? CosR : q == 1 ? -SinR : q == 2 ? -CosR : SinR;
  const double Sin = q == 0 ? SinR : q == 1 ? CosR : q == 2 ? -SinR : -CosR;
  const double R = CurlRadius, Bound = R * 0x1p-47;
  Single cx, sy;
  if (!RoundsSafely(Cos * R, Bound, cx) || !RoundsSafely(Sin * R, Bound, sy)) return false;
  ExactSums(StartX, StartY, cx, sy, CurlRadius, X, Y);
  return true;
}

// A point the vector loop left in doubt.
void SlowPoint(int i, Single StartX, Single StartY, Single Length, Single CurlRadius,
               TArcPoints &Out) {
  if (!ExtendedAnglePoint(i, StartX, StartY, Length, CurlRadius, Out.X[i], Out.Y[i]))
    ExactArcVertex(i, StartX, StartY, Length, CurlRadius, Out.X[i], Out.Y[i]);
}
}  // namespace

// Points 0 to 3 directly; the angle of four steps by doubling that of point
// 2; the later points by turning the group four points back through it.
// Each turn adds the error of that angle and a few roundings, so the bound
// of point i stays below (i |Step| + 16) 2^-49 (the product with the radius
// included). Point 0 is the plain formula's angle pi itself.
void ArcVerticesAvx2(Single StartX, Single StartY, Single Length, Single CurlRadius,
                     TArcPoints &Out) {
  const double R = CurlRadius;
  const double Step = double(Length) / (ArcSegments * R);
  if (!(R > 0) || !std::isfinite(R) || !(std::fabs(Step) * ArcSegments < LongestSweep)) {
    for (int i = 0; i < ArcPoints; ++i) SlowPoint(i, StartX, StartY, Length, CurlRadius, Out);
    return;
  }
  const D Radius = Set(R), X0 = Set(StartX), Y0 = Set(StartY), Steps = Set(Step);
  const D StepBound = Set(std::fabs(Step) * 0x1p-49), BaseBound = Set(16 * 0x1p-49);
  const D Sum = Set(0x1p-52);  // the rounding of a double sum, doubled
  D C, Sn, TurnC, TurnS;
  uint32_t OffsetDoubts = 0, SumDoubts = 0;
  alignas(16) Single Offsets[2][TArcPoints::Stride];
#pragma GCC unroll 6
  for (int m = 0; m < TArcPoints::Stride / 4; ++m) {
    const D Index = Add(_mm256_set_pd(3, 2, 1, 0), Set(4 * m));
    D BoundC = Add(Mul(Index, StepBound), BaseBound), BoundS = BoundC;
    if (m == 0) {
      NegatedSinCos(Mul(Index, Steps), C, Sn);
      // Point 2 is (-cos 2 Step, -sin 2 Step).
      const D C2 = _mm256_permute4x64_pd(C, 0xAA), S2 = _mm256_permute4x64_pd(Sn, 0xAA);
      TurnC = Sub(Set(1), Mul(Set(2), Mul(S2, S2)));
      TurnS = Mul(Set(2), Mul(S2, C2));
    } else {
      const D NextC = Sub(Mul(C, TurnC), Mul(Sn, TurnS));
      Sn = Add(Mul(Sn, TurnC), Mul(C, TurnS));
      C = NextC;
    }
    if (m == 0) {
      C = _mm256_blend_pd(C, Set(CosPi), 1);
      Sn = _mm256_blend_pd(Sn, Set(SinPi), 1);
      BoundC = _mm256_blend_pd(BoundC, Set(0x1p-51), 1);
      BoundS = _mm256_blend_pd(BoundS, Set(std::fabs(SinPi) * 0x1p-50), 1);
    }
    int Doubt = 0, SumDoubt = 0;
    const S cx = RoundIfCertain(Mul(C, Radius), Mul(BoundC, Radius), Doubt);
    const S sy = RoundIfCertain(Mul(Sn, Radius), Mul(BoundS, Radius), Doubt);
    _mm_store_ps(Offsets[0] + 4 * m, cx);
    _mm_store_ps(Offsets[1] + 4 * m, sy);
    // x = (StartX + cx) + CurlRadius and y = StartY + sy, each sum rounded
    // once in double and once in extended precision.
    const D Inner = Add(X0, _mm256_cvtps_pd(cx));
    const D x = Add(Inner, Radius);
    const D y = Add(Y0, _mm256_cvtps_pd(sy));
    _mm_store_ps(Out.X + 4 * m, RoundIfCertain(x, Mul(Add(Abs(Inner), Abs(x)), Sum), SumDoubt));
    _mm_store_ps(Out.Y + 4 * m, RoundIfCertain(y, Mul(Abs(y), Sum), SumDoubt));
    OffsetDoubts |= static_cast<uint32_t>(Doubt) << (4 * m);
    SumDoubts |= static_cast<uint32_t>(SumDoubt) << (4 * m);
  }
  constexpr uint32_t Points = (1u << ArcPoints) - 1;
  for (SumDoubts &= Points & ~OffsetDoubts; SumDoubts != 0; SumDoubts &= SumDoubts - 1) {
    const int i = __builtin_ctz(SumDoubts);
    ExactSums(StartX, StartY, Offsets[0][i], Offsets[1][i], CurlRadius, Out.X[i], Out.Y[i]);
  }
  for (OffsetDoubts &= Points; OffsetDoubts != 0; OffsetDoubts &= OffsetDoubts - 1)
    SlowPoint(__builtin_ctz(OffsetDoubts), StartX, StartY, Length, CurlRadius, Out);
}

#pragma GCC pop_options
#endif
