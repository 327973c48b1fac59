// The stream player kept in step with the film's clock: a device driven on a
// scripted clock, at its own pace, with a stall of the whole process, and
// where each block it hands out comes from in the track.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "SoundFixtures.h"
#include "sound/DecodedTrack.h"
#include "sound/StreamPlayer.h"

namespace {

constexpr int Rate = 44100;
constexpr size_t Block = 1024;
constexpr int64_t BlockNanos = int64_t{Block} * 1000000000 / Rate;
constexpr int64_t ToleranceFrames = Rate * SyncToleranceMs / 1000;

int64_t ScriptedNow = 0;
int64_t ScriptedClock() { return ScriptedNow; }

// Noise: every stretch of a few frames occurs once in the track, so a block
// handed to the device tells exactly which moment of the music it is.
std::vector<float> Noise(double Seconds) {
  const std::vector<uint8_t> Bytes = RandomBytes(static_cast<size_t>(Seconds * Rate) * 2, 17);
  std::vector<float> Samples(Bytes.size());
  for (size_t i = 0; i < Bytes.size(); ++i) Samples[i] = (Bytes[i] - 128) / 400.0f;
  return Samples;
}

struct TDevice {
  const char *Name;
  double Speed;       // frames the device takes per frame of the clock
  int64_t StallAtMs;  // the process stops at this film time (0: never)
  int64_t StallMs;    // for this long
  bool ExpectResync;
};

class SoundFollowClock : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    TScratchFolder Folder;
    Music = new std::string(Folder.Write("noise.mp3", EncodeMp3(Noise(8.0), 2, Rate, {})));
    Track = new TDecodedTrack;
    ASSERT_EQ(Track->Load(Music->c_str(), Rate), TMp3OpenResult::Ok);
    // The folder goes; the open file must not be needed afterwards: copy it.
    Bytes = new std::vector<uint8_t>(ReadBytes(*Music));
  }
  static void TearDownTestSuite() {
    delete Music;
    delete Track;
    delete Bytes;
  }

  // Where the 16 frames at Out appear in the track near Near; -1 if not.
  // The decoder's float synthesis rounds differently on the player's thread
  // than on the test's, so samples match to a ten-thousandth (the noise
  // makes that unique).
  static int64_t FindInTrack(const float *Out, int64_t Near, int64_t Radius) {
    const std::vector<float> &Frames = Track->Frames();
    const int64_t Count = Track->FrameCount() - 16;
    const auto Same = [](float A, float B) { return std::fabs(A - B) <= 1e-4f; };
    for (int64_t k = std::max<int64_t>(Near - Radius, 0); k <= std::min(Near + Radius, Count); ++k)
      if (std::equal(Out, Out + 32, Frames.begin() + k * 2, Same)) return k;
    return -1;
  }

  // Waits for the decoder in real time, as a real device never has to.
  static void LetTheDecoderWork(const TStreamPlayer &Player) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    while (Player.BufferedFrames() < Block && !Player.DecodingFinished() &&
           std::chrono::steady_clock::now() < Deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  static std::string *Music;
  static TDecodedTrack *Track;
  static std::vector<uint8_t> *Bytes;
};
std::string *SoundFollowClock::Music = nullptr;
TDecodedTrack *SoundFollowClock::Track = nullptr;
std::vector<uint8_t> *SoundFollowClock::Bytes = nullptr;

TEST_F(SoundFollowClock, TheMusicStaysWithTheFilmOnEveryKindOfDevice) {
  const TDevice Devices[] = {
      {"steady", 1.0, 0, 0, false},
      {"stopped for 3 s", 1.0, 1500, 3000, true},
      {"stopped for 100 ms", 1.0, 1500, 100, true},
      {"stopped for 30 ms: within tolerance", 1.0, 1500, 30, false},
      {"slow", 0.95, 0, 0, true},
      {"fast", 1.05, 0, 0, true},
  };
  TScratchFolder Folder;
  const std::string Path = Folder.Write("noise.mp3", *Bytes);
  for (const TDevice &Device : Devices) {
    SCOPED_TRACE(Device.Name);
    ScriptedNow = int64_t{1} << 40;
    TStreamPlayer Player(Rate, Block, &ScriptedClock);
    ASSERT_EQ(Player.Open(Path.c_str()), TMp3OpenResult::Ok);
    LetTheDecoderWork(Player);
    const int64_t Start = ScriptedNow;
    Player.Play();
    bool Stalled = false;
    int64_t Expected = 0;  // the track frame the device should get next
    int SilentBlocks = 0;
    std::vector<float> Out(Block * 2);
    // 5 s of film.
    while (ScriptedNow - Start < 5000 * int64_t{1000000}) {
      const int64_t FilmMs = (ScriptedNow - Start) / 1000000;
      if (Device.StallMs > 0 && !Stalled && FilmMs >= Device.StallAtMs) {
        ScriptedNow += Device.StallMs * 1000000;
        Stalled = true;
        continue;
      }
      Player.FollowClock((ScriptedNow - Start) / 1000000);  // what the runner does each pass
      LetTheDecoderWork(Player);
      const int64_t FilmFrame = (ScriptedNow - Start) * Rate / 1000000000;
      Player.Render(Out.data(), Block);
      ScriptedNow += static_cast<int64_t>(BlockNanos / Device.Speed);

      // The block's longest stretch of music: held silence can come before
      // it, and the start of a long skip (silence until the decoder is done)
      // after the last few frames of a block.
      size_t First = 0, Length = 0;
      for (size_t i = 0; i < Block;) {
        size_t End = i;
        while (End < Block && Out[End * 2] != 0.0f) ++End;
        if (End - i > Length) {
          First = i;
          Length = End - i;
        }
        i = End + 1;
      }
      if (Length < 16) {
        // Held silence, or the decoder making a long skip: a device's pace
        // gives it a block's time (a loaded machine may need a few).
        ASSERT_LT(++SilentBlocks, 20) << "silence at film " << FilmMs << " ms";
        std::this_thread::sleep_for(std::chrono::milliseconds(23));
        continue;
      }
      SilentBlocks = 0;
      const int64_t At = FindInTrack(&Out[First * 2], Expected, Rate * 4);
      ASSERT_GE(At, 0) << "not from the track, film " << FilmMs << " ms";
      if (!Device.ExpectResync) {
        ASSERT_EQ(At - static_cast<int64_t>(First), Expected);
      }
      // What the device gets is the film's moment, within the tolerance and
      // the block it waits for.
      ASSERT_LE(std::abs(At - (FilmFrame + static_cast<int64_t>(First))),
                ToleranceFrames + static_cast<int64_t>(Block))
          << "film " << FilmMs << " ms, music " << At * 1000 / Rate << " ms";
      Expected = At + static_cast<int64_t>(Block - First);
    }
    EXPECT_EQ(Player.Resyncs() > 0, Device.ExpectResync);
    EXPECT_EQ(Player.Underruns(), 0u);
    // The position reported is the music's, not the device's frame count.
    EXPECT_NEAR(Player.AudibleTrackFrame(), Expected, Block);
  }
}

}  // namespace
