// The film-leader countdown shown before the music starts.
#pragma once

#include <cstdint>

// Draws and presents one leader frame for Ms milliseconds of tick time.
void DrawCountdown(uint32_t Ms);
