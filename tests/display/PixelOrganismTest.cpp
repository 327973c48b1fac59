// The organism scene under real Mesa, headless at 1024 x 768: the top
// organism's fill over the black background, probed at the view's centre,
// which lies deep inside it, after the background waves are gone and before
// the worms arrive.
#include <gtest/gtest.h>

#include "HeadlessFilmTest.h"
#include "UMTypes.h"
#include "scenes/Organism.h"
#include "scenes/Timeline.h"

namespace {
class PixelOrganism : public THeadlessFilmTest<1024, 768> {};
}  // namespace

TEST_F(PixelOrganism, FillWhitensTheTopOrganismFromItsCentreOut) {
  // The fill's alpha eases from 0 at 68000 towards 1 at 78000; the view's
  // centre is the top organism's centre, far inside its outline, so it shows
  // white at that alpha over black (levels set as on a loud beat).
  const struct {
    int64_t Time;
    int Grey;  // 255 x the fill alpha
  } Cases[] = {{70800, 46}, {71500, 70}, {72500, 108}};
  for (const auto &Case : Cases) {
    DrawScene(TFrameInputs{Case.Time, 0.7f, 0.7f});
    for (auto [X, Y] : {std::pair{512, 384}, {480, 400}, {540, 360}}) {
      const THeadlessGL::TPixel P = Gl->ReadPixel(X, Y);
      EXPECT_NEAR(P.R, Case.Grey, 3) << Case.Time << " at " << X << ", " << Y;
      EXPECT_EQ(P.R, P.B);
    }
  }
}
