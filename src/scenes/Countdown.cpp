#include "scenes/Countdown.h"

#include "platform/Platform.h"

// Placeholder until the leader is built: presents an empty frame.
void DrawCountdown(uint32_t) { Platform().SwapBuffers(); }
