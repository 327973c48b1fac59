#include "scenes/CarriedState.h"

#include "UMTypes.h"
#include "scenes/BlobField.h"
#include "scenes/UAWorms.h"

void ResetCarriedState() {
  // The blobs advance along their paths with values drawn from the generator
  // whenever their phase wraps, and keep their control points between frames.
  const uint32_t Seed = RandSeed;
  ResetBlobField();
  InitBlobs();
  RandSeed = Seed;
  ResetWorms();
}
