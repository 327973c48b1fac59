// The points of one curl arc, relative to its circle's centre: the hot path
// of the live branches (about 344 000 points per frame at a 768-pixel view).
#pragma once

#include "UMMath.h"

constexpr int ArcSegments = 20;

// Offsets of the ArcSegments + 1 points of an arc of length Length on the
// circle of radius CurlRadius, starting at angle pi:
//   Theta_i = (i / 20) / CurlRadius x Length + pi   (extended precision),
//   cx_i = Cos(Theta_i) x CurlRadius,  sy_i = Sin(Theta_i) x CurlRadius
// (each stored as Single), bit for bit.
void ArcOffsets(Single Length, Single CurlRadius, Single (&cx)[ArcSegments + 1],
                Single (&sy)[ArcSegments + 1]);
