// The demo's executable: --help and --version answered at once, else the
// entry's steps on the SDL backend, then the exit status: 2 for a bad
// argument, 128 + the signal when a stop signal ended it, 1 when the run
// ended on a failure (no sound device, no window, no music, ...), else 0.
#include <cstdio>
#include <cstdlib>

#include "launcher/CommandLine.h"
#include "launcher/Entry.h"
#include "platform/SdlMessageDisplay.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"
#include "sound/DeviceDeadline.h"

int main(int argc, char *argv[]) {
  int ArgumentStatus = 0;
  if (ReadCommandLine(argc, argv, ArgumentStatus) == TCommandLineAction::Exit)
    return ArgumentStatus;
  TSdlPlatform &Backend = SdlPlatform();
  SetPlatform(&Backend, &Backend);
  // A stop signal ends a wait on the sound server at once.
  SetSoundWaitInterrupt([] { return StopSignal() != 0; });
  // The dialog needs the display; without one say so instead of leaving it
  // to the toolkit's own exit.
  if (!FltkDisplayReady()) {
    const char *Name = std::getenv("DISPLAY");
    std::fprintf(stderr, "Quillmoor: Could not open the display \"%s\".\n", Name ? Name : "");
    return 1;
  }
  const bool Ok = RunLauncher();
  Backend.Shutdown();
  const int Signal = StopSignal();
  return Signal != 0 ? 128 + Signal : (Ok ? 0 : 1);
}
