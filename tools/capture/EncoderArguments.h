// What ffmpeg is asked to do for a video: encode one part from raw frames,
// join the parts with the music, or check that it reads the music. The
// picture is converted to YUV with the BT.709 matrix at limited range and
// tagged so in the stream and the container, so players show the greys at
// the levels the film draws them (a lossless master keeps RGB, tagged as such).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FrameRate.h"
#include "VideoEncoding.h"

struct TVideoSettings {
  std::string OutPath;  // its ending names the container
  int Width = 0;
  int Height = 0;
  TFrameRate Fps;
  TVideoEncoding Encoding;
  std::string MusicPath;  // empty: no sound track
  int64_t MusicFromMs = 0;
  int64_t LeaderFrames = 0;  // frames before the music starts
  int64_t Frames = 0;        // the joined video's frames: the sound ends with the last
};

// ffmpeg's arguments (without the program name) for one part of the video:
// raw frames from its standard input, encoded as Settings.Encoding asks, no
// sound, to PartPath (a NUT file, which keeps the exact 1/fps timing).
std::vector<std::string> PartArguments(const TVideoSettings &Settings, const std::string &PartPath);

// ffmpeg's arguments for the finished video: the parts named in ListPath (a
// concat list) joined without re-encoding, and the music muxed in sync,
// written to IntoPath in the container Settings.OutPath asks for.
std::vector<std::string> JoinArguments(const TVideoSettings &Settings, const std::string &ListPath,
                                       const std::string &IntoPath);

// ffmpeg's arguments that read a little of the music from MusicFromMs, as the
// join will, and write nothing: a music file ffmpeg cannot read fails here,
// before anything is rendered.
std::vector<std::string> MusicCheckArguments(const TVideoSettings &Settings);
