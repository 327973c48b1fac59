// The branch tree on software renderers while it does not change
// (49688 < t <= 51688 from the start-up list, 59096 < t <= 63096 fully grown):
// drawn with the plain GL calls once, kept as a picture of the frame and shown
// as one quad after that. The pixels are those of the GL drawing, byte for
// byte, since the tree is the first thing drawn over the frame's clear.
#pragma once

#include <cstdint>

#include "UMMath.h"

// Both must be called right after the frame's clear, before anything else is
// drawn, with RandSeed set for the tree. They leave RandSeed as drawing the
// tree would.
void DrawBranchListPicture();
// DrawTree draws the tree with that curl radius with the plain GL calls.
void DrawGrownTreePicture(Single CurlRadius, void (*DrawTree)(Single));
