// The render window: one top-level window with a double-buffered RGBA GL
// context, its creation and teardown, and the handler that turns its
// events into the run's flags.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "window/FullscreenWay.h"

// What exists of the window right now (the backend holds the real handles):
// each is true from the step that created it until the teardown released it.
struct TRenderWindowState {
  bool WindowHandle = false;
  bool RenderContext = false;
};

const TRenderWindowState &RenderWindowState();
// Forgets every handle without releasing anything (for a test that starts
// over on a fresh backend).
void ResetRenderWindowState();

// Creates the window and its current GL context, shows it, and sets the
// view and the initial GL state. With FullscreenFlag the window covers the
// home monitor: at the monitor's own mode (Scaled), or with the display
// first switched to Width x Height x Bits (ModeSwitch). Returns NoFailure when the window is up;
// otherwise it has told the viewer (each failure kind with its own text),
// released what it created, and returns the kind: ModeDeclined when the
// viewer chose to end the run, anything else is a failure. Sets the run's
// Fullscreen; clears it when the viewer accepts a window in place of a
// refused mode.
TWindowFailure CreateRenderWindow(const char *Title, int32_t Width, int32_t Height, int32_t Bits,
                                  bool FullscreenFlag,
                                  TFullscreenWay Way = TFullscreenWay::ModeSwitch);

// The text the viewer is shown for a failure kind; null for NoFailure.
const char *WindowFailureText(TWindowFailure Failure);

// Restores the desktop mode (when fullscreen), then releases the context, the
// device context, the window and the class. A step that fails is reported and
// the teardown goes on.
void DestroyRenderWindow();

// The window's event handler: keys, activation, close and quit become the
// run's flags. A size change changes nothing of the film (it keeps drawing
// at the chosen mode's size; the presenter shows it at the new size). The
// runner hands it every event it takes.
void HandleWindowEvent(const TWindowEvent &Event);
