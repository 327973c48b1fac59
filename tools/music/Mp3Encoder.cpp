#include "Mp3Encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>

namespace {

using TLameHandle = std::unique_ptr<lame_global_flags, decltype(&lame_close)>;

constexpr int ChunkFrames = 8192;

bool Configure(lame_global_flags *Lame, int Channels, int Rate, const TEncodeOptions &Options) {
  lame_set_in_samplerate(Lame, Rate);
  lame_set_out_samplerate(Lame, Rate);
  lame_set_num_channels(Lame, Channels);
  lame_set_mode(Lame, Channels == 1 ? MONO : JOINT_STEREO);
  lame_set_quality(Lame, 5);
  lame_set_bWriteVbrTag(Lame, Options.InfoTag ? 1 : 0);
  if (Options.Vbr) {
    lame_set_VBR(Lame, vbr_abr);
    lame_set_VBR_mean_bitrate_kbps(Lame, Options.Bitrate);
  } else {
    lame_set_VBR(Lame, vbr_off);
    lame_set_brate(Lame, Options.Bitrate);
  }
  return lame_init_params(Lame) >= 0;
}

}  // namespace

std::vector<uint8_t> EncodeMp3(const std::vector<float> &Interleaved, int Channels, int Rate,
                               const TEncodeOptions &Options) {
  TLameHandle Lame(lame_init(), &lame_close);
  if (!Lame || (Channels != 1 && Channels != 2) || !Configure(Lame.get(), Channels, Rate, Options))
    return {};

  std::vector<uint8_t> Out;
  std::vector<uint8_t> Chunk(ChunkFrames * 5 / 4 + 7200);
  std::vector<float> Left(ChunkFrames), Right(ChunkFrames);
  const size_t Frames = Interleaved.size() / Channels;
  for (size_t Start = 0; Start < Frames; Start += ChunkFrames) {
    const size_t Count = std::min<size_t>(ChunkFrames, Frames - Start);
    for (size_t i = 0; i < Count; ++i) {
      Left[i] = Interleaved[(Start + i) * Channels];
      Right[i] = Interleaved[(Start + i) * Channels + Channels - 1];
    }
    const int Bytes = lame_encode_buffer_ieee_float(Lame.get(), Left.data(), Right.data(),
                                                    static_cast<int>(Count), Chunk.data(),
                                                    static_cast<int>(Chunk.size()));
    if (Bytes < 0) return {};
    Out.insert(Out.end(), Chunk.begin(), Chunk.begin() + Bytes);
  }
  const int Tail = lame_encode_flush(Lame.get(), Chunk.data(), static_cast<int>(Chunk.size()));
  if (Tail < 0) return {};
  Out.insert(Out.end(), Chunk.begin(), Chunk.begin() + Tail);
  // The encoder left room for the Info frame at the start; fill it in now
  // that the length is known.
  if (Options.InfoTag) {
    const size_t TagSize = lame_get_lametag_frame(Lame.get(), Chunk.data(), Chunk.size());
    if (TagSize > 0 && TagSize <= Out.size()) std::copy_n(Chunk.begin(), TagSize, Out.begin());
  }
  return Out;
}
