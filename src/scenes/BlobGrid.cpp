#include "scenes/BlobGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// v moves towards 1 by the weight w: v + w^2 (1 - v), in the film's two
// rounded steps (s, then the linear blend from v to s by w).
inline Single Merge(Single v, Single w) {
  const Single s = static_cast<Single>(1 - (1 - Extended(w)) * (1 - Extended(v)));
  return static_cast<Single>(Extended(v) * (1 - Extended(w)) + Extended(s) * w);
}

inline Single Clamp01(Single v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// The influence of a blob of reach r at the offset (dx, dy): falls linearly
// from 1 at the centre to 0 at distance r (|dx| + |dy| for a diamond).
inline Single Influence(Extended dx, Extended dy, Single r, bool Diamond) {
  if (Diamond) {
    const Extended d = std::fabs(dx) + std::fabs(dy);
    return d < r ? static_cast<Single>(1 - d / r) : 0;
  }
  const Extended q = dx * dx + dy * dy;
  return q < Extended(r) * r ? static_cast<Single>(1 - std::sqrt(q) / r) : 0;
}

// Grey level for a value: white below 0.45 and above 0.5, darkening to black
// at 0.475 through half a cosine.
inline uint8_t Shade(Single v) {
  Single h;
  if (v < 0.45L)
    h = 0;
  else if (v > 0.5L)
    h = 1;
  else
    h = static_cast<Single>((v - 0.45L) / 0.05L);
  const Single c = static_cast<Single>((std::cos(h * 2 * Pi) + 1) * 0.5L);
  return static_cast<uint8_t>(Round(c * 255.0L));
}
}  // namespace

void ClearField(TFieldValues &Values) { std::memset(Values, 0, sizeof(TFieldValues)); }

void AddBlob(TFieldValues &Values, Single bx, Single by, Single Radius, bool Diamond) {
  const Single r = Radius;
  const int64_t Row0 = std::max<int64_t>(Trunc(Extended(by) - r), 0);
  const int64_t Row1 = std::min<int64_t>(Trunc(Extended(by) + 1 + r), FieldSize - 1);
  const int64_t Col0 = std::max<int64_t>(Trunc(Extended(bx) - r), 0);
  const int64_t Col1 = std::min<int64_t>(Trunc(Extended(bx) + 1 + r), FieldSize - 1);
  for (int64_t Y = Row0; Y <= Row1; ++Y) {
    for (int64_t X = Col0; X <= Col1; ++X) {
      const Single H = Influence(Extended(bx) - X, Extended(by) - Y, r, Diamond);
      Single &v = Values[X][Y];
      v = Clamp01(Merge(v, H));
    }
  }
}

int64_t WipeReach(Single Wipe) { return Trunc(Wipe * 511.0L) * 3; }

// Row 0 always gets the full weight; for E = 0 (0 < Wipe < 1/511) that is
// the only row, and the weight 1 keeps the ramp continuous with E >= 3.
Single WipeWeight(int64_t Y, int64_t E) {
  if (E == 0) return 1;
  return LinearInterpolate(1, 0, static_cast<Single>(Extended(Y) / E));
}

void ApplyWipe(TFieldValues &Values, Single Wipe) {
  if (!(Wipe > 0)) return;
  const int64_t E = WipeReach(Wipe);
  if (E < 0) return;
  const int64_t LastRow = std::min<int64_t>(E, FieldSize - 1);
  for (int64_t Y = 0; Y <= LastRow; ++Y) {
    const Single g = WipeWeight(Y, E);
    for (int X = 0; X < FieldSize; ++X) Values[X][Y] = Merge(Values[X][Y], g);
  }
}

void ShadeField(const TFieldValues &Values, TTexture &Tex) {
  for (int X = 0; X < FieldSize; ++X) {
    for (int Y = 0; Y < FieldSize; ++Y) {
      const uint8_t Grey = Shade(Values[X][Y]);
      uint8_t *Pixel = &Tex.Data[(static_cast<size_t>(Y) * FieldSize + X) * 3];
      Pixel[0] = Pixel[1] = Pixel[2] = Grey;
    }
  }
}
