// quillmoor-capture: renders the film (or its countdown leader) at any size
// and frame rate to PNG files or to a video with its music, with no display,
// GPU or sound device. Every frame is the one the demo shows at that instant:
// the same set-up, the same drawing code.
#include <signal.h>

#include <cstdio>
#include <string>

#include "CaptureOptions.h"
#include "CaptureRun.h"

int main(int Count, char **Args) {
  TCaptureOptions Options;
  std::string Error;
  if (!ParseCaptureOptions(Count, Args, Options, Error)) {
    std::fprintf(stderr, "quillmoor-capture: %s\n", Error.c_str());
    return 2;
  }
  if (Options.Help) {
    std::fputs(CaptureUsage().c_str(), stdout);
    return 0;
  }
  if (Options.Version) {
    std::puts("quillmoor-capture " QUILLMOOR_VERSION);
    return 0;
  }
  switch (Capture(Options, Error)) {
    case TCaptureResult::Done:
      return 0;
    case TCaptureResult::Interrupted:
      // What was kept, and where (see Capture()).
      std::fprintf(stderr, "quillmoor-capture: %s\n", Error.c_str());
      return 130;
    case TCaptureResult::Stopped:
      // Ended as the signal asked, now that nothing is left behind.
      signal(CaptureStopSignal(), SIG_DFL);
      raise(CaptureStopSignal());
      return 128 + CaptureStopSignal();
    case TCaptureResult::Failed:
      break;
  }
  std::fprintf(stderr, "quillmoor-capture: %s\n", Error.c_str());
  return 1;
}
