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
      {"blob field", 28561, 51688, &ResetBlobs},
      {"worms", 73000, 90000, &ResetWorms},
  };
  return Stretches;
}
