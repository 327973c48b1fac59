// The headless context itself: what it draws is what it reads back, upright.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "HeadlessGL.h"

TEST(PixelHeadless, GivesACompatibilityContextOnTheSoftwareRasteriser) {
  std::string Error;
  auto Gl = THeadlessGL::Create(32, 16, Error);
  ASSERT_TRUE(Gl) << Error;
  const char *Version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
  ASSERT_NE(Version, nullptr);
  // Fixed-function drawing must work: no core-profile context.
  GLint Mask = 0;
  glGetIntegerv(0x9126 /* GL_CONTEXT_PROFILE_MASK */, &Mask);
  EXPECT_EQ(Mask & 1 /* core */, 0) << Version;
}

TEST(PixelHeadless, ReadsFramesBackTopRowFirst) {
  std::string Error;
  auto Gl = THeadlessGL::Create(40, 30, Error);
  ASSERT_TRUE(Gl) << Error;
  EXPECT_EQ(Gl->Width(), 40);
  EXPECT_EQ(Gl->Height(), 30);

  // Blue everywhere, then red over the top ten rows through a top-down
  // pixel projection.
  glViewport(0, 0, 40, 30);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 40, 30, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(1, 0, 0, 1);
  glBegin(GL_QUADS);
  glVertex2f(0, 0);
  glVertex2f(40, 0);
  glVertex2f(40, 10);
  glVertex2f(0, 10);
  glEnd();

  const std::vector<uint8_t> Frame = Gl->ReadFrame();
  ASSERT_EQ(Frame.size(), 40u * 30u * 4u);
  auto At = [&](int X, int Y) { return &Frame[(static_cast<size_t>(Y) * 40 + X) * 4]; };
  EXPECT_EQ(At(5, 2)[0], 255);
  EXPECT_EQ(At(5, 2)[2], 0);
  EXPECT_EQ(At(35, 25)[0], 0);
  EXPECT_EQ(At(35, 25)[2], 255);

  const THeadlessGL::TPixel Top = Gl->ReadPixel(20, 0);
  const THeadlessGL::TPixel Bottom = Gl->ReadPixel(20, 29);
  EXPECT_EQ(Top.R, 255);
  EXPECT_EQ(Bottom.B, 255);
  EXPECT_EQ(Bottom.R, 0);
}
