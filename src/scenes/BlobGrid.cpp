#include "scenes/BlobGrid.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scenes/BlobCell.h"
#include "scenes/BlobColumn.h"

namespace {
// A run [First, Last] of rows or columns.
struct TSpan {
  int64_t First, Last;
};

// A centre coordinate gives offsets to every cell that are exact in double
// (and in extended precision) when it is a multiple of 2^-29 below 1024.
bool ExactOffsets(Single c) { return c == 0 || (std::fabs(c) >= 0x1p-6f && std::fabs(c) < 1024); }

// The rows of the column at offset dx that the blob can reach, one cell wider
// on each side than its true extent, so no cell it touches is left out.
TSpan ReachedRows(double by, double dx, Single r, bool Diamond, TSpan Bounds) {
  double HalfHeight;
  if (Diamond) {
    HalfHeight = double(r) - std::fabs(dx);
  } else {
    const double Rest = double(r) * r - dx * dx;
    HalfHeight = Rest > 0 ? std::sqrt(Rest) : 0;
  }
  const TSpan Reach{static_cast<int64_t>(std::floor(by - HalfHeight)) - 1,
                    static_cast<int64_t>(std::ceil(by + HalfHeight)) + 1};
  return {std::max(Bounds.First, Reach.First), std::min(Bounds.Last, Reach.Last)};
}

// The plain cell loop, for blob centres whose offsets are not exact in double
// (a centre within 1/64 of zero but not zero, or far outside the grid).
void AddBlobExtended(TFieldValues &Values, Single bx, Single by, Single r, bool Diamond, TSpan Rows,
                     TSpan Columns) {
  for (int64_t Y = Rows.First; Y <= Rows.Last; ++Y)
    for (int64_t X = Columns.First; X <= Columns.Last; ++X)
      Values[X][Y] =
          AddBlobToCellExtended(Values[X][Y], Extended(bx) - X, Extended(by) - Y, r, Diamond);
}

// Grey level of a threshold weight h: white at 0 and 1, black at 0.5.
uint8_t GreyOfWeight(Single h) {
  const Single c = static_cast<Single>((std::cos(h * 2 * Pi) + 1) * 0.5L);
  return static_cast<uint8_t>(Round(c * 255.0L));
}

// The same from a double-precision cosine when its rounding to Single is
// certain (the angle and the cosine are within 2^-49 of the extended ones).
uint8_t GreyOfWeightFast(Single h) {
  const double c = (std::cos(h * (2 * M_PI)) + 1) * 0.5;
  const Single Low = static_cast<Single>(c - 0x1p-47), High = static_cast<Single>(c + 0x1p-47);
  if (Low != High) return GreyOfWeight(h);
  // c x 255 is exact in double, so rounding it there (halves to even, as
  // Round) gives the same level.
  return static_cast<uint8_t>(std::lrint(double(Low) * 255));
}

// The smallest Single not below x: for a Single v, v < x exactly when v < it.
Single SingleNotBelow(Extended x) {
  Single f = static_cast<Single>(x);
  if (f < x) f = std::nextafter(f, 2.0f);
  return f;
}
// Grey level of a value inside the band.
uint8_t GreyOfValue(Single v) { return GreyOfWeightFast(static_cast<Single>((v - 0.45L) / 0.05L)); }

void SetGrey(TTexture &Tex, int X, int Y, uint8_t Grey) {
  uint8_t *Pixel = &Tex.Data[(static_cast<size_t>(Y) * FieldSize + X) * 3];
  Pixel[0] = Pixel[1] = Pixel[2] = Grey;
}

// Every cell thresholded on its own: v below the band, above it, or in it.
void ShadeEveryCell(const TFieldValues &Values, TTexture &Tex, Single BandStart, uint8_t GreyBelow,
                    uint8_t GreyAbove) {
  for (int X = 0; X < FieldSize; ++X)
    for (int Y = 0; Y < FieldSize; ++Y) {
      const Single v = Values[X][Y];
      SetGrey(Tex, X, Y, v < BandStart ? GreyBelow : (v > 0.5f ? GreyAbove : GreyOfValue(v)));
    }
}
}  // namespace

