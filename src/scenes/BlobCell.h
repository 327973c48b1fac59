// The arithmetic of one grid cell of the blob field, as the film defines it:
// extended precision with Single results. The fast column loops
// (BlobColumn.cpp) fall back to these wherever their own rounding is not
// certain, so the grid always holds exactly these values.
#pragma once

#include <cmath>

#include "UMMath.h"

// v moves towards 1 by the weight w: v + w^2 (1 - v), in two rounded steps
// (s, then the linear blend from v to s by w).
inline Single MergeExtended(Single v, Single w) {
  const Single s = static_cast<Single>(1 - (1 - Extended(w)) * (1 - Extended(v)));
  return static_cast<Single>(Extended(v) * (1 - Extended(w)) + Extended(s) * w);
}

// The influence of a blob of reach r at the offset (dx, dy): falls linearly
// from 1 at the centre to 0 at distance r (|dx| + |dy| for a diamond).
inline Single InfluenceExtended(Extended dx, Extended dy, Single r, bool Diamond) {
  if (Diamond) {
    const Extended d = std::fabs(dx) + std::fabs(dy);
    return d < r ? static_cast<Single>(1 - d / r) : 0;
  }
  const Extended q = dx * dx + dy * dy;
  return q < Extended(r) * r ? static_cast<Single>(1 - std::sqrt(q) / r) : 0;
}

// Merged values stay within 0..1.
inline Single Clamp01(Single v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// One cell merged with a blob at the offset (dx, dy), all in extended precision.
inline Single AddBlobToCellExtended(Single v, Extended dx, Extended dy, Single r, bool Diamond) {
  return Clamp01(MergeExtended(v, InfluenceExtended(dx, dy, r, Diamond)));
}
