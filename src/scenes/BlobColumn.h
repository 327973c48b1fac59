// The blob field's inner loops: runs of cells along one grid column (one
// column is contiguous), several cells at a time.
#pragma once

#include <cstdint>

#include "UMMath.h"

// Merges a blob into the cells First..Last of a column whose offset from the
// blob's centre is dx (rows offset by by - Y). The offsets must be exact in
// double: the centre a multiple of 2^-29 below 1024 in size.
void AddBlobToColumn(Single *Column, double dx, double by, Single r, bool Diamond, int64_t First,
                     int64_t Last);

// Merges the weights Weights[First..Last] into the same cells of a column.
void MergeColumn(Single *Column, const Single *Weights, int64_t First, int64_t Last);

// Whether the loops run four cells at a time with AVX2 (where the processor
// has it) rather than two with SSE2. Both give the same bytes; tests switch
// it to check that.
extern bool BlobColumnsUseAvx2;

// The AVX2 loops (BlobColumnAvx2.cpp).
void AddBlobToColumnAvx2(Single *Column, double dx, double by, Single r, bool Diamond,
                         int64_t First, int64_t Last);
void MergeColumnAvx2(Single *Column, const Single *Weights, int64_t First, int64_t Last);
