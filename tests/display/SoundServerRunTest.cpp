// The demo's sound on a real sound server: a private PulseAudio with a null
// sink (no hardware), the demo playing through SDL's pulseaudio driver, and
// parec recording the sink's monitor for 20 s. The recording must be the
// decoded music, at one steady lag from start to end: no gap, no skip, no
// stretch of silence where music belongs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../SoundFixtures.h"
#include "DemoProcess.h"
#include "sound/DecodedTrack.h"

extern char **environ;

namespace {

constexpr int Rate = 44100;
constexpr int WindowFrames = Rate / 20;  // 50 ms

bool Installed(const char *Program) {
  return std::system((std::string("command -v ") + Program + " >/dev/null").c_str()) == 0;
}

// Normalised correlation of the left side of Count frames.
double Correlation(const float *A, const float *B, int Count) {
  double AB = 0, AA = 0, BB = 0;
  for (int i = 0; i < Count; ++i) {
    AB += double(A[i * 2]) * B[i * 2];
    AA += double(A[i * 2]) * A[i * 2];
    BB += double(B[i * 2]) * B[i * 2];
  }
  return AA > 0 && BB > 0 ? AB / std::sqrt(AA * BB) : 0.0;
}

// The lag (recording frame minus track frame) at which the track's frames
// [From, From + Count) best match the recording, searched over lags
// [Low, High]: first on 4-frame averages, then frame by frame.
int64_t FindLag(const std::vector<float> &Recording, const std::vector<float> &Track, int64_t From,
                int Count, int64_t Low, int64_t High) {
  const auto Coarse = [](const std::vector<float> &Frames) {
    std::vector<float> Out(Frames.size() / 8 * 2);
    for (size_t i = 0; i < Out.size() / 2; ++i)
      Out[i * 2] = Frames[i * 8] + Frames[i * 8 + 2] + Frames[i * 8 + 4] + Frames[i * 8 + 6];
    return Out;
  };
  const std::vector<float> R = Coarse(Recording), T = Coarse(Track);
  int64_t Best = Low;
  double BestScore = -2;
  for (int64_t Lag = Low / 4; Lag <= High / 4; ++Lag) {
    if (From / 4 + Lag < 0 || (From / 4 + Lag + Count / 4) * 2 > int64_t(R.size())) continue;
    const double Score = Correlation(&T[From / 4 * 2], &R[(From / 4 + Lag) * 2], Count / 4);
    if (Score > BestScore) BestScore = Score, Best = Lag * 4;
  }
  const int64_t Center = Best;
  for (int64_t Lag = Center - 8; Lag <= Center + 8; ++Lag) {
    if (From + Lag < 0 || (From + Lag + Count) * 2 > int64_t(Recording.size())) continue;
    const double Score = Correlation(&Track[From * 2], &Recording[(From + Lag) * 2], Count);
    if (Score > BestScore || Lag == Center - 8) BestScore = Score, Best = Lag;
  }
  return Best;
}

TEST(SoundServerRun, TheRecordedSinkIsTheDecodedMusicWithoutGaps) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  const std::string Program = BuildFolder() + "/quillmoor";
  if (access(Program.c_str(), X_OK) != 0) GTEST_SKIP() << "the demo is not built";
  if (!Installed("pulseaudio") || !Installed("parec") || !Installed("pactl"))
    GTEST_SKIP() << "needs pulseaudio and pulseaudio-utils";

  TScratchFolder Scratch;
  const std::string Music = Scratch.Write("music.mp3", ReadBytes(BuildFolder() + "/music.mp3"));
  const std::string Runtime = Scratch.Path("run");
  mkdir(Runtime.c_str(), 0700);
  const std::string Socket = Runtime + "/native";
  // A private server: its own runtime folder, home and socket, so it meets
  // no other server on the machine and none meets it.
  const std::vector<std::string> Private = {
      "XDG_RUNTIME_DIR=" + Runtime, "HOME=" + Scratch.Path(""), "PULSE_SERVER=unix:" + Socket};
  TChild Server({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
                 "-L", "module-null-sink sink_name=quillmoor", "-L",
                 "module-native-protocol-unix socket=" + Socket + " auth-anonymous=1"},
                Private, Scratch.Path("server.out"));
  const std::string Pactl = "XDG_RUNTIME_DIR=" + Runtime + " HOME=" + Scratch.Path("") +
                            " PULSE_SERVER=unix:" + Socket + " pactl";
  bool Up = false;
  for (int i = 0; i < 100 && !Up; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Up = std::system((Pactl + " info >/dev/null 2>&1").c_str()) == 0;
  }
  ASSERT_TRUE(Up) << "the sound server did not start";

