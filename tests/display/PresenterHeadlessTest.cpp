// The presenter on real Mesa, headless: a 1024x768 film drawn into its own
// framebuffer and shown in a 1920x1080 drawable, as fullscreen shows it on a
// 1080p monitor, and the same film in a drawable of its own size, where it
// must be drawn exactly as without a presenter.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"
#include "present/FramePresenter.h"
#include "scenes/Timeline.h"

namespace {

constexpr int FilmWidth = 1024, FilmHeight = 768;
constexpr int ScreenWidth = 1920, ScreenHeight = 1080;

class PresenterHeadless : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    SetPlatform(&Headless);
    std::string Error;
    Gl = THeadlessGL::Create(ScreenWidth, ScreenHeight, Error).release();
    ASSERT_NE(Gl, nullptr) << Error;
    ASSERT_TRUE(SetUpFilm(FilmWidth, FilmHeight));
  }
  static void TearDownTestSuite() {
    TearDownFilm();
    delete Gl;
    Gl = nullptr;
    SetPlatform(nullptr);
  }

  // The bound read framebuffer's Width x Height corner, RGBA, top row first.
  static std::vector<uint8_t> ReadCorner(int Width, int Height) {
    std::vector<uint8_t> BottomUp(static_cast<size_t>(Width) * Height * 4), Rows;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, BottomUp.data());
    const size_t Row = static_cast<size_t>(Width) * 4;
    for (int Y = Height - 1; Y >= 0; --Y)
      Rows.insert(Rows.end(), BottomUp.begin() + static_cast<long>(Y * Row),
                  BottomUp.begin() + static_cast<long>((Y + 1) * Row));
    return Rows;
  }

  // What the drawable (the window's own buffers, which a presented frame
  // leaves bound) holds.
  static std::vector<uint8_t> ReadScreen() {
    GLint Bound = -1;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &Bound);
    EXPECT_EQ(Bound, 0) << "the film's framebuffer is still bound";
    return ReadCorner(ScreenWidth, ScreenHeight);
  }

  static inline THeadlessPlatform Headless;
  static inline THeadlessGL *Gl = nullptr;
};

const uint8_t *Pixel(const std::vector<uint8_t> &Rgba, int Width, int X, int Y) {
  return &Rgba[(static_cast<size_t>(Y) * Width + X) * 4];
}

// The film's pixel at (X, Y) when its 5x5 neighbourhood is one colour, so
// that any scaling filter must give that colour there; -1 otherwise.
long FlatColour(const std::vector<uint8_t> &Film, int X, int Y) {
  if (X < 2 || Y < 2 || X >= FilmWidth - 2 || Y >= FilmHeight - 2) return -1;
  const uint8_t *Centre = Pixel(Film, FilmWidth, X, Y);
  for (int Dy = -2; Dy <= 2; ++Dy)
    for (int Dx = -2; Dx <= 2; ++Dx) {
      const uint8_t *Near = Pixel(Film, FilmWidth, X + Dx, Y + Dy);
      if (Near[0] != Centre[0] || Near[1] != Centre[1] || Near[2] != Centre[2]) return -1;
    }
  return Centre[0] << 16 | Centre[1] << 8 | Centre[2];
}

// The leader, the opening, the strands under the attractor, the discs: the
// picture in the centred 1440x1080 area is the film's frame scaled, and
// the bars left and right of it are black.
TEST_F(PresenterHeadless, TheFilmFillsTheCentredAreaOfItsShapeWithBlackBars) {
  TFramePresenter Presenter;
  ASSERT_TRUE(Presenter.Begin(&PlatformGlEntry, FilmWidth, FilmHeight, 32));
  for (const int64_t Instant : {8000, 25000, 63500}) {
    SCOPED_TRACE("film time " + std::to_string(Instant));
    Presenter.BeginFrame(ScreenWidth, ScreenHeight);
    ASSERT_TRUE(Presenter.DrawsOffscreen());
    DrawScene(TFrameInputs{Instant, 0, 0});
    const std::vector<uint8_t> Film = ReadCorner(FilmWidth, FilmHeight);
    Presenter.Present(ScreenWidth, ScreenHeight);
    const TPictureArea &Area = Presenter.PictureArea();
    EXPECT_EQ(Area.X, 240);
    EXPECT_EQ(Area.Width, 1440);
    EXPECT_EQ(Area.Height, 1080);
    const std::vector<uint8_t> Screen = ReadScreen();
    size_t LitBars = 0;
    for (int Y = 0; Y < ScreenHeight; ++Y)
      for (int X = 0; X < ScreenWidth; ++X) {
        if (X >= 240 && X < 1680) continue;
        const uint8_t *Bar = Pixel(Screen, ScreenWidth, X, Y);
        LitBars += Bar[0] != 0 || Bar[1] != 0 || Bar[2] != 0;
      }
    EXPECT_EQ(LitBars, 0u) << "bar pixels that are not black";
    // Where the film is flat the scaled picture must have its colour.
    size_t Checked = 0, Wrong = 0;
    for (int Y = 0; Y < ScreenHeight; Y += 7)
      for (int X = 240; X < 1680; X += 7) {
        const int FilmX = (X - 240) * FilmWidth / 1440, FilmY = Y * FilmHeight / 1080;
        const long Colour = FlatColour(Film, FilmX, FilmY);
        if (Colour < 0) continue;
        ++Checked;
        const uint8_t *Shown = Pixel(Screen, ScreenWidth, X, Y);
        const int Expected[3] = {static_cast<int>(Colour >> 16),
                                 static_cast<int>(Colour >> 8 & 255),
                                 static_cast<int>(Colour & 255)};
        for (int C = 0; C < 3; ++C) Wrong += std::abs(Shown[C] - Expected[C]) > 2;
      }
    EXPECT_GT(Checked, 2000u);
    EXPECT_EQ(Wrong, 0u) << "of " << Checked << " flat points";
  }
  Presenter.End();
}

