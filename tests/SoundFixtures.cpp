#include "SoundFixtures.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TScratchFolder::TScratchFolder() {
  char Template[] = "/tmp/quillmoor-sound-XXXXXX";
  if (mkdtemp(Template) == nullptr) throw std::runtime_error("mkdtemp failed");
  Root = Template;
}

TScratchFolder::~TScratchFolder() {
  std::error_code Ignored;
  std::filesystem::remove_all(Root, Ignored);
}

std::string TScratchFolder::Write(const std::string &Name,
                                  const std::vector<uint8_t> &Bytes) const {
  const std::string Full = Path(Name);
  std::ofstream Out(Full, std::ios::binary);
  Out.write(reinterpret_cast<const char *>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  return Full;
}

std::vector<uint8_t> ToneMp3(const TToneOptions &Tone, const TEncodeOptions &Encoding) {
  return EncodeMp3(MakeTone(Tone), Tone.Channels, Tone.Rate, Encoding);
}

std::vector<uint8_t> WithId3v2(const std::vector<uint8_t> &Mp3) {
  // ID3v2.3 header with a syncsafe body size of 256, one title frame, padding.
  const uint8_t Header[10] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x02, 0x00};
  const char Title[] = "TIT2\0\0\0\x08\0\0\0Quillmo";
  std::vector<uint8_t> Out(10 + 256 + Mp3.size(), 0);
  std::copy(Header, Header + 10, Out.begin());
  std::copy(Title, Title + sizeof Title - 1, Out.begin() + 10);
  std::copy(Mp3.begin(), Mp3.end(), Out.begin() + 10 + 256);
  return Out;
}

std::vector<uint8_t> WithId3v1(const std::vector<uint8_t> &Mp3) {
  std::vector<uint8_t> Out = Mp3;
  std::vector<uint8_t> Tag(128, 0);
  Tag[0] = 'T';
  Tag[1] = 'A';
  Tag[2] = 'G';
  const char Title[] = "Quillmoor test tone";
  std::copy(Title, Title + sizeof Title - 1, Tag.begin() + 3);
  Out.insert(Out.end(), Tag.begin(), Tag.end());
  return Out;
}

std::vector<uint8_t> RandomBytes(size_t Count, uint32_t Seed) {
  std::vector<uint8_t> Out(Count);
  uint32_t State = Seed;
  for (uint8_t &Byte : Out) {
    State = State * 1664525u + 1013904223u;
    Byte = static_cast<uint8_t>(State >> 24);
  }
  return Out;
}

std::vector<uint8_t> WithFlippedBytes(const std::vector<uint8_t> &Bytes, double Share,
                                      uint32_t Seed) {
  std::vector<uint8_t> Out = Bytes;
  uint32_t State = Seed;
  const auto Next = [&State] {
    State = State * 1664525u + 1013904223u;
    return State >> 8;
  };
  const size_t Count = static_cast<size_t>(static_cast<double>(Bytes.size()) * Share);
  for (size_t i = 0; i < Count && !Out.empty(); ++i)
    Out[Next() % Out.size()] ^= static_cast<uint8_t>(1 + Next() % 255);
  return Out;
}

std::vector<uint8_t> ReadBytes(const std::string &Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// SDL opens a session-bus connection whenever a subsystem starts; libdbus
// keeps internal buffers past SDL_Quit that LeakSanitizer sometimes reports
// at exit. They belong to the system library, not to this program.
extern "C" const char *__lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
