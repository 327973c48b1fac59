// Sixteen jagged wave strands that split from the opening's wave.
#pragma once

// Window 2 of the timeline; reseeds the generator with 8181 and makes 1055
// Random calls.
void DrawWaveStrands();
