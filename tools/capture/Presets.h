// Named sets of options for where a video goes: a video site, a party's big
// screen, an archive. A preset sets the frame size and rate the way --size
// and --fps do, and how the video is encoded; any option given on the
// command line overrides its part of the preset.
#pragma once

#include <cstdint>
#include <string>

#include "FrameRate.h"

struct TPreset {
  const char *Name;
  const char *Sets;  // what it sets, for --help (lines of up to 58 characters)
  int Width, Height;
  TFrameRate Fps;
  const char *Endings;  // the outputs it writes: ".mp4 .mkv .webm"
  bool Lossless;        // FFV1 and FLAC: the frames exactly as drawn
  int64_t Bitrate;      // the picture's bits a second (0 for lossless)
  bool ConstantBitrate;
  const char *Level;  // the H.264 level it keeps to, or ""
  bool HalfSecondGroups;
  int64_t AudioBitrate;
};

// The preset of that name, or null.
const TPreset *FindPreset(const std::string &Name);

// Every preset's name and what it sets, one line each, for --help.
std::string PresetList();

// "youtube-1080p60, youtube-2160p60, ...": the names, for an error message.
std::string PresetNames();
