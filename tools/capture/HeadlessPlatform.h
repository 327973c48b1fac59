// The platform backend for rendering without a display: synthetic clocks
// that only move when told to, an empty message queue, and message boxes
// written to stderr. It builds no window, so it has no window-system steps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

class THeadlessPlatform : public TPlatform {
public:
  // The clocks: GetTickCount returns TickCount; the performance counter runs
  // at 1000 counts per second and reads Counter.
  uint32_t TickCount = 0;
  int64_t Counter = 0;

  // Every message box shown, as "caption: text" (also written to stderr).
  std::vector<std::string> Messages;

  uint32_t GetTickCount() override { return TickCount; }
  bool QueryPerformanceFrequency(int64_t &Frequency) override;
  bool QueryPerformanceCounter(int64_t &Value) override;

  bool PollEvent(TWindowEvent &) override { return false; }

  void SetCursorPos(int, int) override {}
  void ShowCursor(bool) override {}

  TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                            TMessageButtons Buttons) override;

  // Waits for the drawing (glFinish), so a swap marks a finished frame as it
  // does on screen.
  void SwapBuffers() override;
  void *GetProcAddress(const char *Name) override;
};
