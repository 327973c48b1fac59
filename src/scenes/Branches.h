// The tree of curls growing from the left edge.
#pragma once

#include <cstdint>

#include "UMMath.h"

extern uint32_t BranchList;

// Draws a branch (two arcs from the same start) and, recursively, its
// sub-branches down to lengths below 5 pixels. Makes 2 Random calls per call
// that draws, without reseeding: callers set RandSeed first.
void DrawBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius);
// Compiles BranchList with the view height of this moment (seed 8181).
void BuildBranchList();
