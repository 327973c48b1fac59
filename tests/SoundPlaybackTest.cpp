// The sound layer as the runner and the organism use it, on SDL's dummy
// audio driver (real-time pace, no sound card) and its disk driver, whose
// output file shows exactly what was played.
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "SoundFixtures.h"
#include "WavWriter.h"
#include "sound/Fmod.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMOOR_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QUILLMOOR_TEST_ASAN)
#define QUILLMOOR_TEST_ASAN 1
// From AddressSanitizer's run-time library (its header is not always
// installed).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using namespace std::chrono_literals;

// Polls Condition until it holds or a deadline generous for a loaded machine
// passes: what is asserted is what was played, not how fast.
bool Eventually(const std::function<bool()> &Condition) {
  const auto Deadline = std::chrono::steady_clock::now() + 30s;
  while (!Condition()) {
    if (std::chrono::steady_clock::now() > Deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Bytes in use on the heap now. AddressSanitizer keeps its own heap, which
// mallinfo2 does not see, and reports it through its own call.
size_t HeapInUse() {
#if defined(QUILLMOOR_TEST_ASAN)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

TToneOptions Tone(int Rate, double Seconds) {
  TToneOptions Options;
  Options.Rate = Rate;
  Options.Seconds = Seconds;
  Options.Frequency = 1000.0;
  Options.Amplitude = 0.5f;
  return Options;
}

class SoundPlayback : public ::testing::Test {
protected:
  void SetUp() override {
    const char *Driver = getenv("SDL_AUDIODRIVER");
    SavedDriver = Driver ? Driver : "";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ResetSoundSystem();
  }
  void TearDown() override {
    ResetSoundSystem();
    if (SavedDriver.empty())
      unsetenv("SDL_AUDIODRIVER");
    else
      setenv("SDL_AUDIODRIVER", SavedDriver.c_str(), 1);
  }
  std::string SavedDriver;
  TScratchFolder Folder;
};

}  // namespace

TEST_F(SoundPlayback, RunsTheDemoSequenceTwiceInOneProcess) {
  const std::string Music = Folder.Write("music.mp3", ToneMp3(Tone(44100, 3.0)));
  for (int Run = 0; Run < 2; ++Run) {
    SCOPED_TRACE(Run);
    EXPECT_EQ(FSOUND_GetVersion(), 3.74f);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    const FSOUND_HANDLE Stream = FSOUND_Stream_Open(Music.c_str(), 304, 0, 0);
    ASSERT_NE(Stream, 0u);
    EXPECT_TRUE(FSOUND_DSP_SetActive(FSOUND_DSP_GetFFTUnit(), true));

    // Nothing plays yet: the query fails and the levels stay as they were.
    float Left = 0.25f, Right = 0.75f;
    EXPECT_FALSE(FSOUND_GetCurrentLevels(0, &Left, &Right));
    EXPECT_EQ(Left, 0.25f);
    EXPECT_EQ(Right, 0.75f);

    EXPECT_TRUE(FSOUND_Stream_Play(-1, Stream));
    EXPECT_TRUE(FSOUND_SetVolume(-3, 255));
    // Once the tone is audible (past the device's latency and the meter's
    // window), both sides read its amplitude.
    EXPECT_TRUE(Eventually([&] { return FSOUND_Stream_GetTime(Stream) >= 200; }));
    EXPECT_TRUE(FSOUND_GetCurrentLevels(0, &Left, &Right));
    EXPECT_NEAR(Left, 0.5f, 0.05f);
    EXPECT_NEAR(Right, 0.5f, 0.05f);
    EXPECT_FALSE(FSOUND_GetCurrentLevels(1, &Left, &Right));  // nothing on channel 1

    // Volume 0 silences everything playing; what is audible follows within
    // the device's latency and the meter's window.
    EXPECT_TRUE(FSOUND_SetVolume(-3, 0));
    const int SilencedAt = FSOUND_Stream_GetTime(Stream);
    EXPECT_TRUE(Eventually([&] { return FSOUND_Stream_GetTime(Stream) >= SilencedAt + 200; }));
    EXPECT_TRUE(FSOUND_GetCurrentLevels(0, &Left, &Right));
    EXPECT_EQ(Left, 0.0f);
    EXPECT_TRUE(FSOUND_SetVolume(-3, 255));

    EXPECT_TRUE(FSOUND_Stream_Stop(Stream));
    Left = Right = 0.5f;
    EXPECT_FALSE(FSOUND_GetCurrentLevels(0, &Left, &Right));
    EXPECT_EQ(Left, 0.5f);
    EXPECT_TRUE(FSOUND_Stream_Close(Stream));
    EXPECT_FALSE(FSOUND_Stream_Play(-1, Stream));  // a closed handle is dead
    FSOUND_Close();
  }
}

TEST_F(SoundPlayback, OpenFailuresReportTheirCodes) {
  EXPECT_EQ(FSOUND_Stream_Open(Folder.Path("music.mp3").c_str(), 304, 0, 0), 0u);
  EXPECT_EQ(FSOUND_GetError(), 2);  // before FSOUND_Init

  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  const std::string Text = "not music";
  mkdir(Folder.Path("folder.mp3").c_str(), 0755);
  const struct {
    std::string Path;
    int Code;
  } Cases[] = {
      {Folder.Path("music.mp3"), 9},
      {Folder.Write("text.mp3", std::vector<uint8_t>(Text.begin(), Text.end())), 10},
      {Folder.Write("wave.mp3", MakeWav(MakeTone(Tone(44100, 0.5)), 2, 44100)), 10},
      {Folder.Write("empty.mp3", {}), 10},
      {Folder.Path("folder.mp3"), 11},
  };
  for (const auto &Case : Cases) {
    EXPECT_EQ(FSOUND_Stream_Open(Case.Path.c_str(), 304, 0, 0), 0u) << Case.Path;
    EXPECT_EQ(FSOUND_GetError(), Case.Code) << Case.Path;
  }
  EXPECT_STREQ(FmodErrorText(9), "File not found");
}

TEST_F(SoundPlayback, InitFailsWithoutADeviceAndRecovers) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(FSOUND_Init(44100, 32, 0));
  EXPECT_EQ(FSOUND_GetError(), 3);
  EXPECT_EQ(std::string("Error initializing FMOD: ") + FmodErrorText(FSOUND_GetError()),
            "Error initializing FMOD: Error initializing output device");
  FSOUND_Close();

  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  EXPECT_FALSE(FSOUND_Init(44100, 32, 0));
  EXPECT_EQ(FSOUND_GetError(), 1);
}

TEST_F(SoundPlayback, DiskOutputHoldsTheResampledFileThenSilence) {
  // A 48 kHz file of 1.5 s on a 44.1 kHz device, played for 2.5 s.
  const std::string Output = Folder.Path("output.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", Output.c_str(), 1);
  const std::string Music = Folder.Write("music.mp3", ToneMp3(Tone(48000, 1.5)));
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  const FSOUND_HANDLE Stream = FSOUND_Stream_Open(Music.c_str(), 304, 0, 0);
  ASSERT_NE(Stream, 0u);
  FSOUND_Stream_Play(-1, Stream);
  EXPECT_TRUE(Eventually([&] { return FSOUND_Stream_GetTime(Stream) >= 700; }));
  float Left = 0, Right = 0;
  EXPECT_TRUE(FSOUND_GetCurrentLevels(0, &Left, &Right));
  EXPECT_NEAR(Left, 0.5f, 0.05f);
  EXPECT_TRUE(Eventually([&] { return FSOUND_Stream_GetTime(Stream) >= 2500; }));
  EXPECT_TRUE(FSOUND_GetCurrentLevels(0, &Left, &Right));  // still playing, past the end
  EXPECT_EQ(Left, 0.0f);
  FSOUND_Stream_Stop(Stream);
  FSOUND_Stream_Close(Stream);
  FSOUND_Close();
  unsetenv("SDL_DISKAUDIOFILE");

  const std::vector<uint8_t> Bytes = ReadBytes(Output);
  const size_t Frames = Bytes.size() / (2 * sizeof(float));
  std::vector<float> Samples(Frames * 2);
  std::memcpy(Samples.data(), Bytes.data(), Samples.size() * sizeof(float));

  EXPECT_GE(Frames / 44100.0, 2.5);  // everything the stream said it played

  size_t First = Frames, Last = 0;
  int Crossings = 0;
  for (size_t i = 0; i < Frames; ++i) {
    ASSERT_LE(std::fabs(Samples[i * 2]), 0.55f) << "frame " << i;  // nothing but the tone
    ASSERT_EQ(Samples[i * 2], Samples[i * 2 + 1]) << "frame " << i;
    if (Samples[i * 2] != 0.0f) {
      First = std::min(First, i);
      Last = i;
    }
    if (i > 0 && Samples[i * 2 - 2] < 0.0f && Samples[i * 2] >= 0.0f) ++Crossings;
  }
  ASSERT_LT(First, Last);
  // The whole file, at the device rate, and nothing after it.
  EXPECT_NEAR((Last - First) / 44100.0, 1.5, 0.01);
  EXPECT_NEAR(Crossings / ((Last - First) / 44100.0), 1000.0, 5.0);
}

TEST_F(SoundPlayback, AnHourLongFileOpensAtOnceInTheSameMemory) {
  // Bare MP3 frames join into one valid stream: 10 s pieces make 2 minutes
  // and 60 minutes of music.
  TToneOptions Piece = Tone(32000, 10.0);
  Piece.Channels = 1;
  TEncodeOptions Small;
  Small.Bitrate = 32;
  Small.InfoTag = false;
  const std::vector<uint8_t> Bytes = ToneMp3(Piece, Small);
  std::vector<uint8_t> Short, Long;
  for (int i = 0; i < 360; ++i) {
    if (i < 12) Short.insert(Short.end(), Bytes.begin(), Bytes.end());
    Long.insert(Long.end(), Bytes.begin(), Bytes.end());
  }
  const std::string ShortPath = Folder.Write("two-minutes.mp3", Short);
  const std::string LongPath = Folder.Write("sixty-minutes.mp3", Long);
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));

  size_t Heap[2];
  for (int i = 0; i < 2; ++i) {
    const size_t Before = HeapInUse();
    const auto Start = std::chrono::steady_clock::now();
    const FSOUND_HANDLE Stream = FSOUND_Stream_Open((i ? LongPath : ShortPath).c_str(), 304, 0, 0);
    const auto Took = std::chrono::steady_clock::now() - Start;
    ASSERT_NE(Stream, 0u);
    // Decoding the whole hour would take many seconds even on an idle machine.
    EXPECT_LT(Took, 2s) << (i ? "60 minutes" : "2 minutes");
    // The decoder fills its ring, then waits for room: the heap settles. A
    // decoder that read on without bound would never let it settle.
    size_t Last = HeapInUse();
    int SteadyLooks = 0;
    EXPECT_TRUE(Eventually([&] {
      const size_t Now = HeapInUse();
      SteadyLooks = Now == Last ? SteadyLooks + 1 : 0;
      Last = Now;
      return SteadyLooks >= 20;
    })) << "the heap keeps growing after the open";
    Heap[i] = HeapInUse() - Before;
    FSOUND_Stream_Close(Stream);
  }
  // The stream's buffers (its ring and history, several hundred kilobytes)
  // are seen, so the comparison measures something.
  EXPECT_GT(Heap[0], 256 * 1024u);
  EXPECT_NEAR(static_cast<double>(Heap[1]), static_cast<double>(Heap[0]), 64 * 1024.0);
}
