// The film-leader countdown shown before the music starts.
#pragma once

#include <cstdint>

// Draws one leader frame for Ms milliseconds of tick time; the caller presents it.
void DrawCountdown(uint32_t Ms);
