// The child-process helper the end-to-end tests rely on: an answer of
// "still running" from it must mean the child really runs.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "DemoProcess.h"

namespace {

// The child has ended and waits to be reaped (a zombie).
bool Zombie(pid_t Pid) {
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  do {
    std::ifstream Stat("/proc/" + std::to_string(Pid) + "/stat");
    std::string Line;
    std::getline(Stat, Line);
    const size_t Close = Line.rfind(')');
    if (Close != std::string::npos && Line.compare(Close + 1, 3, " Z ") == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < Deadline);
  return false;
}

TEST(DemoProcessTest, ALookWithoutWaitingSeesAnEndedChildAndItsStatus) {
  for (const auto &[Program, Status] : {std::pair<const char *, int>{"/bin/true", 0},
                                        std::pair<const char *, int>{"/bin/false", 1}}) {
    SCOPED_TRACE(Program);
    TDemoProcess Child;
    ASSERT_TRUE(Child.Start(Program, "/"));
    ASSERT_TRUE(Zombie(Child.Pid())) << "the child did not end";
    EXPECT_EQ(Child.WaitForExit(0), Status);
    EXPECT_EQ(Child.WaitForExit(0), -1) << "reaped once, then nothing to wait for";
  }
}

}  // namespace
