// What kind of desktop session the program runs in, for the few things that
// must differ between a plain X server and a Wayland compositor.
#pragma once

// True in a Wayland session: WAYLAND_DISPLAY set, SDL's native Wayland video
// driver, or an X server that is XWayland (its XRandR outputs are named
// XWAYLAND<n>, or it offers the XWAYLAND extension). Under XWayland the X
// server only relays to the compositor, and some of what a plain X server
// does (moving the pointer anywhere on the screen) it cannot do safely.
bool WaylandSession();
