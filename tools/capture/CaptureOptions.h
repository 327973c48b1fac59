// The command line of quillmoor-capture (see CaptureUsage() for the text).
#pragma once

#include <cstdint>
#include <string>

#include "FilmShape.h"
#include "FrameRate.h"
#include "scenes/FilmTiming.h"

// What --out asks for, from how the path ends.
enum class TOutputKind {
  Png,          // FILE.png: one frame
  PngSequence,  // DIR/: one PNG per frame, frame-000000.png onwards
  Video,        // FILE.mp4, .mkv or .webm: frames and music through ffmpeg
};

struct TCaptureOptions {
  int Width = 1024;  // the frame (--size)
  int Height = 768;
  // The size the film is drawn at (--film), shown in the frame with its
  // shape kept; 0: FilmShape.h's default for the frame (see FilmSizeOf).
  int FilmWidth = 0;
  int FilmHeight = 0;
  int Bits = 32;  // the colour of the mode the film is drawn as (--bits 16: 5-6-5)
  TFrameRate Fps = 30;
  int64_t From = 0;         // film time of the first frame
  int64_t To = FilmLength;  // frames up to, not including, this film time
  bool Leader = false;      // the countdown before the film
  bool Countdown = false;   // a single leader frame at tick time From (--countdown)
  std::string MusicPath;    // empty: the bundled music
  int Jobs = 1;
  bool Timing = false;  // where the time went, on stderr at the end
  std::string OutPath;
  TOutputKind Kind = TOutputKind::Png;
  std::string Preset;   // empty: none (see Presets.h)
  int Quality = -1;     // the encoder's CRF; -1: the preset's or the container's own
  int64_t Bitrate = 0;  // the picture's bits a second; 0: the preset's or none
  bool Help = false;
  bool Version = false;
};

// The film's length: its time runs from 0 to this.
constexpr int64_t FilmEnd = FilmLength;
// The largest frame side accepted: the viewport limit of Mesa's software
// rasteriser.
constexpr int MaxCaptureSide = 16384;
constexpr int MaxFps = 1000;  // beyond it two frames would share a millisecond
// The picture's bit rates accepted, in bits a second.
constexpr int64_t MinBitrate = 10000, MaxBitrate = 1000000000;
constexpr int MaxJobs = 64;

// Fills Options from the arguments (Args[0] is the program). Returns false
// with a one-line reason in Error for anything it cannot use. --help and
// --version succeed with only their flag set.
bool ParseCaptureOptions(int Count, const char *const Args[], TCaptureOptions &Options,
                         std::string &Error);

// The size the film is drawn at for these options: --film's, else the
// default for the frame.
TFilmSize FilmSizeOf(const TCaptureOptions &Options);

// The --help text: usage, every option, the presets, examples.
std::string CaptureUsage();

// Whether Path ends with Tail after at least one more character (".png"
// alone names no PNG file). Used for the output's kind and its video format.
bool EndsWith(const std::string &Path, const char *Tail);
