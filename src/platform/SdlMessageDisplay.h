// The display connection the message boxes draw on. FLTK would open its own
// on the first box and end the process when the server refuses it; an X
// server can drop a connection made right after another one closed (the
// render window's teardown closes SDL's just before a failure is reported),
// so the program opens it itself, with a few tries, and hands it to FLTK.
#pragma once

#include <X11/Xlib.h>

using TDisplayOpener = Display *(*)(const char *Name);

// Opens the default display, trying up to Attempts times 20 ms apart.
// Returns null when every try failed (no display configured, or a dead one).
Display *OpenDisplayWithRetry(TDisplayOpener Open = XOpenDisplay, int Attempts = 5);

// True when FLTK has a display to show boxes on: the one it already holds,
// or one opened now with OpenDisplayWithRetry and handed to it. Before
// anything else it settles FLTK's options with their defaults, so FLTK never
// reads (and so never writes back) its preference files.
bool FltkDisplayReady();
