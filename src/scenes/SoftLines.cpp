#include "scenes/SoftLines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

// Every product and sum is rounded on its own, as the four-lane code
// rounds them: a fused multiply-add, which compilers form by default where
// the processor has one (arm64), would change the bytes.
#if !defined(__SSE2__)
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif
#endif

namespace {
// Rows are dealt to the threads in bands of this many, so that a picture
// whose lines gather in one part still shares the work evenly.
constexpr int BandRows = 8;
// Rows of the bounds up to this many columns are walked whole.
constexpr int WideRow = 6;

// a x b / 255, rounded to nearest, exactly as 8-bit blending computes it.
inline uint32_t MulNorm(uint32_t A, uint32_t B) {
  const uint32_t T = A * B + 128;
  return (T + (T >> 8)) >> 8;
}

struct TSegmentShape {
  float MidX, MidY, Cos, Sin, HalfLength;
  float MostAlong;  // the cover along the segment never exceeds its length
  // The cover along is AlongReach - |offset along x AlongScale| (before the
  // limits): HalfLength and 1, or for a segment shorter than a pixel drawn
  // as the driver draws it, its length and length / HalfLength.
  float AlongReach, AlongCos, AlongSin;
  float Scale;  // the strip's opacity x 255
  uint32_t Grey;
  // Pixel centres (i + 0.5) inside the quad's bounds, clipped to the canvas.
  int FirstRow, LastRow, FirstColumn, LastColumn;
};

// The segment's shape, its bounds clipped to the canvas, and whether it can
// change a pixel at all.
bool Shape(float X0, float Y0, float X1, float Y1, float HalfWidth, float Scale, int Width,
           int Height, bool ShortAsDriver, TSegmentShape &S) {
  const float Dx = X1 - X0, Dy = Y1 - Y0;
  const float Length = std::sqrt(Dx * Dx + Dy * Dy);
  if (!(Length > 0)) return false;  // the driver draws nothing for a point
  // Far beyond any view (or not a number): nothing to draw, and the bounds
  // below must fit in an int.
  constexpr float Farthest = 1e7f;
  if (!(Length < Farthest && std::fabs(X0) < Farthest && std::fabs(Y0) < Farthest &&
        std::fabs(X1) < Farthest && std::fabs(Y1) < Farthest))
    return false;
  S.HalfLength = Length / 2 + 0.5f;
  S.MostAlong = std::min(1.f, 2 * S.HalfLength - 1);
  // A pixel's cover is Across x Along with Across <= 1 and Along <=
  // MostAlong, so its alpha, (Across x Along) x Scale + 1/2 truncated, is at
  // most (MostAlong x Scale) + 1/2 truncated, rounding being monotonic: when
  // that is 0 the segment blends nothing anywhere (faint short segments of
  // the tree's finest arcs).
  if (!(S.MostAlong * Scale + 0.5f >= 1)) return false;
  const float Inverse = 1 / Length;
  S.Cos = Dx * Inverse;
  S.Sin = Dy * Inverse;
  S.AlongReach = S.HalfLength;
  S.AlongCos = S.Cos;
  S.AlongSin = S.Sin;
  if (ShortAsDriver && Length < 1) {
    // The same quad, its cover along falling from Length at the middle to 0
    // at its ends.
    const float AlongScale = Length / S.HalfLength;
    S.AlongReach = Length;
    S.AlongCos = S.Cos * AlongScale;
    S.AlongSin = S.Sin * AlongScale;
  }
  S.MidX = (X0 + X1) / 2;
  S.MidY = (Y0 + Y1) / 2;
  S.Scale = Scale;
  const float ReachX = std::fabs(S.Cos) * S.HalfLength + std::fabs(S.Sin) * HalfWidth;
  const float ReachY = std::fabs(S.Sin) * S.HalfLength + std::fabs(S.Cos) * HalfWidth;
  S.FirstRow = std::max(0, static_cast<int>(std::ceil(S.MidY - ReachY - 0.5f)));
  S.LastRow = std::min(Height - 1, static_cast<int>(std::floor(S.MidY + ReachY - 0.5f)));
  S.FirstColumn = std::max(0, static_cast<int>(std::ceil(S.MidX - ReachX - 0.5f)));
  S.LastColumn = std::min(Width - 1, static_cast<int>(std::floor(S.MidX + ReachX - 0.5f)));
  return S.FirstRow <= S.LastRow && S.FirstColumn <= S.LastColumn;
}

bool RowSpan(const TSegmentShape &S, float HalfWidth, float Dy, int &From, int &To) {
  constexpr float Room = 1.f / 64, Flat = 1e-6f;
  float Low = -1e9f, High = 1e9f;  // offsets from the middle along x
  // |u cos + Dy sin| < HalfLength
  if (std::fabs(S.Cos) > Flat) {
    const float Over = 1 / S.Cos;
    const float A = (-S.HalfLength - Dy * S.Sin) * Over, B = (S.HalfLength - Dy * S.Sin) * Over;
    Low = std::max(Low, std::min(A, B));
    High = std::min(High, std::max(A, B));
  } else if (std::fabs(Dy * S.Sin) >= S.HalfLength + Room) {
    return false;
  }
  // |Dy cos - u sin| < HalfWidth
  if (std::fabs(S.Sin) > Flat) {
    const float Over = 1 / S.Sin;
    const float A = (Dy * S.Cos - HalfWidth) * Over, B = (Dy * S.Cos + HalfWidth) * Over;
    Low = std::max(Low, std::min(A, B));
    High = std::min(High, std::max(A, B));
  } else if (std::fabs(Dy * S.Cos) >= HalfWidth + Room) {
    return false;
  }
  From = std::max(From, static_cast<int>(std::ceil(S.MidX + Low - Room - 0.5f)));
  To = std::min(To, static_cast<int>(std::floor(S.MidX + High + Room - 0.5f)));
  return From <= To;
}

// The four-lane minimum and maximum, one value at a time: each picks the
// second operand when either is not a number.
inline float Least(float A, float B) { return A < B ? A : B; }
inline float Most(float A, float B) { return A > B ? A : B; }

// Blends the pixels From..To of one row (Dy below the segment's middle).
// Every pixel takes the same single-precision steps, whichever way it is
// computed: an uncovered pixel (Width or Length at most 0) gets alpha 0,
// which leaves it as it is. This one works a column at a time.
void CoverRowPlain(uint8_t *Line, const TSegmentShape &S, float HalfWidth, float Dy, int From,
                   int To) {
  const float DySin = Dy * S.AlongSin, DyCos = Dy * S.Cos;
  for (int Column = From; Column <= To; ++Column) {
    const float Dx = (static_cast<float>(Column) + 0.5f) - S.MidX;
    const float Along = Dx * S.AlongCos + DySin;
    const float Across = DyCos - Dx * S.Sin;
    const float Width = Least(1.f, HalfWidth - std::fabs(Across));
    const float Length = Least(S.MostAlong, S.AlongReach - std::fabs(Along));
    const float Cover = Most(Width, 0.f) * Most(Length, 0.f);
    const uint32_t A = static_cast<uint32_t>(static_cast<int32_t>(Cover * S.Scale + 0.5f));
    if (A == 0) continue;
    uint8_t &Pixel = Line[Column];
    Pixel = static_cast<uint8_t>(MulNorm(Pixel, 255 - A) + MulNorm(S.Grey, A));
  }
}

#if defined(__SSE2__)
// Four columns at a time.
void CoverRow(uint8_t *Line, const TSegmentShape &S, float HalfWidth, float Dy, int From, int To) {
  const __m128 Half = _mm_set1_ps(0.5f), Zero = _mm_setzero_ps();
  const __m128 Cos = _mm_set1_ps(S.AlongCos), Sin = _mm_set1_ps(S.Sin), MidX = _mm_set1_ps(S.MidX);
  const __m128 DySin = _mm_set1_ps(Dy * S.AlongSin), DyCos = _mm_set1_ps(Dy * S.Cos);
  const __m128 Sign = _mm_set1_ps(-0.f), One = _mm_set1_ps(1.f);
  const __m128 Wide = _mm_set1_ps(HalfWidth), Long = _mm_set1_ps(S.AlongReach);
  const __m128 MostAlong = _mm_set1_ps(S.MostAlong), Scale = _mm_set1_ps(S.Scale);
  alignas(16) int32_t Alpha[4];
  for (int Column = From; Column <= To; Column += 4) {
    const __m128 Centres = _mm_add_ps(
        _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(Column), _mm_set_epi32(3, 2, 1, 0))), Half);
    const __m128 Dx = _mm_sub_ps(Centres, MidX);
    const __m128 Along = _mm_add_ps(_mm_mul_ps(Dx, Cos), DySin);
    const __m128 Across = _mm_sub_ps(DyCos, _mm_mul_ps(Dx, Sin));
    const __m128 Width = _mm_min_ps(One, _mm_sub_ps(Wide, _mm_andnot_ps(Sign, Across)));
    const __m128 Length = _mm_min_ps(MostAlong, _mm_sub_ps(Long, _mm_andnot_ps(Sign, Along)));
    const __m128 Cover = _mm_mul_ps(_mm_max_ps(Width, Zero), _mm_max_ps(Length, Zero));
    _mm_store_si128(reinterpret_cast<__m128i *>(Alpha),
                    _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(Cover, Scale), Half)));
    const int Lanes = std::min(4, To - Column + 1);
    for (int k = 0; k < Lanes; ++k) {
      const uint32_t A = static_cast<uint32_t>(Alpha[k]);
      if (A == 0) continue;
      uint8_t &Pixel = Line[Column + k];
      Pixel = static_cast<uint8_t>(MulNorm(Pixel, 255 - A) + MulNorm(S.Grey, A));
    }
  }
}
#else
void CoverRow(uint8_t *Line, const TSegmentShape &S, float HalfWidth, float Dy, int From, int To) {
  CoverRowPlain(Line, S, HalfWidth, Dy, From, To);
}
#endif

