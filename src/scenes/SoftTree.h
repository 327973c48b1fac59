// The live branch tree (51688 < t <= 59096) on software renderers: the same
// arcs as DrawBranches, drawn as smoothed lines by the film's own code into a
// grey picture over the white background and shown as one quad.
#pragma once

#include "UMMath.h"
#include "scenes/SoftLines.h"

// Appends the strips DrawBranches would draw with these arguments, vertex for
// vertex and opacity for opacity, and advances RandSeed as it does.
void CollectBranches(TStrips &Strips, Single StartX, Single StartY, Single Length,
                     Single FullLength, Single CurlRadius);

// Draws the tree from the left edge with this curl radius over the white
// background; called right after the frame's clear, with RandSeed set.
void DrawSoftTree(Single CurlRadius);
