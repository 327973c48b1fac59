// The blob field's inner loops with four lanes of AVX2. Only this file is
// compiled for AVX2, and its functions run only where the processor has it
// (ProcessorBlobColumnLoops). Other processors compile nothing of it.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include "scenes/BlobCell.h"
#include "scenes/BlobColumn.h"

#pragma GCC push_options
#pragma GCC target("avx2")

#include "scenes/BlobKernel.h"

namespace {
struct TAvx2Lanes {
  using D = __m256d;
  using S = __m128;
  static constexpr int N = 4;

  static D Set(double x) { return _mm256_set1_pd(x); }
  static D Rows(double Y) { return _mm256_set_pd(Y + 3, Y + 2, Y + 1, Y); }
  static D Add(D a, D b) { return _mm256_add_pd(a, b); }
  static D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
  static D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
  static D Sqrt(D a) { return _mm256_sqrt_pd(a); }
  static D Abs(D a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
  static D And(D Mask, D a) { return _mm256_and_pd(Mask, a); }
  static D Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static int Bits(D Mask) { return _mm256_movemask_pd(Mask); }
  static S ToSingle(D a) { return _mm256_cvtpd_ps(a); }
  static D ToDouble(S a) { return _mm256_cvtps_pd(a); }
  static int NotEqualBits(S a, S b) { return _mm_movemask_ps(_mm_cmpneq_ps(a, b)); }
  static S Load(const Single *p) { return _mm_loadu_ps(p); }
  static void Store(Single *p, S a) { _mm_storeu_ps(p, a); }
  static S MulSingles(S a, S b) { return _mm_mul_ps(a, b); }
  static int ZeroBits(S a) { return _mm_movemask_ps(_mm_cmpeq_ps(a, _mm_setzero_ps())); }
  static int TinyBits(S a) {
    const __m128 Tiny =
        _mm_and_ps(_mm_cmpgt_ps(a, _mm_setzero_ps()), _mm_cmplt_ps(a, _mm_set1_ps(0x1p-40f)));
    return _mm_movemask_ps(Tiny);
  }
  static S Clamp01(S a) { return _mm_min_ps(_mm_max_ps(a, _mm_setzero_ps()), _mm_set1_ps(1)); }
  static Single Lane(S a, int k) {
    alignas(16) Single Lanes[4];
    _mm_store_ps(Lanes, a);
    return Lanes[k];
  }
};

using TAvx2Kernel = TBlobKernel<TAvx2Lanes>;
}  // namespace

void AddBlobToColumnAvx2(Single *Column, double dx, double by, Single r, bool Diamond,
                         int64_t First, int64_t Last) {
  if (Diamond)
    TAvx2Kernel::AddBlob<true>(Column, dx, by, r, First, Last);
  else
    TAvx2Kernel::AddBlob<false>(Column, dx, by, r, First, Last);
}

void MergeColumnAvx2(Single *Column, const Single *Weights, int64_t First, int64_t Last) {
  TAvx2Kernel::MergeRun(Column, Weights, First, Last);
}

#pragma GCC pop_options
#endif