// The rows First..Last of one segment into the canvas.
void DrawRows(TGreyCanvas &Canvas, const TSegmentShape &S, float HalfWidth, int First, int Last,
              TColumnCode Code) {
  for (int Row = First; Row <= Last; ++Row) {
    uint8_t *Line = &Canvas.Pixels[static_cast<size_t>(Row) * Canvas.Width];
    const float Dy = Row + 0.5f - S.MidY;
    int From = S.FirstColumn, To = S.LastColumn;
    // Narrow rows only pay for the span of a long slanted segment.
    if (To - From > WideRow && !RowSpan(S, HalfWidth, Dy, From, To)) continue;
    if (Code == TColumnCode::OneAtATime)
      CoverRowPlain(Line, S, HalfWidth, Dy, From, To);
    else
      CoverRow(Line, S, HalfWidth, Dy, From, To);
  }
}

// The work of one call, shared by its threads: first each thread shapes its
// share of the segments (each segment once, whatever the number of
// threads), then, once all are shaped, each draws every segment into the
// row bands it owns.
class TStripDrawing {
public:
  TStripDrawing(TGreyCanvas &Into, const TStrips &Drawn, float Half, int PartCount,
                TColumnCode ColumnCode)
      : Canvas(Into),
        Strips(Drawn),
        HalfWidth(Half),
        Parts(PartCount),
        Code(ColumnCode),
        Waiting(PartCount) {
    // Where each strip's segments start among the shapes.
    SegmentStart.resize(Strips.Strips.size() + 1);
    size_t Count = 0;
    for (size_t k = 0; k < Strips.Strips.size(); ++k) {
      SegmentStart[k] = Count;
      const uint32_t Points = Strips.Strips[k].Count;
      Count += Points > 1 ? Points - 1 : 0;
    }
    SegmentStart.back() = Count;
    Total = Count;
    // One list of drawable shapes a part, kept from call to call (by the
    // calling thread) so that a frame does not allocate them again.
    static thread_local std::vector<std::vector<TSegmentShape>> Kept;
    if (Kept.size() < static_cast<size_t>(Parts)) Kept.resize(static_cast<size_t>(Parts));
    Shapes = &Kept;
  }

