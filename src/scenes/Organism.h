// The organism pulsing with the music's output levels.
#pragma once

#include <cstdint>

#include "UMMath.h"

extern Single LeftLevel;
extern Single RightLevel;

void DrawOrganism(uint32_t Depth, Single LeftLevel, Single RightLevel, Single Phase, Single CentreX,
                  Single CentreY, Single Size);
// The organism scene (60787 < t <= 78000): background waves, overlay, level query, organism.
void DrawOrganismWindow();
