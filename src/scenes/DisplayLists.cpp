#include "scenes/DisplayLists.h"

#include "scenes/Attractor.h"
#include "scenes/Branches.h"

void BuildDisplayLists() {
  BuildAttractorList();
  BuildBranchList();
}