// Where the drawable has the film's size the film draws straight into it,
// as it did before there was a presenter, whatever was drawn apart before
// (a window resized back to the mode's size): the frames stay exactly
// today's. The film's own framebuffer would rasterise a few pixels one
// level apart.
TEST_F(PresenterHeadless, AtTheFilmsOwnSizeTheFilmDrawsStraightIntoTheWindow) {
  TFramePresenter Presenter;
  ASSERT_TRUE(Presenter.Begin(&PlatformGlEntry, FilmWidth, FilmHeight, 32));
  for (const int64_t Instant : {8000, 25000}) {
    SCOPED_TRACE("film time " + std::to_string(Instant));
    Presenter.BeginFrame(ScreenWidth, ScreenHeight);
    DrawScene(TFrameInputs{Instant, 0, 0});
    Presenter.Present(ScreenWidth, ScreenHeight);

    Presenter.BeginFrame(FilmWidth, FilmHeight);
    EXPECT_FALSE(Presenter.DrawsOffscreen());
    DrawScene(TFrameInputs{Instant, 0, 0});
    Presenter.Present(FilmWidth, FilmHeight);
    // The window's buffers hold the frame, in their bottom-left corner.
    const std::vector<uint8_t> Shown = ReadScreen();
    DrawScene(TFrameInputs{Instant, 0, 0});
    const std::vector<uint8_t> Direct = ReadScreen();
    size_t Differs = 0;
    for (size_t i = 0; i < Shown.size(); ++i) Differs += Shown[i] != Direct[i];
    EXPECT_EQ(Differs, 0u) << "bytes unlike the film drawn without a presenter";
  }
  Presenter.End();
}

size_t Levels(const std::vector<uint8_t> &Rgba, int Channel) {
  std::set<uint8_t> Seen;
  for (size_t i = static_cast<size_t>(Channel); i < Rgba.size(); i += 4) Seen.insert(Rgba[i]);
  return Seen.size();
}

// A 16-bit mode's film has 5-6-5 colours: the vignette's and the leader's
// smooth greys fall into at most 32 levels of red and blue and 64 of green,
// where the 32-bit film shows far more.
TEST_F(PresenterHeadless, ASixteenBitModeDrawsInFiveSixFiveColours) {
  for (const int Bits : {16, 32}) {
    SCOPED_TRACE(std::to_string(Bits) + " bits");
    TFramePresenter Presenter;
    ASSERT_TRUE(Presenter.Begin(&PlatformGlEntry, FilmWidth, FilmHeight, Bits));
    // At the film's own size: a 16-bit mode still draws apart, in its own
    // colours, as a 24-bit window cannot show it.
    Presenter.BeginFrame(FilmWidth, FilmHeight);
    EXPECT_EQ(Presenter.DrawsOffscreen(), Bits == 16);
    DrawScene(TFrameInputs{8000, 0, 0});
    const std::vector<uint8_t> Film = ReadCorner(FilmWidth, FilmHeight);
    Presenter.End();
    if (Bits == 16) {
      EXPECT_LE(Levels(Film, 0), 32u);
      EXPECT_LE(Levels(Film, 1), 64u);
      EXPECT_LE(Levels(Film, 2), 32u);
      EXPECT_GE(Levels(Film, 0), 8u) << "no gradient drawn at all";
    } else {
      EXPECT_GT(Levels(Film, 0), 64u);
    }
  }
}

}  // namespace
