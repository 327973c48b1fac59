// The points of one curl arc: the hot path of the live branches (about
// 344 000 points per frame at a 768-pixel view, 1.38 million at 1200).
#pragma once

#include "UMMath.h"

constexpr int ArcSegments = 20;
constexpr int ArcPoints = ArcSegments + 1;

// Offsets of the ArcSegments + 1 points of an arc of length Length on the
// circle of radius CurlRadius, starting at angle pi:
//   Theta_i = (i / 20) / CurlRadius x Length + pi   (extended precision),
//   cx_i = Cos(Theta_i) x CurlRadius,  sy_i = Sin(Theta_i) x CurlRadius
// (each stored as Single), bit for bit.
void ArcOffsets(Single Length, Single CurlRadius, Single (&cx)[ArcSegments + 1],
                Single (&sy)[ArcSegments + 1]);

// The vertices of one arc drawn from (StartX, StartY), padded to whole
// groups of four for the vector loops (entries past ArcSegments are scratch).
struct TArcPoints {
  static constexpr int Stride = 24;
  alignas(32) Single X[Stride];
  alignas(32) Single Y[Stride];
};

// Vertex i of the arc: (StartX + cx_i + CurlRadius, StartY + sy_i), each sum
// formed in extended precision from the left and stored as Single.
void ExactArcVertex(int i, Single StartX, Single StartY, Single Length, Single CurlRadius,
                    Single &X, Single &Y);

// All ArcPoints vertices of the arc, bit for bit those of ExactArcVertex: four
// points at a time with AVX2 where the processor has it, else by the rotation
// of ArcOffsets.
void ArcVertices(Single StartX, Single StartY, Single Length, Single CurlRadius, TArcPoints &Out);
using TArcFiller = void (*)(Single StartX, Single StartY, Single Length, Single CurlRadius,
                            TArcPoints &Out);

// The two ways ArcVertices takes, the same bytes each: the rotation, which
// every processor runs, and the AVX2 loop (CurlArcAvx2.cpp).
void ArcVerticesByRotation(Single StartX, Single StartY, Single Length, Single CurlRadius,
                           TArcPoints &Out);
#if defined(__x86_64__) || defined(__i386__)
void ArcVerticesAvx2(Single StartX, Single StartY, Single Length, Single CurlRadius,
                     TArcPoints &Out);
#endif
