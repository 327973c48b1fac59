#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void PutLittle(std::vector<uint8_t> &Out, uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

void PutTag(std::vector<uint8_t> &Out, const char *Tag) { Out.insert(Out.end(), Tag, Tag + 4); }

}  // namespace

std::vector<uint8_t> MakeWav(const std::vector<float> &Interleaved, int Channels, int Rate) {
  const uint32_t DataBytes = static_cast<uint32_t>(Interleaved.size() * 2);
  std::vector<uint8_t> Out;
  Out.reserve(44 + DataBytes);
  PutTag(Out, "RIFF");
  PutLittle(Out, 36 + DataBytes, 4);
  PutTag(Out, "WAVE");
  PutTag(Out, "fmt ");
  PutLittle(Out, 16, 4);
  PutLittle(Out, 1, 2);  // PCM
  PutLittle(Out, static_cast<uint32_t>(Channels), 2);
  PutLittle(Out, static_cast<uint32_t>(Rate), 4);
  PutLittle(Out, static_cast<uint32_t>(Rate * Channels * 2), 4);
  PutLittle(Out, static_cast<uint32_t>(Channels * 2), 2);
  PutLittle(Out, 16, 2);
  PutTag(Out, "data");
  PutLittle(Out, DataBytes, 4);
  for (float Sample : Interleaved) {
    const long Value = std::lround(std::clamp(Sample, -1.0f, 1.0f) * 32767.0f);
    PutLittle(Out, static_cast<uint32_t>(static_cast<int16_t>(Value)), 2);
  }
  return Out;
}
