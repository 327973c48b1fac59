// One capture: a headless context of the requested size, the film set up as
// the runner sets it up, one frame drawn at the requested instant (in the
// worms' window after replaying the window's earlier frames, whose state it
// carries), the frame written to a PNG file.
#pragma once

#include <string>

#include "CaptureOptions.h"

// Renders the frame that Options asks for into Options.OutPath. Uses its own
// headless platform while it runs and leaves no backend set afterwards.
// Returns false with a one-line reason in Error.
bool RunCapture(const TCaptureOptions &Options, std::string &Error);
