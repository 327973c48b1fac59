#include "platform/SdlSignals.h"

#include <unistd.h>

#include <csignal>

namespace {
// What the handler reads and writes; volatile because it changes under the
// program's feet.
struct TStopSignals {
  volatile std::sig_atomic_t Received = 0;
  void (*volatile EmergencyRestore)() = nullptr;
  bool Installed = false;
};

TStopSignals Signals;

void OnStopSignal(int Signal) {
  if (Signals.Received == 0) {
    // The message loops see this on their next pass and end the run.
    Signals.Received = Signal;
    return;
  }
  // Asked twice: the program is not polling (a message box, the
  // precomputation). Best effort: leave the changed mode, then go.
  if (Signals.EmergencyRestore) Signals.EmergencyRestore();
  _exit(128 + Signal);
}
}  // namespace

void InstallStopSignalHandlers() {
  if (Signals.Installed) return;
  Signals.Installed = true;
  struct sigaction Action = {};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGINT, &Action, nullptr);
  sigaction(SIGTERM, &Action, nullptr);
  sigaction(SIGHUP, &Action, nullptr);
}

int StopSignal() { return Signals.Received; }

void SetEmergencyRestore(void (*Restore)()) { Signals.EmergencyRestore = Restore; }
