// The blob field's inner loops, written once over a set of vector lanes L
// (SSE2 pairs or AVX2 quadruples, see BlobColumn.cpp and BlobColumnAvx2.cpp).
//
// Each run of cells is computed in double precision, with a generous bound on
// the error of every value that the film stores as Single. When every value
// within the bound rounds to the same Single, that Single is also the
// extended-precision result. Where it is not (a value right at a rounding
// boundary of Single, or a cell at the very rim of a circle: about one cell
// in ten thousand), the cell is recomputed with the extended formulas of
// BlobCell.h. So the grid holds exactly the extended results at a fraction of
// their cost.
//
// Included by one translation unit per instruction set, each instantiating
// the template with its own (file-local) lane type.
#pragma once

#include "scenes/BlobCell.h"

template <class L>
struct TBlobKernel {
  using D = typename L::D;  // N doubles
  using S = typename L::S;  // N Singles
  static constexpr int N = L::N;
  static constexpr int AllLanes = (1 << N) - 1;

  struct TLanes {
    S Values;
    int Uncertain;  // bit k set: lane k must be recomputed in extended precision
  };

  // Rounds to Singles; a lane whose p - Bound and p + Bound round
  // differently is uncertain.
  static TLanes Round(D p, D Bound) {
    const S Low = L::ToSingle(L::Sub(p, Bound)), High = L::ToSingle(L::Add(p, Bound));
    return {L::ToSingle(p), L::NotEqualBits(Low, High)};
  }

  // v + w^2 (1 - v) in the film's two rounded steps. 1 - w and 1 - v are
  // within 2^-53 of their size, s within about 2^-52, the blend within 2^-52
  // of its terms: the bounds are 4 times that.
  static TLanes Merge(D v, D w) {
    const D One = L::Set(1);
    const D a = L::Sub(One, w);
    const TLanes s = Round(L::Sub(One, L::Mul(a, L::Sub(One, v))), L::Set(0x1p-50));
    const D va = L::Mul(v, a);
    const D Blend = L::Add(va, L::Mul(L::ToDouble(s.Values), w));
    const TLanes Result = Round(Blend, L::Mul(L::Add(va, Blend), L::Set(0x1p-50)));
    return {Result.Values, s.Uncertain | Result.Uncertain};
  }

  // A diamond's influence: |dx| + |dy| is exact, so the comparison with r is
  // too; 1 - d / r (here d x (1 / r)) is within 2^-51.
  static TLanes Diamond(D dx, D dy, D R, D InvR) {
    const D d = L::Add(L::Abs(dx), L::Abs(dy));
    const D Inside = L::Less(d, R);
    const D H = L::And(Inside, L::Sub(L::Set(1), L::Mul(d, InvR)));
    TLanes Lanes = Round(H, L::Set(0x1p-49));
    Lanes.Uncertain &= L::Bits(Inside);
    return Lanes;
  }

  // A circle's influence: dx^2 + dy^2 is within 2^-52 of its size, so close
  // to r^2 the comparison is left to extended precision; 1 - sqrt(q) / r is
  // within 2^-50.
  static TLanes Circle(D dx, D dy, D InsideLimit, D OutsideLimit, D InvR) {
    const D q = L::Add(L::Mul(dx, dx), L::Mul(dy, dy));
    const D Inside = L::Less(q, InsideLimit);
    const int Near = L::Bits(L::Less(q, OutsideLimit)) & ~L::Bits(Inside);
    const D H = L::And(Inside, L::Sub(L::Set(1), L::Mul(L::Sqrt(q), InvR)));
    TLanes Lanes = Round(H, L::Set(0x1p-48));
    Lanes.Uncertain = (Lanes.Uncertain & L::Bits(Inside)) | Near;
    return Lanes;
  }

  template <bool IsDiamond>
  static void AddBlob(Single *Column, double dx, double by, Single r, int64_t First, int64_t Last) {
    const double rr = double(r) * r;  // exact
    const D R = L::Set(r), InvR = L::Set(1.0 / r);
    const D InsideLimit = L::Set(rr * (1 - 0x1p-50)), OutsideLimit = L::Set(rr * (1 + 0x1p-50));
    const D DX = L::Set(dx), BY = L::Set(by);
    int64_t Y = First;
    for (; Y + N - 1 <= Last; Y += N) {
      const D dy = L::Sub(BY, L::Rows(double(Y)));
      const TLanes H =
          IsDiamond ? Diamond(DX, dy, R, InvR) : Circle(DX, dy, InsideLimit, OutsideLimit, InvR);
      const S v = L::Load(&Column[Y]);
      if (H.Uncertain == 0 && L::ZeroBits(v) == AllLanes && L::TinyBits(H.Values) == 0) {
        // First blob on these cells: s is the weight itself and the blend
        // leaves w x w, which Single multiplication rounds exactly as the
        // extended formula does (for weights from 2^-40 up).
        L::Store(&Column[Y], L::MulSingles(H.Values, H.Values));
        continue;
      }
      TLanes Merged = Merge(L::ToDouble(v), L::ToDouble(H.Values));
      Merged.Values = L::Clamp01(Merged.Values);
      const int Uncertain = H.Uncertain | Merged.Uncertain;
      L::Store(&Column[Y], Merged.Values);
      for (int k = 0; Uncertain != 0 && k < N; ++k)
        if (Uncertain & (1 << k))
          Column[Y + k] =
              AddBlobToCellExtended(L::Lane(v, k), dx, by - double(Y + k), r, IsDiamond);
    }
    for (; Y <= Last; ++Y)
      Column[Y] = AddBlobToCellExtended(Column[Y], dx, by - double(Y), r, IsDiamond);
  }

  static void MergeRun(Single *Column, const Single *Weights, int64_t First, int64_t Last) {
    int64_t Y = First;
    for (; Y + N - 1 <= Last; Y += N) {
      const S v = L::Load(&Column[Y]);
      const S w = L::Load(&Weights[Y]);
      if (L::ZeroBits(v) == AllLanes && L::TinyBits(w) == 0) {
        L::Store(&Column[Y], L::MulSingles(w, w));  // as for a blob's first cells
        continue;
      }
      const TLanes Merged = Merge(L::ToDouble(v), L::ToDouble(w));
      L::Store(&Column[Y], Merged.Values);
      for (int k = 0; Merged.Uncertain != 0 && k < N; ++k)
        if (Merged.Uncertain & (1 << k))
          Column[Y + k] = MergeExtended(L::Lane(v, k), Weights[Y + k]);
    }
    for (; Y <= Last; ++Y) Column[Y] = MergeExtended(Column[Y], Weights[Y]);
  }
};
