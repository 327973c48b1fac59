#include "scenes/UAWorms.h"

// Placeholders until the worms are built.
void InitWormTracks() {}
void DrawWorms(uint32_t, Single) {}
