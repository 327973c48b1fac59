// The leader and the opening as real Mesa draws them, headless, probed at points that no
// rasterisation detail can move.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "HeadlessFilmTest.h"
#include "UMTypes.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

using PixelLeaderAndOpening = THeadlessFilmTest<800, 600>;

TEST_F(PixelLeaderAndOpening, OpeningStartsWithAFlatWaveThroughTheMiddle) {
  DrawScene(TFrameInputs{0, 0, 0});
  for (const int X : {100, 400, 700}) {
    EXPECT_LT(Red(X, 299), 60) << X;  // the line is centred on y = 300
    EXPECT_LT(Red(X, 300), 60) << X;
    EXPECT_GT(Red(X, 290), 240) << X;  // white ground, under the vignette's edge
    EXPECT_GT(Red(X, 310), 240) << X;
  }
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
