// The message queue over SDL's events: one window message per PeekMessage,
// translated from SDL events with the Win32 meanings the window procedure
// expects. Events with no such message are passed over within the same call.
#include "platform/SdlKeyMap.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"
#include "platform/SdlWindowLoss.h"

namespace {
constexpr uintptr_t SizeRestored = 0;
constexpr uintptr_t MinimisedFlag = uintptr_t{1} << 16;

intptr_t PackPoint(int Low, int High) {
  return static_cast<intptr_t>((static_cast<uint32_t>(High & 0xFFFF) << 16) |
                               static_cast<uint32_t>(Low & 0xFFFF));
}
}  // namespace

bool TSdlPlatform::PeekMessage(TMessage &Msg) {
  if (!Posted.empty()) {
    Msg = Posted.front();
    Posted.pop_front();
    return true;
  }
  // A stop signal ends the run like a closed window: through the shutdown.
  if (StopSignal() != 0 && RenderWindow) {
    Msg = TMessage{WM_QUIT, 0, 0};
    return true;
  }
  if (!VideoReady()) return false;
  SDL_Event Event;
  while (SDL_PollEvent(&Event))
    if (TranslateEvent(Event, Msg)) return true;
  return false;
}

bool TSdlPlatform::TranslateEvent(const SDL_Event &Event, TMessage &Msg) {
  // A window destroyed behind the program's back is a close request too.
  if (IsWindowDestroyedEvent(Event) && !CloseDelivered) {
    CloseDelivered = true;
    Msg = TMessage{WM_CLOSE, 0, 0};
    return true;
  }
  switch (Event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const uint32_t Key = VirtualKeyFromSdl(Event.key.keysym.sym);
      if (Key == 0) return false;
      // With Alt held (and for F10) Win32 sends the system-key messages.
      const bool System = (Event.key.keysym.mod & KMOD_ALT) != 0 || Key == VK_F10;
      const bool Down = Event.type == SDL_KEYDOWN;
      // Alt+F4 closes the window, as the desktop does for any window.
      if (System && Down && Key == VK_F4) {
        Msg = TMessage{WM_CLOSE, 0, 0};
        return true;
      }
      Msg.Message = System ? (Down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (Down ? WM_KEYDOWN : WM_KEYUP);
      Msg.WParam = Key;
      Msg.LParam = 0;
      return true;
    }
    case SDL_MOUSEMOTION:
      Msg = TMessage{WM_MOUSEMOVE, 0, PackPoint(Event.motion.x, Event.motion.y)};
      return true;
    case SDL_MOUSEBUTTONUP:
      if (Event.button.button != SDL_BUTTON_LEFT) return false;
      Msg = TMessage{WM_LBUTTONUP, 0, PackPoint(Event.button.x, Event.button.y)};
      return true;
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(Event.window, Msg);
    case SDL_QUIT:
      // Follows the close of the last window, which already became WM_CLOSE;
      // on its own (the session ending) it asks for the same.
      if (CloseDelivered || !RenderWindow) return false;
      CloseDelivered = true;
      Msg = TMessage{WM_CLOSE, 0, 0};
      return true;
  }
  return false;
}

bool TSdlPlatform::TranslateWindowEvent(const SDL_WindowEvent &Event, TMessage &Msg) {
  if (!RenderWindow || Event.windowID != SDL_GetWindowID(RenderWindow)) return false;
  switch (Event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      Msg = TMessage{WM_SIZE, SizeRestored, PackPoint(Event.data1, Event.data2)};
      return true;
    case SDL_WINDOWEVENT_MINIMIZED:
      Minimised = true;
      Msg = TMessage{WM_ACTIVATE, WA_INACTIVE | MinimisedFlag, 0};
      return true;
    case SDL_WINDOWEVENT_RESTORED:
      if (!Minimised) return false;
      Minimised = false;
      Msg = TMessage{WM_ACTIVATE, WA_ACTIVE, 0};
      return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
      const uintptr_t State = Event.event == SDL_WINDOWEVENT_FOCUS_GAINED ? WA_ACTIVE : WA_INACTIVE;
      Msg = TMessage{WM_ACTIVATE, State | (Minimised ? MinimisedFlag : 0), 0};
      return true;
    }
    case SDL_WINDOWEVENT_CLOSE:
      CloseDelivered = true;
      Msg = TMessage{WM_CLOSE, 0, 0};
      return true;
  }
  return false;
}

void TSdlPlatform::DispatchMessage(const TMessage &Msg) {
  if (WindowProc) WindowProc(Msg.Message, Msg.WParam, Msg.LParam);
}

void TSdlPlatform::PostQuitMessage(int ExitCode) {
  Posted.push_back(TMessage{WM_QUIT, static_cast<uintptr_t>(ExitCode), 0});
}
