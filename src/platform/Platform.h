// The seam between the film and the machine it runs on, in two parts: what
// the runner and the scenes use while the film plays (clocks, the message
// queue, the buffer swap, the cursor, message boxes), and the window-system
// steps the render window is built from. The demo runs on the SDL backend,
// which has both, tests on a scripted one, and the capture tool on a headless
// one that never builds a window and so has only the first.
#pragma once

#include <cstdint>

// Window messages, with the values and meanings of the Win32 messages the
// film was written against.
enum : uint32_t {
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONUP = 0x0202,
};

// Activation states in WM_ACTIVATE's wParam (low word) and the minimised flag
// in its high word.
enum : uintptr_t { WA_INACTIVE = 0, WA_ACTIVE = 1 };

// Virtual-key codes the film and the backends name.
enum : uintptr_t { VK_ESCAPE = 0x1B, VK_F4 = 0x73, VK_F10 = 0x79 };

struct TMessage {
  uint32_t Message = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
};

enum class TMessageIcon { Error, Warning };
enum class TMessageButtons { Ok, YesNo };
enum class TMessageResult { Ok, Yes, No };

// The render window's message handler, handed to the window system when its
// class is registered; DispatchMessage delivers to it.
using TWindowProc = intptr_t (*)(uint32_t Message, uintptr_t WParam, intptr_t LParam);

class TPlatform {
public:
  virtual ~TPlatform() = default;

  // Clocks.
  virtual uint32_t GetTickCount() = 0;  // milliseconds, wraps at 2^32
  virtual bool QueryPerformanceFrequency(int64_t &Frequency) = 0;
  virtual bool QueryPerformanceCounter(int64_t &Counter) = 0;

  // Message queue: PeekMessage takes exactly one pending message, or none,
  // without waiting. DispatchMessage translates and delivers one to the
  // registered window procedure. PostQuitMessage queues a WM_QUIT.
  virtual bool PeekMessage(TMessage &Msg) = 0;
  virtual void DispatchMessage(const TMessage &Msg) = 0;
  virtual void PostQuitMessage(int ExitCode) = 0;

  // Cursor.
  virtual void SetCursorPos(int X, int Y) = 0;
  virtual void ShowCursor(bool Show) = 0;

  // A modal message box with no owner; returns the viewer's answer.
  virtual TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                                    TMessageButtons Buttons) = 0;

  // Presents the back buffer.
  virtual void SwapBuffers() = 0;
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
  Window,             // no window
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

  // Registers the class whose windows Proc handles; from then on the
  // platform's DispatchMessage delivers to Proc.
  virtual bool RegisterWindowClass(TWindowProc Proc) = 0;
  virtual bool UnregisterWindowClass() = 0;
  // True only when the display really runs the requested mode.
  virtual bool ChangeDisplayMode(int Width, int Height, int Bits) = 0;
  virtual bool RestoreDisplayMode() = 0;
  // Creates the (hidden) window whose client area is Width x Height, at the
  // screen's top-left corner, with a double-buffered RGBA GL context (a
  // 16-bit depth buffer, the colour of Bits) current on it. On failure,
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
