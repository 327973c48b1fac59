#include "scenes/Opening.h"

// Placeholder until the opening is built.
Single WaveHeight(Single) { return 0; }
void DrawOpening() {}
