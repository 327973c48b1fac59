// The SDL2 backend of the platform seam, both its halves (message boxes
// through FLTK).
//
// How the window-system steps map onto SDL:
//   RegisterWindowClass    SDL_InitSubSystem(SDL_INIT_VIDEO): fails without a
//                          usable display ("Could not register the window
//                          class."); from then on PollEvent reports the
//                          render window's events.
//   ChangeDisplayMode      the mode must be in the display's list; then the
//                          fullscreen GL window is created in it (SDL switches
//                          modes only through a fullscreen window) and the
//                          switch counts only if the display really runs the
//                          mode afterwards (under SDL's Wayland driver, which
//                          fakes mode changes by scaling: if the window runs
//                          it). Anything less is a refusal. On
//                          X11 the mode guardian (SdlModeGuardian.h) is
//                          started first, and no guardian means a refusal.
//   CreateWindow           SDL_CreateWindow, hidden, or adopts the fullscreen
//                          window made above; fullscreen without it is
//                          SDL's fullscreen-desktop window on the home
//                          monitor (the one the dialog stood on), which
//                          keeps the monitor's mode. SDL's offscreen and dummy
//                          drivers count as failures: nobody would see the
//                          film. If SDL finds no GL visual it retries without
//                          GL so the failure is reported as a pixel-format
//                          one. Then SDL_GetWindowWMInfo (the window's native
//                          drawable), the GL visual SDL picked at creation
//                          (colour from the mode's depth, 16-bit depth
//                          buffer, double buffered, no destination alpha),
//                          SDL_GL_CreateContext (a compatibility context) and
//                          SDL_GL_MakeCurrent, which also asks for vsync.
//   ReleaseCurrent         SDL_GL_MakeCurrent(window, nullptr).
//   DeleteContext          SDL_GL_DeleteContext.
//   DestroyWindow          SDL_DestroyWindow.
//   UnregisterWindowClass  SDL_QuitSubSystem(SDL_INIT_VIDEO).
//   RestoreDisplayMode     leaves fullscreen, which puts the desktop mode back,
//                          then tells the guardian to end quietly.
//
// A failed SDL call is reported with SDL_GetError() on standard error.
//
// Events: keys go down and up with virtual-key codes (System with Alt held
// or for F10), minimising and restoring and focus changes are activations
// with the minimised state, size changes are resizes, a window close (Alt+F4,
// the window destroyed by another client, or SDL_QUIT on its own) is a close,
// a stop signal a quit. The pointer is moved
// and hidden once video is up; a request made before waits for it. In a
// Wayland session (SdlSession.h) the pointer is only hidden, never moved.
#pragma once

#include <SDL.h>

#include "platform/Platform.h"

class TSdlPlatform : public TPlatform, public TWindowSystem {
public:
  TSdlPlatform();

  uint32_t GetTickCount() override;
  bool QueryPerformanceFrequency(int64_t &Frequency) override;
  bool QueryPerformanceCounter(int64_t &Counter) override;

  bool PollEvent(TWindowEvent &Event) override;

  void SetCursorPos(int X, int Y) override;
  void ShowCursor(bool Show) override;

  TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                            TMessageButtons Buttons) override;

  bool RegisterWindowClass() override;
  bool UnregisterWindowClass() override;
  bool ChangeDisplayMode(int Width, int Height, int Bits) override;
  bool RestoreDisplayMode() override;
  TWindowFailure CreateWindow(const char *Title, int Width, int Height, int Bits,
                              bool Fullscreen) override;
  void ShowWindow() override;
  bool ReleaseCurrent() override;
  bool DeleteContext() override;
  bool DestroyWindow() override;

  void SwapBuffers() override;
  void *GetProcAddress(const char *Name) override;
  bool GetDrawableSize(int &Width, int &Height) override;
  void SetHomeScreen(int X, int Y) override;

  // The render window, or null.
  SDL_Window *Window() const { return RenderWindow; }
  // Releases whatever is still held and quits SDL: the desktop mode comes
  // back. Safe to call more than once; also runs at exit.
  void Shutdown();
  // Leaves a changed display mode at once; for the second stop signal.
  void EmergencyRestore();

private:
  bool TranslateEvent(const SDL_Event &Event, TWindowEvent &Out);
  bool TranslateWindowEvent(const SDL_WindowEvent &Event, TWindowEvent &Out);
  void ApplyCursor();
  SDL_Window *CreateGLWindow(const char *Title, int Width, int Height, Uint32 Flags,
                             int ColourBits);
  bool VideoReady() const;
  // SDL's index of the monitor holding the home point (0 when none does).
  int HomeDisplay() const;
  // A windowed render window too large for the home monitor's work area
  // is made smaller, with its shape kept, and placed at the area's corner.
  void FitWindowToScreen();

  SDL_Window *RenderWindow = nullptr;
  SDL_GLContext RenderContext = nullptr;
  bool WindowHasGL = false;
  bool DisplayModeChanged = false;
  bool Minimised = false;
  bool CloseDelivered = false;
  // The Win32 display counter: the pointer shows while it is >= 0.
  int CursorCounter = 0;
  bool CursorMovePending = false;
  bool HomeGiven = false;
  int HomeX = 0, HomeY = 0;
  int PendingCursorX = 0, PendingCursorY = 0;
};

// The process-wide SDL backend.
TSdlPlatform &SdlPlatform();
