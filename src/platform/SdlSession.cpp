#include "platform/SdlSession.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>

namespace {

int IgnoreXError(Display *, XErrorEvent *) { return 0; }

bool XServerIsXWayland() {
  Display *Connection = XOpenDisplay(nullptr);
  if (!Connection) return false;
  const auto Previous = XSetErrorHandler(IgnoreXError);
  int Opcode = 0, Event = 0, Error = 0;
  bool Found = XQueryExtension(Connection, "XWAYLAND", &Opcode, &Event, &Error) != 0;
  int RandrEvent = 0, RandrError = 0;
  if (!Found && XRRQueryExtension(Connection, &RandrEvent, &RandrError)) {
    XRRScreenResources *Resources =
        XRRGetScreenResourcesCurrent(Connection, DefaultRootWindow(Connection));
    for (int i = 0; Resources && i < Resources->noutput && !Found; ++i) {
      XRROutputInfo *Output = XRRGetOutputInfo(Connection, Resources, Resources->outputs[i]);
      Found = Output && Output->name && std::strncmp(Output->name, "XWAYLAND", 8) == 0;
      if (Output) XRRFreeOutputInfo(Output);
    }
    if (Resources) XRRFreeScreenResources(Resources);
  }
  XSync(Connection, False);
  XSetErrorHandler(Previous);
  XCloseDisplay(Connection);
  return Found;
}

}  // namespace

bool WaylandSession() {
  const char *Wayland = SDL_getenv("WAYLAND_DISPLAY");
  if (Wayland && *Wayland) return true;
  const char *Driver = SDL_GetCurrentVideoDriver();
  if (Driver && std::strcmp(Driver, "wayland") == 0) return true;
  return XServerIsXWayland();
}
