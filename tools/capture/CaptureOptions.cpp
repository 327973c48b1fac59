#include "CaptureOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "Presets.h"
#include "VideoEncoding.h"

namespace {

// A whole decimal number with no sign, nothing before or after it.
bool ParseCount(const char *Text, int64_t Max, int64_t &Value) {
  if (!Text || *Text < '0' || *Text > '9') return false;
  errno = 0;
  char *End = nullptr;
  const long long Parsed = std::strtoll(Text, &End, 10);
  if (errno != 0 || *End != '\0' || Parsed > Max) return false;
  Value = Parsed;
  return true;
}

bool ParseSize(const char *Text, int &Width, int &Height) {
  const char *Cross = std::strchr(Text, 'x');
  if (!Cross) return false;
  const std::string WidthText(Text, Cross);
  int64_t W = 0, H = 0;
  if (!ParseCount(WidthText.c_str(), MaxCaptureSide, W) ||
      !ParseCount(Cross + 1, MaxCaptureSide, H))
    return false;
  if (W < 1 || H < 1) return false;
  Width = static_cast<int>(W);
  Height = static_cast<int>(H);
  return true;
}

// "8M", "8000k" or "8000000": bits a second, within MinBitrate..MaxBitrate.
bool ParseBitrate(const char *Text, int64_t &Bits) {
  std::string Digits = Text;
  int64_t Scale = 1;
  if (!Digits.empty() && (Digits.back() == 'k' || Digits.back() == 'M')) {
    Scale = Digits.back() == 'k' ? 1000 : 1000000;
    Digits.pop_back();
  }
  int64_t Number = 0;
  if (!ParseCount(Digits.c_str(), MaxBitrate, Number) || Number * Scale > MaxBitrate ||
      Number * Scale < MinBitrate)
    return false;
  Bits = Number * Scale;
  return true;
}

bool KindOf(const std::string &Path, TOutputKind &Kind) {
  if (!Path.empty() && Path.back() == '/')
    Kind = TOutputKind::PngSequence;
  else if (EndsWith(Path, ".png"))
    Kind = TOutputKind::Png;
  else if (EndsWith(Path, ".mp4") || EndsWith(Path, ".mkv") || EndsWith(Path, ".webm"))
    Kind = TOutputKind::Video;
  else
    return false;
  return true;
}

bool TakesValue(const std::string &Name) {
  return Name == "--size" || Name == "--film" || Name == "--bits" || Name == "--fps" ||
         Name == "--from" || Name == "--to" || Name == "--countdown" || Name == "--music" ||
         Name == "--jobs" || Name == "--out" || Name == "--preset" || Name == "--quality" ||
         Name == "--bitrate";
}

// One option with its value; false with the reason in Error.
bool ReadValue(const std::string &Name, const char *Value, TCaptureOptions &Options, bool &ToGiven,
               std::string &Error) {
  int64_t Number = 0;
  const std::string Text = Value;
  if (Name == "--size" || Name == "--film") {
    if (ParseSize(Value, Name == "--size" ? Options.Width : Options.FilmWidth,
                  Name == "--size" ? Options.Height : Options.FilmHeight))
      return true;
    Error = "bad size '" + Text + "' for " + Name + ": expected WxH, each 1.." +
            std::to_string(MaxCaptureSide);
  } else if (Name == "--bits") {
    if (Text == "16" || Text == "32") {
      Options.Bits = Text == "16" ? 16 : 32;
      return true;
    }
    Error = "bad colour depth '" + Text + "': expected 16 or 32";
  } else if (Name == "--fps") {
    if (ParseFrameRate(Value, MaxFps, Options.Fps)) return true;
    Error = "bad frame rate '" + Text + "': expected 1.." + std::to_string(MaxFps) +
            " frames a second, as N, N/D (60000/1001) or a decimal (59.94)";
  } else if (Name == "--quality") {
    if (ParseCount(Value, 63, Number)) {
      Options.Quality = static_cast<int>(Number);
      return true;
    }
    Error = "bad quality '" + Text + "': expected a whole number, lower is better";
  } else if (Name == "--bitrate") {
    if (ParseBitrate(Value, Options.Bitrate)) return true;
    Error = "bad bit rate '" + Text + "': expected bits a second like 8M or 2500k, 10k..1000M";
  } else if (Name == "--preset") {
    return true;  // read before the others (see ApplyPreset)
  } else if (Name == "--jobs") {
    if (ParseCount(Value, MaxJobs, Number) && Number >= 1) {
      Options.Jobs = static_cast<int>(Number);
      return true;
    }
    Error = "bad job count '" + Text + "': expected 1.." + std::to_string(MaxJobs);
  } else if (Name == "--out") {
    Options.OutPath = Text;
    return true;
  } else if (Name == "--music") {
    Options.MusicPath = Text;
    if (!Text.empty()) return true;
    Error = "--music needs a file name";
  } else {
    // --from, --to, --countdown: whole milliseconds. The film's clock is a
    // signed 64-bit count, the leader's an unsigned 32-bit one.
    Options.Countdown = Options.Countdown || Name == "--countdown";
    const int64_t Max = Name == "--countdown" ? std::numeric_limits<uint32_t>::max()
                                              : std::numeric_limits<int64_t>::max();
    if (ParseCount(Value, Max, Number)) {
      (Name == "--to" ? Options.To : Options.From) = Number;
      ToGiven = ToGiven || Name == "--to";
      return true;
    }
    // The range the option takes: the leader's clock, or the film.
    Error = "bad instant '" + Text + "' for " + Name + ": expected whole milliseconds, 0.." +
            std::to_string(Name == "--countdown" ? Max : static_cast<int64_t>(FilmEnd));
  }
  return false;
}

// The preset's frame size and rate, as --size and --fps set them, before
// the options given, which override them.
bool ApplyPreset(const std::string &Name, TCaptureOptions &Options, std::string &Error) {
  const TPreset *Preset = FindPreset(Name);
  if (!Preset) {
    Error = "no preset '" + Name + "' (presets: " + PresetNames() + ")";
    return false;
  }
  Options.Preset = Name;
  Options.Width = Preset->Width;
  Options.Height = Preset->Height;
  Options.Fps = Preset->Fps;
  return true;
}

// The checks that need every option: the instants against the film and the
// output against what the path asks for.
bool CheckTogether(TCaptureOptions &Options, bool ToGiven, std::string &Error) {
  if (Options.OutPath.empty()) {
    Error = "--out PATH is required (PATH.png, DIR/, PATH.mp4, .mkv or .webm)";
    return false;
  }
  if (!KindOf(Options.OutPath, Options.Kind)) {
    Error = "cannot tell what to write to '" + Options.OutPath +
            "': end it in .png, / (a PNG sequence), .mp4, .mkv or .webm";
    return false;
  }
  if (Options.Quality >= 0 && Options.Bitrate > 0) {
    Error = "--quality and --bitrate each set how the picture is encoded: give one of them";
    return false;
  }
  TVideoEncoding Encoding;
  if (Options.Kind == TOutputKind::Video && !ChooseEncoding(Options, Encoding, Error)) return false;
  if (Options.Countdown) {
    if (Options.Kind == TOutputKind::Png) return true;
    Error = "--countdown renders one leader frame: --out must end in .png";
    return false;
  }
  if (Options.From > FilmEnd) {
    Error = "--from " + std::to_string(Options.From) + " is outside the film (0.." +
            std::to_string(FilmEnd) + " ms)";
    return false;
  }
  // A sequence or a video from the film's end would hold no frame (a
  // leader alone still has its own).
  if (Options.Kind != TOutputKind::Png && Options.From == FilmEnd && !Options.Leader) {
    Error = "--from " + std::to_string(Options.From) + " leaves no frame to capture: the film " +
            "ends at " + std::to_string(FilmEnd) + " ms (for " + Options.OutPath + ": 0.." +
            std::to_string(FilmEnd - 1) + ")";
    return false;
  }
  if (!ToGiven) return true;
  if (Options.To <= Options.From) {
    Error = "--to " + std::to_string(Options.To) + " must come after --from " +
            std::to_string(Options.From);
    return false;
  }
  if (Options.To > FilmEnd) {
    Error = "--to " + std::to_string(Options.To) + " is outside the film (it ends at " +
            std::to_string(FilmEnd) + " ms)";
    return false;
  }
  return true;
}

}  // namespace

