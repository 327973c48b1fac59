#include "platform/SdlSignals.h"

#include <unistd.h>

#include <csignal>

namespace {
volatile std::sig_atomic_t ReceivedSignal = 0;
void (*volatile EmergencyRestore)() = nullptr;

void OnStopSignal(int Signal) {
  if (ReceivedSignal == 0) {
    // The message loops see this on their next pass and end the run.
    ReceivedSignal = Signal;
    return;
  }
  // Asked twice: the program is not polling (a message box, the
  // precomputation). Best effort: leave the changed mode, then go.
  if (EmergencyRestore) EmergencyRestore();
  _exit(128 + Signal);
}
}  // namespace

void InstallStopSignalHandlers() {
  static bool Installed = false;
  if (Installed) return;
  Installed = true;
  struct sigaction Action = {};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGINT, &Action, nullptr);
  sigaction(SIGTERM, &Action, nullptr);
}

int StopSignal() { return ReceivedSignal; }

void SetEmergencyRestore(void (*Restore)()) { EmergencyRestore = Restore; }
