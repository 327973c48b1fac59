#include "platform/SdlPlatform.h"

#include <cstdlib>

#include "platform/SdlModeGuardian.h"
#include "platform/SdlSession.h"
#include "platform/SdlSignals.h"
#include "platform/SdlWindowLoss.h"

namespace {
// Set while the backend exists, for the exit-time cleanup.
TSdlPlatform *LiveBackend = nullptr;

void ShutdownAtExit() {
  if (LiveBackend) LiveBackend->Shutdown();
}

void RestoreInEmergency() {
  if (LiveBackend) LiveBackend->EmergencyRestore();
}
}  // namespace

TSdlPlatform &SdlPlatform() {
  static TSdlPlatform Backend;
  return Backend;
}

TSdlPlatform::TSdlPlatform() {
  // The program installs its own SIGINT/SIGTERM handling, which also puts
  // the desktop mode back; SDL's would only queue an SDL_QUIT.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  InstallStopSignalHandlers();
  SetEmergencyRestore(RestoreInEmergency);
  EndOnDisplayLoss();
  LiveBackend = this;
  std::atexit(ShutdownAtExit);
}

uint32_t TSdlPlatform::GetTickCount() { return static_cast<uint32_t>(SDL_GetTicks64()); }

bool TSdlPlatform::QueryPerformanceFrequency(int64_t &Frequency) {
  Frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return Frequency > 0;
}

bool TSdlPlatform::QueryPerformanceCounter(int64_t &Counter) {
  Counter = static_cast<int64_t>(SDL_GetPerformanceCounter());
  return true;
}

bool TSdlPlatform::VideoReady() const { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

// The pointer can only be moved and hidden while SDL's video is up; until
// then the wish is kept and applied when it comes up.
void TSdlPlatform::SetCursorPos(int X, int Y) {
  PendingCursorX = X;
  PendingCursorY = Y;
  CursorMovePending = true;
  ApplyCursor();
}

void TSdlPlatform::ShowCursor(bool Show) {
  CursorCounter += Show ? 1 : -1;
  ApplyCursor();
}

void TSdlPlatform::ApplyCursor() {
  if (!VideoReady()) return;
  if (CursorMovePending) {
    // A Wayland compositor owns the pointer: clients cannot move it, and
    // XWayland's own warp crashes it when the compositor has no seat (and
    // with it every X program of the session). The hidden pointer is out of
    // the film's way without the move.
    // Positions count from the home monitor's corner, so that the pointer,
    // and the message boxes that open beside it, stay on that monitor.
    SDL_Rect Home = {0, 0, 0, 0};
    SDL_GetDisplayBounds(HomeDisplay(), &Home);
    if (!WaylandSession()) SDL_WarpMouseGlobal(Home.x + PendingCursorX, Home.y + PendingCursorY);
    CursorMovePending = false;
  }
  SDL_ShowCursor(CursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

void TSdlPlatform::SwapBuffers() {
  if (RenderWindow && !WindowLost()) SDL_GL_SwapWindow(RenderWindow);
}

bool TSdlPlatform::GetDrawableSize(int &Width, int &Height) {
  if (!RenderWindow || !RenderContext) return false;
  SDL_GL_GetDrawableSize(RenderWindow, &Width, &Height);
  return true;
}

void TSdlPlatform::SetHomeScreen(int X, int Y) {
  HomeGiven = true;
  HomeX = X;
  HomeY = Y;
}

int TSdlPlatform::HomeDisplay() const {
  if (!HomeGiven || !VideoReady()) return 0;
  const SDL_Point Home = {HomeX, HomeY};
  for (int Monitor = 0; Monitor < SDL_GetNumVideoDisplays(); ++Monitor) {
    SDL_Rect Bounds;
    if (SDL_GetDisplayBounds(Monitor, &Bounds) == 0 && SDL_PointInRect(&Home, &Bounds))
      return Monitor;
  }
  return 0;
}

void *TSdlPlatform::GetProcAddress(const char *Name) {
  return RenderContext ? SDL_GL_GetProcAddress(Name) : nullptr;
}

void TSdlPlatform::Shutdown() {
  if (RenderContext) {
    SDL_GL_MakeCurrent(RenderWindow, nullptr);
    SDL_GL_DeleteContext(RenderContext);
    RenderContext = nullptr;
  }
  if (RenderWindow) {
    SDL_DestroyWindow(RenderWindow);
    RenderWindow = nullptr;
  }
  DisplayModeChanged = false;
  StopWatchingForWindowLoss();
  if (SDL_WasInit(0)) SDL_Quit();
  // SDL_Quit has put back any mode still changed.
  StopModeGuardian();
}

void TSdlPlatform::EmergencyRestore() {
  if (DisplayModeChanged && RenderWindow) SDL_SetWindowFullscreen(RenderWindow, 0);
}
