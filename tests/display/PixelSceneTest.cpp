// Whole frames of the film and the leader under real Mesa, headless at
// 1024 x 768, probed where rasterisation details cannot move the answer.
#include <gtest/gtest.h>

#include "HeadlessFilmTest.h"
#include "UMMath.h"
#include "UMTypes.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {

class PixelScene : public THeadlessFilmTest<1024, 768> {
protected:
  static void DrawFilmAt(int64_t Time) { DrawScene(TFrameInputs{Time, 0, 0}); }
};

}  // namespace

TEST_F(PixelScene, OpeningGroundIsWhiteAwayFromTheWaveAndTheFrame) {
  DrawFilmAt(0);
  // The wave lies across the middle; above and below it, inside the
  // vignette's 73-texel frame (146 x 110 pixels here), the ground is white.
  for (auto [X, Y] : {std::pair{512, 200}, {300, 150}, {800, 600}, {200, 640}}) {
    const THeadlessGL::TPixel P = Gl->ReadPixel(X, Y);
    EXPECT_EQ(P.R, 255) << X << ", " << Y;
    EXPECT_EQ(P.G, 255) << X << ", " << Y;
    EXPECT_EQ(P.B, 255) << X << ", " << Y;
  }
}

TEST_F(PixelScene, VignetteDarkensTheCornersMostAndTheEdgesLess) {
  DrawFilmAt(0);
  // Near a corner the vignette's alpha is about 105 (255 -> 150), at the
  // middle of an edge about 85 (255 -> 170).
  for (auto [X, Y] : {std::pair{2, 2}, {1021, 2}, {2, 765}, {1021, 765}})
    EXPECT_NEAR(Red(X, Y), 150, 8) << "corner " << X << ", " << Y;
  EXPECT_NEAR(Red(512, 1), 170, 8);
  EXPECT_NEAR(Red(512, 766), 170, 8);
  EXPECT_LT(Red(2, 2), Red(512, 1));
}

namespace {

// A generator state whose first Random(4) is not Ms and 3, so the leader
// draws no scratch line across the probes.
void AvoidScratch(uint32_t Ms) {
  uint32_t Seed = 1;
  for (;; ++Seed) {
    RandSeed = Seed;
    if (Random(4) != static_cast<int32_t>(Ms & 3)) break;
  }
  RandSeed = Seed;
}

}  // namespace

TEST_F(PixelScene, LeaderShowsTheDigitInBlack) {
  AvoidScratch(1500);
  DrawCountdown(1500);
  // The 4's upright stroke (texel 155, 100 of its quarter; the 256-texel
  // quarter spans 320 pixels centred on the view), and, between the rings on
  // the left, the light ground beside the digit.
  EXPECT_LE(Red(546, 349), 5);
  EXPECT_GE(Red(390, 262), 200);
  // The digit's centre is dark (stroke edge, glow, sweep and crosshair).
  EXPECT_LT(Red(512, 384), 100);
}

TEST_F(PixelScene, FinaleShowsTheMoonOverGreyGroundAndEndsInBlack) {
  DrawFilmAt(100000);
  // Halfway: no fade. The moon's disc is centred at (0.775 W, 0.3 H); the
  // ground below the horizon (never lower than 2 H / 3) is opaque 0.3 grey.
  EXPECT_GE(Red(793, 230), 250);
  for (auto [X, Y] : {std::pair{200, 560}, {512, 384}, {300, 450}})
    EXPECT_NEAR(Red(X, Y), 76, 2) << X << ", " << Y;
  // From 110000 on the closing quad is opaque: nothing shows.
  DrawFilmAt(110000);
  for (auto [X, Y] : {std::pair{563, 77}, {200, 560}, {512, 384}, {600, 600}, {20, 20}})
    EXPECT_EQ(Red(X, Y), 0) << X << ", " << Y;
}
