// The seam between the film and the machine it runs on, in two parts: what
// the runner and the scenes use while the film plays (clocks, the window's
// events, the buffer swap, the cursor, message boxes), and the window-system
// steps the render window is built from. The demo runs on the SDL backend,
// which has both, tests on a scripted one, and the capture tool on a headless
// one that never builds a window and so has only the first.
#pragma once

#include <cstdint>

// Virtual-key codes the film and the backends name.
enum : uint32_t { VK_ESCAPE = 0x1B, VK_F4 = 0x73, VK_F10 = 0x79 };

// What happened to the render window, as the backend reports it.
enum class TWindowEventKind {
  KeyDown,     // Key went down; System when Alt was held (or for F10)
  KeyUp,       // Key went up; System as for KeyDown
  Activation,  // the window was minimised (Minimised) or is visible again
  Resized,     // the client area is now Width x Height
  Pointer,     // the pointer moved or a button went up
  Close,       // the viewer or the desktop closes the window
  Quit,        // the program is asked to end (a stop signal)
};

struct TWindowEvent {
  TWindowEventKind Kind = TWindowEventKind::Pointer;
  uint32_t Key = 0;  // a virtual-key code
  bool System = false;
  bool Minimised = false;
  int Width = 0;
  int Height = 0;
};

enum class TMessageIcon { Error, Warning };
enum class TMessageButtons { Ok, YesNo };
enum class TMessageResult { Ok, Yes, No };

class TPlatform {
public:
  virtual ~TPlatform() = default;

  // Clocks.
  virtual uint32_t GetTickCount() = 0;  // milliseconds, wraps at 2^32
  virtual bool QueryPerformanceFrequency(int64_t &Frequency) = 0;
  virtual bool QueryPerformanceCounter(int64_t &Counter) = 0;

  // Takes one pending event of the render window, or none, without waiting.
  virtual bool PollEvent(TWindowEvent &Event) = 0;

  // Cursor.
  virtual void SetCursorPos(int X, int Y) = 0;
  virtual void ShowCursor(bool Show) = 0;

  // A modal message box with no owner; returns the viewer's answer.
  virtual TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                                    TMessageButtons Buttons) = 0;

  // Presents the back buffer.
  virtual void SwapBuffers() = 0;
  // The size in pixels of what GL draws into for the render window (on a
  // scaled desktop more than its size in window units); false when there is
  // no window, or the backend's drawable is the film's own size.
  virtual bool GetDrawableSize(int &, int &) { return false; }
  // The point of the desktop (the dialog's centre) whose monitor the run's
  // window and message boxes go to; the first monitor until it is given.
  virtual void SetHomeScreen(int, int) {}
  // An entry point of the current GL context beyond GL 1.1, by name; null
  // when the context or the backend has none.
  virtual void *GetProcAddress(const char *) { return nullptr; }
};

// Why the render window is not there. The window system's CreateWindow
// answers NoFailure or the first of its own steps that failed (Window to
// Activation); the render window adds the steps around it.
enum class TWindowFailure {
  NoFailure,
  ClassRegistration,  // no window system to register with
  ModeDeclined,       // the viewer declined a window in place of a refused mode
  WindowCreation,     // no window
  DeviceContext,      // no native drawable for the window
  PixelFormatChoice,  // no double-buffered RGBA format with a 16-bit depth buffer
  PixelFormatSet,     // the format could not be given to the window
  Context,            // no GL context
  Activation,         // the context could not be made current
  FilmSetup,          // the film's view or GL state could not be set up
};

// The window-system steps of the render window, in the order it takes them.
// Each returns false on failure.
class TWindowSystem {
public:
  virtual ~TWindowSystem() = default;

  // Brings up the window system; from then on PollEvent reports the render
  // window's events.
  virtual bool RegisterWindowClass() = 0;
  virtual bool UnregisterWindowClass() = 0;
  // True only when the display really runs the requested mode.
  virtual bool ChangeDisplayMode(int Width, int Height, int Bits) = 0;
  virtual bool RestoreDisplayMode() = 0;
  // Creates the (hidden) window with a double-buffered RGBA GL context (a
  // 16-bit depth buffer, the colour of Bits) current on it: fullscreen, the
  // window that ChangeDisplayMode made, or without one a window covering
  // the home monitor at the monitor's own mode; windowed, a client area of
  // Width x Height at the home monitor's top-left corner (shown smaller,
  // with its shape kept, when it would not fit there). On failure,
  // what was made stays for the teardown: the window from DeviceContext on,
  // the context too on Activation.
  virtual TWindowFailure CreateWindow(const char *Title, int Width, int Height, int Bits,
                                      bool Fullscreen) = 0;
  virtual void ShowWindow() = 0;  // shown, in front, with keyboard focus
  virtual bool ReleaseCurrent() = 0;
  virtual bool DeleteContext() = 0;
  virtual bool DestroyWindow() = 0;
};

// The backends in use. Set once by the program's entry (or a test); a
// backend without windows leaves the window system unset.
TPlatform &Platform();
TWindowSystem &WindowSystem();
void SetPlatform(TPlatform *Backend, TWindowSystem *Windows = nullptr);
// Whether a backend is set (the scene tests draw without one).
bool HasPlatform();
// An entry point of the current GL context by name, through the backend in
// use; null without a backend or an entry point of that name.
void *PlatformGlEntry(const char *Name);
