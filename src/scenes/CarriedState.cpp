#include "scenes/CarriedState.h"

#include "UMTypes.h"
#include "scenes/BlobField.h"
#include "scenes/UAWorms.h"

namespace {

// The blobs advance along their paths with values drawn from the generator
// whenever their phase wraps, and keep their control points between frames.
void ResetBlobs() {
  const uint32_t Seed = RandSeed;
  ResetBlobField();
  InitBlobs();
  RandSeed = Seed;
}

}  // namespace

const std::vector<TStatefulStretch> &StatefulStretches() {
  static const std::vector<TStatefulStretch> Stretches = {
      // The strands reseed the generator on the field's first frames.
      {"blob field", 28561, 51688, &ResetBlobs, 0},
      // The worms' tracks advance from the generator as the grown branch
      // tree leaves it; nothing draws from it between 63096 and 73000.
      {"worms", 73000, 90000, &ResetWorms, 63096},
  };
  return Stretches;
}
