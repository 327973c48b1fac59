// Seven worms crawling along random cubic tracks.
#pragma once

#include <cstdint>

#include "UMMath.h"

// Continues the generator from where the branch list left it.
void InitWormTracks();
void DrawWorms(uint32_t Time, Single Fade);
