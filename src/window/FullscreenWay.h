// How a fullscreen run takes the screen. By default the monitor keeps its
// own mode and the film, drawn at the chosen mode's size, is scaled into it
// with its shape kept: no blank monitor while it resyncs, no stretched 4:3
// picture on a 16:9 panel, no rearranged desktop, and every mode runs on
// every monitor. A viewer with a screen that has the exact mode (a CRT, a
// panel of that size) can ask for the real mode change instead.
#pragma once

enum class TFullscreenWay {
  Scaled,      // the monitor at its own mode, the film scaled into it
  ModeSwitch,  // the display switched to the chosen mode
};

// The environment variable that chooses: "switch" for the mode change;
// unset, empty or "scaled" for the default.
constexpr const char *FullscreenVariable = "QUILLMOOR_FULLSCREEN";

// The way QUILLMOOR_FULLSCREEN asks for. Any other value is named on
// standard error and the default taken.
TFullscreenWay FullscreenWayFromEnvironment();
