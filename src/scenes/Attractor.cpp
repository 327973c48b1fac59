#include "scenes/Attractor.h"

uint32_t AttractorList = 0;

// Placeholders until the attractor is built.
void BuildAttractorList() {}
void DrawAttractorWindow() {}
