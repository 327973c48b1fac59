// Converts interleaved stereo float frames from the file's rate to the
// device's with libsyn123's band-limited resampler (the library that comes
// with libmpg123). Equal rates pass through untouched, so a 44.1 kHz file on
// a 44.1 kHz device plays bit for bit as decoded.
#pragma once

#include <cstddef>
#include <vector>

struct syn123_struct;

class TRateConverter {
public:
  TRateConverter() = default;
  TRateConverter(const TRateConverter &) = delete;
  TRateConverter &operator=(const TRateConverter &) = delete;
  ~TRateConverter();

  // Converts Frames frames of In (at InRate) to OutRate and appends them to
  // Out. The filter state carries over between calls, so a stream converted
  // in pieces sounds as if converted whole; a change of rates starts afresh.
  // Returns the frames appended (0 also when the rates are out of range).
  size_t Convert(int InRate, int OutRate, float *In, size_t Frames, std::vector<float> &Out);

  // The most frames Convert can append for Frames input frames.
  static size_t MaxOutput(int InRate, int OutRate, size_t Frames);

private:
  bool Prepare(int InRate, int OutRate);

  syn123_struct *Handle = nullptr;
  int PreparedIn = 0;
  int PreparedOut = 0;
};
