#include "scenes/Finale.h"

// Placeholders until the finale is built.
void DrawMosaicFade(Single) {}
void DrawFinale(Single) {}
