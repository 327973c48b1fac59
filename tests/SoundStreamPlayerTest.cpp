// The stream player between decoder thread and audio callback: what the
// callback hands out before, during and after the music, and the levels of
// what is audible, a device latency behind what was handed out.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "SoundFixtures.h"
#include "sound/StreamPlayer.h"

namespace {

constexpr int MixRate = 44100;
constexpr int LatencyFrames = 4410;  // 100 ms

// Waits until the decoder has put the whole (short) file in the ring.
void WaitForDecoder(const TStreamPlayer &Player) {
  // A deadline generous enough for a loaded machine: the file is 0.3 s.
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Player.DecodingFinished() && std::chrono::steady_clock::now() < Deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_TRUE(Player.DecodingFinished());
}

// Plays the whole file the way the device does, in callback-sized pieces,
// but never faster than the decoder delivers: the output holds every frame
// the decoder made, with no underrun gaps. Stops at a deadline generous for a
// loaded machine if the decoder stops delivering.
std::vector<float> PlayToTheEnd(TStreamPlayer &Player) {
  constexpr size_t Piece = 441;
  std::vector<float> Out;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  Player.Play();
  while (std::chrono::steady_clock::now() < Deadline) {
    const bool Ended = Player.DecodingFinished();
    const size_t Ready = Player.BufferedFrames();
    if (Ended && Ready == 0) break;
    if (Ready < Piece && !Ended) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    const size_t Count = std::min(Piece, Ready);
    Out.resize(Out.size() + Count * 2);
    Player.Render(&Out[Out.size() - Count * 2], Count);
  }
  return Out;
}

bool AllZero(const std::vector<float> &Samples, size_t From, size_t To) {
  for (size_t i = From; i < To; ++i)
    if (Samples[i] != 0.0f) return false;
  return true;
}

}  // namespace

TEST(SoundStreamPlayer, SilenceBeforePlayThenTheMusicThenSilence) {
  TScratchFolder Folder;
  TToneOptions Tone;
  Tone.Seconds = 0.3;
  Tone.Amplitude = 0.5f;
  TStreamPlayer Player(MixRate, LatencyFrames);
  ASSERT_EQ(Player.Open(Folder.Write("tone.mp3", ToneMp3(Tone)).c_str()), TMp3OpenResult::Ok);
  WaitForDecoder(Player);

  std::vector<float> Out(2 * MixRate / 2, 1.0f);  // half a second
  Player.Render(Out.data(), 1024);
  EXPECT_TRUE(AllZero(Out, 0, 2048));
  EXPECT_EQ(Player.PlayedFrames(), 0u);  // nothing consumed while stopped
  float Left = -1, Right = -1;
  EXPECT_FALSE(Player.CurrentLevels(Left, Right));

  Player.Play();
  for (size_t Done = 0; Done < Out.size() / 2; Done += 441)  // callback-sized pieces
    Player.Render(Out.data() + Done * 2, 441);
  const size_t ToneEnd = static_cast<size_t>(0.3 * MixRate);
  EXPECT_FALSE(AllZero(Out, 0, 2 * 1000));
  EXPECT_TRUE(AllZero(Out, 2 * (ToneEnd + 100), Out.size()));
  EXPECT_EQ(Player.Underruns(), 0u);  // running out at the end is not an underrun

  EXPECT_TRUE(Player.LevelsAt(static_cast<int64_t>(0.2 * MixRate), Left, Right));
  EXPECT_NEAR(Left, 0.5f, 0.05f);
  EXPECT_TRUE(Player.LevelsAt(static_cast<int64_t>(0.45 * MixRate), Left, Right));
  EXPECT_EQ(Left, 0.0f);
}

TEST(SoundStreamPlayer, LevelsAreOfWhatIsHeardNotWhatWasHandedOver) {
  TScratchFolder Folder;
  TToneOptions Tone;
  Tone.Seconds = 0.3;
  Tone.Amplitude = 0.5f;
  TStreamPlayer Player(MixRate, LatencyFrames);
  ASSERT_EQ(Player.Open(Folder.Write("tone.mp3", ToneMp3(Tone)).c_str()), TMp3OpenResult::Ok);
  WaitForDecoder(Player);
  Player.Play();
  // Hand over 0.33 s: the tone has ended in the last 20 ms handed over, but
  // the device is still playing what it got 100 ms earlier.
  std::vector<float> Out(2 * 14553);
  Player.Render(Out.data(), Out.size() / 2);
  float Left = -1, Right = -1;
  EXPECT_TRUE(Player.LevelsAt(static_cast<int64_t>(Player.PlayedFrames()), Left, Right));
  EXPECT_EQ(Left, 0.0f);
  EXPECT_TRUE(Player.CurrentLevels(Left, Right));
  EXPECT_NEAR(Left, 0.5f, 0.05f);
  EXPECT_NEAR(Right, 0.5f, 0.05f);
  Player.Stop();
  EXPECT_FALSE(Player.CurrentLevels(Left, Right));
}