bool EndsWith(const std::string &Path, const char *Tail) {
  const size_t Length = std::strlen(Tail);
  return Path.size() > Length && Path.compare(Path.size() - Length, Length, Tail) == 0;
}

bool ParseCaptureOptions(int Count, const char *const Args[], TCaptureOptions &Options,
                         std::string &Error) {
  bool ToGiven = false;
  std::vector<std::pair<std::string, const char *>> Given;
  for (int i = 1; i < Count; ++i) {
    const std::string Name = Args[i];
    if (Name == "--help" || Name == "-h" || Name == "--version") {
      (Name == "--version" ? Options.Version : Options.Help) = true;
      return true;
    }
    if (Name == "--leader" || Name == "--timing") {
      (Name == "--leader" ? Options.Leader : Options.Timing) = true;
      continue;
    }
    if (!TakesValue(Name)) {
      Error = "unknown argument '" + Name + "' (see --help)";
      return false;
    }
    if (i + 1 >= Count) {
      Error = Name + " needs a value";
      return false;
    }
    Given.emplace_back(Name, Args[++i]);
  }
  // The preset first, wherever it stands: every option given overrides it.
  for (const auto &[Name, Value] : Given)
    if (Name == "--preset" && !ApplyPreset(Value, Options, Error)) return false;
  for (const auto &[Name, Value] : Given)
    if (!ReadValue(Name, Value, Options, ToGiven, Error)) return false;
  return CheckTogether(Options, ToGiven, Error);
}

