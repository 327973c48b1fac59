// The demo binary itself under the X server: confirmed in its dialog for a
// window in the default mode, its window comes up at the top-left corner,
// and Escape or a stop signal ends the run with the window gone and the
// right exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "DemoProcess.h"
#include "support/WindowedDemo.h"

namespace {

const std::string Film = "^Quillmoor$";

class WindowDemoRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    Folder = BuildFolder();
    if (access((Folder + "/quillmoor").c_str(), X_OK) != 0 ||
        access((Folder + "/music.mp3").c_str(), R_OK) != 0)
      GTEST_SKIP() << "the demo or its music is not built";
  }

  // Starts the demo beside its music and answers the dialog: windowed, in
  // the default mode. Returns the render window.
  unsigned long StartDemo() {
    return StartWindowedDemo(Demo, Folder + "/quillmoor", Folder, {},
                             TWindowedSize::Default1024x768);
  }

  std::string Folder;
  TDemoProcess Demo;
};

TEST_F(WindowDemoRunTest, OpensItsWindowAndEndsOnEscape) {
  const unsigned long Window = StartDemo();
  ASSERT_NE(Window, 0u) << "no 1024x768 render window";
  EXPECT_EQ(WindowPosition(Window), "0,0");
  EXPECT_EQ(Demo.EscapeAndWait(Window, 20), 0);
  EXPECT_TRUE(NoWindow(Film));
}

TEST_F(WindowDemoRunTest, AStopSignalEndsTheRunThroughItsShutdown) {
  ASSERT_NE(StartDemo(), 0u) << "no 1024x768 render window";
  kill(Demo.Pid(), SIGTERM);
  EXPECT_EQ(Demo.WaitForExit(20), 128 + SIGTERM);
  EXPECT_TRUE(NoWindow(Film));
}

}  // namespace
