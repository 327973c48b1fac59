// How a video's picture and sound are encoded: the output's container picks
// the codecs, a preset (see Presets.h) its settings, and --quality or
// --bitrate override those.
#pragma once

#include <cstdint>
#include <string>

#include "CaptureOptions.h"

enum class TVideoCodec { H264, Vp9, Ffv1 };
enum class TAudioCodec { Aac, Opus, Flac };

struct TVideoEncoding {
  TVideoCodec Codec = TVideoCodec::H264;
  int Quality = 18;                // constant quality (x264's or libvpx's CRF) when Bitrate is 0
  int64_t Bitrate = 0;             // bits a second the picture aims at; 0: constant quality
  bool ConstantBitrate = false;    // held at Bitrate throughout, padded where the picture is simple
  const char *Speed = "veryfast";  // x264's preset: encoding time against size
  const char *Level = "";          // the H.264 level the stream keeps to; empty: x264's choice
  bool HalfSecondGroups = false;   // a key frame every half second, two B-frames between
  TAudioCodec Audio = TAudioCodec::Aac;
  int64_t AudioBitrate = 192000;  // bits a second; FLAC has none
};

// The H.264 level a preset asks for bounds the frame size and rate:
// macroblocks a frame and macroblocks a second.
struct TH264Level {
  const char *Name;
  int64_t FrameBlocks, BlocksPerSecond;
};
constexpr TH264Level H264Level41{"4.1", 8192, 245760};

// The encoding for Options' video output. False with a one-line reason when
// the options ask for what the container or preset cannot give (--preset
// master in an .mp4, a quality the codec has no such value for, a frame too
// large for the level).
bool ChooseEncoding(const TCaptureOptions &Options, TVideoEncoding &Encoding, std::string &Error);
