// A scripted backend of the platform seam for tests: clocks the test sets, a
// message queue the test fills, message boxes that are recorded and answered
// from a script, and window-system steps that succeed unless the test makes
// one fail.
//
// Everything that reaches the machine is appended to Log in call order, so a
// test can check the order of a whole run; fakes of other layers may append
// their own entries with Note().
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

// The window-system steps a test can make fail.
enum class TWindowStep {
  RegisterWindowClass,
  UnregisterWindowClass,
  ChangeDisplayMode,
  RestoreDisplayMode,
  ReleaseCurrent,
  DeleteContext,
  DestroyWindow,
};

const char *WindowStepName(TWindowStep Step);

// The events a test posts.
TWindowEvent KeyDownEvent(uint32_t Key, bool System = false);
TWindowEvent KeyUpEvent(uint32_t Key, bool System = false);
TWindowEvent ActivationEvent(bool Minimised);
TWindowEvent ResizedEvent(int Width, int Height);
TWindowEvent PointerEvent();
TWindowEvent CloseEvent();
TWindowEvent QuitEvent();

struct TRecordedMessageBox {
  std::string Text;
  std::string Caption;
  TMessageIcon Icon = TMessageIcon::Error;
  TMessageButtons Buttons = TMessageButtons::Ok;
};

class TScriptedPlatform : public TPlatform, public TWindowSystem {
public:
  // Tick clock: GetTickCount returns TickCount (a test lets it wrap at 2^32
  // like the real count).
  uint32_t TickCount = 0;
  // Performance counter: QueryPerformanceCounter returns Counter.
  int64_t Frequency = 1000000;
  int64_t Counter = 0;

  // Pending events, taken one per PollEvent from the front.
  std::deque<TWindowEvent> Queue;
  void Post(const TWindowEvent &Event) { Queue.push_back(Event); }
  // Called at the start of every PollEvent, before the queue is looked at:
  // lets a test post events or move the clocks at a chosen pass.
  std::function<void()> OnPoll;

  // Message boxes shown, and the answers to give, in order. With no scripted
  // answer left an OK box answers Ok and a Yes/No question answers No.
  std::vector<TRecordedMessageBox> MessageBoxes;
  std::deque<TMessageResult> Answers;

  // The display counter ShowCursor moves (0 = shown).
  int CursorCounter = 0;

  // Buffer swaps; OnSwap runs on every swap.
  int SwapCount = 0;
  std::function<void()> OnSwap;

  // Window-system steps that fail when called.
  std::set<TWindowStep> Failing;
  void Fail(TWindowStep Step) { Failing.insert(Step); }
  // What CreateWindow answers; it leaves behind what a real window system
  // would have made up to the failed step.
  TWindowFailure CreationFailure = TWindowFailure::NoFailure;
  // What exists on the scripted machine right now.
  bool ClassRegistered = false;
  bool DisplayModeChanged = false;
  bool WindowExists = false;
  bool ContextExists = false;
  bool ContextCurrent = false;

  // Every call that reaches the machine, e.g. "RegisterWindowClass",
  // "ChangeDisplayMode 800x600x16",
  // "CreateWindow Quillmoor 640x480x32 windowed", "ShowCursor false", "SwapBuffers",
  // "MessageBox Good bye.".
  std::vector<std::string> Log;
  void Note(const std::string &Entry) { Log.push_back(Entry); }
  // Log entries that start with Prefix, in order.
  std::vector<std::string> LogStartingWith(const std::string &Prefix) const;

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
  // The recording GL's own array and buffer calls.
  void *GetProcAddress(const char *Name) override;

private:
  // Logs the step and reports whether the test lets it succeed.
  bool Step(TWindowStep Step, const std::string &Detail = "");
};
