#include "VideoEncoding.h"

#include <cstring>

#include "Presets.h"

namespace {

// The container's own codecs at a good constant quality: H.264 and AAC in
// .mp4 and .mkv, VP9 and Opus in .webm.
TVideoEncoding ContainerDefaults(const std::string &OutPath) {
  TVideoEncoding Encoding;
  if (EndsWith(OutPath, ".webm")) {
    Encoding.Codec = TVideoCodec::Vp9;
    Encoding.Quality = 32;
    Encoding.Audio = TAudioCodec::Opus;
  }
  return Encoding;
}

// Whether the preset writes the container OutPath ends in.
bool WritesEnding(const TPreset &Preset, const std::string &OutPath) {
  const char *Dot = std::strrchr(OutPath.c_str(), '.');
  if (!Dot) return false;
  const std::string Ending = Dot;
  const std::string Endings = std::string(Preset.Endings) + " ";
  return Endings.find(Ending + " ") != std::string::npos;
}

void ApplyPreset(const TPreset &Preset, TVideoEncoding &Encoding) {
  if (Preset.Lossless) {
    Encoding.Codec = TVideoCodec::Ffv1;
    Encoding.Audio = TAudioCodec::Flac;
    return;
  }
  Encoding.Bitrate = Preset.Bitrate;
  Encoding.ConstantBitrate = Preset.ConstantBitrate;
  Encoding.Speed = "medium";  // a fixed rate is spent better with more care
  Encoding.Level = Preset.Level;
  Encoding.HalfSecondGroups = Preset.HalfSecondGroups;
  Encoding.AudioBitrate = Preset.AudioBitrate;
}

// A frame of Width x Height at Fps within the level's macroblock limits.
bool WithinLevel(const TH264Level &Level, int Width, int Height, TFrameRate Fps) {
  const int64_t Blocks = static_cast<int64_t>((Width + 15) / 16) * ((Height + 15) / 16);
  return Blocks <= Level.FrameBlocks && Blocks * Fps.Frames <= Level.BlocksPerSecond * Fps.Seconds;
}

}  // namespace

bool ChooseEncoding(const TCaptureOptions &O, TVideoEncoding &Encoding, std::string &Error) {
  Encoding = ContainerDefaults(O.OutPath);
  if (!O.Preset.empty()) {
    const TPreset *Preset = FindPreset(O.Preset);
    if (!Preset) {
      Error = "no preset '" + O.Preset + "' (presets: " + PresetNames() + ")";
      return false;
    }
    if (!WritesEnding(*Preset, O.OutPath)) {
      Error = "--preset " + O.Preset + " writes " + Preset->Endings + ": --out must end so";
      return false;
    }
    ApplyPreset(*Preset, Encoding);
  }
  if (Encoding.Codec == TVideoCodec::Ffv1 && (O.Quality >= 0 || O.Bitrate > 0)) {
    Error = "--preset " + O.Preset + " is lossless: it takes no --quality or --bitrate";
    return false;
  }
  if (O.Quality >= 0) {
    const int Best = Encoding.Codec == TVideoCodec::H264 ? 1 : 0;
    const int Worst = Encoding.Codec == TVideoCodec::H264 ? 51 : 63;
    if (O.Quality < Best || O.Quality > Worst) {
      Error = "bad quality " + std::to_string(O.Quality) + ": expected " + std::to_string(Best) +
              ".." + std::to_string(Worst) + " for " +
              (Encoding.Codec == TVideoCodec::H264 ? "H.264" : "VP9") + " (lower is better)";
      return false;
    }
    Encoding.Quality = O.Quality;
    Encoding.Bitrate = 0;
    Encoding.ConstantBitrate = false;
  }
  if (O.Bitrate > 0) Encoding.Bitrate = O.Bitrate;
  if (std::strcmp(Encoding.Level, H264Level41.Name) == 0 &&
      !WithinLevel(H264Level41, O.Width, O.Height, O.Fps)) {
    Error = "--preset " + O.Preset + " keeps to H.264 level 4.1, which holds 1920x1080 at up to " +
            "30 fps: choose a smaller --size or a lower --fps";
    return false;
  }
  return true;
}
