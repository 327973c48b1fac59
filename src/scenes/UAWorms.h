// Seven worms crawling along random cubic tracks (73000 < t <= 90000): each
// one path segment long, wriggling and transparent at the rear, opaque and on
// its path at the front, grown out of anchor points near the middle of the
// view while the scene fades in.
#pragma once

#include <cstdint>

#include "UMMath.h"

constexpr int WormCount = 7;
// Control points per track: a worm crawls the segment between the second and
// third and looks one point behind and one ahead.
constexpr int WormTrackPoints = 5;
// Vertices per worm: a rear and a front pass of 81 each.
constexpr int WormPassVertices = 81;

struct TWormPoint {
  Single X, Y;
};

// Everything the worms keep: what start-up laid out, and what one frame hands
// to the next (the phases, and the tracks as advancing worms shift them).
struct TWormState {
  // Worm i crawls along track i; points in view pixels.
  TWormPoint WormTracks[WormCount][WormTrackPoints];
  // Each worm's place within its own period, this frame and the frame before.
  Single WormPhases[WormCount];
  Single PrevWormPhases[WormCount];
  // The points out of which the worms grow while the scene fades in.
  Single WormAnchorX[WormCount];
  Single WormAnchorY[WormCount];
};

// Lays out the tracks and anchors of the carried state (CarriedState.h) from
// the generator as the branch list left it (12 draws per worm, no
// reseeding), with every phase 0, so the next DrawWorms advances no worm.
void InitWormTracks();

// The worms' period in milliseconds (500 to 3999), fixed per worm; saves and
// restores RandSeed around its own reseeding.
uint32_t WormPeriod(int Worm);

// Draws the seven worms as 162-vertex line strips; Fade runs from 0 (collapsed
// on the anchors, invisible) to 1 (complete, black). A worm whose phase wraps
// advances its track by one point, drawing it from the caller's generator.
void DrawWorms(uint32_t Time, Single Fade);
