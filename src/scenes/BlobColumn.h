// The blob field's inner loops: runs of cells along one grid column (one
// column is contiguous), several cells at a time.
#pragma once

#include <cstdint>

#include "UMMath.h"

// The column loops of one width. AddBlob merges a blob into the cells
// First..Last of a column whose offset from the blob's centre is dx (rows
// offset by by - Y); the offsets must be exact in double: the centre a
// multiple of 2^-29 below 1024 in size. Merge merges the weights
// Weights[First..Last] into the same cells of a column.
struct TBlobColumnLoops {
  void (*AddBlob)(Single *Column, double dx, double by, Single r, bool Diamond, int64_t First,
                  int64_t Last);
  void (*Merge)(Single *Column, const Single *Weights, int64_t First, int64_t Last);
};

// Two cells at a time with SSE2, which every x86-64 processor has, and four
// at a time with AVX2. Both give the same bytes. Other processors run the
// cell-by-cell formulas the vector loops reproduce.
#if defined(__SSE2__)
extern const TBlobColumnLoops Sse2BlobColumnLoops;
#endif
#if defined(__x86_64__) || defined(__i386__)
extern const TBlobColumnLoops Avx2BlobColumnLoops;

// The AVX2 loops (BlobColumnAvx2.cpp).
void AddBlobToColumnAvx2(Single *Column, double dx, double by, Single r, bool Diamond,
                         int64_t First, int64_t Last);
void MergeColumnAvx2(Single *Column, const Single *Weights, int64_t First, int64_t Last);
#endif

// The widest loops this processor runs.
const TBlobColumnLoops &ProcessorBlobColumnLoops();
