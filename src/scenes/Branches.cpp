#include "scenes/Branches.h"

uint32_t BranchList = 0;

// Placeholders until the branches are built.
void DrawBranches(Single, Single, Single, Single, Single) {}
void BuildBranchList() {}
