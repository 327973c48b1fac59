// The blob field's grid passes: plain loops over the 512 x 512 value grid
// and the texture bytes, free of GL and of the generator.
#pragma once

#include <cstdint>

#include "UMMath.h"
#include "UMTypes.h"
#include "scenes/BlobColumn.h"

constexpr int FieldSize = 512;

// Indexed [X][Y], X the column and Y the row: one column is contiguous.
using TFieldValues = Single[FieldSize][FieldSize];

void ClearField(TFieldValues &Values);
// Merges one blob centred at (bx, by) into the grid; only the cells of its
// bounding square are visited. Loops: the column loops (every width gives the
// same bytes).
void AddBlob(TFieldValues &Values, Single bx, Single by, Single Radius, bool Diamond,
             const TBlobColumnLoops &Loops = ProcessorBlobColumnLoops());
// Lifts the rows from 0 upward towards white; nothing for Wipe <= 0.
void ApplyWipe(TFieldValues &Values, Single Wipe,
               const TBlobColumnLoops &Loops = ProcessorBlobColumnLoops());
// Thresholds every value into a grey level and writes it as the R, G, B bytes
// of pixel (X, Y) of a 512 x 512 RGB texture.
void ShadeField(const TFieldValues &Values, TTexture &Tex);

// The white ramp's reach E in rows and the weight of row Y under it.
int64_t WipeReach(Single Wipe);
Single WipeWeight(int64_t Y, int64_t E);
