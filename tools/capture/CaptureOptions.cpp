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

}  // namespace

bool ParseCaptureOptions(int Count, const char *const Args[], TCaptureOptions &Options,
                         std::string &Error) {
  for (int i = 1; i < Count; ++i) {
    const std::string Name = Args[i];
    const bool Known =
        Name == "--size" || Name == "--from" || Name == "--countdown" || Name == "--out";
    if (!Known) {
      Error = "unknown argument '" + Name + "'";
      return false;
    }
    if (i + 1 >= Count) {
      Error = Name + " needs a value";
      return false;
    }
    const char *Value = Args[++i];
    if (Name == "--size") {
      if (!ParseSize(Value, Options.Width, Options.Height)) {
        Error = "bad size '" + std::string(Value) + "': expected WxH, each 1.." +
                std::to_string(MaxCaptureSide);
        return false;
      }
    } else if (Name == "--out") {
      Options.OutPath = Value;
    } else {
      // The film's clock is a signed 64-bit count, the leader's an unsigned
      // 32-bit one; neither instant can be negative.
      Options.Countdown = Name == "--countdown";
      const int64_t Max = Options.Countdown ? std::numeric_limits<uint32_t>::max()
                                            : std::numeric_limits<int64_t>::max();
      if (!ParseCount(Value, Max, Options.Instant)) {
        Error = "bad instant '" + std::string(Value) + "' for " + Name +
                ": expected whole milliseconds, 0 or more";
        return false;
      }
    }
  }
  if (Options.OutPath.empty()) {
    Error = "--out FILE.png is required";
    return false;
  }
  return true;
}
