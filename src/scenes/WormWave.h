// The worms' per-vertex arithmetic in fast form: the eased weight of the
// cosine blend and the wriggle pattern, each equal bit for bit to its
// extended-precision formula.
#pragma once

#include "UMMath.h"

// (1 - Cos(Mu x pi)) / 2 in extended precision, stored as Single: the weight
// CosineInterpolate blends with.
Single EasedWeight(Single Mu);

// The blend of CosineInterpolate(y1, y2, mu) given EasedWeight(mu), so that
// one eased weight serves several values.
inline Single EasedBlend(Single y1, Single y2, Single Eased) {
  return static_cast<Single>(Extended(y1) * (1 - Extended(Eased)) + Extended(y2) * Eased);
}

// v + Sin(v x 2 pi / Span x Periods) x Depth in extended precision, stored as
// Single; Cosine selects Cos in place of Sin.
Single WavyPosition(Single v, Extended Span, Extended Periods, Extended Depth, bool Cosine);
