#include "scenes/SoftLines.h"

#include <algorithm>
#include <cmath>
#include <thread>

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
  float MostAlong;                 // the cover along the segment never exceeds its length
  float Left, Right, Top, Bottom;  // bounds of the quad
};

bool Shape(float X0, float Y0, float X1, float Y1, float HalfWidth, TSegmentShape &S) {
  const float Dx = X1 - X0, Dy = Y1 - Y0;
  const float Length = std::sqrt(Dx * Dx + Dy * Dy);
  if (!(Length > 0)) return false;  // the driver draws nothing for a point
  // Far beyond any view (or not a number): nothing to draw, and the bounds
  // below must fit in an int.
  constexpr float Farthest = 1e7f;
  if (!(Length < Farthest && std::fabs(X0) < Farthest && std::fabs(Y0) < Farthest &&
        std::fabs(X1) < Farthest && std::fabs(Y1) < Farthest))
    return false;
  const float Inverse = 1 / Length;
  S.Cos = Dx * Inverse;
  S.Sin = Dy * Inverse;
  S.MidX = (X0 + X1) / 2;
  S.MidY = (Y0 + Y1) / 2;
  S.HalfLength = Length / 2 + 0.5f;
  S.MostAlong = std::min(1.f, 2 * S.HalfLength - 1);
  const float ReachX = std::fabs(S.Cos) * S.HalfLength + std::fabs(S.Sin) * HalfWidth;
  const float ReachY = std::fabs(S.Sin) * S.HalfLength + std::fabs(S.Cos) * HalfWidth;
  S.Left = S.MidX - ReachX;
  S.Right = S.MidX + ReachX;
  S.Top = S.MidY - ReachY;
  S.Bottom = S.MidY + ReachY;
  return true;
}

// Narrows the columns [From, To] to those whose centres on the row Dy below
// the segment's middle can lie inside its quad (with a little room: the
// cover itself decides); false when none can.
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

// One segment into the rows of the canvas that belong to thread Part of
// Parts.
void DrawSegment(TGreyCanvas &Canvas, const TSegmentShape &S, float HalfWidth, float Alpha,
                 uint32_t Grey, int Part, int Parts) {
  // Pixel centres (i + 0.5) inside the bounds.
  const int FirstRow = std::max(0, static_cast<int>(std::ceil(S.Top - 0.5f)));
  const int LastRow = std::min(Canvas.Height - 1, static_cast<int>(std::floor(S.Bottom - 0.5f)));
  const int FirstColumn = std::max(0, static_cast<int>(std::ceil(S.Left - 0.5f)));
  const int LastColumn = std::min(Canvas.Width - 1, static_cast<int>(std::floor(S.Right - 0.5f)));
  const float Scale = Alpha * 255;
  for (int Row = FirstRow; Row <= LastRow; ++Row) {
    if ((Row / BandRows) % Parts != Part) continue;
    uint8_t *Line = &Canvas.Pixels[static_cast<size_t>(Row) * Canvas.Width];
    const float Dy = Row + 0.5f - S.MidY;
    int From = FirstColumn, To = LastColumn;
    // Narrow rows only pay for the span of a long slanted segment.
    if (To - From > WideRow && !RowSpan(S, HalfWidth, Dy, From, To)) continue;
    for (int Column = From; Column <= To; ++Column) {
      const float Dx = Column + 0.5f - S.MidX;
      const float Along = Dx * S.Cos + Dy * S.Sin;
      const float Across = Dy * S.Cos - Dx * S.Sin;
      const float Width = std::min(1.f, HalfWidth - std::fabs(Across));
      const float Length = std::min(S.MostAlong, S.HalfLength - std::fabs(Along));
      if (Width <= 0 || Length <= 0) continue;
      const uint32_t A = static_cast<uint32_t>(Width * Length * Scale + 0.5f);
      if (A == 0) continue;
      Line[Column] = static_cast<uint8_t>(MulNorm(Line[Column], 255 - A) + MulNorm(Grey, A));
    }
  }
}

void DrawPart(TGreyCanvas &Canvas, const TStrips &Strips, float HalfWidth, int Part, int Parts) {
  TSegmentShape S;
  for (const TStrips::TStrip &Strip : Strips.Strips) {
    for (uint32_t i = Strip.First; i + 1 < Strip.First + Strip.Count; ++i) {
      if (!Shape(Strips.X[i], Strips.Y[i], Strips.X[i + 1], Strips.Y[i + 1], HalfWidth, S))
        continue;
      DrawSegment(Canvas, S, HalfWidth, Strip.Alpha, Strip.Grey, Part, Parts);
    }
  }
}
}  // namespace

void DrawSmoothStrips(TGreyCanvas &Canvas, const TStrips &Strips, float LineWidth, int Threads) {
  // Lines up to one pixel wide are drawn as if one pixel wide.
  const float HalfWidth = LineWidth <= 1 ? 1.f : LineWidth / 2 + 0.5f;
  const int Parts = std::max(1, Threads);
  std::vector<std::thread> Helpers;
  for (int Part = 1; Part < Parts; ++Part)
    Helpers.emplace_back([&, Part] { DrawPart(Canvas, Strips, HalfWidth, Part, Parts); });
  DrawPart(Canvas, Strips, HalfWidth, 0, Parts);
  for (std::thread &Helper : Helpers) Helper.join();
}
