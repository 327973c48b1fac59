#include "ScriptedPlatform.h"

#include "RecordingGL.h"

const char *WindowStepName(TWindowStep Step) {
  switch (Step) {
    case TWindowStep::RegisterWindowClass:
      return "RegisterWindowClass";
    case TWindowStep::UnregisterWindowClass:
      return "UnregisterWindowClass";
    case TWindowStep::ChangeDisplayMode:
      return "ChangeDisplayMode";
    case TWindowStep::RestoreDisplayMode:
      return "RestoreDisplayMode";
    case TWindowStep::ReleaseCurrent:
      return "ReleaseCurrent";
    case TWindowStep::DeleteContext:
      return "DeleteContext";
    case TWindowStep::DestroyWindow:
      return "DestroyWindow";
  }
  return "?";
}

namespace {
TWindowEvent OfKind(TWindowEventKind Kind) {
  TWindowEvent Event;
  Event.Kind = Kind;
  return Event;
}

TWindowEvent KeyEvent(TWindowEventKind Kind, uint32_t Key, bool System) {
  TWindowEvent Event = OfKind(Kind);
  Event.Key = Key;
  Event.System = System;
  return Event;
}
}  // namespace

TWindowEvent KeyDownEvent(uint32_t Key, bool System) {
  return KeyEvent(TWindowEventKind::KeyDown, Key, System);
}

TWindowEvent KeyUpEvent(uint32_t Key, bool System) {
  return KeyEvent(TWindowEventKind::KeyUp, Key, System);
}

TWindowEvent ActivationEvent(bool Minimised) {
  TWindowEvent Event = OfKind(TWindowEventKind::Activation);
  Event.Minimised = Minimised;
  return Event;
}

TWindowEvent ResizedEvent(int Width, int Height) {
  TWindowEvent Event = OfKind(TWindowEventKind::Resized);
  Event.Width = Width;
  Event.Height = Height;
  return Event;
}

TWindowEvent PointerEvent() { return OfKind(TWindowEventKind::Pointer); }
TWindowEvent CloseEvent() { return OfKind(TWindowEventKind::Close); }
TWindowEvent QuitEvent() { return OfKind(TWindowEventKind::Quit); }

std::vector<std::string> TScriptedPlatform::LogStartingWith(const std::string &Prefix) const {
  std::vector<std::string> Found;
  for (const auto &Entry : Log)
    if (Entry.compare(0, Prefix.size(), Prefix) == 0) Found.push_back(Entry);
  return Found;
}

uint32_t TScriptedPlatform::GetTickCount() { return TickCount; }

bool TScriptedPlatform::QueryPerformanceFrequency(int64_t &Value) {
  Value = Frequency;
  return true;
}

bool TScriptedPlatform::QueryPerformanceCounter(int64_t &Value) {
  Value = Counter;
  return true;
}

bool TScriptedPlatform::PollEvent(TWindowEvent &Event) {
  if (OnPoll) OnPoll();
  if (Queue.empty()) return false;
  Event = Queue.front();
  Queue.pop_front();
  return true;
}

void TScriptedPlatform::SetCursorPos(int X, int Y) {
  Note("SetCursorPos " + std::to_string(X) + "," + std::to_string(Y));
}

void TScriptedPlatform::ShowCursor(bool Show) {
  Note(Show ? "ShowCursor true" : "ShowCursor false");
  CursorCounter += Show ? 1 : -1;
}

TMessageResult TScriptedPlatform::MessageBox(const char *Text, const char *Caption,
                                             TMessageIcon Icon, TMessageButtons Buttons) {
  Note(std::string("MessageBox ") + Text);
  MessageBoxes.push_back(TRecordedMessageBox{Text, Caption, Icon, Buttons});
  if (!Answers.empty()) {
    const TMessageResult Answer = Answers.front();
    Answers.pop_front();
    return Answer;
  }
  return Buttons == TMessageButtons::YesNo ? TMessageResult::No : TMessageResult::Ok;
}

bool TScriptedPlatform::Step(TWindowStep Which, const std::string &Detail) {
  const bool Succeeds = Failing.count(Which) == 0;
  std::string Entry = WindowStepName(Which);
  if (!Detail.empty()) Entry += " " + Detail;
  if (!Succeeds) Entry += " failed";
  Note(Entry);
  return Succeeds;
}

bool TScriptedPlatform::RegisterWindowClass() {
  if (!Step(TWindowStep::RegisterWindowClass)) return false;
  ClassRegistered = true;
  return true;
}

bool TScriptedPlatform::UnregisterWindowClass() {
  if (!Step(TWindowStep::UnregisterWindowClass)) return false;
  ClassRegistered = false;
  return true;
}

bool TScriptedPlatform::ChangeDisplayMode(int Width, int Height, int Bits) {
  const std::string Mode =
      std::to_string(Width) + "x" + std::to_string(Height) + "x" + std::to_string(Bits);
  if (!Step(TWindowStep::ChangeDisplayMode, Mode)) return false;
  DisplayModeChanged = true;
  return true;
}

bool TScriptedPlatform::RestoreDisplayMode() {
  if (!Step(TWindowStep::RestoreDisplayMode)) return false;
  DisplayModeChanged = false;
  return true;
}

TWindowFailure TScriptedPlatform::CreateWindow(const char *Title, int Width, int Height, int Bits,
                                               bool Fullscreen) {
  std::string Entry = std::string("CreateWindow ") + Title + " " + std::to_string(Width) + "x" +
                      std::to_string(Height) + "x" + std::to_string(Bits) +
                      (Fullscreen ? " fullscreen" : " windowed");
  const TWindowFailure Failure = CreationFailure;
  if (Failure != TWindowFailure::NoFailure) Entry += " failed";
  Note(Entry);
  WindowExists = Failure == TWindowFailure::NoFailure || Failure > TWindowFailure::WindowCreation;
  ContextExists = Failure == TWindowFailure::NoFailure || Failure == TWindowFailure::Activation;
  ContextCurrent = Failure == TWindowFailure::NoFailure;
  return Failure;
}

void TScriptedPlatform::ShowWindow() { Note("ShowWindow"); }

bool TScriptedPlatform::ReleaseCurrent() {
  if (!Step(TWindowStep::ReleaseCurrent)) return false;
  ContextCurrent = false;
  return true;
}

bool TScriptedPlatform::DeleteContext() {
  if (!Step(TWindowStep::DeleteContext)) return false;
  ContextExists = false;
  return true;
}

bool TScriptedPlatform::DestroyWindow() {
  if (!Step(TWindowStep::DestroyWindow)) return false;
  WindowExists = false;
  return true;
}

void *TScriptedPlatform::GetProcAddress(const char *Name) { return RecordingGLProcAddress(Name); }

void TScriptedPlatform::SwapBuffers() {
  ++SwapCount;
  Note("SwapBuffers");
  if (OnSwap) OnSwap();
}
