// The demo binary itself under the X server: its window comes up in the
// default mode at the top-left corner, and Escape or a stop signal ends the
// run with the window gone and the right exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

extern char **environ;

namespace {

// The demo sits one folder above this test, beside its music.
std::string BuildFolder() {
  char Path[4096] = {};
  const ssize_t Length = readlink("/proc/self/exe", Path, sizeof(Path) - 1);
  std::string Self(Path, Length > 0 ? static_cast<size_t>(Length) : 0);
  Self.resize(Self.rfind('/'));  // .../tests
  Self.resize(Self.rfind('/'));
  return Self;
}

std::string Output(const std::string &Command) {
  std::string Text;
  if (FILE *Pipe = popen(Command.c_str(), "r")) {
    char Buffer[256];
    while (fgets(Buffer, sizeof(Buffer), Pipe)) Text += Buffer;
    pclose(Pipe);
  }
  return Text;
}

class WindowDemoRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    Folder = BuildFolder();
    if (access((Folder + "/quillmoor").c_str(), X_OK) != 0 ||
        access((Folder + "/music.mp3").c_str(), R_OK) != 0)
      GTEST_SKIP() << "the demo or its music is not built";
  }
  void TearDown() override {
    if (Demo > 0) {
      kill(Demo, SIGKILL);
      waitpid(Demo, nullptr, 0);
    }
  }

  void StartDemo() {
    char *Argv[] = {const_cast<char *>("quillmoor"), nullptr};
    const std::string Program = Folder + "/quillmoor";
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addchdir_np(&Actions, Folder.c_str());
    ASSERT_EQ(posix_spawn(&Demo, Program.c_str(), &Actions, nullptr, Argv, environ), 0);
    posix_spawn_file_actions_destroy(&Actions);
  }

  // The geometry xdotool reports for the demo's window, once it is up.
  std::string WindowGeometry() {
    return Output("timeout 20 xdotool search --sync --name '^Quillmoor$' getwindowgeometry");
  }

  // The demo's exit status, or -1 when it is still running after the wait.
  int WaitForExit(int Seconds) {
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
    while (std::chrono::steady_clock::now() < Deadline) {
      int Status = 0;
      if (waitpid(Demo, &Status, WNOHANG) == Demo) {
        Demo = 0;
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

  bool WindowGone() { return Output("xdotool search --name '^Quillmoor$'").empty(); }

  std::string Folder;
  pid_t Demo = 0;
};

TEST_F(WindowDemoRunTest, OpensItsWindowAndEndsOnEscape) {
  StartDemo();
  const std::string Geometry = WindowGeometry();
  EXPECT_NE(Geometry.find("Position: 0,0"), std::string::npos) << Geometry;
  EXPECT_NE(Geometry.find("Geometry: 1024x768"), std::string::npos) << Geometry;
  // Held long enough for a pass with no message to see it.
  std::system("xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
  EXPECT_EQ(WaitForExit(20), 0);
  EXPECT_TRUE(WindowGone());
}

TEST_F(WindowDemoRunTest, AStopSignalEndsTheRunThroughItsShutdown) {
  StartDemo();
  ASSERT_FALSE(WindowGeometry().empty());
  kill(Demo, SIGTERM);
  EXPECT_EQ(WaitForExit(20), 128 + SIGTERM);
  EXPECT_TRUE(WindowGone());
}

}  // namespace
