// The render window's window-system steps over SDL2 (the mapping of each
// step is listed in SdlPlatform.h).
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/PictureFit.h"
#include "platform/SdlModeGuardian.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlWindowIcon.h"
#include "platform/SdlWindowLoss.h"

namespace {

// The window-system's own account of a failed call, on standard error
// beside the message the viewer is shown, so a log names the real cause.
void ReportSdlError(const char *Call) {
  std::fprintf(stderr, "Quillmoor: %s failed: %s\n", Call, SDL_GetError());
  std::fflush(stderr);
}

TWindowFailure SdlFailure(const char *Call, TWindowFailure Failure) {
  ReportSdlError(Call);
  return Failure;
}

// Bits per pixel as the display-settings list counts them: 32 for the
// 24-bit colour formats stored in four bytes.
int ModeBits(const SDL_DisplayMode &Mode) {
  return SDL_BYTESPERPIXEL(Mode.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(Mode.format));
}

bool SameMode(const SDL_DisplayMode &Mode, int Width, int Height, int Bits) {
  return Mode.w == Width && Mode.h == Height && ModeBits(Mode) == Bits;
}

// A mode of the display's own list with exactly this size and depth.
bool FindDisplayMode(int Monitor, int Width, int Height, int Bits, SDL_DisplayMode &Found) {
  const int Count = SDL_GetNumDisplayModes(Monitor);
  for (int i = 0; i < Count; ++i) {
    if (SDL_GetDisplayMode(Monitor, i, &Found) == 0 && SameMode(Found, Width, Height, Bits))
      return true;
  }
  return false;
}

// Drivers that draw where nobody sees it (SDL falls back to them when no
// display can be opened).
bool UnseenVideoDriver() {
  const char *Driver = SDL_GetCurrentVideoDriver();
  return !Driver || std::strcmp(Driver, "offscreen") == 0 || std::strcmp(Driver, "dummy") == 0;
}

// The GL visual asked for: double-buffered RGBA with at least the colour of
// the given depth and a 16-bit depth buffer. No destination alpha: blending
// only reads source alpha, and an alpha channel in the window would let a
// compositor show the desktop through the film. A version of 1.1 with no
// profile or flags makes SDL create a legacy (compatibility) context.
void RequestGLVisual(int ColourBits) {
  const bool Deep = ColourBits > 16;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, Deep ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, Deep ? 8 : 6);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, Deep ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
}

// On X11 a changed mode outlives the process; elsewhere (Wayland) the mode
// change is the compositor's scaling and ends with the window.
bool ModeOutlivesProcess() {
  const char *Driver = SDL_GetCurrentVideoDriver();
  return Driver && std::strcmp(Driver, "x11") == 0;
}

// Whether the display runs the mode for Window. On X11 only the display's
// own mode counts (a virtual server may accept a change and keep its mode).
// A Wayland compositor keeps its mode for good: SDL fakes the change by
// scaling the window, so there the mode counts when the window has it, in
// its fullscreen mode and in the size of what GL draws.
bool WindowRunsMode(SDL_Window *Window, int Width, int Height, int Bits) {
  SDL_DisplayMode Current;
  const int Monitor = SDL_GetWindowDisplayIndex(Window);
  if (SDL_GetCurrentDisplayMode(Monitor < 0 ? 0 : Monitor, &Current) == 0 &&
      SameMode(Current, Width, Height, Bits))
    return true;
  if (ModeOutlivesProcess()) return false;
  SDL_DisplayMode OfWindow;
  int DrawableWidth = 0, DrawableHeight = 0;
  if (SDL_GetWindowDisplayMode(Window, &OfWindow) != 0 || !SameMode(OfWindow, Width, Height, Bits))
    return false;
  SDL_GL_GetDrawableSize(Window, &DrawableWidth, &DrawableHeight);
  return DrawableWidth == Width && DrawableHeight == Height;
}

// The depth a window on the desktop gets: the desktop's own.
int DesktopBits(int Monitor) {
  SDL_DisplayMode Desktop;
  if (SDL_GetDesktopDisplayMode(Monitor, &Desktop) != 0) return 32;
  return ModeBits(Desktop);
}

}  // namespace

