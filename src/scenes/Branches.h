// The tree of curls growing from the left edge.
#pragma once

#include <cstdint>
#include <functional>

#include "UMMath.h"
#include "scenes/CurlArc.h"

// Draws a branch (two arcs from the same start) and, recursively, its
// sub-branches down to lengths below 5 pixels. Makes 2 Random calls per call
// that draws, without reseeding: callers set RandSeed first.
void DrawBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius);
class TBranchTree;
// The same, computed in Tree (which keeps it for the next call) rather than
// in the film's own tree.
void DrawBranches(TBranchTree &Tree, Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius);
// Called with each arc DrawBranches draws, in its order, and the arc's alpha.
using TArcVisitor = std::function<void(const TArcPoints &Points, Single Alpha)>;
// The arcs of DrawBranches without drawing them: the same points from the same
// computed tree, the same RandSeed afterwards. Software renderers rasterise
// them in the film's own code.
void VisitBranchArcs(Single StartX, Single StartY, Single Length, Single FullLength,
                     Single CurlRadius, const TArcVisitor &Visit);
// Makes the start-up tree with the view height of this moment (seed 8181):
// stored in a buffer object where the context takes arrays, else compiled
// as the carried display list (CarriedState.h).
void BuildBranchList();
// Draws the start-up tree BuildBranchList made.
void DrawBranchList();
