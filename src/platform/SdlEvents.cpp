// The render window's events over SDL's: one event per PollEvent, translated
// from SDL events. SDL events with no meaning for the window are passed over
// within the same call.
#include "platform/SdlKeyMap.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"
#include "platform/SdlWindowLoss.h"

namespace {
TWindowEvent OfKind(TWindowEventKind Kind) {
  TWindowEvent Event;
  Event.Kind = Kind;
  return Event;
}

TWindowEvent Activation(bool Minimised) {
  TWindowEvent Event = OfKind(TWindowEventKind::Activation);
  Event.Minimised = Minimised;
  return Event;
}
}  // namespace

bool TSdlPlatform::PollEvent(TWindowEvent &Out) {
  // A stop signal ends the run like a closed window: through the shutdown.
  if (StopSignal() != 0 && RenderWindow) {
    Out = OfKind(TWindowEventKind::Quit);
    return true;
  }
  if (!VideoReady()) return false;
  SDL_Event Event;
  while (SDL_PollEvent(&Event))
    if (TranslateEvent(Event, Out)) return true;
  return false;
}

bool TSdlPlatform::TranslateEvent(const SDL_Event &Event, TWindowEvent &Out) {
  // A window destroyed behind the program's back is a close request too.
  if (IsWindowDestroyedEvent(Event) && !CloseDelivered) {
    CloseDelivered = true;
    Out = OfKind(TWindowEventKind::Close);
    return true;
  }
  switch (Event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const uint32_t Key = VirtualKeyFromSdl(Event.key.keysym.sym);
      if (Key == 0) return false;
      // With Alt held (and for F10) the key is the desktop's.
      const bool System = (Event.key.keysym.mod & KMOD_ALT) != 0 || Key == VK_F10;
      const bool Down = Event.type == SDL_KEYDOWN;
      // Alt+F4 closes the window, as the desktop does for any window.
      if (System && Down && Key == VK_F4) {
        Out = OfKind(TWindowEventKind::Close);
        return true;
      }
      Out = OfKind(Down ? TWindowEventKind::KeyDown : TWindowEventKind::KeyUp);
      Out.Key = Key;
      Out.System = System;
      return true;
    }
    case SDL_MOUSEMOTION:
      Out = OfKind(TWindowEventKind::Pointer);
      return true;
    case SDL_MOUSEBUTTONUP:
      if (Event.button.button != SDL_BUTTON_LEFT) return false;
      Out = OfKind(TWindowEventKind::Pointer);
      return true;
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(Event.window, Out);
    case SDL_QUIT:
      // Follows the close of the last window, which already became a close;
      // on its own (the session ending) it asks for the same.
      if (CloseDelivered || !RenderWindow) return false;
      CloseDelivered = true;
      Out = OfKind(TWindowEventKind::Close);
      return true;
  }
  return false;
}

bool TSdlPlatform::TranslateWindowEvent(const SDL_WindowEvent &Event, TWindowEvent &Out) {
  if (!RenderWindow || Event.windowID != SDL_GetWindowID(RenderWindow)) return false;
  switch (Event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      Out = OfKind(TWindowEventKind::Resized);
      Out.Width = Event.data1;
      Out.Height = Event.data2;
      return true;
    case SDL_WINDOWEVENT_MINIMIZED:
      Minimised = true;
      Out = Activation(true);
      return true;
    case SDL_WINDOWEVENT_RESTORED:
      if (!Minimised) return false;
      Minimised = false;
      Out = Activation(false);
      return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Out = Activation(Minimised);
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      CloseDelivered = true;
      Out = OfKind(TWindowEventKind::Close);
      return true;
  }
  return false;
}
