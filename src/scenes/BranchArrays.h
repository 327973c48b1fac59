// The branch tree handed to GL in one call: every arc a line strip of 21
// vertices in one glMultiDrawArrays from buffer objects. The colours (black,
// each arc's alpha on all its vertices) depend only on the tree's shape and
// top length, so they are stored once; the vertices are stored again only
// when the tree's arguments change, so a tree that stays (the start-up list,
// the grown tree) costs the driver one call a frame.
#pragma once

#include "scenes/BranchTree.h"
#include "scenes/VertexBatch.h"

// Draws the tree Tree has begun, storing its vertices in Vertices first
// unless they are there already. Needs the array entry points; leaves the
// colour at the last arc's, as the plain calls do.
void DrawTreeArrays(TBranchTree &Tree, TArrayBuffer &Vertices);

// Stores the tree Tree has begun, its vertices in Vertices and its colours,
// without drawing.
void StoreTree(TBranchTree &Tree, TArrayBuffer &Vertices);

// Draws the tree of Arguments without computing it, when Vertices holds its
// vertices and the colours stored last are its own; false (and nothing
// drawn) otherwise.
bool DrawStoredTree(const TBranchArguments &Arguments, TArrayBuffer &Vertices);
