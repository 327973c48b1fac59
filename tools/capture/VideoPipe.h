// The ffmpeg program as a video encoder: raw RGBA frames go down a pipe, the
// music is read by ffmpeg itself from the chosen start and muxed in sync.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct TVideoSettings {
  std::string OutPath;  // .mp4 and .mkv: H.264 + AAC; .webm: VP9 + Opus
  int Width = 0;
  int Height = 0;
  int Fps = 30;
  std::string MusicPath;  // empty: no sound track
  int64_t MusicFromMs = 0;
  int64_t LeaderFrames = 0;  // frames before the music starts
};

// The ffmpeg program on PATH, or empty when there is none.
std::string FindFfmpeg();

// ffmpeg's arguments for these settings (without the program name).
std::vector<std::string> FfmpegArguments(const TVideoSettings &Settings);

class TVideoPipe {
public:
  // Starts ffmpeg in its own process group, so a Ctrl-C at the terminal
  // reaches only the capture, which then closes the pipe and lets ffmpeg
  // finish a playable file. False with the reason in Error.
  bool Start(const TVideoSettings &Settings, std::string &Error);
  // One frame, Width x Height RGBA, top row first.
  bool Write(const uint8_t *Rgba, size_t Bytes, std::string &Error);
  // Closes the pipe and waits for ffmpeg; false when it failed.
  bool Finish(std::string &Error);
  ~TVideoPipe();

private:
  int Fd = -1;
  pid_t Child = -1;
};
