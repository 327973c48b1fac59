// Linear-interpolating sample-rate converter for interleaved stereo frames.
// The read position advances in exact integer steps (InRate / OutRate of an
// input frame per output frame), so no error accumulates: N input frames
// always give N * OutRate / InRate output frames, however long the stream.
#pragma once

#include <cstddef>
#include <cstdint>

class Resampler {
public:
  // Changing the input rate mid-stream keeps the current position.
  void SetRates(int InRate, int OutRate);

  // Converts as much of In as fits into Out. Returns the frames written to
  // Out and stores in Consumed how many input frames were used up.
  size_t Process(const float *In, size_t InFrames, size_t &Consumed, float *Out, size_t OutFrames);

  // The most output frames that InFrames input frames can give.
  size_t MaxOutput(size_t InFrames) const;

private:
  int64_t InRate = 1;
  int64_t OutRate = 1;
  // Output time between Last and the next input frame, in 1/OutRate steps.
  int64_t Phase = 0;
  float Last[2] = {0.0f, 0.0f};
  bool HaveLast = false;
};
