#include "scenes/WaveStrands.h"

// Placeholder until the strands are built.
void DrawWaveStrands() {}