  std::vector<std::string> DemoEnvironment(Private);
  DemoEnvironment.push_back("SDL_AUDIODRIVER=pulseaudio");
  TDemoProcess Demo;
  ASSERT_TRUE(Demo.Start(Program, Scratch.Path(""), DemoEnvironment));
  const unsigned long Settings = WaitForWindow("^Display settings$", 20);
  ASSERT_NE(Settings, 0u) << "no dialog";
  ASSERT_TRUE(TypeInto(Settings, "alt+f Tab Tab alt+r Up Up Return"));  // 640x480, windowed
  const TWindowSize Small{640, 480};
  const unsigned long Window = WaitForWindow("^Quillmoor$", 30, &Small);
  ASSERT_NE(Window, 0u) << "no render window";

  const std::string Recorded = Scratch.Path("monitor.raw");
  TChild Recorder({"parec", "-d", "quillmoor.monitor", "--raw", "--format=float32le",
                   "--rate=44100", "--channels=2", "--latency-msec=20"},
                  Private, Recorded);
  std::this_thread::sleep_for(std::chrono::seconds(10));
  const std::string Inputs = Output(Pactl + " list sink-inputs 2>/dev/null");
  std::this_thread::sleep_for(std::chrono::seconds(10));
  Recorder.Stop();
  ASSERT_TRUE(Focus(Window));
  std::system("xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
  EXPECT_EQ(Demo.WaitForExit(30), 0);
  Server.Stop();

  // What the server says of the demo's stream while it played: its two
  // latencies and its channels and rate.
  for (const char *Name : {"Buffer Latency:", "Sink Latency:", "2ch 44100Hz"}) {
    const size_t At = Inputs.find(Name);
    EXPECT_NE(At, std::string::npos) << "no playing stream: " << Inputs;
    if (At != std::string::npos)
      std::printf("%s\n", Inputs.substr(At, Inputs.find('\n', At) - At).c_str());
  }

  const std::vector<uint8_t> Bytes = ReadBytes(Recorded);
  std::vector<float> Recording(Bytes.size() / sizeof(float) / 2 * 2);
  std::memcpy(Recording.data(), Bytes.data(), Recording.size() * sizeof(float));
  const int64_t RecordedFrames = Recording.size() / 2;
  // parec's 20 s include its own start-up, which a busy machine stretches.
  ASSERT_GT(RecordedFrames, Rate * 18) << "the recording is short";
  TDecodedTrack Track;
  ASSERT_EQ(Track.Load(Music.c_str(), Rate, 30000), TMp3OpenResult::Ok);
  const std::vector<float> &Frames = Track.Frames();

  // The music starts after the leader, a few seconds into the recording.
  const int64_t Lag = FindLag(Recording, Frames, 2 * Rate, Rate, 0, 12 * Rate);
  std::printf("the music starts %.3f s into the recording\n", double(Lag) / Rate);

  // Every 50 ms of music from its start to the end of the recording: the
  // same lag, and the shape of the music (a gap, a skip or a held silence
  // would move the lag or break the match).
  int Checked = 0;
  std::vector<std::string> Mismatches;
  for (int64_t From = 0; From + Lag + WindowFrames <= RecordedFrames &&
                         (From + WindowFrames) * 2 <= int64_t(Frames.size());
       From += WindowFrames) {
    const float *Music50 = &Frames[From * 2];
    double Energy = 0;
    for (int i = 0; i < WindowFrames; ++i) Energy += double(Music50[i * 2]) * Music50[i * 2];
    if (std::sqrt(Energy / WindowFrames) < 0.01) continue;  // too quiet to tell
    ++Checked;
    const double Score = Correlation(Music50, &Recording[(From + Lag) * 2], WindowFrames);
    if (Score < 0.98) {
      // A gap shows as silence in the recording; a skip or a stretch as
      // music found at another lag.
      const int64_t Here = FindLag(Recording, Frames, From, WindowFrames, Lag - Rate, Lag + Rate);
      int Silent = 0;
      for (int i = 0; i < WindowFrames; ++i)
        Silent +=
            Recording[(From + Lag + i) * 2] == 0.0f && Recording[(From + Lag + i) * 2 + 1] == 0.0f;
      Mismatches.push_back(std::to_string(double(From) / Rate) + " s: " + std::to_string(Score) +
                           ", " + std::to_string(Silent) + " silent frames, found " +
                           std::to_string(double(Here - Lag) * 1000 / Rate) + " ms off");
    }
  }
  std::printf("%d windows of 50 ms checked\n", Checked);
  for (size_t i = 0; i < Mismatches.size() && i < 10; ++i)
    ADD_FAILURE() << "the music at " << Mismatches[i];
  EXPECT_TRUE(Mismatches.empty()) << Mismatches.size() << " windows do not match";
  EXPECT_GT(Checked, 200);
}

}  // namespace
