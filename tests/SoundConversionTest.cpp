// The sample ring between decoder and callback, and the rate converter.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "sound/Resampler.h"
#include "sound/SampleRing.h"

namespace {

// Runs Frames input frames (a ramp on the left, its negation on the right)
// through the converter in uneven pieces, as the decoder does.
std::vector<float> Convert(int InRate, int OutRate, size_t Frames) {
  Resampler Converter;
  Converter.SetRates(InRate, OutRate);
  std::vector<float> Out;
  std::vector<float> Piece, Converted;
  size_t Done = 0;
  for (size_t Size = 1; Done < Frames; Size = Size * 7 % 4999 + 1) {
    const size_t Count = std::min(Size, Frames - Done);
    Piece.resize(Count * 2);
    for (size_t i = 0; i < Count; ++i) {
      Piece[i * 2] = static_cast<float>(Done + i);
      Piece[i * 2 + 1] = -static_cast<float>(Done + i);
    }
    Converted.resize(Converter.MaxOutput(Count) * 2);
    size_t Consumed = 0;
    const size_t Made =
        Converter.Process(Piece.data(), Count, Consumed, Converted.data(), Converted.size() / 2);
    EXPECT_EQ(Consumed, Count);
    Out.insert(Out.end(), Converted.begin(), Converted.begin() + Made * 2);
    Done += Count;
  }
  return Out;
}

}  // namespace

TEST(SoundConversion, NoDriftOverTheWholeFilm) {
  // 110 s of input at each rate ends at 110 s of output, to the frame.
  for (int InRate : {32000, 44100, 48000, 22050}) {
    const size_t InFrames = static_cast<size_t>(InRate) * 110;
    const std::vector<float> Out = Convert(InRate, 44100, InFrames);
    const double Expected = 110.0 * 44100;
    EXPECT_NEAR(static_cast<double>(Out.size() / 2), Expected, 2.0) << InRate;
    // Output frame k sits at input position k * InRate / 44100 on the ramp.
    for (size_t k : {size_t{0}, size_t{12345}, Out.size() / 2 - 1}) {
      const double Position = static_cast<double>(k) * InRate / 44100;
      EXPECT_NEAR(Out[k * 2], Position, Position * 1e-6 + 1e-3) << InRate << " frame " << k;
      EXPECT_EQ(Out[k * 2 + 1], -Out[k * 2]);
    }
  }
}

TEST(SoundConversion, SameRateIsAnExactCopy) {
  const std::vector<float> Out = Convert(44100, 44100, 10000);
  ASSERT_GE(Out.size() / 2, 9999u);
  for (size_t k = 0; k < Out.size() / 2; ++k) ASSERT_EQ(Out[k * 2], static_cast<float>(k));
}

TEST(SoundConversion, RingKeepsOrderAcrossWrapsBetweenThreads) {
  SampleRing Ring(1000);
  EXPECT_EQ(Ring.Capacity(), 1024u);
  constexpr size_t kTotal = 200000;
  std::thread Producer([&] {
    std::vector<float> Chunk;
    for (size_t Sent = 0; Sent < kTotal;) {
      const size_t Count = std::min<size_t>(37 + Sent % 300, kTotal - Sent);
      Chunk.resize(Count * 2);
      for (size_t i = 0; i < Count; ++i)
        Chunk[i * 2] = Chunk[i * 2 + 1] = static_cast<float>(Sent + i);
      size_t Written = 0;
      while (Written < Count) {
        Written += Ring.Write(Chunk.data() + Written * 2, Count - Written);
        if (Written < Count) std::this_thread::yield();
      }
      Sent += Count;
    }
  });
  std::vector<float> Buffer(2 * 500);
  size_t Received = 0;
  bool InOrder = true;
  while (Received < kTotal) {
    const size_t Got = Ring.Read(Buffer.data(), 1 + Received % 500);
    for (size_t i = 0; i < Got; ++i)
      InOrder &=
          Buffer[i * 2] == static_cast<float>(Received + i) && Buffer[i * 2 + 1] == Buffer[i * 2];
    Received += Got;
    if (Got == 0) std::this_thread::yield();
  }
  Producer.join();
  EXPECT_TRUE(InOrder);
  EXPECT_EQ(Ring.Available(), 0u);
  EXPECT_EQ(Ring.Read(Buffer.data(), 10), 0u);
}
