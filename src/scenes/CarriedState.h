// The film's carried state in one record: what the set-up builds for the
// frames and what one frame hands to the next (the blobs, the worms, the
// display lists). The set-up starts it from nothing; a run that must start a
// stretch of the film again keeps a copy of the record the set-up left and
// assigns it back, which leaves the generator alone.
#pragma once

#include <cstdint>

#include "scenes/BlobField.h"
#include "scenes/UAWorms.h"

// The GL names of the display lists compiled at start-up (0: none).
struct TDisplayLists {
  uint32_t Attractor = 0;
  uint32_t Branches = 0;
};

struct TCarriedState {
  TBlobFieldState Field;
  TWormState Worms{};
  TDisplayLists Lists;
};

extern TCarriedState Carried;
