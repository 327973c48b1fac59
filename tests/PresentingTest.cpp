// Where the film's picture goes in a screen or window of another size, and
// how the viewer chooses the way fullscreen takes the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/PictureFit.h"
#include "window/FullscreenWay.h"

namespace {

struct TFitCase {
  int PictureWidth, PictureHeight, OuterWidth, OuterHeight;
  TPictureArea Expected;
};

TEST(PictureFit, TheLargestAreaOfThePicturesShapeCentred) {
  const TFitCase Cases[] = {
      // 4:3 on 16:9 monitors: pillars.
      {1024, 768, 1920, 1080, {240, 0, 1440, 1080}},
      {1600, 1200, 3840, 2160, {480, 0, 2880, 2160}},
      {640, 480, 1366, 768, {171, 0, 1024, 768}},
      // 5:4 on 16:9, and 4:3 on a 5:4 screen: bars above and below.
      {1280, 1024, 1920, 1080, {285, 0, 1350, 1080}},
      {1024, 768, 1280, 1024, {0, 32, 1280, 960}},
      // Its own size and its own shape: filled, nothing left over.
      {1024, 768, 1024, 768, {0, 0, 1024, 768}},
      {800, 600, 1600, 1200, {0, 0, 1600, 1200}},
      // Smaller than the picture (a window on a small screen).
      {1600, 1200, 1440, 1040, {26, 0, 1387, 1040}},
      // An odd margin leaves its extra pixel after the picture.
      {4, 3, 9, 3, {2, 0, 4, 3}},
      // Nothing to fit into, or nothing to fit.
      {1024, 768, 0, 1080, {0, 0, 0, 0}},
      {0, 768, 1920, 1080, {0, 0, 0, 0}},
  };
  for (const TFitCase &Case : Cases) {
    const TPictureArea Area =
        FitPicture(Case.PictureWidth, Case.PictureHeight, Case.OuterWidth, Case.OuterHeight);
    SCOPED_TRACE(std::to_string(Case.PictureWidth) + "x" + std::to_string(Case.PictureHeight) +
                 " in " + std::to_string(Case.OuterWidth) + "x" + std::to_string(Case.OuterHeight));
    EXPECT_EQ(Area.X, Case.Expected.X);
    EXPECT_EQ(Area.Y, Case.Expected.Y);
    EXPECT_EQ(Area.Width, Case.Expected.Width);
    EXPECT_EQ(Area.Height, Case.Expected.Height);
  }
}

TEST(FullscreenWay, SwitchOnlyWhenAskedAndAnUnknownValueIsTheDefault) {
  const struct {
    const char *Value;  // null: unset
    TFullscreenWay Expected;
  } Cases[] = {
      {nullptr, TFullscreenWay::Scaled},   {"", TFullscreenWay::Scaled},
      {"scaled", TFullscreenWay::Scaled},  {"switch", TFullscreenWay::ModeSwitch},
      {"Switch!", TFullscreenWay::Scaled},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Value ? Case.Value : "(unset)");
    if (Case.Value)
      setenv(FullscreenVariable, Case.Value, 1);
    else
      unsetenv(FullscreenVariable);
    EXPECT_EQ(FullscreenWayFromEnvironment(), Case.Expected);
  }
  unsetenv(FullscreenVariable);
}

}  // namespace
