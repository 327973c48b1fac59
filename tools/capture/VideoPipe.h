// The ffmpeg program as a video encoder: raw RGBA frames go down a pipe to
// it; other runs of it join the parts (see EncoderArguments.h for what each
// is asked to do).
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the capture's signal handlers ask of the work under way; every wait
// on ffmpeg looks at it.
struct TCaptureStop {
  // Ctrl-C: stop rendering, let ffmpeg finish a playable file.
  volatile sig_atomic_t Interrupt = 0;
  // SIGTERM or SIGHUP (its number): stop everything at once, keep nothing.
  volatile sig_atomic_t Signal = 0;
};
extern TCaptureStop CaptureStop;

// Runs ffmpeg (found on PATH) with Arguments to its end. False with the
// reason in Error: not installed, does not start, exits with a failure, or
// stopped by a signal. Every ffmpeg started here runs in its own process
// group and is killed when the process that started it dies, however it
// dies.
bool RunFfmpeg(const std::vector<std::string> &Arguments, std::string &Error);

class TVideoPipe {
public:
  TVideoPipe() = default;
  TVideoPipe(const TVideoPipe &) = delete;
  TVideoPipe &operator=(const TVideoPipe &) = delete;
  // Starts ffmpeg from PATH in its own process group, so a Ctrl-C at the
  // terminal reaches only the capture, which then closes the pipe and lets
  // ffmpeg finish a playable file; it dies with the capture all the same.
  // Only the pipe's reading end is passed on.
  // False with the reason in Error.
  bool Start(const std::vector<std::string> &Arguments, std::string &Error);
  // One frame, Width x Height RGBA, top row first. False when ffmpeg stopped
  // reading for good, on a stop signal, or after a Ctrl-C when ffmpeg takes
  // nothing for a second.
  bool Write(const uint8_t *Rgba, size_t Bytes, std::string &Error);
  // Closes the pipe and waits for ffmpeg; false when it failed. A stop signal
  // ends the wait and ffmpeg with it.
  bool Finish(std::string &Error);
  // Ends ffmpeg at once and waits for it.
  void Kill();
  // The running ffmpeg's process id, or -1.
  pid_t Process() const { return Child; }
  ~TVideoPipe();

private:
  int Fd = -1;
  pid_t Child = -1;
};
