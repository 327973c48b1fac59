// The view object's projections and initial GL state, through the recording GL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "UMOgl.h"

namespace {
class OglTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordedGL().Reset();
    View.ViewWidth = 1024;
    View.ViewHeight = 768;
  }
  TOgl View;
};
}  // namespace

TEST_F(OglTest, InitGLIssuesItsThirtyThreeCallsInOrder) {
  EXPECT_TRUE(View.InitGL());
  const auto &c = RecordedGL().Calls;
  const char *expected[] = {
      "glShadeModel",  "glClearColor",  "glClearDepth", "glEnable",     "glDepthFunc", "glHint",
      "glPolygonMode", "glPolygonMode", "glLightfv",    "glLightfv",    "glLightfv",   "glLightfv",
      "glMaterialfv",  "glMaterialfv",  "glMaterialfv", "glMaterialfv", "glEnable",    "glEnable",
      "glEnable",      "glFogi",        "glFogfv",      "glFogf",       "glHint",      "glFogf",
      "glFogf",        "glEnable",      "glBlendFunc",  "glTexEnvi",    "glTexGeni",   "glTexGeni",
      "glEnable",      "glEnable",      "glLineWidth"};
  ASSERT_EQ(c.size(), 33u);
  for (size_t i = 0; i < c.size(); ++i) EXPECT_STREQ(c[i].Name, expected[i]) << "call " << i + 1;
  // Spot checks of arguments that change the picture.
  EXPECT_EQ(c[1].Arg(3), 0.5f);  // clear alpha
  EXPECT_EQ(c[10].Arg(1), GL_POSITION);
  EXPECT_EQ(c[10].Arg(4), 2.0f);  // light at z = 2
  EXPECT_EQ(c[15].Arg(1), GL_SHININESS);
  EXPECT_EQ(c[15].Arg(2), 50.0f);
  EXPECT_EQ(c[19].Arg(1), GL_LINEAR);
  EXPECT_EQ(c[21].Arg(1), 0.35f);
  EXPECT_EQ(c[23].Arg(1), 10.0f);
  EXPECT_EQ(c[24].Arg(1), 20.0f);
  EXPECT_EQ(c[26].Arg(0), GL_SRC_ALPHA);
  EXPECT_EQ(c[26].Arg(1), GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(c[27].Arg(2), GL_MODULATE);
  EXPECT_EQ(c[30].Arg(0), GL_TEXTURE_2D);
  EXPECT_EQ(c[31].Arg(0), GL_LINE_SMOOTH);
  EXPECT_EQ(c[32].Arg(0), 2.1f);
  EXPECT_EQ(RecordedGL().Enabled.count(GL_BLEND), 0u);  // blending configured, not enabled
}

TEST_F(OglTest, ResizeWithZeroHeightUsesOne) {
  View.Resize(640, 0);
  const auto viewport = RecordedGL().CallsNamed("glViewport");
  ASSERT_EQ(viewport.size(), 1u);
  EXPECT_EQ(viewport[0].Arg(2), 640);
  EXPECT_EQ(viewport[0].Arg(3), 1);
  const auto perspective = RecordedGL().CallsNamed("gluPerspective");
  ASSERT_EQ(perspective.size(), 1u);
  EXPECT_EQ(perspective[0].Arg(0), 45.0);
  EXPECT_EQ(perspective[0].Arg(1), 640.0);
  EXPECT_EQ(perspective[0].Arg(2), 0.1);
  EXPECT_EQ(perspective[0].Arg(3), 150.1);
  EXPECT_EQ(RecordedGL().MatrixMode, static_cast<GLenum>(GL_MODELVIEW));
}

TEST_F(OglTest, AspectIsAFloatingQuotient) {
  View.Resize(1024, 768);
  EXPECT_DOUBLE_EQ(RecordedGL().CallsNamed("gluPerspective")[0].Arg(1), 1024.0 / 768.0);
}

TEST_F(OglTest, OrthoPushesOneMatrixPerStackAndEndOrthoUndoesIt) {
  View.BeginOrtho();
  EXPECT_EQ(RecordedGL().ProjectionDepth, 2);
  EXPECT_EQ(RecordedGL().ModelViewDepth, 2);
  EXPECT_EQ(RecordedGL().MatrixMode, static_cast<GLenum>(GL_MODELVIEW));
  const auto ortho = RecordedGL().CallsNamed("glOrtho");
  ASSERT_EQ(ortho.size(), 1u);
  const double expected[] = {0, 1024, 768, 0, -1, 1};  // y runs downward
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ortho[0].Arg(i), expected[i]);
  // A resize while the pixel projection is pushed pushes nothing.
  View.Resize(800, 600);
  EXPECT_EQ(RecordedGL().ProjectionDepth, 2);
  View.EndOrtho();
  EXPECT_EQ(RecordedGL().ProjectionDepth, 1);
  EXPECT_EQ(RecordedGL().ModelViewDepth, 1);
  EXPECT_EQ(RecordedGL().MatrixMode, static_cast<GLenum>(GL_MODELVIEW));
}
