// The render window destroyed from outside (another X client, a crashing
// window manager): the run then ends as if the window had been closed,
// instead of Xlib ending the process on the next buffer swap.
#pragma once

#include <SDL.h>

// Starts watching the window: X errors about it are ignored from now on and
// mark it lost.
void WatchForWindowLoss(SDL_Window *Window);
// Waits until the X server has answered every request so far, so errors
// about the watched window arrive while they are still expected.
void SyncWithDisplay();
// Stops watching and gives X errors back to the handler before.
void StopWatchingForWindowLoss();
// True when Event reports the watched window destroyed.
bool IsWindowDestroyedEvent(const SDL_Event &Event);
// True once the watched window is known to be gone.
bool WindowLost();

// The X server gone (logged out, crashed, a dropped remote desktop): Xlib's
// own handlers would call exit(), whose exit-time shutdown then talks to the
// dead connection and never returns. Installs a handler that says so on
// standard error and ends the process at once with status 1 (the mode
// guardian sees the demo go and ends too). Called again after each library
// that may install its own (FLTK's display, SDL's video).
void EndOnDisplayLoss();
