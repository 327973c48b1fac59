// The arc points four at a time with AVX2. Only this file is compiled for
// AVX2, and its loop runs only where the processor has it (CurlArcsUseAvx2).
//
// Every value is formed in double precision together with a bound on its
// distance from the extended-precision value of the plain formula. A value
// is stored when every number within the bound rounds to the same Single;
// otherwise that point is evaluated in extended precision. So the results
// are exactly those of ExactArcVertex, at a fraction of its cost.
#include <immintrin.h>

#include <cmath>

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
D Load(const double *p) { return _mm256_load_pd(p); }
void Store(double *p, D a) { _mm256_store_pd(p, a); }

// The unit-circle points of one arc, (-cos phi_i, -sin phi_i) with
// phi_i = i x Step, and bounds on their distance from the extended values
// (BoundX for the cosine, BoundY for the sine), relative to the radius.
struct TUnitPoints {
  alignas(32) double C[TArcPoints::Stride];
  alignas(32) double S[TArcPoints::Stride];
  alignas(32) double BoundC[TArcPoints::Stride];
  alignas(32) double BoundS[TArcPoints::Stride];
};

// (-cos Phi, -sin Phi) for |Phi| below 2^19 radians, within 2^-50 of the
// exact values (the Taylor series' tails are below 2^-54 on the reduced
// range of +-pi/4).
void NegatedSinCos(D Phi, D &C, D &Sn) {
  const D k =
      _mm256_round_pd(Mul(Phi, Set(TwoOverPi)), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  D r = Sub(Phi, Mul(k, Set(HalfPi1)));
  r = Sub(r, Mul(k, Set(HalfPi2)));
  r = Sub(r, Mul(k, Set(HalfPi3)));
  const D z = Mul(r, r);

  D Ps = Set(-1.0 / 1307674368000.0);
  Ps = Add(Mul(Ps, z), Set(1.0 / 6227020800.0));
  Ps = Add(Mul(Ps, z), Set(-1.0 / 39916800.0));
  Ps = Add(Mul(Ps, z), Set(1.0 / 362880.0));
  Ps = Add(Mul(Ps, z), Set(-1.0 / 5040.0));
  Ps = Add(Mul(Ps, z), Set(1.0 / 120.0));
  Ps = Add(Mul(Ps, z), Set(-1.0 / 6.0));
  const D SinR = Add(r, Mul(Mul(r, z), Ps));

  D Pc = Set(1.0 / 20922789888000.0);
  Pc = Add(Mul(Pc, z), Set(-1.0 / 87178291200.0));
  Pc = Add(Mul(Pc, z), Set(1.0 / 479001600.0));
  Pc = Add(Mul(Pc, z), Set(-1.0 / 3628800.0));
  Pc = Add(Mul(Pc, z), Set(1.0 / 40320.0));
  Pc = Add(Mul(Pc, z), Set(-1.0 / 720.0));
  Pc = Add(Mul(Pc, z), Set(1.0 / 24.0));
  const D CosR = Add(Sub(Set(1), Mul(z, Set(0.5))), Mul(Mul(z, z), Pc));

  // Quadrant q = k mod 4: cos phi is cos r, -sin r, -cos r, sin r and
  // sin phi is sin r, cos r, -sin r, -cos r; both are negated once more.
  const D q = Sub(k, Mul(Set(4), _mm256_round_pd(Mul(k, Set(0.25)), _MM_FROUND_TO_NEG_INF)));
  const D Odd = _mm256_or_pd(Equal(q, 1), Equal(q, 3));
  const D FlipC = _mm256_and_pd(_mm256_or_pd(Equal(q, 0), Equal(q, 3)), Set(-0.0));
  const D FlipS = _mm256_and_pd(_mm256_cmp_pd(q, Set(2), _CMP_LT_OQ), Set(-0.0));
  C = _mm256_xor_pd(_mm256_blendv_pd(CosR, SinR, Odd), FlipC);
  Sn = _mm256_xor_pd(_mm256_blendv_pd(SinR, CosR, Odd), FlipS);
}

// Points 0 to 7 directly, the later ones by turning the group four points
// back through the angle of four steps (taken from point 4). Each turn adds
// the error of point 4 and a few roundings, so the bound of point i stays
// below (i |Step| + 8) 2^-49 (the product with the radius included).
void UnitPoints(double Step, TUnitPoints &P) {
  const D Steps = Set(Step);
  const double AbsStep = std::fabs(Step);
  for (int m = 0; m < 2; ++m) {
    const D Index = _mm256_set_pd(4 * m + 3, 4 * m + 2, 4 * m + 1, 4 * m);
    D C, Sn;
    NegatedSinCos(Mul(Index, Steps), C, Sn);
    Store(P.C + 4 * m, C);
    Store(P.S + 4 * m, Sn);
  }
  const D TurnC = Set(-P.C[4]), TurnS = Set(-P.S[4]);
  for (int m = 2; m < TArcPoints::Stride / 4; ++m) {
    const D C = Load(P.C + 4 * m - 4), Sn = Load(P.S + 4 * m - 4);
    Store(P.C + 4 * m, Sub(Mul(C, TurnC), Mul(Sn, TurnS)));
    Store(P.S + 4 * m, Add(Mul(Sn, TurnC), Mul(C, TurnS)));
  }
  for (int i = 0; i < TArcPoints::Stride; ++i)
    P.BoundC[i] = P.BoundS[i] = (i * AbsStep + 8) * 0x1p-49;
  // Point 0 is the plain formula's angle pi itself.
  P.C[0] = CosPi;
  P.S[0] = SinPi;
  P.BoundC[0] = 0x1p-51;
  P.BoundS[0] = std::fabs(SinPi) * 0x1p-50;
}

// Rounds the lanes of Value to Single where Value +- Bound round alike; the
// lanes where they do not are set in Doubt.
S RoundIfCertain(D Value, D Bound, int &Doubt) {
  const S Low = _mm256_cvtpd_ps(Sub(Value, Bound));
  const S High = _mm256_cvtpd_ps(Add(Value, Bound));
  Doubt |= _mm_movemask_ps(_mm_cmpneq_ps(Low, High));
  return Low;
}
}  // namespace

