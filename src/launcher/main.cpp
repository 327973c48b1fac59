// The demo's executable: the entry's steps on the SDL backend, then the
// exit status (128 + the signal when a stop signal ended it).
#include "launcher/Entry.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"

int main() {
  TSdlPlatform &Backend = SdlPlatform();
  SetPlatform(&Backend);
  RunLauncher();
  Backend.Shutdown();
  const int Signal = StopSignal();
  return Signal != 0 ? 128 + Signal : 0;
}
