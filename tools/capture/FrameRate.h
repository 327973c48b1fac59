// A capture's frame rate as an exact fraction, so that broadcast rates such
// as 60000/1001 put every frame at its exact instant.
#pragma once

#include <cstdint>
#include <string>

struct TFrameRate {
  int64_t Frames = 30;  // so many frames ...
  int64_t Seconds = 1;  // ... in so many seconds, the fraction in lowest terms
  constexpr TFrameRate() = default;
  // A whole number of frames a second reads as itself: Options.Fps = 25.
  constexpr TFrameRate(int64_t FramesPer, int64_t InSeconds = 1)
      : Frames(FramesPer), Seconds(InSeconds) {}
  bool operator==(const TFrameRate &Other) const {
    return Frames == Other.Frames && Seconds == Other.Seconds;
  }
  // Whole frames a second, rounded up: 60 for 60000/1001.
  int64_t PerSecondCeiling() const { return (Frames + Seconds - 1) / Seconds; }
  // "30" or "60000/1001", as ffmpeg reads a rate.
  std::string Text() const;
};

// The largest denominator accepted: six decimal places, or N/1000000.
constexpr int64_t MaxFrameRateSeconds = 1000000;

// Reads "N", "N/D" or a decimal. A decimal with two or more places that is
// N * 1000/1001 rounded to those places means that broadcast rate (29.97 is
// 30000/1001, 59.94 is 60000/1001, 23.976 is 24000/1001); any other decimal
// means exactly what it says (12.5 is 25/2). False unless the rate lies in
// 1..MaxRate frames a second with a denominator up to MaxFrameRateSeconds.
bool ParseFrameRate(const char *Text, int64_t MaxRate, TFrameRate &Rate);
