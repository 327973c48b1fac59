#include "FrameRate.h"

#include <cstring>
#include <numeric>

namespace {

// Digits only, at least one, at most 12 of them (no overflow below).
bool ReadDigits(const char *From, const char *To, int64_t &Value) {
  if (From == To || To - From > 12) return false;
  Value = 0;
  for (const char *C = From; C < To; ++C) {
    if (*C < '0' || *C > '9') return false;
    Value = Value * 10 + (*C - '0');
  }
  return true;
}

TFrameRate Reduced(int64_t Frames, int64_t Seconds) {
  const int64_t Common = std::gcd(Frames, Seconds);
  return Common > 0 ? TFrameRate(Frames / Common, Seconds / Common) : TFrameRate(Frames, Seconds);
}

// Whole.Places as a fraction over 10^Count, or the broadcast rate it rounds.
bool ReadDecimal(const char *Text, const char *Point, TFrameRate &Rate) {
  const char *End = Point + std::strlen(Point);
  const int64_t Count = End - Point - 1;
  int64_t Whole = 0, Places = 0;
  if (Count < 1 || Count > 6 || !ReadDigits(Text, Point, Whole) ||
      !ReadDigits(Point + 1, End, Places) || Whole > MaxFrameRateSeconds)
    return false;
  int64_t Scale = 1;
  for (int64_t I = 0; I < Count; ++I) Scale *= 10;
  const int64_t Stated = Whole * Scale + Places;  // the rate times Scale
  Rate = Reduced(Stated, Scale);
  if (Count < 2) return true;
  // N * 1000/1001 rounded to Count places, for the N nearest the stated rate.
  const int64_t N = (Stated * 1001 + Scale * 500) / (Scale * 1000);
  const int64_t Rounded = (N * 1000 * Scale * 2 + 1001) / (1001 * 2);
  if (N > 0 && Rounded == Stated && Stated % Scale != 0) Rate = Reduced(N * 1000, 1001);
  return true;
}

}  // namespace

std::string TFrameRate::Text() const {
  return Seconds == 1 ? std::to_string(Frames)
                      : std::to_string(Frames) + "/" + std::to_string(Seconds);
}

bool ParseFrameRate(const char *Text, int64_t MaxRate, TFrameRate &Rate) {
  if (!Text) return false;
  const char *End = Text + std::strlen(Text);
  TFrameRate Read;
  if (const char *Slash = std::strchr(Text, '/')) {
    int64_t Frames = 0, Seconds = 0;
    if (!ReadDigits(Text, Slash, Frames) || !ReadDigits(Slash + 1, End, Seconds) || Seconds < 1)
      return false;
    Read = Reduced(Frames, Seconds);
  } else if (const char *Point = std::strchr(Text, '.')) {
    if (!ReadDecimal(Text, Point, Read)) return false;
  } else if (!ReadDigits(Text, End, Read.Frames)) {
    return false;
  }
  if (Read.Seconds > MaxFrameRateSeconds || Read.Frames < Read.Seconds ||
      Read.Frames > MaxRate * Read.Seconds)
    return false;
  Rate = Read;
  return true;
}
