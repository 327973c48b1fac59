// The sound server goes away in the middle of the film and comes back: the
// demo says once that the output was lost, the film goes on, and a few
// seconds after the server is back the music plays there again, until
// Escape ends the run as usual (status 0).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The loudness (root mean square) of what the server's sink plays, over
// half a second recorded from its monitor.
double SinkLoudness(const TPrivateSoundServer &Server, const std::string &Folder) {
  const std::string Recorded = Folder + "/monitor.raw";
  std::vector<std::string> Environment = Server.Environment();
  TChild Recorder({"parec", "-d", "quillmoor.monitor", "--raw", "--format=float32le",
                   "--rate=44100", "--channels=2", "--latency-msec=20"},
                  Environment, Recorded);
  WaitFor(10, [&] {
    struct stat Info {};
    return stat(Recorded.c_str(), &Info) == 0 && Info.st_size >= 44100 * 8 / 2;
  });
  Recorder.Stop();
  const std::vector<uint8_t> Bytes = ReadBytes(Recorded);
  std::vector<float> Samples(Bytes.size() / sizeof(float));
  std::memcpy(Samples.data(), Bytes.data(), Samples.size() * sizeof(float));
  double Sum = 0;
  for (float Sample : Samples) Sum += double(Sample) * Sample;
  return Samples.empty() ? 0.0 : std::sqrt(Sum / Samples.size());
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
  TToneOptions Tone;
  Tone.Seconds = 40.0;
  Scratch.Write("music.mp3", ToneMp3(Tone));

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
  // The tone again, not a stream of silence.
  EXPECT_GT(SinkLoudness(*Server, Scratch.Path("")), 0.1) << Output("cat " + Errors);
  EXPECT_EQ(Occurrences(Errors, "sound output was lost"), 1);
  EXPECT_EQ(Demo.EscapeAndWait(Window, 30), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SoundOutputReturn,
    ::testing::Values(TReturnCase{"PulseAudio", TSoundServerKind::PulseAudio, "pulseaudio"},
                      TReturnCase{"PipeWire", TSoundServerKind::PipeWire, "pipewire"}),
    [](const ::testing::TestParamInfo<TReturnCase> &Info) { return Info.param.Name; });

}  // namespace
