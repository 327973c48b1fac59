// A display mode changed on an X server outlives the process that changed
// it: a demo killed or crashed in fullscreen would leave the desktop in the
// film's resolution. The guardian is a small child process, started before
// the mode changes, that takes a snapshot of the server's screen
// configuration and waits on a pipe from the demo. When the demo ends its run
// normally it says so and the guardian leaves quietly; when the pipe reaches
// end-of-file without that word, the demo has died (any signal, SIGKILL
// included) and the guardian puts the snapshot back through XRandR.
//
// The guardian is the demo's own executable started again with a marker in
// its environment; a constructor in this module recognises the marker before
// anything else of the program runs, guards, and exits.
#pragma once

// Starts the guardian for the display in DISPLAY and waits until it holds
// its snapshot. True when it does (also when it already runs).
bool StartModeGuardian();
// The run has put the desktop mode back itself: the guardian ends without
// touching the display, and is reaped.
void StopModeGuardian();
