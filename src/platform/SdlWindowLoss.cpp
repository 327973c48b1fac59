#include "platform/SdlWindowLoss.h"

#include <SDL_syswm.h>

namespace {
XErrorHandler PreviousHandler = nullptr;
bool HandlerInstalled = false;
Display *WatchedDisplay = nullptr;
Window Watched = 0;
bool Lost = false;

int OnXError(Display *Connection, XErrorEvent *Error) {
  if (Watched != 0 && Error->resourceid == Watched) {
    Lost = true;
    return 0;
  }
  return PreviousHandler ? PreviousHandler(Connection, Error) : 0;
}
}  // namespace

void WatchForWindowLoss(SDL_Window *Window) {
  SDL_SysWMinfo Info;
  SDL_VERSION(&Info.version);
  if (!SDL_GetWindowWMInfo(Window, &Info) || Info.subsystem != SDL_SYSWM_X11) return;
  WatchedDisplay = Info.info.x11.display;
  Watched = Info.info.x11.window;
  Lost = false;
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  if (!HandlerInstalled) {
    PreviousHandler = XSetErrorHandler(OnXError);
    HandlerInstalled = true;
  }
}

void SyncWithDisplay() {
  if (WatchedDisplay) XSync(WatchedDisplay, False);
}

void StopWatchingForWindowLoss() {
  if (HandlerInstalled) XSetErrorHandler(PreviousHandler);
  HandlerInstalled = false;
  PreviousHandler = nullptr;
  WatchedDisplay = nullptr;
  Watched = 0;
  Lost = false;
}

bool IsWindowDestroyedEvent(const SDL_Event &Event) {
  if (Event.type != SDL_SYSWMEVENT || Watched == 0) return false;
  const SDL_SysWMmsg *Msg = Event.syswm.msg;
  if (!Msg || Msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent &X = Msg->msg.x11.event;
  if (X.type != DestroyNotify || X.xdestroywindow.window != Watched) return false;
  Lost = true;
  return true;
}

bool WindowLost() { return Lost; }