// SDL falls back to its offscreen driver when the display refuses the
// connection. An X server can drop a connection that comes right after
// another one closed, so a configured display gets a few more tries.
bool TSdlPlatform::RegisterWindowClass() {
  const bool DisplayConfigured = SDL_getenv("DISPLAY") || SDL_getenv("WAYLAND_DISPLAY");
  for (int Attempt = 0;; ++Attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      ReportSdlError("SDL_InitSubSystem");
      return false;
    }
    if (!DisplayConfigured || !UnseenVideoDriver() || Attempt == 4) break;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Delay(20);
  }
  EndOnDisplayLoss();
  Minimised = false;
  CloseDelivered = false;
  ApplyCursor();
  return true;
}

bool TSdlPlatform::UnregisterWindowClass() {
  if (!VideoReady()) return false;
  StopWatchingForWindowLoss();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return true;
}

// On the home monitor: a fullscreen window covers it, a window starts at
// its top-left corner. Drawables on a scaled desktop get their full pixels.
SDL_Window *TSdlPlatform::CreateGLWindow(const char *Title, int Width, int Height, Uint32 Flags,
                                         int ColourBits) {
  RequestGLVisual(ColourBits);
  SDL_Rect Home = {0, 0, 0, 0};
  SDL_GetDisplayBounds(HomeDisplay(), &Home);
  return SDL_CreateWindow(Title, Home.x, Home.y, Width, Height,
                          Flags | SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI);
}

bool TSdlPlatform::ChangeDisplayMode(int Width, int Height, int Bits) {
  SDL_DisplayMode Mode;
  if (UnseenVideoDriver() || RenderWindow ||
      !FindDisplayMode(HomeDisplay(), Width, Height, Bits, Mode))
    return false;
  // A mode that could outlive a crash is only changed with the guardian
  // holding the desktop's configuration: without it the answer is a refusal
  // (the viewer is offered a window instead).
  if (ModeOutlivesProcess() && !StartModeGuardian()) return false;
  // SDL changes the display mode only for a fullscreen window, when it is
  // shown: that window becomes the render window.
  SDL_Window *Window =
      CreateGLWindow("", Width, Height, SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN, Bits);
  if (!Window) ReportSdlError("SDL_CreateWindow in fullscreen");
  if (Window && SDL_SetWindowDisplayMode(Window, &Mode) == 0) SDL_ShowWindow(Window);
  // SDL may report success while the display keeps its mode (a virtual
  // server offers one): only the mode the window really runs in counts.
  if (!Window || !WindowRunsMode(Window, Width, Height, Bits)) {
    // Destroying the fullscreen window puts back whatever SDL changed.
    if (Window) SDL_DestroyWindow(Window);
    StopModeGuardian();
    return false;
  }
  RenderWindow = Window;
  WindowHasGL = true;
  DisplayModeChanged = true;
  return true;
}

bool TSdlPlatform::RestoreDisplayMode() {
  if (!DisplayModeChanged) return true;
  DisplayModeChanged = false;
  // Leaving fullscreen gives the display back its desktop mode. If that
  // fails the guardian stays: at the latest it acts when the process ends.
  if (!RenderWindow || SDL_SetWindowFullscreen(RenderWindow, 0) != 0) {
    if (RenderWindow) ReportSdlError("SDL_SetWindowFullscreen");
    return false;
  }
  StopModeGuardian();
  return true;
}

