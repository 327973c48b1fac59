// quillmoor-capture: its command line, and whole captures to PNG files.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "CaptureRun.h"

namespace {

bool Parse(std::vector<const char *> Args, TCaptureOptions &Options, std::string &Error) {
  Args.insert(Args.begin(), "quillmoor-capture");
  return ParseCaptureOptions(static_cast<int>(Args.size()), Args.data(), Options, Error);
}

struct TDecoded {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  const uint8_t *At(int X, int Y) const { return &Rgb[(static_cast<size_t>(Y) * Width + X) * 3]; }
};

bool ReadPng(const std::string &Path, TDecoded &Out) {
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&Image, Path.c_str())) return false;
  Image.format = PNG_FORMAT_RGB;
  Out.Rgb.resize(PNG_IMAGE_SIZE(Image));
  Out.Width = static_cast<int>(Image.width);
  Out.Height = static_cast<int>(Image.height);
  return png_image_finish_read(&Image, nullptr, Out.Rgb.data(), 0, nullptr) != 0;
}

std::string TempPng(const char *Name) {
  return ::testing::TempDir() + "quillmoor-capture-" + std::to_string(getpid()) + "-" + Name;
}

}  // namespace

TEST(CaptureOptions, ReadsSizeInstantAndOutput) {
  struct {
    std::vector<const char *> Args;
    int Width, Height;
    bool Countdown;
    int64_t Instant;
  } Cases[] = {
      {{"--out", "a.png"}, 1024, 768, false, 0},
      {{"--size", "640x480", "--from", "21000", "--out", "a.png"}, 640, 480, false, 21000},
      {{"--countdown", "4294967295", "--out", "a.png", "--size", "1x1"}, 1, 1, true, 4294967295},
      {{"--from", "110001", "--out", "a.png"}, 1024, 768, false, 110001},
  };
  for (const auto &c : Cases) {
    TCaptureOptions Options;
    std::string Error;
    ASSERT_TRUE(Parse(c.Args, Options, Error)) << Error;
    EXPECT_EQ(Options.Width, c.Width);
    EXPECT_EQ(Options.Height, c.Height);
    EXPECT_EQ(Options.Countdown, c.Countdown);
    EXPECT_EQ(Options.Instant, c.Instant);
    EXPECT_EQ(Options.OutPath, "a.png");
  }
}

TEST(CaptureOptions, RefusesWhatItCannotUseWithOneLine) {
  const std::vector<std::vector<const char *>> Cases = {
      {"--size", "0x768", "--out", "a.png"},
      {"--size", "1024x", "--out", "a.png"},
      {"--size", "1024*768", "--out", "a.png"},
      {"--size", "-5x5", "--out", "a.png"},
      {"--size", "16385x10", "--out", "a.png"},
      {"--size", "99999999999999999999x10", "--out", "a.png"},
      {"--from", "-1", "--out", "a.png"},
      {"--from", "12ms", "--out", "a.png"},
      {"--from", "", "--out", "a.png"},
      {"--countdown", "-700", "--out", "a.png"},
      {"--countdown", "4294967296", "--out", "a.png"},
      {"--from", "100"},
      {"--out"},
      {"--frame", "3", "--out", "a.png"},
  };
  for (const auto &Args : Cases) {
    TCaptureOptions Options;
    std::string Error;
    std::string Line;
    for (const char *Arg : Args) Line += std::string(Arg) + " ";
    EXPECT_FALSE(Parse(Args, Options, Error)) << Line;
    EXPECT_FALSE(Error.empty()) << Line;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
  }
}

TEST(Capture, WritesTheFilmsFrameAtAnySize) {
  TCaptureOptions Options;
  Options.Width = 320;
  Options.Height = 200;
  Options.Instant = 0;
  Options.OutPath = TempPng("film.png");
  std::string Error;
  ASSERT_TRUE(RunCapture(Options, Error)) << Error;

  TDecoded Frame;
  ASSERT_TRUE(ReadPng(Options.OutPath, Frame));
  EXPECT_EQ(Frame.Width, 320);
  EXPECT_EQ(Frame.Height, 200);
  // White ground inside the vignette's frame, darker in the corner.
  EXPECT_GE(Frame.At(100, 60)[0], 250);
  EXPECT_LT(Frame.At(1, 1)[0], Frame.At(100, 60)[0] - 40);
  std::remove(Options.OutPath.c_str());
}

TEST(Capture, WritesTheLeadersFrame) {
  TCaptureOptions Options;
  Options.Width = 640;
  Options.Height = 480;
  Options.Countdown = true;
  Options.Instant = 700;
  Options.OutPath = TempPng("leader.png");
  std::string Error;
  ASSERT_TRUE(RunCapture(Options, Error)) << Error;
  TDecoded Frame;
  ASSERT_TRUE(ReadPng(Options.OutPath, Frame));
  EXPECT_EQ(Frame.Width, 640);
  // The top band darkens the top edge; the ground below it is light.
  EXPECT_LT(Frame.At(200, 0)[0], 180);
  EXPECT_GT(Frame.At(200, 170)[0], 200);
  std::remove(Options.OutPath.c_str());
}

TEST(Capture, AnUnwritablePathIsAnErrorAndLeavesNoFile) {
  TCaptureOptions Options;
  Options.Width = 16;
  Options.Height = 16;
  Options.OutPath = ::testing::TempDir() + "no-such-folder-quillmoor/frame.png";
  std::string Error;
  EXPECT_FALSE(RunCapture(Options, Error));
  EXPECT_NE(Error.find("no-such-folder-quillmoor"), std::string::npos) << Error;
  EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
}
