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

extern std::vector<TBlob> Blobs;
extern Single BlobPhase;
extern Single PrevBlobPhase;

// Seeds with 9191 and draws the ten blobs' paths and radii.
void InitBlobs();
// Rebuilds the grid for film time t, uploads it as FieldTex and stretches it
// over the view.
void DrawBlobField(int64_t t, Single Alpha, Single Wipe);
// Empties the blobs and puts both phases back to 0, as before InitBlobs.
void ResetBlobField();
