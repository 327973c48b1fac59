#include "platform/SdlWindowLoss.h"

#include <SDL_syswm.h>
#include <unistd.h>

#include <cstring>

namespace {
// The watch: the window, its X connection, and the error handler that was in
// place before ours.
struct TWindowLossWatch {
  XErrorHandler PreviousHandler = nullptr;
  bool HandlerInstalled = false;
  Display *WatchedDisplay = nullptr;
  Window Watched = 0;
  bool Lost = false;
};

TWindowLossWatch Watch;

int OnXError(Display *Connection, XErrorEvent *Error) {
  if (Watch.Watched != 0 && Error->resourceid == Watch.Watched) {
    Watch.Lost = true;
    return 0;
  }
  return Watch.PreviousHandler ? Watch.PreviousHandler(Connection, Error) : 0;
}
}  // namespace

void WatchForWindowLoss(SDL_Window *Watched) {
  SDL_SysWMinfo Info;
  SDL_VERSION(&Info.version);
  if (!SDL_GetWindowWMInfo(Watched, &Info) || Info.subsystem != SDL_SYSWM_X11) return;
  Watch.WatchedDisplay = Info.info.x11.display;
  Watch.Watched = Info.info.x11.window;
  Watch.Lost = false;
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  if (!Watch.HandlerInstalled) {
    Watch.PreviousHandler = XSetErrorHandler(OnXError);
    Watch.HandlerInstalled = true;
  }
}

void SyncWithDisplay() {
  if (Watch.WatchedDisplay) XSync(Watch.WatchedDisplay, False);
}

void StopWatchingForWindowLoss() {
  if (Watch.HandlerInstalled) XSetErrorHandler(Watch.PreviousHandler);
  Watch = TWindowLossWatch{};
}

bool IsWindowDestroyedEvent(const SDL_Event &Event) {
  if (Event.type != SDL_SYSWMEVENT || Watch.Watched == 0) return false;
  const SDL_SysWMmsg *Msg = Event.syswm.msg;
  if (!Msg || Msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent &X = Msg->msg.x11.event;
  if (X.type != DestroyNotify || X.xdestroywindow.window != Watch.Watched) return false;
  Watch.Lost = true;
  return true;
}

bool WindowLost() { return Watch.Lost; }

namespace {
int OnDisplayLost(Display *) {
  // Only what is safe with a half-torn process: one write, then _exit.
  const char Line[] = "Quillmoor: the connection to the X display was lost; ending.\n";
  ssize_t Ignored = write(STDERR_FILENO, Line, std::strlen(Line));
  (void)Ignored;
  _exit(1);
}
}  // namespace

void EndOnDisplayLoss() { XSetIOErrorHandler(OnDisplayLost); }
