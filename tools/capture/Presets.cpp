#include "Presets.h"

#include <cstdio>

namespace {

// The video sites' recommended rates for SDR uploads at 60 frames a second
// (12 Mbit/s at 1080p, 53-68 at 2160p, AAC at 384 kbit/s), a party's H.264
// High at level 4.1 held at a stated 8 Mbit/s, and a lossless archive copy
// at the film's 4:3 shape on 1080 lines.
const TPreset Presets[] = {
    {"youtube-1080p60",
     "1920x1080 at 60 fps, a key frame each 0.5 s;\n"
     "H.264 High at 12 Mbit/s with AAC at 384 kbit/s, or in\n"
     ".webm VP9 at 12 Mbit/s with Opus at 256 kbit/s",
     1920, 1080, 60, ".mp4 .mkv .webm", false, 12000000, false, "", true, 384000},
    {"youtube-2160p60",
     "3840x2160 at 60 fps, a key frame each 0.5 s;\n"
     "H.264 High at 60 Mbit/s with AAC at 384 kbit/s, or in\n"
     ".webm VP9 at 60 Mbit/s with Opus at 256 kbit/s",
     3840, 2160, 60, ".mp4 .mkv .webm", false, 60000000, false, "", true, 384000},
    {"party-1080p",
     "1920x1080 at 30 fps; H.264 High, level 4.1, held at 8 Mbit/s;\n"
     "AAC at 192 kbit/s; .mp4 or .mkv",
     1920, 1080, 30, ".mp4 .mkv", false, 8000000, true, "4.1", false, 192000},
    {"master", "1440x1080 at 60 fps; lossless FFV1 (RGB) and FLAC; .mkv only", 1440, 1080, 60,
     ".mkv", true, 0, false, "", false, 0},
};

}  // namespace

const TPreset *FindPreset(const std::string &Name) {
  for (const TPreset &Preset : Presets)
    if (Name == Preset.Name) return &Preset;
  return nullptr;
}

std::string PresetList() {
  std::string List;
  for (const TPreset &Preset : Presets) {
    char Name[32];
    std::snprintf(Name, sizeof Name, "  %-17s ", Preset.Name);
    List += Name;
    // Continuation lines under the first line's text.
    for (const char *C = Preset.Sets; *C; ++C)
      List += *C == '\n' ? std::string("\n") + std::string(20, ' ') : std::string(1, *C);
    List += '\n';
  }
  return List;
}

std::string PresetNames() {
  std::string Names;
  for (const TPreset &Preset : Presets)
    Names += (Names.empty() ? "" : ", ") + std::string(Preset.Name);
  return Names;
}
