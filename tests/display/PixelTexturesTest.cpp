// The textures as the film draws them: real Mesa, headless, probed at
// points that no rasterisation detail can move.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "HeadlessFilmTest.h"
#include "UMTextures.h"
#include "scenes/Quads.h"

namespace {

// The film set up at 512 x 512, so textures of that size map texel for pixel.
class PixelTextures : public THeadlessFilmTest<512, 512> {
protected:
  // A quad over the whole view with the texture, in the given colour, over
  // a cleared background (blending on, pixel projection in force).
  static void DrawOver(float Background, const TTexture &Tex, float Grey) {
    glClearColor(Background, Background, Background, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, Tex.TexId);
    glColor4f(Grey, Grey, Grey, 1);
    DrawTexturedQuad(ViewRect(), 0, 0, 1, 1);
    glDisable(GL_TEXTURE_2D);
  }
};

}  // namespace

TEST_F(PixelTextures, VignetteInBlackDarkensTheCornersAndLeavesTheCentreWhite) {
  DrawOver(1, VignetteTex, 0);
  // Alpha 105 in the corners: white * (1 - 105/255) = 150; 85 at the edge
  // midpoints: 170.
  struct {
    int X, Y, Red;
  } Cases[] = {{0, 0, 150},   {511, 0, 150}, {0, 511, 150},   {511, 511, 150},
               {0, 255, 170}, {255, 0, 170}, {256, 256, 255}, {120, 380, 255}};
  for (const auto &c : Cases)
    EXPECT_NEAR(Gl->ReadPixel(c.X, c.Y).R, c.Red, 2) << c.X << ", " << c.Y;
}

TEST_F(PixelTextures, GlowInWhiteLightsTheCentreAndFadesToTheRim) {
  DrawOver(0, GlowTex, 1);
  EXPECT_GE(Gl->ReadPixel(256, 256).R, 250);
  EXPECT_NEAR(Gl->ReadPixel(384, 256).R, 64, 6);  // alpha and colour both about 128
  EXPECT_EQ(Gl->ReadPixel(2, 256).R, 0);
  EXPECT_EQ(Gl->ReadPixel(0, 0).R, 0);
}

TEST_F(PixelTextures, DigitStripShowsTheFiveInItsFirstQuarterUpright) {
  // The first quarter of the strip, s from 0 to 0.25, drawn over the view:
  // the digit's solid centre column is dark, the quarter's corners are not.
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, CountdownTex.TexId);
  glColor4f(0, 0, 0, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(0, 0);
  glTexCoord2f(0.25f, 0);
  glVertex2f(512, 0);
  glTexCoord2f(0.25f, 1);
  glVertex2f(512, 512);
  glTexCoord2f(0, 1);
  glVertex2f(0, 512);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  // Texel (75, 100) lies on the 5's upright stroke; upside down the same
  // place would be the open lower left of the figure.
  EXPECT_LE(Gl->ReadPixel(150, 200).R, 5) << "the 5's upright stroke";
  EXPECT_GE(Gl->ReadPixel(150, 312).R, 200) << "beside the 5's lower bowl";
  EXPECT_GE(Gl->ReadPixel(10, 10).R, 250);
  EXPECT_GE(Gl->ReadPixel(500, 500).R, 250);
}
