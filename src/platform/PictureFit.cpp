#include "platform/PictureFit.h"

#include <cstdint>

namespace {
// Numerator / Denominator rounded to the nearest whole number (halves up);
// both positive.
int RoundedQuotient(int64_t Numerator, int64_t Denominator) {
  return static_cast<int>((2 * Numerator + Denominator) / (2 * Denominator));
}
}  // namespace

TPictureArea FitPicture(int PictureWidth, int PictureHeight, int OuterWidth, int OuterHeight) {
  TPictureArea Area;
  if (PictureWidth <= 0 || PictureHeight <= 0 || OuterWidth <= 0 || OuterHeight <= 0) return Area;
  // Products in 64 bits: the comparison of the two shapes is exact.
  const int64_t OuterByPicture = static_cast<int64_t>(OuterWidth) * PictureHeight;
  const int64_t PictureByOuter = static_cast<int64_t>(PictureWidth) * OuterHeight;
  if (OuterByPicture >= PictureByOuter) {
    // The outer area is wider than the picture: full height, bars left and right.
    Area.Height = OuterHeight;
    Area.Width = RoundedQuotient(PictureByOuter, PictureHeight);
  } else {
    // Taller: full width, bars above and below.
    Area.Width = OuterWidth;
    Area.Height = RoundedQuotient(OuterByPicture, PictureWidth);
  }
  Area.X = (OuterWidth - Area.Width) / 2;
  Area.Y = (OuterHeight - Area.Height) / 2;
  return Area;
}
