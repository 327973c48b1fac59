// SIGINT, SIGTERM and SIGHUP (a closed terminal, a session's logout) end the
// run the way closing the window does, so the desktop mode and the pointer
// come back; a second signal, while the program is not polling its events,
// puts the desktop back at once and exits.
#pragma once

// Installs the handlers (once).
void InstallStopSignalHandlers();

// The signal that asked the program to stop, or 0.
int StopSignal();

// Called from the handler of a second signal: the last chance to put the
// desktop mode back before the process ends.
void SetEmergencyRestore(void (*Restore)());
