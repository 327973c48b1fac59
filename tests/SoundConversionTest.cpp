// The sample ring between decoder and callback, and the rate converter.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "sound/RateConverter.h"
#include "sound/SampleRing.h"

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double ToneHz = 1000.0;
constexpr double MarkSeconds = 100.0;  // where a click sits in the input

// Frames input frames at InRate: a 1 kHz tone of amplitude 0.5 on the left,
// the right side silent except for one full-scale click at MarkSeconds.
std::vector<float> Input(int InRate, size_t From, size_t Count) {
  std::vector<float> Out(Count * 2);
  const size_t Mark = static_cast<size_t>(MarkSeconds * InRate);
  for (size_t i = 0; i < Count; ++i) {
    Out[i * 2] = static_cast<float>(0.5 * std::sin(TwoPi * ToneHz * (From + i) / InRate));
    Out[i * 2 + 1] = From + i == Mark ? 1.0f : 0.0f;
  }
  return Out;
}

// Runs Frames input frames through the converter in uneven pieces, as the
// decoder does.
std::vector<float> Convert(int InRate, int OutRate, size_t Frames) {
  TRateConverter Converter;
  std::vector<float> Out;
  size_t Done = 0;
  for (size_t Size = 1; Done < Frames; Size = Size * 7 % 4999 + 1) {
    const size_t Count = std::min(Size, Frames - Done);
    std::vector<float> Piece = Input(InRate, Done, Count);
    const size_t Before = Out.size();
    const size_t Made = Converter.Convert(InRate, OutRate, Piece.data(), Count, Out);
    EXPECT_EQ(Out.size() - Before, Made * 2);
    EXPECT_LE(Made, TRateConverter::MaxOutput(InRate, OutRate, Count));
    Done += Count;
  }
  return Out;
}

}  // namespace

TEST(SoundConversion, EveryMp3RateKeepsSpeedAndPitchOverTheWholeFilm) {
  // 110 s of input at each rate ends at 110 s of output, to a few frames; the
  // click comes out where it went in and the tone keeps its pitch.
  for (int InRate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
    SCOPED_TRACE(InRate);
    const std::vector<float> Out = Convert(InRate, 44100, static_cast<size_t>(InRate) * 110);
    const size_t Frames = Out.size() / 2;
    EXPECT_NEAR(static_cast<double>(Frames), 110.0 * 44100, 4.0);

    size_t Loudest = 0;
    int Crossings = 0;
    const size_t From = 44100 * 10, To = 44100 * 20;
    for (size_t k = 1; k < Frames; ++k) {
      if (std::fabs(Out[k * 2 + 1]) > std::fabs(Out[Loudest * 2 + 1])) Loudest = k;
      if (k > From && k <= To) Crossings += Out[k * 2 - 2] < 0.0f && Out[k * 2] >= 0.0f;
    }
    // A few frames of filter delay, nothing that adds up with time.
    EXPECT_NEAR(static_cast<double>(Loudest) / 44100, MarkSeconds, 0.001);
    EXPECT_NEAR(Crossings / 10.0, ToneHz, 1.0);
  }
}

// A file can join parts of different rates. Going from one rate to another
// that needs more or fewer decimation stages once freed the resampler's state
// twice (found by fuzzing the music path).
TEST(SoundConversion, ARateChangeMidStreamGoesOnAtTheNewRate) {
  const struct {
    int First, Second, Device;
  } Cases[] = {
      {11025, 44100, 8000}, {44100, 11025, 8000},  {8000, 48000, 22050},
      {48000, 8000, 44100}, {22050, 32000, 44100},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(std::to_string(Case.First) + " then " + std::to_string(Case.Second) + " to " +
                 std::to_string(Case.Device));
    TRateConverter Converter;
    std::vector<float> Out;
    for (int Rate : {Case.First, Case.Second, Case.First}) {
      std::vector<float> Second = Input(Rate, 0, static_cast<size_t>(Rate));
      const size_t Made = Converter.Convert(Rate, Case.Device, Second.data(), Rate, Out);
      EXPECT_NEAR(static_cast<double>(Made), Case.Device, Case.Device * 0.01) << Rate;
    }
    for (float Sample : Out) ASSERT_LE(std::fabs(Sample), 1.0f);
  }
}

TEST(SoundConversion, SameRateIsAnExactCopy) {
  const std::vector<float> Out = Convert(44100, 44100, 10000);
  const std::vector<float> In = Input(44100, 0, 10000);
  EXPECT_EQ(Out, In);
}

TEST(SoundConversion, RingKeepsOrderAcrossWrapsBetweenThreads) {
  TSampleRing Ring(1000);
  EXPECT_EQ(Ring.Capacity(), 1024u);
  constexpr size_t Total = 200000;
  // Both sides give up at a deadline generous for a loaded machine, so a ring
  // that loses or withholds frames fails the test instead of hanging it.
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  const auto Late = [&] { return std::chrono::steady_clock::now() > Deadline; };
  std::thread Producer([&] {
    std::vector<float> Chunk;
    for (size_t Sent = 0; Sent < Total && !Late();) {
      const size_t Count = std::min<size_t>(37 + Sent % 300, Total - Sent);
      Chunk.resize(Count * 2);
      for (size_t i = 0; i < Count; ++i)
        Chunk[i * 2] = Chunk[i * 2 + 1] = static_cast<float>(Sent + i);
      size_t Written = 0;
      while (Written < Count && !Late()) {
        Written += Ring.Write(Chunk.data() + Written * 2, Count - Written);
        if (Written < Count) std::this_thread::yield();
      }
      Sent += Count;
    }
  });
  std::vector<float> Buffer(2 * 500);
  size_t Received = 0;
  bool InOrder = true;
  while (Received < Total && !Late()) {
    const size_t Got = Ring.Read(Buffer.data(), 1 + Received % 500);
    for (size_t i = 0; i < Got; ++i)
      InOrder &=
          Buffer[i * 2] == static_cast<float>(Received + i) && Buffer[i * 2 + 1] == Buffer[i * 2];
    Received += Got;
    if (Got == 0) std::this_thread::yield();
  }
  Producer.join();
  ASSERT_EQ(Received, Total) << "the frames stopped coming";
  EXPECT_TRUE(InOrder);
  EXPECT_EQ(Ring.Available(), 0u);
  EXPECT_EQ(Ring.Read(Buffer.data(), 10), 0u);
}