TWindowFailure TSdlPlatform::CreateWindow(const char *Title, int Width, int Height, int,
                                          bool Fullscreen) {
  if (UnseenVideoDriver()) {
    std::fprintf(stderr, "Quillmoor: the video driver \"%s\" shows nothing\n",
                 SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "");
    return TWindowFailure::WindowCreation;
  }
  if (Fullscreen && RenderWindow) {
    // The window that switched the mode.
    SDL_SetWindowTitle(RenderWindow, Title);
  } else {
    if (RenderWindow) return TWindowFailure::WindowCreation;
    // Fullscreen without a mode change: the monitor at its own mode, the
    // film scaled into it by the presenter.
    const Uint32 Flags =
        SDL_WINDOW_HIDDEN | (Fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
    // SDL chooses the visual when it creates the window, from the depth of
    // the desktop the window runs on, as the system picks the closest format
    // to the display's.
    // A fullscreen window is made at the monitor's size from the start: a
    // window manager would give it that size, but without one (a bare X
    // server, a kiosk) nothing else would.
    SDL_Rect Monitor = {0, 0, Width, Height};
    if (Fullscreen) SDL_GetDisplayBounds(HomeDisplay(), &Monitor);
    RenderWindow = CreateGLWindow(Title, Monitor.w, Monitor.h, Flags, DesktopBits(HomeDisplay()));
    WindowHasGL = RenderWindow != nullptr;
    if (!RenderWindow) {
      ReportSdlError("SDL_CreateWindow with GL");
      // No GL visual is a pixel-format failure, not a window failure: a plain
      // window tells the two apart.
      RenderWindow =
          SDL_CreateWindow(Title, SDL_WINDOWPOS_UNDEFINED_DISPLAY(HomeDisplay()),
                           SDL_WINDOWPOS_UNDEFINED_DISPLAY(HomeDisplay()), Width, Height, Flags);
    }
    if (!RenderWindow) return SdlFailure("SDL_CreateWindow", TWindowFailure::WindowCreation);
  }
  SDL_SysWMinfo Info;
  SDL_VERSION(&Info.version);
  if (SDL_GetWindowWMInfo(RenderWindow, &Info) != SDL_TRUE)
    return SdlFailure("SDL_GetWindowWMInfo", TWindowFailure::DeviceContext);
  if (!WindowHasGL) return TWindowFailure::PixelFormatChoice;
  RenderContext = SDL_GL_CreateContext(RenderWindow);
  if (!RenderContext) return SdlFailure("SDL_GL_CreateContext", TWindowFailure::Context);
  if (SDL_GL_MakeCurrent(RenderWindow, RenderContext) != 0)
    return SdlFailure("SDL_GL_MakeCurrent", TWindowFailure::Activation);
  // Vsync where offered; the loops themselves never wait.
  SDL_GL_SetSwapInterval(1);
  return TWindowFailure::NoFailure;
}

void TSdlPlatform::ShowWindow() {
  SetRenderWindowIcon(RenderWindow);
  SDL_ShowWindow(RenderWindow);
  SDL_RaiseWindow(RenderWindow);
  SDL_DisableScreenSaver();
  WatchForWindowLoss(RenderWindow);
  if (SDL_GetWindowFlags(RenderWindow) & SDL_WINDOW_FULLSCREEN) return;
  FitWindowToScreen();
}

void TSdlPlatform::FitWindowToScreen() {
  const int Monitor = HomeDisplay();
  SDL_Rect Room = {0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(Monitor, &Room) != 0) SDL_GetDisplayBounds(Monitor, &Room);
  // SDL places the client area; the frame is what belongs at the corner.
  int Top = 0, Left = 0, Bottom = 0, Right = 0;
  if (SDL_GetWindowBordersSize(RenderWindow, &Top, &Left, &Bottom, &Right) != 0)
    Top = Left = Bottom = Right = 0;
  int Width = 0, Height = 0;
  SDL_GetWindowSize(RenderWindow, &Width, &Height);
  const int RoomWidth = Room.w - Left - Right, RoomHeight = Room.h - Top - Bottom;
  if (RoomWidth > 0 && RoomHeight > 0 && (Width > RoomWidth || Height > RoomHeight)) {
    const TPictureArea Fit = FitPicture(Width, Height, RoomWidth, RoomHeight);
    SDL_SetWindowSize(RenderWindow, Fit.Width, Fit.Height);
  }
  SDL_SetWindowPosition(RenderWindow, Room.x + Left, Room.y + Top);
}

bool TSdlPlatform::ReleaseCurrent() {
  if (SDL_GL_MakeCurrent(RenderWindow, nullptr) == 0) return true;
  ReportSdlError("SDL_GL_MakeCurrent");
  return false;
}

bool TSdlPlatform::DeleteContext() {
  if (!RenderContext) return false;
  SDL_GL_DeleteContext(RenderContext);
  RenderContext = nullptr;
  return true;
}

bool TSdlPlatform::DestroyWindow() {
  if (!RenderWindow) return false;
  SDL_DestroyWindow(RenderWindow);
  SyncWithDisplay();
  RenderWindow = nullptr;
  WindowHasGL = false;
  SDL_EnableScreenSaver();
  return true;
}
