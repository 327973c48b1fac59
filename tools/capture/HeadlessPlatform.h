// The platform backend for rendering without a display: synthetic clocks
// that only move when told to, an empty message queue, window steps that
// succeed without doing anything, and message boxes written to stderr.
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

  // Number of SwapBuffers calls; each one waits for the drawing (glFinish),
  // so a swap marks a finished frame as it does on screen.
  int Swaps = 0;

  uint32_t GetTickCount() override { return TickCount; }
  bool QueryPerformanceFrequency(int64_t &Frequency) override;
  bool QueryPerformanceCounter(int64_t &Value) override;

  bool PeekMessage(TMessage &) override { return false; }
  void DispatchMessage(const TMessage &) override {}
  void PostQuitMessage(int) override {}

  void SetCursorPos(int, int) override {}
  void ShowCursor(bool) override {}

  TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                            TMessageButtons Buttons) override;

  bool RegisterWindowClass() override { return true; }
  bool UnregisterWindowClass() override { return true; }
  bool ChangeDisplayMode(int, int, int) override { return true; }
  bool RestoreDisplayMode() override { return true; }
  bool CreateWindow(const char *, int, int, bool) override { return true; }
  bool GetDeviceContext() override { return true; }
  int ChoosePixelFormat(int) override { return 1; }
  bool SetPixelFormat(int) override { return true; }
  bool CreateContext() override { return true; }
  bool MakeCurrent() override { return true; }
  void ShowWindow() override {}
  bool ReleaseCurrent() override { return true; }
  bool DeleteContext() override { return true; }
  bool ReleaseDeviceContext() override { return true; }
  bool DestroyWindow() override { return true; }

  void SwapBuffers() override;
};
