// Ten merging blobs over a 512 x 512 grid, shaded into FieldTex.
#pragma once

#include <cstdint>
#include <vector>

#include "UMMath.h"
#include "scenes/BlobGrid.h"

struct TBlob {
  Single Radius = 0;
  Single X[4] = {};
  Single Y[4] = {};
  bool Diamond = false;
};

// What the field carries from frame to frame: the blobs on their paths, and
// their phase in this frame and the one before (a phase that went back has
// wrapped, and every blob advances).
struct TBlobFieldState {
  std::vector<TBlob> Blobs;
  Single Phase = 0;
  Single PrevPhase = 0;
};

// Seeds with 9191 and draws the ten blobs' paths and radii into the carried
// state (CarriedState.h); the phases are left alone.
void InitBlobs();
// Rebuilds the grid for film time t, uploads it as FieldTex and stretches it
// over the view.
void DrawBlobField(int64_t t, Single Alpha, Single Wipe);
