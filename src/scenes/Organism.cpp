#include "scenes/Organism.h"

Single LeftLevel = 0;
Single RightLevel = 0;

// Placeholders until the organism is built.
void DrawOrganism(uint32_t, Single, Single, Single, Single, Single, Single) {}
void DrawOrganismWindow() {}
