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

// ffmpeg's arguments (without the program name) for one part of the video:
// raw frames from its standard input, encoded as the output's codec asks,
// no sound, to PartPath (a NUT file, which keeps the exact 1/fps timing).
std::vector<std::string> PartArguments(const TVideoSettings &Settings, const std::string &PartPath);

// ffmpeg's arguments for the finished video: the parts named in ListPath (a
// concat list) joined without re-encoding, and the music muxed in sync.
std::vector<std::string> JoinArguments(const TVideoSettings &Settings, const std::string &ListPath);

class TVideoPipe {
public:
  // Starts ffmpeg in its own process group, so a Ctrl-C at the terminal
  // reaches only the capture, which then closes the pipe and lets ffmpeg
  // finish a playable file. False with the reason in Error.
  bool Start(const std::vector<std::string> &Arguments, std::string &Error);
  // One frame, Width x Height RGBA, top row first.
  bool Write(const uint8_t *Rgba, size_t Bytes, std::string &Error);
  // Closes the pipe and waits for ffmpeg; false when it failed.
  bool Finish(std::string &Error);
  ~TVideoPipe();

private:
  int Fd = -1;
  pid_t Child = -1;
};
