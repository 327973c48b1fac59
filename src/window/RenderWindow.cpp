#include "window/RenderWindow.h"

#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "platform/Platform.h"

namespace {

TRenderWindowState State;

constexpr const char *Caption = "Quillmoor";

void ShowError(const char *Text) {
  Platform().MessageBox(Text, Caption, TMessageIcon::Error, TMessageButtons::Ok);
}

// What the viewer is told for each failure kind.
struct TFailureMessage {
  TWindowFailure Failure;
  TMessageIcon Icon;
  const char *Text;
};

constexpr TFailureMessage FailureMessages[] = {
    {TWindowFailure::ClassRegistration, TMessageIcon::Error,
     "Could not register the window class."},
    {TWindowFailure::ModeDeclined, TMessageIcon::Error, "Good bye."},
    {TWindowFailure::WindowCreation, TMessageIcon::Warning,
     "Window could not be created for some reason."},
    {TWindowFailure::DeviceContext, TMessageIcon::Warning, "Could not create a GL device context."},
    {TWindowFailure::PixelFormatChoice, TMessageIcon::Warning,
     "Could not find any suitable pixel format."},
    {TWindowFailure::PixelFormatSet, TMessageIcon::Warning, "Could not set a pixel format."},
    {TWindowFailure::Context, TMessageIcon::Warning, "Could not create a GL rendering context."},
    {TWindowFailure::Activation, TMessageIcon::Warning,
     "Could not activate the GL rendering context."},
    {TWindowFailure::FilmSetup, TMessageIcon::Warning, "Unexpected error."},
};

const TFailureMessage *MessageFor(TWindowFailure Failure) {
  for (const TFailureMessage &Message : FailureMessages)
    if (Message.Failure == Failure) return &Message;
  return nullptr;
}

TWindowFailure Report(TWindowFailure Failure) {
  if (const TFailureMessage *Message = MessageFor(Failure))
    Platform().MessageBox(Message->Text, Caption, Message->Icon, TMessageButtons::Ok);
  return Failure;
}

// Tears down what exists, then tells the viewer why the window failed.
TWindowFailure FailCreation(TWindowFailure Failure) {
  DestroyRenderWindow();
  return Report(Failure);
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

// The window system's one step from the window to a current context. What
// it leaves behind follows from how far it got.
TWindowFailure CreateWindowAndContext(const char *Title, int32_t Width, int32_t Height,
                                      int32_t Bits) {
  const TWindowFailure Failure =
      WindowSystem().CreateWindow(Title, Width, Height, Bits, RunState().Fullscreen);
  State.WindowHandle =
      Failure == TWindowFailure::NoFailure || Failure > TWindowFailure::WindowCreation;
  State.RenderContext =
      Failure == TWindowFailure::NoFailure || Failure == TWindowFailure::Activation;
  return Failure == TWindowFailure::NoFailure ? Failure : FailCreation(Failure);
}

}  // namespace

const TRenderWindowState &RenderWindowState() { return State; }

void ResetRenderWindowState() { State = TRenderWindowState{}; }

const char *WindowFailureText(TWindowFailure Failure) {
  const TFailureMessage *Message = MessageFor(Failure);
  return Message ? Message->Text : nullptr;
}

TWindowFailure CreateRenderWindow(const char *Title, int32_t Width, int32_t Height, int32_t Bits,
                                  bool FullscreenFlag, TFullscreenWay Way) {
  TWindowSystem &W = WindowSystem();
  RunState().Fullscreen = FullscreenFlag;

  if (!W.RegisterWindowClass()) return Report(TWindowFailure::ClassRegistration);

  if (RunState().Fullscreen && Way == TFullscreenWay::ModeSwitch &&
      !W.ChangeDisplayMode(Width, Height, Bits)) {
    if (!AcceptWindowInsteadOfFullscreen()) {
      Report(TWindowFailure::ModeDeclined);
      // Nothing but the class exists yet; release it so no window-system
      // state outlives the refusal.
      W.UnregisterWindowClass();
      return TWindowFailure::ModeDeclined;
    }
    RunState().Fullscreen = false;
  }

  if (RunState().Fullscreen) Platform().ShowCursor(false);

  const TWindowFailure Failure = CreateWindowAndContext(Title, Width, Height, Bits);
  if (Failure != TWindowFailure::NoFailure) return Failure;

  W.ShowWindow();
  if (!InitFilmContext(Width, Height)) return FailCreation(TWindowFailure::FilmSetup);
  return TWindowFailure::NoFailure;
}

void DestroyRenderWindow() {
  TWindowSystem &W = WindowSystem();
  if (RunState().Fullscreen) {
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
  if (State.WindowHandle) {
    if (!W.DestroyWindow()) ShowError("Could not release hWnd.");
    State.WindowHandle = false;
  }
  if (!W.UnregisterWindowClass()) ShowError("Could not unregister class.");
}

void HandleWindowEvent(const TWindowEvent &Event) {
  TRunState &Run = RunState();
  switch (Event.Kind) {
    case TWindowEventKind::KeyDown:
    case TWindowEventKind::KeyUp: {
      // Keys with Alt held (and F10) belong to the desktop, not the film.
      if (Event.System) return;
      const bool Down = Event.Kind == TWindowEventKind::KeyDown;
      // Codes outside the table are never reported; ignore them rather than
      // write past it.
      if (Event.Key < 256) Run.Keys[Event.Key] = Down;
      if (Event.Key == VK_ESCAPE && Down) Run.EscapePressed = true;
      return;
    }
    case TWindowEventKind::Activation:
      Run.Active = !Event.Minimised;
      return;
    case TWindowEventKind::Resized:
      // The film's viewport and projections stay those of the chosen mode:
      // re-setting them here, in the middle of a frame sequence, would put
      // the perspective projection where the leader and the opening expect
      // the pixel projection, and they would draw nothing but white.
      return;
    case TWindowEventKind::Close:
    case TWindowEventKind::Quit:
      // The window itself stays until the runner's teardown.
      Run.Done = true;
      return;
    case TWindowEventKind::Pointer:
      return;
  }
}
