// Plain test signals for fixtures: a sine or square tone, mono or stereo.
#pragma once

#include <vector>

struct TToneOptions {
  double Seconds = 1.0;
  int Rate = 44100;
  int Channels = 2;
  double Frequency = 440.0;
  float Amplitude = 0.5f;
  bool Square = false;    // full-scale square at Amplitude 1
  bool LeftOnly = false;  // silence on the right side (stereo only)
};

// Interleaved samples.
std::vector<float> MakeTone(const TToneOptions &Options);
