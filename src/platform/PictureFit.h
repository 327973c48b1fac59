// Where a picture of one size goes inside a larger or smaller area when its
// shape must be kept: the largest area of the picture's shape that fits,
// centred, the rest left as bars. Used to place the film in a monitor at its
// own mode, in a window of any size, and to size a window that would not fit
// the screen.
#pragma once

// An area in whole pixels; X and Y are the offsets of its corner from the
// same corner of the outer area (the presenter counts from the bottom left,
// as GL does, a window from the top left; centring makes both the same).
struct TPictureArea {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
};

// The largest area of PictureWidth:PictureHeight's shape inside OuterWidth x
// OuterHeight, centred. The side that fills the outer area is exact; the
// other is rounded to the nearest pixel, and an odd margin leaves its extra
// pixel after the picture. A picture of the outer size fills it exactly.
// Sizes of 0 or less give an empty area.
TPictureArea FitPicture(int PictureWidth, int PictureHeight, int OuterWidth, int OuterHeight);
