// One capture: the music decoded for the organism's levels, the film set up
// in a headless context as the demo sets it up, the frames drawn on a fixed
// grid and written as one PNG, a PNG sequence or a video through ffmpeg,
// by one process or several.
#pragma once

#include <string>

#include "CaptureOptions.h"

enum class TCaptureResult { Done, Failed, Interrupted, Stopped };

// Renders what Options asks for. Uses its own headless platform while it runs
// and leaves no backend set afterwards. Failed comes with a one-line reason in
// Error; Interrupted (Ctrl-C) has written every frame rendered until then
// (a video over an older file goes beside it as NAME.partial.EXT) and says
// in Error which file holds them, or that none does;
// Stopped (SIGTERM, SIGHUP) has ended its renderers and ffmpegs and removed
// its unfinished files.
TCaptureResult Capture(const TCaptureOptions &Options, std::string &Error);

// The signal that stopped the last capture, or 0.
int CaptureStopSignal();

// Capture() as a yes or no.
bool RunCapture(const TCaptureOptions &Options, std::string &Error);
