// The tree of curls growing from the left edge.
#pragma once

#include <cstdint>

#include "UMMath.h"

extern uint32_t BranchList;

void DrawBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                  Single CurlRadius);
// Compiles BranchList with the view height of this moment (seed 8181).
void BuildBranchList();