TEST(SoundStreamPlayer, EveryMp3RatePlaysWholeAtTheDeviceRate) {
  // The rates of MPEG 1, 2 and 2.5, mono and stereo: from 8 kHz up, a decoded
  // chunk converts to more frames than the ring holds.
  TScratchFolder Folder;
  for (int Rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
    for (int Channels : {1, 2}) {
      SCOPED_TRACE(std::to_string(Rate) + " Hz, " + std::to_string(Channels) + " channel(s)");
      TToneOptions Tone;
      Tone.Rate = Rate;
      Tone.Channels = Channels;
      Tone.Frequency = 1000.0;
      Tone.Amplitude = 0.5f;
      TEncodeOptions Encoding;
      Encoding.Bitrate = Rate < 16000 ? 24 : (Rate < 32000 ? 64 : 128);
      const std::vector<uint8_t> Bytes = ToneMp3(Tone, Encoding);
      ASSERT_FALSE(Bytes.empty());
      TStreamPlayer Player(MixRate, LatencyFrames);
      ASSERT_EQ(Player.Open(Folder.Write("tone.mp3", Bytes).c_str()), TMp3OpenResult::Ok);
      const std::vector<float> Out = PlayToTheEnd(Player);
      ASSERT_TRUE(Player.DecodingFinished()) << "the decoder stopped delivering";
      EXPECT_EQ(Player.Underruns(), 0u);

      size_t First = Out.size(), Last = 0;
      for (size_t i = 0; i < Out.size() / 2; ++i)
        if (Out[i * 2] != 0.0f) First = std::min(First, i), Last = i;
      ASSERT_LT(First, Last);
      // The whole second, give or take the encoder's padding (a few long
      // frames at the lowest rates).
      EXPECT_NEAR(static_cast<double>(Last - First) / MixRate, 1.0, 0.16);
      // The pitch, away from the edges.
      int Crossings = 0;
      for (size_t i = First + MixRate / 5; i < First + MixRate * 4 / 5; ++i)
        Crossings += Out[i * 2 - 2] < 0.0f && Out[i * 2] >= 0.0f;
      EXPECT_NEAR(Crossings / 0.6, 1000.0, 5.0);
    }
  }
}

TEST(SoundStreamPlayer, DamagedFramesNeverReachTheDeviceBeyondFullScale) {
  // A loud track with 1% of its bytes changed: the decoder turns some broken
  // frames into samples far beyond full scale. The device and the level meter
  // must only ever see [-1, 1].
  TScratchFolder Folder;
  TToneOptions Loud;
  Loud.Seconds = 3.0;
  Loud.Amplitude = 0.9f;
  Loud.Frequency = 440.0;
  const std::vector<uint8_t> Whole = ToneMp3(Loud);
  for (uint32_t Seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(Seed);
    // The first frames stay whole, so the file is still taken for MP3.
    const std::vector<uint8_t> Head(Whole.begin(), Whole.begin() + 4096);
    std::vector<uint8_t> Bytes =
        WithFlippedBytes(std::vector<uint8_t>(Whole.begin() + 4096, Whole.end()), 0.01, Seed);
    Bytes.insert(Bytes.begin(), Head.begin(), Head.end());
    const std::string Path = Folder.Write("damaged.mp3", Bytes);
    TStreamPlayer Player(MixRate, LatencyFrames);
    ASSERT_EQ(Player.Open(Path.c_str()), TMp3OpenResult::Ok);
    const std::vector<float> Out = PlayToTheEnd(Player);
    size_t Wild = 0;
    float Peak = 0.0f;
    for (float Sample : Out) {
      Wild += !(std::fabs(Sample) <= 1.0f);
      Peak = std::max(Peak, std::fabs(Sample));
    }
    EXPECT_EQ(Wild, 0u) << "of " << Out.size() << " samples, peak " << Peak;
    for (int64_t Frame = 0; Frame < static_cast<int64_t>(Out.size() / 2); Frame += 441) {
      float Left = -1, Right = -1;
      ASSERT_TRUE(Player.LevelsAt(Frame, Left, Right));
      ASSERT_TRUE(Left >= 0.0f && Left <= 1.0f && Right >= 0.0f && Right <= 1.0f) << Frame;
    }
  }
}
