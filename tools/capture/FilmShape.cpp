#include "FilmShape.h"

#include "platform/PictureFit.h"

namespace {
// The one dialog mode that is not 4:3.
constexpr int FiveByFourWidth = 1280, FiveByFourHeight = 1024;

bool FourByThree(int Width, int Height) {
  return static_cast<long long>(Width) * 3 == static_cast<long long>(Height) * 4;
}
}  // namespace

TFilmSize DefaultFilmSize(int FrameWidth, int FrameHeight) {
  if (FourByThree(FrameWidth, FrameHeight) ||
      (FrameWidth == FiveByFourWidth && FrameHeight == FiveByFourHeight))
    return {FrameWidth, FrameHeight};
  const TPictureArea Area = FitPicture(4, 3, FrameWidth, FrameHeight);
  return {Area.Width, Area.Height};
}
