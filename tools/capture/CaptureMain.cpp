// quillmoor-capture: renders one frame of the film, or of the countdown
// leader, at any size to a PNG file, with no display. The frame is the one
// the demo shows at that instant: the same set-up, the same drawing code.
#include <cstdio>
#include <string>

#include "CaptureOptions.h"
#include "CaptureRun.h"

int main(int Count, char **Args) {
  TCaptureOptions Options;
  std::string Error;
  if (ParseCaptureOptions(Count, Args, Options, Error) && RunCapture(Options, Error)) return 0;
  std::fprintf(stderr, "quillmoor-capture: %s\n", Error.c_str());
  return 1;
}
