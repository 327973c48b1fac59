#include "window/RenderWindow.h"

#include "UMOgl.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "platform/Platform.h"

namespace {

TRenderWindowState State;

constexpr const char *Caption = "Quillmoor";

void ShowError(const char *Text) {
  Platform().MessageBox(Text, Caption, TMessageIcon::Error, TMessageButtons::Ok);
}

void ShowWarning(const char *Text) {
  Platform().MessageBox(Text, Caption, TMessageIcon::Warning, TMessageButtons::Ok);
}

// Tears down what exists, then tells the viewer why the window failed.
bool FailCreation(const char *Text) {
  DestroyRenderWindow();
  ShowWarning(Text);
  return false;
}

// Asks whether a refused fullscreen mode may be replaced by a window. True
// when the run goes on windowed.
bool AcceptWindowInsteadOfFullscreen() {
  const TMessageResult Answer = Platform().MessageBox(
      "Selected fullscreen mode is not supported. Click \"Yes\" to switch to window mode, or "
      "\"No\" to exit.",
      Caption, TMessageIcon::Warning, TMessageButtons::YesNo);
  return Answer == TMessageResult::Yes;
}

// The window-system steps from the window to a current context, each with
// the text the viewer sees when it fails.
bool CreateWindowAndContext(const char *Title, int32_t Width, int32_t Height, int32_t Bits) {
  TWindowSystem &W = WindowSystem();
  State.WindowHandle = W.CreateWindow(Title, Width, Height, Fullscreen);
  if (!State.WindowHandle) return FailCreation("Window could not be created for some reason.");
  State.DeviceContext = W.GetDeviceContext();
  if (!State.DeviceContext) return FailCreation("Could not create a GL device context.");
  const int Format = W.ChoosePixelFormat(Bits);
  if (Format == 0) return FailCreation("Could not find any suitable pixel format.");
  if (!W.SetPixelFormat(Format)) return FailCreation("Could not set a pixel format.");
  State.RenderContext = W.CreateContext();
  if (!State.RenderContext) return FailCreation("Could not create a GL rendering context.");
  if (!W.MakeCurrent()) return FailCreation("Could not activate the GL rendering context.");
  return true;
}

}  // namespace

const TRenderWindowState &RenderWindowState() { return State; }

void ResetRenderWindowState() { State = TRenderWindowState{}; }

bool CreateRenderWindow(const char *Title, int32_t Width, int32_t Height, int32_t Bits,
                        bool FullscreenFlag) {
  TWindowSystem &W = WindowSystem();
  Fullscreen = FullscreenFlag;

  if (!W.RegisterWindowClass(RenderWndProc)) {
    ShowError("Could not register the window class.");
    return false;
  }

  if (Fullscreen && !W.ChangeDisplayMode(Width, Height, Bits)) {
    if (!AcceptWindowInsteadOfFullscreen()) {
      ShowError("Good bye.");
      // Nothing but the class exists yet; release it so no window-system
      // state outlives the refusal.
      W.UnregisterWindowClass();
      return false;
    }
    Fullscreen = false;
  }

  if (Fullscreen) Platform().ShowCursor(false);

  if (!CreateWindowAndContext(Title, Width, Height, Bits)) return false;

  W.ShowWindow();
  if (!InitFilmContext(Width, Height)) return FailCreation("Unexpected error.");
  return true;
}

void DestroyRenderWindow() {
  TWindowSystem &W = WindowSystem();
  if (Fullscreen) {
    W.RestoreDisplayMode();
    Platform().ShowCursor(true);
  }
  // Each handle is forgotten once its release has been attempted, so a
  // second teardown never releases anything twice.
  if (State.RenderContext) {
    if (!W.ReleaseCurrent()) ShowError("Release of DC and RC failed.");
    if (!W.DeleteContext()) ShowError("Could not relase RC.");
    State.RenderContext = false;
  }
  if (State.DeviceContext) {
    if (!W.ReleaseDeviceContext()) ShowError("Could not relase DC.");
    State.DeviceContext = false;
  }
  if (State.WindowHandle) {
    if (!W.DestroyWindow()) ShowError("Could not release hWnd.");
    State.WindowHandle = false;
  }
  if (!W.UnregisterWindowClass()) ShowError("Could not unregister class.");
}

namespace {
uint32_t LowWord(uintptr_t Value) { return static_cast<uint32_t>(Value & 0xFFFF); }
uint32_t HighWord(uintptr_t Value) { return static_cast<uint32_t>((Value >> 16) & 0xFFFF); }
}  // namespace

intptr_t RenderWndProc(uint32_t Message, uintptr_t WParam, intptr_t LParam) {
  switch (Message) {
    case WM_SYSCOMMAND:
      // The screen saver and monitor power-down would hide the film.
      if (WParam == SC_SCREENSAVE || WParam == SC_MONITORPOWER) return 0;
      break;
    case WM_ACTIVATE:
      // The high word is non-zero while the window is minimised.
      Active = HighWord(WParam) == 0;
      return 0;
    case WM_SIZE: {
      const auto Size = static_cast<uintptr_t>(LParam);
      Ogl->Resize(static_cast<int32_t>(LowWord(Size)), static_cast<int32_t>(HighWord(Size)));
      return 0;
    }
    case WM_CLOSE:
      // The window itself stays until the runner's teardown.
      Platform().PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      // Codes outside the table are never delivered for these messages;
      // ignore them rather than write past it.
      if (WParam < 256) Keys[WParam] = Message == WM_KEYDOWN;
      if (WParam == VK_ESCAPE && Message == WM_KEYDOWN) EscapePressed = true;
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return 0;
  }
  return Platform().DefWindowProc(TMessage{Message, WParam, LParam});
}