  void Run(int Part) {
    ShapeShare(Part);
    WaitForAll();
    DrawShare(Part);
  }

private:
  // This part's share of all segments; those that can change a pixel are
  // kept, in order.
  void ShapeShare(int Part) {
    const size_t From = Total * Part / Parts, To = Total * (Part + 1) / Parts;
    std::vector<TSegmentShape> &Kept = (*Shapes)[static_cast<size_t>(Part)];
    Kept.clear();
    TSegmentShape S;
    size_t k =
        std::upper_bound(SegmentStart.begin(), SegmentStart.end(), From) - SegmentStart.begin() - 1;
    for (; k < Strips.Strips.size() && SegmentStart[k] < To; ++k) {
      const TStrips::TStrip &Strip = Strips.Strips[k];
      const float Scale = Strip.Alpha * 255;
      const size_t First = std::max(From, SegmentStart[k]);
      const size_t Last = std::min(To, SegmentStart[k + 1]);
      for (size_t n = First; n < Last; ++n) {
        const size_t i = Strip.First + (n - SegmentStart[k]);
        if (!Shape(Strips.X[i], Strips.Y[i], Strips.X[i + 1], Strips.Y[i + 1], HalfWidth, Scale,
                   Canvas.Width, Canvas.Height, Strips.ShortAsDriver, S))
          continue;
        S.Grey = Strip.Grey;
        Kept.push_back(S);
      }
    }
  }

