// The X server going away under the running film (a session logged out or
// crashed, a remote desktop dropped): the demo must end at once with a line
// on standard error and a failure status, whatever it was doing, instead of
// hanging in its exit-time shutdown on the dead connection. Each case runs
// the real demo windowed under a private Xvfb and kills the server at a
// different moment of the film.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "DemoProcess.h"
#include "support/WindowedDemo.h"

namespace {

// An Xvfb of its own on the first free display (it picks and names it).
class TPrivateXvfb {
public:
  bool Start() {
    int Ends[2];
    if (pipe(Ends) != 0) return false;
    Pid = fork();
    if (Pid == 0) {
      close(Ends[0]);
      const std::string Fd = std::to_string(Ends[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", Fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", static_cast<char *>(nullptr));
      _exit(127);
    }
    close(Ends[1]);
    // The server writes its display number once it accepts connections.
    std::string Number;
    char C;
    while (read(Ends[0], &C, 1) == 1 && C != '\n') Number += C;
    close(Ends[0]);
    Name = ":" + Number;
    return Pid > 0 && !Number.empty();
  }
  void Kill() {
    if (Pid <= 0) return;
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = 0;
  }
  ~TPrivateXvfb() { Kill(); }
  std::string Name;

private:
  pid_t Pid = 0;
};

std::string FileText(const std::string &Path) {
  std::ifstream File(Path);
  std::stringstream Text;
  Text << File.rdbuf();
  return Text.str();
}

class DisplayLossTest : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    Folder = BuildFolder();
    if (access((Folder + "/quillmoor").c_str(), X_OK) != 0 ||
        access((Folder + "/music.mp3").c_str(), R_OK) != 0)
      GTEST_SKIP() << "the demo or its music is not built";
    if (Output("command -v Xvfb").empty()) GTEST_SKIP() << "no Xvfb";
    const char *Display = std::getenv("DISPLAY");
    SavedDisplay = Display ? Display : "";
  }
  void TearDown() override {
    if (SavedDisplay.empty())
      unsetenv("DISPLAY");
    else
      setenv("DISPLAY", SavedDisplay.c_str(), 1);
  }

  std::string Folder, SavedDisplay;
};

TEST_P(DisplayLossTest, TheDemoEndsAtOnceWithAMessageAndAFailureStatus) {
  const int SecondsIntoFilm = GetParam();
  TPrivateXvfb Server;
  ASSERT_TRUE(Server.Start()) << "no private Xvfb";
  // The window helpers and the demo both talk to the private server.
  setenv("DISPLAY", Server.Name.c_str(), 1);
  const std::string Errors = ::testing::TempDir() + "display-loss-stderr.txt";
  TDemoProcess Demo;
  Demo.SetErrorFile(Errors);
  ASSERT_NE(StartWindowedDemo(Demo, Folder + "/quillmoor", Folder, {"SDL_AUDIODRIVER=dummy"},
                              TWindowedSize::Default1024x768),
            0u);
  // The moment of the film the server goes at, not a wait for something:
  // the leader takes about 3.3 s before the film's clock starts.
  std::this_thread::sleep_for(std::chrono::milliseconds(3300 + 1000 * SecondsIntoFilm));
  ASSERT_EQ(Demo.WaitForExit(0), -1) << "the demo ended before the server went";
  Server.Kill();
  const auto Killed = std::chrono::steady_clock::now();
  const int Status = Demo.WaitForExit(10);
  const double Took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Killed).count();
  EXPECT_NE(Status, -1) << "still running 10 s after the server went";
  EXPECT_NE(Status, 0);
  // A hang in the shutdown never ends; a prompt exit on a 2-core machine
  // shared with builds can still take more than a second to be scheduled.
  EXPECT_LT(Took, 3.0);
  EXPECT_NE(FileText(Errors).find("display"), std::string::npos) << FileText(Errors);
}

// Two moments of the film, in different scenes, at which the exit-time
// shutdown on the dead connection used to hang.
INSTANTIATE_TEST_SUITE_P(Moments, DisplayLossTest, ::testing::Values(12, 20),
                         [](const ::testing::TestParamInfo<int> &Info) {
                           return std::to_string(Info.param) + "sIntoTheFilm";
                         });

}  // namespace