TFilmSize FilmSizeOf(const TCaptureOptions &Options) {
  if (Options.FilmWidth > 0 && Options.FilmHeight > 0)
    return {Options.FilmWidth, Options.FilmHeight};
  return DefaultFilmSize(Options.Width, Options.Height);
}

std::string CaptureUsage() {
  return R"(Usage: quillmoor-capture [--preset NAME] [--size WxH] [--film WxH] [--bits 16]
                         [--fps RATE]
                         [--from MS] [--to MS] [--leader]
                         [--quality CRF | --bitrate RATE] [--music FILE]
                         [--jobs N] --out PATH

Renders the Quillmoor film without a display, GPU or sound device. Frame k
shows the film at DemoTime = floor(k * 1000 / fps) + from, drawn by the
demo's own code, so any frame comes out the same on every run.

Presets (each sets what is listed; any option given overrides its part):
)" + PresetList() +
         R"(
  --out PATH      what to write, from how PATH ends:
                    FILE.png                  the single frame at --from
                    DIR/                      a PNG sequence, DIR/frame-000000.png onwards
                    FILE.mp4, .mkv, .webm     a video with the music in sync (needs the
                                              ffmpeg program; H.264 and AAC in mp4 and
                                              mkv, VP9 and Opus in webm; BT.709 colour,
                                              limited range)
  --preset NAME   a preset from the list above
  --size WxH      frame size in pixels, 1 to 16384 each (default 1024x768)
  --film WxH      the size the film is drawn at, shown in the frame with its
                  shape kept, black bars around it; default: the frame itself
                  when it is 4:3 or 1280x1024, else the largest 4:3 size that
                  fits it (1440x1080 in 1920x1080). --film 1600x1200 draws it
                  as the largest display mode does, scaled up to the frame
  --bits 16       the film in 16-bit colours (5-6-5), as the 16-bit display
                  modes show it (default 32)
  --fps RATE      frames per second, 1 to 1000 (default 30): N, N/D (60000/1001)
                  or a decimal; 23.976, 29.97 and 59.94 (any N*1000/1001 to two
                  or more places) mean 24000/1001, 30000/1001 and 60000/1001,
                  other decimals exactly what they say (12.5 is 25/2)
  --from MS       film time of the first frame, 0 to 110000 (default 0)
  --to MS         stop before this film time, up to 110000 (default 110000)
  --leader        start with the countdown leader (3.3 s, fixed frame timing)
  --countdown MS  instead of the film: the leader's frame at MS ms of its clock,
                  0 to 4294967295 (with a .png output)
  --quality CRF   constant quality, lower is better: 1 to 51 for H.264 (default
                  18), 0 to 63 for VP9 (default 32)
  --bitrate RATE  the picture's average bit rate instead, e.g. 8M or 2500k
  --music FILE    the music the organism pulses to and the video carries
                  (default: music.mp3 here, else the one beside this program)
  --jobs N        render in N processes at once (default 1); same output
  --timing        at the end, where each renderer's time went (drawing, reading
                  the frame back, handing it on) on stderr
  --help          this text
  --version       the program's version

Progress goes to stderr: a bar on a terminal, else a line every few seconds.

Examples:
  quillmoor-capture --preset youtube-1080p60 --out film.mp4
  quillmoor-capture --preset youtube-2160p60 --film 1600x1200 --jobs 2 --out film-4k.mp4
  quillmoor-capture --preset master --jobs 2 --out master.mkv
  quillmoor-capture --size 1024x768 --fps 60000/1001 --quality 20 --out film.mp4
)";
}
