#include "UMMath.h"

#include <cmath>

#include "UMTypes.h"

int32_t Random(int32_t n) {
  RandSeed = RandSeed * 134775813u + 1u;
  const uint64_t product = static_cast<uint64_t>(RandSeed) * static_cast<uint32_t>(n);
  return static_cast<int32_t>(product >> 32);
}

Single LinearInterpolate(Single y1, Single y2, Single mu) {
  return static_cast<Single>(Extended(y1) * (1 - Extended(mu)) + Extended(y2) * mu);
}

Single CosineInterpolate(Single y1, Single y2, Single mu) {
  const Single mu2 = static_cast<Single>((1 - std::cos(Extended(mu) * Pi)) / 2);
  return static_cast<Single>(Extended(y1) * (1 - Extended(mu2)) + Extended(y2) * mu2);
}

Single CubicInterpolate(Single y0, Single y1, Single y2, Single y3, Single mu) {
  // Each coefficient is stored as Single, as the film does; only the final
  // polynomial is evaluated in extended precision.
  const Single a0 = static_cast<Single>((Extended(y3) - y2) - (Extended(y0) - y1));
  const Single a1 = static_cast<Single>((Extended(y0) - y1) - a0);
  const Single a2 = static_cast<Single>(Extended(y2) - y0);
  const Single a3 = y1;
  const Extended m = mu;
  return static_cast<Single>(a0 * m * m * m + a1 * m * m + a2 * m + a3);
}

int64_t Round(Extended x) { return std::llrint(x); }

int64_t Trunc(Extended x) { return static_cast<int64_t>(x); }
