// The leader and the opening as real Mesa draws them, headless, probed at points that no
// rasterisation detail can move.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "FilmSetup.h"
#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "runner/DemoState.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {

class PixelLeaderAndOpening : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    SetPlatform(&Headless);
    std::string Error;
    Gl = THeadlessGL::Create(800, 600, Error).release();
    ASSERT_NE(Gl, nullptr) << Error;
    ASSERT_TRUE(SetUpFilm(800, 600));
  }
  static void TearDownTestSuite() {
    TearDownFilm();
    delete Gl;
    Gl = nullptr;
    SetPlatform(nullptr);
    DemoTime = 0;
  }

  static int Red(int X, int Y) { return Gl->ReadPixel(X, Y).R; }

  static THeadlessPlatform Headless;
  static THeadlessGL *Gl;
};

THeadlessPlatform PixelLeaderAndOpening::Headless;
THeadlessGL *PixelLeaderAndOpening::Gl = nullptr;

}  // namespace

TEST_F(PixelLeaderAndOpening, OpeningStartsWithAFlatWaveOnWhiteUnderTheVignette) {
  DemoTime = 0;
  DrawScene();
  EXPECT_EQ(Red(400, 150), 255);  // the background, clear of the vignette
  EXPECT_LT(Red(400, 299), 60);   // the wave line lies on y = 300
  EXPECT_LT(Red(400, 300), 60);
  EXPECT_EQ(Red(400, 310), 255);
  EXPECT_NEAR(Red(4, 4), 155, 10);  // the vignette darkens the corner
}

TEST_F(PixelLeaderAndOpening, LeaderShowsItsLastDigitUntil4000AndNoneAfter) {
  // A point on the bottom stroke of the 2, below the rings and above the bottom band.
  const int X = 440, Y = 408;
  DrawCountdown(3999);
  EXPECT_LT(Red(X, Y), 60);
  DrawCountdown(4000);
  EXPECT_EQ(Red(X, Y), 255);
  EXPECT_NEAR(Red(200, 0), 153, 3);  // the top band, 0.4 black at the edge
}
