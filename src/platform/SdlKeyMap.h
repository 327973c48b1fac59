// SDL key codes as the Win32 virtual-key codes the window's event handler
// indexes Keys with (Escape = 27).
#pragma once

#include <SDL.h>

#include <cstdint>

// The virtual-key code of an SDL key, or 0 for a key with none.
uint32_t VirtualKeyFromSdl(SDL_Keycode Key);
