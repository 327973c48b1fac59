// The film keeps its shape in a video frame of any shape: drawn at a size of
// its own shape, shown centred with black bars, as the demo's fullscreen
// shows it on a monitor. Real Mesa, headless, through the capture itself.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "CaptureRun.h"
#include "FilmShape.h"

namespace {

struct TPicture {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  const uint8_t *At(int X, int Y) const { return &Rgb[(static_cast<size_t>(Y) * Width + X) * 3]; }
};

// One frame of the capture at film time From (or the leader's tick with
// Countdown), of a Width x Height frame with the film drawn at Film.
TPicture Frame(int Width, int Height, int64_t From, TFilmSize Film = {}, int Bits = 32,
               bool Countdown = false) {
  TCaptureOptions Options;
  Options.Width = Width;
  Options.Height = Height;
  Options.FilmWidth = Film.Width;
  Options.FilmHeight = Film.Height;
  Options.Bits = Bits;
  Options.From = From;
  Options.Countdown = Countdown;
  Options.OutPath = ::testing::TempDir() + "quillmoor-shape-" + std::to_string(getpid()) + ".png";
  std::string Error;
  TPicture Picture;
  EXPECT_TRUE(RunCapture(Options, Error)) << Error;
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&Image, Options.OutPath.c_str())) {
    Image.format = PNG_FORMAT_RGB;
    Picture.Rgb.resize(PNG_IMAGE_SIZE(Image));
    Picture.Width = static_cast<int>(Image.width);
    Picture.Height = static_cast<int>(Image.height);
    if (!png_image_finish_read(&Image, nullptr, Picture.Rgb.data(), 0, nullptr))
      Picture.Rgb.clear();
  }
  std::remove(Options.OutPath.c_str());
  return Picture;
}

// Pixels outside the film's columns [Left, Left + Width) that are not black.
size_t LitBars(const TPicture &Picture, int Left, int Width) {
  size_t Lit = 0;
  for (int Y = 0; Y < Picture.Height; ++Y)
    for (int X = 0; X < Picture.Width; ++X) {
      if (X >= Left && X < Left + Width) continue;
      const uint8_t *P = Picture.At(X, Y);
      Lit += P[0] != 0 || P[1] != 0 || P[2] != 0;
    }
  return Lit;
}

TEST(FilmShape, TheFilmsOwnShapeInAnyFrame) {
  const struct {
    int Width, Height;
    TFilmSize Expected;
  } Cases[] = {
      // The dialog's modes and any 4:3 frame: drawn as they always were.
      {1024, 768, {1024, 768}},
      {1280, 1024, {1280, 1024}},
      {640, 480, {640, 480}},
      {320, 240, {320, 240}},
      {2880, 2160, {2880, 2160}},
      // Any other shape: the largest 4:3 size that fits.
      {1920, 1080, {1440, 1080}},
      {3840, 2160, {2880, 2160}},
      {1280, 720, {960, 720}},
      {1366, 768, {1024, 768}},
      {1000, 1000, {1000, 750}},
  };
  for (const auto &Case : Cases) {
    const TFilmSize Film = DefaultFilmSize(Case.Width, Case.Height);
    EXPECT_EQ(Film.Width, Case.Expected.Width) << Case.Width << "x" << Case.Height;
    EXPECT_EQ(Film.Height, Case.Expected.Height) << Case.Width << "x" << Case.Height;
  }
}

// A 1920x1080 frame: the film in the centred 1440x1080 area, the bars
// exactly black, and the area the 1440x1080 capture of the same instant.
// The film is drawn apart from the frame there, where the software
// rasteriser may put a rare pixel one level apart.
TEST(CaptureShape, ASixteenByNineFrameHoldsTheFourByThreeFilmBetweenBars) {
  for (const int64_t Instant : {8000, 19000}) {
    SCOPED_TRACE("film time " + std::to_string(Instant));
    const TPicture Wide = Frame(1920, 1080, Instant);
    const TPicture Film = Frame(1440, 1080, Instant);
    ASSERT_EQ(Wide.Width, 1920);
    ASSERT_EQ(Film.Width, 1440);
    EXPECT_EQ(LitBars(Wide, 240, 1440), 0u);
    size_t Apart = 0;
    int Furthest = 0;
    for (int Y = 0; Y < 1080; ++Y)
      for (int X = 0; X < 1440; ++X)
        for (int C = 0; C < 3; ++C) {
          const int Difference = std::abs(Wide.At(X + 240, Y)[C] - Film.At(X, Y)[C]);
          Apart += Difference != 0;
          Furthest = std::max(Furthest, Difference);
        }
    EXPECT_LE(Furthest, 1);
    EXPECT_LT(Apart, Film.Rgb.size() / 200) << "bytes one level apart";
  }
}

// --film 1600x1200 in a 3840x2160 frame: the film as the largest mode draws
// it, scaled up to 2880x2160 between bars; the leader as large in the frame
// as at 1600x1200. Where the film is flat the scaled picture has its colour.
TEST(CaptureShape, ALargerFrameScalesTheFilmUp) {
  const TPicture Large = Frame(3840, 2160, 2000, {1600, 1200}, 32, true);
  const TPicture Mode = Frame(1600, 1200, 2000, {}, 32, true);
  ASSERT_EQ(Large.Width, 3840);
  ASSERT_EQ(Mode.Width, 1600);
  EXPECT_EQ(LitBars(Large, 480, 2880), 0u);
  size_t Checked = 0, Wrong = 0;
  for (int Y = 0; Y < 2160; Y += 9)
    for (int X = 480; X < 3360; X += 9) {
      const int FilmX = (X - 480) * 1600 / 2880, FilmY = Y * 1200 / 2160;
      if (FilmX < 2 || FilmY < 2 || FilmX >= 1598 || FilmY >= 1198) continue;
      bool Flat = true;
      for (int Dy = -2; Dy <= 2 && Flat; ++Dy)
        for (int Dx = -2; Dx <= 2 && Flat; ++Dx)
          Flat = std::memcmp(Mode.At(FilmX + Dx, FilmY + Dy), Mode.At(FilmX, FilmY), 3) == 0;
      if (!Flat) continue;
      ++Checked;
      for (int C = 0; C < 3; ++C)
        Wrong += std::abs(Large.At(X, Y)[C] - Mode.At(FilmX, FilmY)[C]) > 2;
    }
  EXPECT_GT(Checked, 20000u);
  EXPECT_EQ(Wrong, 0u) << "of " << Checked << " flat points";
}

size_t Levels(const TPicture &Picture, int Channel) {
  std::set<uint8_t> Seen;
  for (size_t i = static_cast<size_t>(Channel); i < Picture.Rgb.size(); i += 3)
    Seen.insert(Picture.Rgb[i]);
  return Seen.size();
}

// --bits 16 draws the film as the 16-bit modes show it: 5-6-5 colours.
TEST(CaptureShape, SixteenBitsGiveFiveSixFiveColours) {
  const TPicture Sixteen = Frame(1024, 768, 8000, {}, 16);
  const TPicture ThirtyTwo = Frame(1024, 768, 8000);
  EXPECT_LE(Levels(Sixteen, 0), 32u);
  EXPECT_LE(Levels(Sixteen, 1), 64u);
  EXPECT_GE(Levels(Sixteen, 0), 8u);
  EXPECT_GT(Levels(ThirtyTwo, 0), 64u);
}

}  // namespace
