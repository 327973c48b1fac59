// Sound servers that stop answering: the run still reaches its message or
// its end within a deadline. A server stopped (SIGSTOP) before the device
// opens, PipeWire with no session manager (nothing links the stream to a
// sink), a socket that takes the connection and stays silent: the "Error
// initializing FMOD" box comes after the open's deadline, and the run ends
// with status 1 once it is answered. A server stopped during the run:
// Escape ends it within seconds with status 0 (PulseAudio's device, whose
// close waits on the server, left behind; PipeWire's closes without it),
// at once or after the demo has given the silent output up as lost.
//
// QUILLMOOR_DEMO runs another build of the demo through the same cases, to
// measure how an older one ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "DemoProcess.h"
#include "PrivateSoundServer.h"
#include "SoundFixtures.h"
#include "support/WindowedDemo.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class TServer { SilentSocket, PulseAudio, PipeWire, PipeWireWithoutSessionManager };
// When the server is stopped: never, before the device opens, during the
// run (then Escape at once, or once the demo has given the output up).
enum class TFreeze { Never, BeforeOpen, DuringRun, DuringRunUntilLost };

struct TDeadlineCase {
  const char *Name;
  TServer Server;
  const char *SdlDriver;
  TFreeze Freeze;
  const char *Says;  // on standard error; "" for nothing in particular
};

// The open gives up after 5 s; a busy machine may add a few more to reach
// the box. Once asked to end, the run has the close's second and its
// teardown.
constexpr int BoxWithinSeconds = 15;
constexpr int EndWithinSeconds = 5;

double SecondsSince(Clock::time_point Start) {
  return std::chrono::duration<double>(Clock::now() - Start).count();
}

std::string Program() {
  const char *Other = std::getenv("QUILLMOOR_DEMO");
  return Other && *Other ? Other : BuildFolder() + "/quillmoor";
}

// Through the dialog in a 640x480 window.
bool PressOk(unsigned long Dialog) { return TypeInto(Dialog, "alt+f Tab Tab alt+r Up Up Return"); }

