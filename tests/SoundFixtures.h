// Small MP3 and non-MP3 files for the sound tests, made on the spot in a
// private temporary folder that disappears with the fixture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Mp3Encoder.h"
#include "TestTone.h"

class TScratchFolder {
public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder &) = delete;
  TScratchFolder &operator=(const TScratchFolder &) = delete;

  // The full path of Name inside the folder.
  std::string Path(const std::string &Name) const { return Root + "/" + Name; }
  // Writes Bytes to Name and returns its full path.
  std::string Write(const std::string &Name, const std::vector<uint8_t> &Bytes) const;

private:
  std::string Root;
};

std::vector<uint8_t> ToneMp3(const TToneOptions &Tone, const TEncodeOptions &Encoding = {});
// The same bytes behind an ID3v2 tag / followed by an ID3v1 tag.
std::vector<uint8_t> WithId3v2(const std::vector<uint8_t> &Mp3);
std::vector<uint8_t> WithId3v1(const std::vector<uint8_t> &Mp3);
// Deterministic pseudo-random bytes.
std::vector<uint8_t> RandomBytes(size_t Count, uint32_t Seed);
// Bytes with Share of them (at random places) changed to other values.
std::vector<uint8_t> WithFlippedBytes(const std::vector<uint8_t> &Bytes, double Share,
                                      uint32_t Seed);
std::vector<uint8_t> ReadBytes(const std::string &Path);
