// The sound server goes away in the middle of the film and comes back: the
// demo says once that the output was lost, the film goes on, and a few
// seconds after the server is back the music plays there again at the
// film's time (the seconds without sound skipped), until Escape ends the
// run as usual (status 0). The music is noise, so that a few hundred frames
// recorded from the sink say where in it they are.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DemoProcess.h"
#include "PrivateSoundServer.h"
#include "SoundFixtures.h"
#include "sound/DecodedTrack.h"
#include "support/WindowedDemo.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TReturnCase {
  const char *Name;
  TSoundServerKind Kind;
  const char *SdlDriver;
};

// How often Text occurs in the file at Path.
int Occurrences(const std::string &Path, const std::string &Text) {
  const std::string All = Output("cat " + Path);
  int Count = 0;
  for (size_t At = All.find(Text); At != std::string::npos; At = All.find(Text, At + 1)) ++Count;
  return Count;
}

// Polls Condition until it holds or Seconds pass.
template <typename TCondition>
bool WaitFor(int Seconds, TCondition Condition) {
  const auto By = Clock::now() + std::chrono::seconds(Seconds);
  while (!Condition()) {
    if (Clock::now() > By) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

bool StreamOnServer(const TPrivateSoundServer &Server) {
  return !Output(Server.Pactl() + " list short sink-inputs 2>/dev/null").empty();
}

constexpr int Rate = 44100;

// Noise, so that any few hundred frames of it say where in the music they are.
std::vector<float> Noise(double Seconds) {
  const std::vector<uint8_t> Bytes = RandomBytes(static_cast<size_t>(Seconds * Rate) * 2, 31);
  std::vector<float> Samples(Bytes.size());
  for (size_t i = 0; i < Bytes.size(); ++i) Samples[i] = (Bytes[i] - 128) / 400.0f;
  return Samples;
}

// What the server's sink plays, recorded from its monitor: the last frames
// of a second's recording, and when the recording had them.
struct TSinkSample {
  std::vector<float> Frames;  // interleaved stereo
  Clock::time_point At;
};

TSinkSample RecordSink(const TPrivateSoundServer &Server, const std::string &Folder) {
  const std::string Recorded = Folder + "/monitor.raw";
  TChild Recorder({"parec", "-d", "quillmoor.monitor", "--raw", "--format=float32le",
                   "--rate=44100", "--channels=2", "--latency-msec=20"},
                  Server.Environment(), Recorded);
  TSinkSample Sample;
  WaitFor(10, [&] {
    struct stat Info {};
    return stat(Recorded.c_str(), &Info) == 0 && Info.st_size >= Rate * 8;
  });
  Sample.At = Clock::now();
  Recorder.Stop();
  const std::vector<uint8_t> Bytes = ReadBytes(Recorded);
  const size_t Frames = std::min<size_t>(Bytes.size() / 8, Rate);
  Sample.Frames.resize(Frames * 2);
  std::memcpy(Sample.Frames.data(), Bytes.data(), Sample.Frames.size() * sizeof(float));
  return Sample;
}

// The track frame of the sample's last frame: where its last Window frames
// match the track best (left side, normalised correlation), or -1 when
// nothing matches (silence, or not this music).
int64_t TrackFrameAtEnd(const TSinkSample &Sample, const std::vector<float> &Track) {
  constexpr int64_t Window = 512;
  const int64_t Frames = static_cast<int64_t>(Sample.Frames.size() / 2);
  if (Frames < Window) return -1;
  const float *Recorded = &Sample.Frames[(Frames - Window) * 2];
  double RecordedEnergy = 0;
  for (int64_t i = 0; i < Window; ++i) RecordedEnergy += double(Recorded[i * 2]) * Recorded[i * 2];
  if (RecordedEnergy == 0) return -1;  // silence
  int64_t Best = -1;
  double BestScore = 0.5;  // below this nothing matches
  for (int64_t From = 0; From + Window <= static_cast<int64_t>(Track.size() / 2); ++From) {
    double Product = 0, Energy = 0;
    for (int64_t i = 0; i < Window; ++i) {
      const double Music = Track[(From + i) * 2];
      Product += Music * Recorded[i * 2];
      Energy += Music * Music;
    }
    const double Score =
        Energy > 0 && RecordedEnergy > 0 ? Product / std::sqrt(Energy * RecordedEnergy) : 0.0;
    if (Score > BestScore) BestScore = Score, Best = From + Window - 1;
  }
  return Best;
}

class SoundOutputReturn : public ::testing::TestWithParam<TReturnCase> {};

TEST_P(SoundOutputReturn, TheLossIsSaidOnceAndTheMusicComesBackWithTheServer) {
  const TReturnCase &Case = GetParam();
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X display";
  const std::string Program = BuildFolder() + "/quillmoor";
  ASSERT_EQ(access(Program.c_str(), X_OK), 0) << "the demo is not built";
  const std::string Missing = TPrivateSoundServer::MissingTool(Case.Kind);
  ASSERT_EQ(Missing, "") << Missing << " is missing: scripts/deps installs it";
  TScratchFolder Scratch;
  const std::string Music = Scratch.Write("music.mp3", EncodeMp3(Noise(40.0), 2, Rate, {}));
  TDecodedTrack Track;
  ASSERT_EQ(Track.Load(Music.c_str(), Rate), TMp3OpenResult::Ok);

  auto Server = std::make_unique<TPrivateSoundServer>(Case.Kind, Scratch.Path(""));
  std::string Why;
  ASSERT_TRUE(Server->WaitUntilUp(20, Why)) << Why;
  std::vector<std::string> Environment = Server->Environment();
  Environment.push_back(std::string("SDL_AUDIODRIVER=") + Case.SdlDriver);
  TDemoProcess Demo;
  const std::string Errors = Scratch.Path("stderr.txt");
  Demo.SetErrorFile(Errors);
  const unsigned long Window =
      StartWindowedDemo(Demo, Program, Scratch.Path(""), Environment, TWindowedSize::Small640x480);
  ASSERT_NE(Window, 0u);
  ASSERT_TRUE(WaitFor(20, [&] { return StreamOnServer(*Server); }))
      << "the demo's stream never reached the server";
  // The music under way (after the leader), and where it is.
  TSinkSample Before;
  int64_t BeforeFrame = -1;
  ASSERT_TRUE(WaitFor(30, [&] {
    Before = RecordSink(*Server, Scratch.Path(""));
    return (BeforeFrame = TrackFrameAtEnd(Before, Track.Frames())) >= 0;
  })) << "no music on the server";

  Server.reset();  // the server ends
  ASSERT_TRUE(WaitFor(10, [&] { return Occurrences(Errors, "sound output was lost") > 0; }))
      << Output("cat " + Errors);
  Server = std::make_unique<TPrivateSoundServer>(Case.Kind, Scratch.Path(""));
  ASSERT_TRUE(Server->WaitUntilUp(20, Why)) << Why;
  const Clock::time_point Up = Clock::now();
  ASSERT_TRUE(WaitFor(15, [&] { return Occurrences(Errors, "sound output is back") > 0; }))
      << Output("cat " + Errors);
  ASSERT_TRUE(WaitFor(10, [&] { return StreamOnServer(*Server); }));
  std::printf("%s: the sound was back %.1f s after the server\n", Case.Name,
              std::chrono::duration<double>(Clock::now() - Up).count());
  // The music again, at the film's time: as far on from where it was as
  // the time gone by, the silent seconds included (a device latency and a
  // recording's block of slack either side).
  const TSinkSample After = RecordSink(*Server, Scratch.Path(""));
  const int64_t AfterFrame = TrackFrameAtEnd(After, Track.Frames());
  ASSERT_GE(AfterFrame, 0) << "no music after the server came back";
  const double MusicGone = double(AfterFrame - BeforeFrame) / Rate;
  const double TimeGone = std::chrono::duration<double>(After.At - Before.At).count();
  std::printf("%s: the music went on %.3f s in %.3f s\n", Case.Name, MusicGone, TimeGone);
  EXPECT_NEAR(MusicGone, TimeGone, 0.25);
  EXPECT_EQ(Occurrences(Errors, "sound output was lost"), 1);
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SoundOutputReturn,
    ::testing::Values(TReturnCase{"PulseAudio", TSoundServerKind::PulseAudio, "pulseaudio"},
                      TReturnCase{"PipeWire", TSoundServerKind::PipeWire, "pipewire"}),
    [](const ::testing::TestParamInfo<TReturnCase> &Info) { return Info.param.Name; });

}  // namespace
