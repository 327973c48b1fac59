#include "CaptureOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

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
  return Name == "--size" || Name == "--fps" || Name == "--from" || Name == "--to" ||
         Name == "--countdown" || Name == "--music" || Name == "--jobs" || Name == "--out";
}

// One option with its value; false with the reason in Error.
bool ReadValue(const std::string &Name, const char *Value, TCaptureOptions &Options, bool &ToGiven,
               std::string &Error) {
  int64_t Number = 0;
  const std::string Text = Value;
  if (Name == "--size") {
    if (ParseSize(Value, Options.Width, Options.Height)) return true;
    Error = "bad size '" + Text + "': expected WxH, each 1.." + std::to_string(MaxCaptureSide);
  } else if (Name == "--fps") {
    if (ParseCount(Value, MaxFps, Number) && Number >= 1) {
      Options.Fps = static_cast<int>(Number);
      return true;
    }
    Error = "bad frame rate '" + Text + "': expected 1.." + std::to_string(MaxFps);
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
    Error = "bad instant '" + Text + "' for " + Name + ": expected whole milliseconds, 0 or more";
  }
  return false;
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
    if (!ReadValue(Name, Args[++i], Options, ToGiven, Error)) return false;
  }
  return CheckTogether(Options, ToGiven, Error);
}

std::string CaptureUsage() {
  return R"(Usage: quillmoor-capture [--size WxH] [--fps N] [--from MS] [--to MS] [--leader]
                         [--music FILE] [--jobs N] --out PATH

Renders the Quillmoor film without a display, GPU or sound device. Frame k
shows the film at DemoTime = floor(k * 1000 / fps) + from, drawn by the
demo's own code, so any frame comes out the same on every run.

  --out PATH      what to write, from how PATH ends:
                    FILE.png                  the single frame at --from
                    DIR/                      a PNG sequence, DIR/frame-000000.png onwards
                    FILE.mp4, .mkv, .webm     a video with the music in sync (needs the
                                              ffmpeg program; H.264 for mp4 and mkv,
                                              VP9 for webm)
  --size WxH      frame size in pixels, 1 to 16384 each (default 1024x768)
  --fps N         frames per second, 1 to 1000 (default 30)
  --from MS       film time of the first frame, 0 to 110000 (default 0)
  --to MS         stop before this film time, up to 110000 (default 110000)
  --leader        start with the countdown leader (3.3 s, fixed frame timing)
  --countdown MS  instead of the film: the leader's frame at MS ms of its clock
                  (with a .png output)
  --music FILE    the music the organism pulses to and the video carries
                  (default: music.mp3 here, else the one beside this program)
  --jobs N        render in N processes at once (default 1); same output
  --timing        at the end, where each renderer's time went (drawing, reading
                  the frame back, handing it on) on stderr
  --help          this text
  --version       the program's version

Example:
  quillmoor-capture --size 1280x720 --fps 30 --out film.mp4
)";
}
