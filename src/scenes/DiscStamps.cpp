#include "scenes/DiscStamps.h"

// Placeholder until the discs are built.
void DrawDiscStamps() {}
