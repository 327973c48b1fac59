// The command line of quillmoor-capture:
//   quillmoor-capture [--size WxH] (--from MS | --countdown MS) --out FILE.png
// --from renders the film's frame at DemoTime = MS, --countdown the leader's
// frame for MS milliseconds of tick time. The size defaults to 1024x768 and
// the instant to --from 0.
#pragma once

#include <cstdint>
#include <string>

struct TCaptureOptions {
  int Width = 1024;
  int Height = 768;
  bool Countdown = false;  // the leader instead of the film
  int64_t Instant = 0;     // DemoTime, or the leader's Ms
  std::string OutPath;
};

// The largest frame side accepted: the viewport limit of Mesa's software
// rasteriser.
constexpr int MaxCaptureSide = 16384;

// Fills Options from the arguments (Args[0] is the program). Returns false
// with a one-line reason in Error for anything it cannot use.
bool ParseCaptureOptions(int Count, const char *const Args[], TCaptureOptions &Options,
                         std::string &Error);