// Waits for the demo's stream on the server.
bool StreamPlaying(const TPrivateSoundServer &Server, int Seconds) {
  const auto By = Clock::now() + std::chrono::seconds(Seconds);
  do {
    if (!Output(Server.Pactl() + " list short sink-inputs 2>/dev/null").empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (Clock::now() < By);
  return false;
}

class SoundServerDeadline : public ::testing::TestWithParam<TDeadlineCase> {};

TEST_P(SoundServerDeadline, TheRunReachesItsMessageOrItsEndInTime) {
  const TDeadlineCase &Case = GetParam();
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X display";
  ASSERT_EQ(access(Program().c_str(), X_OK), 0) << "the demo is not built";
  TScratchFolder Scratch;
  TToneOptions Tone;
  Tone.Seconds = 20.0;
  Scratch.Write("music.mp3", ToneMp3(Tone));

  std::unique_ptr<TPrivateSoundServer> Server;
  std::unique_ptr<TSilentSocket> Silent;
  std::vector<std::string> Environment = {std::string("SDL_AUDIODRIVER=") + Case.SdlDriver};
  if (Case.Server == TServer::SilentSocket) {
    Silent = std::make_unique<TSilentSocket>(Scratch.Path("silent"));
    ASSERT_TRUE(Silent->Listening());
    Environment.insert(Environment.end(),
                       {"PULSE_SERVER=unix:" + Scratch.Path("silent"),
                        "XDG_RUNTIME_DIR=" + Scratch.Path(""), "HOME=" + Scratch.Path("")});
  } else {
    const TSoundServerKind Kind = Case.Server == TServer::PulseAudio ? TSoundServerKind::PulseAudio
                                  : Case.Server == TServer::PipeWire
                                      ? TSoundServerKind::PipeWire
                                      : TSoundServerKind::PipeWireWithoutSessionManager;
    const std::string Missing = TPrivateSoundServer::MissingTool(Kind);
    ASSERT_EQ(Missing, "") << Missing << " is missing: scripts/deps installs it";
    Server = std::make_unique<TPrivateSoundServer>(Kind, Scratch.Path(""));
    std::string Why;
    ASSERT_TRUE(Server->WaitUntilUp(20, Why)) << Why;
    const std::vector<std::string> Reach = Server->Environment();
    Environment.insert(Environment.end(), Reach.begin(), Reach.end());
  }

  TDemoProcess Demo;
  const std::string Errors = Scratch.Path("stderr.txt");
  Demo.SetErrorFile(Errors);
  if (Case.Freeze == TFreeze::DuringRun || Case.Freeze == TFreeze::DuringRunUntilLost) {
    const unsigned long Window = StartWindowedDemo(Demo, Program(), Scratch.Path(""), Environment,
                                                   TWindowedSize::Small640x480);
    ASSERT_NE(Window, 0u);
    ASSERT_TRUE(StreamPlaying(*Server, 20)) << "the demo's stream never reached the server";
    Server->Freeze();
    if (Case.Freeze == TFreeze::DuringRunUntilLost) {
      const auto By = Clock::now() + std::chrono::seconds(15);
      while (Output("cat " + Errors).find("output was lost") == std::string::npos &&
             Clock::now() < By)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ASSERT_NE(Output("cat " + Errors).find("output was lost"), std::string::npos)
          << "the stopped server's output was never given up";
    }
    const Clock::time_point Asked = Clock::now();
    const int Status = Demo.EscapeAndWait(Window, 30);
    const double Took = SecondsSince(Asked);
    std::printf("%s: ended %.1f s after Escape, status %d\n", Case.Name, Took, Status);
    EXPECT_EQ(Status, 0);
    EXPECT_LT(Took, EndWithinSeconds);
    EXPECT_NE(Output("cat " + Errors).find(Case.Says), std::string::npos)
        << Output("cat " + Errors);
    return;
  }

  ASSERT_TRUE(Demo.Start(Program(), Scratch.Path(""), Environment));
  const unsigned long Dialog = WaitForWindow("^Display settings$", 30);
  ASSERT_NE(Dialog, 0u) << "no settings dialog";
  if (Case.Freeze == TFreeze::BeforeOpen) Server->Freeze();
  ASSERT_TRUE(PressOk(Dialog));
  const Clock::time_point Pressed = Clock::now();
  const unsigned long Box = WaitForMessageBox("^Quillmoor$", BoxWithinSeconds);
  const double ToBox = SecondsSince(Pressed);
  ASSERT_NE(Box, 0u) << "no message within " << BoxWithinSeconds << " s of OK";
  const std::string Said = Output("cat " + Errors);
  EXPECT_NE(Said.find("Error initializing FMOD"), std::string::npos) << Said;
  EXPECT_NE(Said.find(Case.Says), std::string::npos) << Said;
  ASSERT_TRUE(TypeInto(Box, "Return"));
  const Clock::time_point Answered = Clock::now();
  const int Status = Demo.WaitForExit(30);
  const double Took = SecondsSince(Answered);
  std::printf("%s: the box came %.1f s after OK; ended %.1f s after it was answered, status %d\n",
              Case.Name, ToBox, Took, Status);
  EXPECT_EQ(Status, 1);
  EXPECT_LT(Took, EndWithinSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, SoundServerDeadline,
    ::testing::Values(TDeadlineCase{"SilentSocket", TServer::SilentSocket, "pulseaudio",
                                    TFreeze::Never, "did not open within"},
                      TDeadlineCase{"PulseAudioStoppedAtStart", TServer::PulseAudio, "pulseaudio",
                                    TFreeze::BeforeOpen, "did not open within"},
                      TDeadlineCase{"PulseAudioStoppedDuringTheRun", TServer::PulseAudio,
                                    "pulseaudio", TFreeze::DuringRun, "did not close within"},
                      TDeadlineCase{"PulseAudioStoppedUntilTheOutputIsLost", TServer::PulseAudio,
                                    "pulseaudio", TFreeze::DuringRunUntilLost,
                                    "did not close within"},
                      TDeadlineCase{"PipeWireStoppedAtStart", TServer::PipeWire, "pipewire",
                                    TFreeze::BeforeOpen, "did not open within"},
                      TDeadlineCase{"PipeWireStoppedDuringTheRun", TServer::PipeWire, "pipewire",
                                    TFreeze::DuringRun, ""},
                      TDeadlineCase{"PipeWireStoppedUntilTheOutputIsLost", TServer::PipeWire,
                                    "pipewire", TFreeze::DuringRunUntilLost, ""},
                      TDeadlineCase{"PipeWireWithoutSessionManager",
                                    TServer::PipeWireWithoutSessionManager, "pipewire",
                                    TFreeze::Never, "did not open within"},
                      TDeadlineCase{"PipeWireWithoutSessionManagerThroughPulse",
                                    TServer::PipeWireWithoutSessionManager, "pulseaudio",
                                    TFreeze::Never, "did not open within"}),
    [](const ::testing::TestParamInfo<TDeadlineCase> &Info) { return Info.param.Name; });

}  // namespace