void ClearField(TFieldValues &Values) { std::memset(Values, 0, sizeof(TFieldValues)); }

// Every cell takes the blob once, so the cells may be visited in any order:
// here column by column, along contiguous memory.
void AddBlob(TFieldValues &Values, Single bx, Single by, Single Radius, bool Diamond,
             const TBlobColumnLoops &Loops) {
  const Single r = Radius;
  const TSpan Rows{std::max<int64_t>(Trunc(Extended(by) - r), 0),
                   std::min<int64_t>(Trunc(Extended(by) + 1 + r), FieldSize - 1)};
  const TSpan Columns{std::max<int64_t>(Trunc(Extended(bx) - r), 0),
                      std::min<int64_t>(Trunc(Extended(bx) + 1 + r), FieldSize - 1)};
  if (Rows.Last < Rows.First || Columns.Last < Columns.First) return;
  if (!ExactOffsets(bx) || !ExactOffsets(by) || !(r > 0) || !(r < 1024)) {
    AddBlobExtended(Values, bx, by, r, Diamond, Rows, Columns);
    return;
  }
  for (int64_t X = Columns.First; X <= Columns.Last; ++X) {
    const double dx = double(bx) - double(X);
    const TSpan Span = ReachedRows(by, dx, r, Diamond, Rows);
    Loops.AddBlob(Values[X], dx, by, r, Diamond, Span.First, Span.Last);
  }
}

int64_t WipeReach(Single Wipe) { return Trunc(Wipe * 511.0L) * 3; }

// Row 0 always gets the full weight; for E = 0 (0 < Wipe < 1/511) that is
// the only row, and the weight 1 keeps the ramp continuous with E >= 3.
Single WipeWeight(int64_t Y, int64_t E) {
  if (E == 0) return 1;
  return LinearInterpolate(1, 0, static_cast<Single>(Extended(Y) / E));
}

void ApplyWipe(TFieldValues &Values, Single Wipe, const TBlobColumnLoops &Loops) {
  if (!(Wipe > 0)) return;
  const int64_t E = WipeReach(Wipe);
  if (E < 0) return;
  const int64_t LastRow = std::min<int64_t>(E, FieldSize - 1);
  Single Weights[FieldSize];
  for (int64_t Y = 0; Y <= LastRow; ++Y) Weights[Y] = WipeWeight(Y, E);
  for (int X = 0; X < FieldSize; ++X) Loops.Merge(Values[X], Weights, 0, LastRow);
}

void ShadeField(const TFieldValues &Values, TTexture &Tex) {
  // Outside the band BandStart..0.5 the weight is 0 or 1, and both give white:
  // the texture starts white and only the band's cells are shaded. (The two
  // greys are computed here with the band's own formula, and the generic
  // loop takes over should they ever differ.)
  static const uint8_t GreyBelow = GreyOfWeight(0), GreyAbove = GreyOfWeight(1);
  static const Single BandStart = SingleNotBelow(0.45L);
  if (GreyBelow != GreyAbove) {
    ShadeEveryCell(Values, Tex, BandStart, GreyBelow, GreyAbove);
    return;
  }
  std::memset(Tex.Data.data(), GreyBelow, size_t(FieldSize) * FieldSize * 3);
  for (int X = 0; X < FieldSize; ++X) {
    const Single *Column = Values[X];
#if defined(__SSE2__)
    for (int Y0 = 0; Y0 < FieldSize; Y0 += 4) {
      const __m128 v = _mm_loadu_ps(&Column[Y0]);
      const __m128 InBand =
          _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(BandStart)), _mm_cmple_ps(v, _mm_set1_ps(0.5f)));
      const int Lanes = _mm_movemask_ps(InBand);
      if (Lanes == 0) continue;
      for (int k = 0; k < 4; ++k)
        if (Lanes & (1 << k)) SetGrey(Tex, X, Y0 + k, GreyOfValue(Column[Y0 + k]));
    }
#else
    for (int Y = 0; Y < FieldSize; ++Y)
      if (Column[Y] >= BandStart && Column[Y] <= 0.5f) SetGrey(Tex, X, Y, GreyOfValue(Column[Y]));
#endif
  }
}
