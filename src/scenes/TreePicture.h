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

// Takes the two pictures ahead of their scenes a slice at a time, so that no
// frame pays for a whole tree of smoothed lines: each call puts the picture
// so far back into the frame, draws the next arcs over it with the same GL
// calls DrawBranches makes, and copies the frame again (the blending of each
// arc only depends on what lies beneath it, so the slices add up to the same
// bytes). Called before a frame's clear, with the scenes' GL state in force;
// RandSeed is left alone. True once both pictures are ready.
bool PrepareTreePictures();
