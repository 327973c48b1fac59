// Two black discs that spring up over the fading branches.
#pragma once

#include <cstdint>

#include "UMMath.h"

// Half-sizes of the two discs at time t (the visible radius of each disc).
Single Disc1HalfSize(int64_t t, Extended W);
Single Disc2HalfSize(int64_t t, Extended W);

// The disc stamps over the grown tree (59097 < t < 65000): disc 1 from 59098 on, disc 2
// from 59333 on, both gone at 65000.
void DrawDiscStamps(int64_t t);
