// The render window's icon: the desktop entry's, so the task bar and the
// window switcher show the demo's own picture (_NET_WM_ICON on X11).
#pragma once

struct SDL_Window;

// Gives Window the desktop icon. A failure only costs the icon: it is
// reported on standard error and the run goes on.
void SetRenderWindowIcon(SDL_Window *Window);
