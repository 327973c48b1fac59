// Axis-aligned quads in view pixels, the shape most scenes stamp: corners sent
// top-left, top-right, bottom-right, bottom-left.
#pragma once

#include "UMMath.h"

struct TRect {
  Single Left, Top, Right, Bottom;
};

// The whole view, 0..ViewWidth by 0..ViewHeight.
TRect ViewRect();

// One GL_QUADS quad in the current colour.
void DrawQuad(const TRect &R);

// One GL_QUADS quad of the bound texture: s runs from S0 at the left edge to
// S1 at the right, t from T0 at the top edge to T1 at the bottom.
void DrawTexturedQuad(const TRect &R, Single S0, Single T0, Single S1, Single T1);
