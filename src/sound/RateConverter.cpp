#include "sound/RateConverter.h"

#include <syn123.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int StereoChannels = 2;

}  // namespace

TRateConverter::~TRateConverter() {
  if (Handle != nullptr) syn123_del(Handle);
}

bool TRateConverter::Prepare(int InRate, int OutRate) {
  if (Handle != nullptr && InRate == PreparedIn && OutRate == PreparedOut) return true;
  // A change of rates gets a fresh resampler. Setting up the old one again
  // for rates that need a different number of decimation stages (11.025 kHz
  // then 44.1 kHz, both down to 8 kHz) makes libsyn123 free its decimator
  // state twice; a fresh one costs only the filters' history at the join.
  if (Handle != nullptr) syn123_del(Handle);
  PreparedIn = PreparedOut = 0;
  int Error = SYN123_OK;
  Handle = syn123_new(OutRate, StereoChannels, MPG123_ENC_FLOAT_32, 0, &Error);
  if (Handle == nullptr) return false;
  if (syn123_setup_resample(Handle, InRate, OutRate, StereoChannels, 0, 0) != SYN123_OK)
    return false;
  PreparedIn = InRate;
  PreparedOut = OutRate;
  return true;
}

size_t TRateConverter::MaxOutput(int InRate, int OutRate, size_t Frames) {
  if (InRate == OutRate) return Frames;
  const size_t Piece = syn123_resample_maxincount(InRate, OutRate);
  if (Piece == 0) return 0;
  const size_t Whole = Frames / Piece;
  return Whole * syn123_resample_count(InRate, OutRate, Piece) +
         syn123_resample_count(InRate, OutRate, Frames % Piece);
}

size_t TRateConverter::Convert(int InRate, int OutRate, float *In, size_t Frames,
                               std::vector<float> &Out) {
  const size_t Start = Out.size() / StereoChannels;
  if (InRate == OutRate) {
    Out.insert(Out.end(), In, In + Frames * StereoChannels);
    return Frames;
  }
  if (InRate <= 0 || OutRate <= 0 || !Prepare(InRate, OutRate)) return 0;
  // The resampler takes a bounded number of frames per call.
  const size_t Piece = std::max<size_t>(syn123_resample_maxincount(InRate, OutRate), 1);
  size_t Made = Start;
  Out.resize((Start + MaxOutput(InRate, OutRate, Frames)) * StereoChannels);
  for (size_t Done = 0; Done < Frames;) {
    const size_t Count = std::min(Piece, Frames - Done);
    Made += syn123_resample(Handle, &Out[Made * StereoChannels], In + Done * StereoChannels, Count);
    Done += Count;
  }
  Out.resize(Made * StereoChannels);
  return Made - Start;
}
