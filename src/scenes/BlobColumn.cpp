#include "scenes/BlobColumn.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "scenes/BlobKernel.h"
#else
#include "scenes/BlobCell.h"
#endif

namespace {
#if defined(__SSE2__)
// Two lanes of SSE2, which every x86-64 processor has.
struct TSse2Lanes {
  using D = __m128d;
  using S = __m128;  // the low two lanes
  static constexpr int N = 2;

  static D Set(double x) { return _mm_set1_pd(x); }
  static D Rows(double Y) { return _mm_set_pd(Y + 1, Y); }
  static D Add(D a, D b) { return _mm_add_pd(a, b); }
  static D Sub(D a, D b) { return _mm_sub_pd(a, b); }
  static D Mul(D a, D b) { return _mm_mul_pd(a, b); }
  static D Sqrt(D a) { return _mm_sqrt_pd(a); }
  static D Abs(D a) { return _mm_andnot_pd(_mm_set1_pd(-0.0), a); }
  static D And(D Mask, D a) { return _mm_and_pd(Mask, a); }
  static D Less(D a, D b) { return _mm_cmplt_pd(a, b); }
  static int Bits(D Mask) { return _mm_movemask_pd(Mask); }
  static S ToSingle(D a) { return _mm_cvtpd_ps(a); }
  static D ToDouble(S a) { return _mm_cvtps_pd(a); }
  static int NotEqualBits(S a, S b) { return _mm_movemask_ps(_mm_cmpneq_ps(a, b)) & 3; }
  static S Load(const Single *p) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
  }
  static void Store(Single *p, S a) {
    _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_castps_si128(a));
  }
  static S MulSingles(S a, S b) { return _mm_mul_ps(a, b); }
  static int ZeroBits(S a) { return _mm_movemask_ps(_mm_cmpeq_ps(a, _mm_setzero_ps())) & 3; }
  static int TinyBits(S a) {
    const __m128 Tiny =
        _mm_and_ps(_mm_cmpgt_ps(a, _mm_setzero_ps()), _mm_cmplt_ps(a, _mm_set1_ps(0x1p-40f)));
    return _mm_movemask_ps(Tiny) & 3;
  }
  static S Clamp01(S a) { return _mm_min_ps(_mm_max_ps(a, _mm_setzero_ps()), _mm_set1_ps(1)); }
  static Single Lane(S a, int k) {
    alignas(16) Single Lanes[4];
    _mm_store_ps(Lanes, a);
    return Lanes[k];
  }
};

using TSse2Kernel = TBlobKernel<TSse2Lanes>;

void AddBlobToColumnSse2(Single *Column, double dx, double by, Single r, bool Diamond,
                         int64_t First, int64_t Last) {
  if (Diamond)
    TSse2Kernel::AddBlob<true>(Column, dx, by, r, First, Last);
  else
    TSse2Kernel::AddBlob<false>(Column, dx, by, r, First, Last);
}
#else
// Other processors: the extended formulas cell by cell, which the vector
// loops reproduce exactly.
void AddBlobToColumnByCell(Single *Column, double dx, double by, Single r, bool Diamond,
                           int64_t First, int64_t Last) {
  for (int64_t Y = First; Y <= Last; ++Y)
    Column[Y] = AddBlobToCellExtended(Column[Y], dx, by - double(Y), r, Diamond);
}

void MergeColumnByCell(Single *Column, const Single *Weights, int64_t First, int64_t Last) {
  for (int64_t Y = First; Y <= Last; ++Y) Column[Y] = MergeExtended(Column[Y], Weights[Y]);
}
#endif
}  // namespace

#if defined(__SSE2__)
const TBlobColumnLoops Sse2BlobColumnLoops = {&AddBlobToColumnSse2, &TSse2Kernel::MergeRun};
#endif
#if defined(__x86_64__) || defined(__i386__)
const TBlobColumnLoops Avx2BlobColumnLoops = {&AddBlobToColumnAvx2, &MergeColumnAvx2};

const TBlobColumnLoops &ProcessorBlobColumnLoops() {
  static const bool HasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return HasAvx2 ? Avx2BlobColumnLoops : Sse2BlobColumnLoops;
}
#else
const TBlobColumnLoops &ProcessorBlobColumnLoops() {
  static const TBlobColumnLoops ByCell = {&AddBlobToColumnByCell, &MergeColumnByCell};
  return ByCell;
}
#endif