  void WaitForAll() {
    if (Parts == 1) return;
    std::unique_lock<std::mutex> Guard(Lock);
    if (--Waiting == 0) {
      AllShaped.notify_all();
      return;
    }
    AllShaped.wait(Guard, [this] { return Waiting == 0; });
  }

  // Every segment's rows that fall in this part's bands, in the order drawn.
  void DrawShare(int Part) {
    for (int Shaper = 0; Shaper < Parts; ++Shaper)
      for (const TSegmentShape &S : (*Shapes)[static_cast<size_t>(Shaper)]) DrawSegment(S, Part);
  }

  // The segment's rows that fall in this part's bands.
  void DrawSegment(const TSegmentShape &S, int Part) {
    for (int Band = S.FirstRow / BandRows; Band * BandRows <= S.LastRow; ++Band) {
      if (Band % Parts != Part) continue;
      DrawRows(Canvas, S, HalfWidth, std::max(S.FirstRow, Band * BandRows),
               std::min(S.LastRow, Band * BandRows + BandRows - 1), Code);
    }
  }

  TGreyCanvas &Canvas;
  const TStrips &Strips;
  const float HalfWidth;
  const int Parts;
  const TColumnCode Code;
  std::vector<size_t> SegmentStart;
  size_t Total = 0;
  std::vector<std::vector<TSegmentShape>> *Shapes = nullptr;
  std::mutex Lock;
  std::condition_variable AllShaped;
  int Waiting;
};
}  // namespace

void DrawSmoothStrips(TGreyCanvas &Canvas, const TStrips &Strips, float LineWidth, int Threads,
                      TColumnCode Code) {
  // Lines up to one pixel wide are drawn as if one pixel wide.
  const float HalfWidth = LineWidth <= 1 ? 1.f : LineWidth / 2 + 0.5f;
  const int Parts = std::max(1, Threads);
  TStripDrawing Drawing(Canvas, Strips, HalfWidth, Parts, Code);
  std::vector<std::thread> Helpers;
  for (int Part = 1; Part < Parts; ++Part) Helpers.emplace_back([&, Part] { Drawing.Run(Part); });
  Drawing.Run(0);
  for (std::thread &Helper : Helpers) Helper.join();
}