void ArcVerticesAvx2(Single StartX, Single StartY, Single Length, Single CurlRadius,
                     TArcPoints &Out) {
  const double R = CurlRadius;
  const double Step = double(Length) / (ArcSegments * R);
  if (!(R > 0) || !std::isfinite(R) || !(std::fabs(Step) * ArcSegments < LongestSweep)) {
    for (int i = 0; i < ArcPoints; ++i)
      ExactArcVertex(i, StartX, StartY, Length, CurlRadius, Out.X[i], Out.Y[i]);
    return;
  }
  TUnitPoints P;
  UnitPoints(Step, P);

  const D Radius = Set(R), X0 = Set(StartX), Y0 = Set(StartY);
  const D Sum = Set(0x1p-52);  // the rounding of a double sum, doubled
  int Doubts[TArcPoints::Stride / 4];
  for (int m = 0; m < TArcPoints::Stride / 4; ++m) {
    int Doubt = 0;
    const S cx = RoundIfCertain(Mul(Load(P.C + 4 * m), Radius),
                                Mul(Load(P.BoundC + 4 * m), Radius), Doubt);
    const S sy = RoundIfCertain(Mul(Load(P.S + 4 * m), Radius),
                                Mul(Load(P.BoundS + 4 * m), Radius), Doubt);
    // x = (StartX + cx) + CurlRadius and y = StartY + sy, each sum rounded
    // once in double and once in extended precision.
    const D Inner = Add(X0, _mm256_cvtps_pd(cx));
    const D x = Add(Inner, Radius);
    const D y = Add(Y0, _mm256_cvtps_pd(sy));
    _mm_store_ps(Out.X + 4 * m, RoundIfCertain(x, Mul(Add(Abs(Inner), Abs(x)), Sum), Doubt));
    _mm_store_ps(Out.Y + 4 * m, RoundIfCertain(y, Mul(Abs(y), Sum), Doubt));
    Doubts[m] = Doubt;
  }
  for (int m = 0; m < TArcPoints::Stride / 4; ++m)
    for (int Lane = 0; Lane < 4; ++Lane) {
      const int i = 4 * m + Lane;
      if ((Doubts[m] >> Lane & 1) && i < ArcPoints)
        ExactArcVertex(i, StartX, StartY, Length, CurlRadius, Out.X[i], Out.Y[i]);
    }
}

#pragma GCC pop_options
