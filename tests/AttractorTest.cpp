// The attractor's display list and the spiralling camera of its window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/Attractor.h"
#include "scenes/CarriedState.h"

namespace {
class AttractorTest : public TSceneTest {
protected:
};
}  // namespace

TEST_F(AttractorTest, ListHoldsOneStripFromWhiteToBlack) {
  BuildAttractorList();
  ASSERT_EQ(RecordedGL().Lists.count(Carried.Lists.Attractor), 1u);
  const auto NewList = RecordedGL().CallsNamed("glNewList");
  ASSERT_EQ(NewList.size(), 1u);
  EXPECT_EQ(NewList[0].Arg(1), GL_COMPILE);
  const TGLList &List = RecordedGL().Lists[Carried.Lists.Attractor];
  ASSERT_EQ(List.Primitives.size(), 1u);
  const TGLPrimitive &Strip = List.Primitives[0];
  EXPECT_EQ(Strip.Mode, static_cast<GLenum>(GL_LINE_STRIP));
  ASSERT_EQ(Strip.Vertices.size(), 60001u);

  const TGLVertex &First = Strip.Vertices.front();
  EXPECT_NEAR(First.X, 0.003, 1e-7);
  EXPECT_NEAR(First.Y, 0.099, 1e-7);
  EXPECT_NEAR(First.Z, 1.976, 1e-6);
  EXPECT_EQ(First.R, 1.0f);
  EXPECT_EQ(First.A, 0.1f);
  const TGLVertex &Last = Strip.Vertices.back();
  EXPECT_EQ(Last.R + Last.G + Last.B, 0.0f);
  EXPECT_EQ(Last.A, 0.1f);
  // Half way along the line the grey is one half.
  EXPECT_EQ(Strip.Vertices[30000].G, 0.5f);

  // The two lobes stay within the attractor's known extent.
  for (const TGLVertex &v : Strip.Vertices) {
    ASSERT_GT(v.X, -2.2);
    ASSERT_LT(v.X, 2.1);
    ASSERT_GT(v.Y, -3.6);
    ASSERT_LT(v.Y, 3.5);
    ASSERT_GT(v.Z, 0.4);
    ASSERT_LT(v.Z, 6.8);
  }
}

TEST_F(AttractorTest, CameraSpiralsOutAndTheStacksAreRestored) {
  struct Case {
    int64_t t;
    double Eye[3];
    double Tolerance;
  };
  const Case Cases[] = {
      {20001, {0.00111, 0.00000, 0.00000}, 2e-5},
      {25000, {0.0, 0.0, 5.5556}, 1e-3},
      {30000, {-11.1111, 0.0, 0.0}, 1e-3},
  };
  for (const Case &c : Cases) {
    ResetRecording();
    View.BeginOrtho();
    RecordedGL().Calls.clear();
    DrawAttractorWindow(c.t);
    EXPECT_EQ(RecordedGL().ProjectionDepth, 2) << "t = " << c.t;
    EXPECT_EQ(RecordedGL().ModelViewDepth, 2) << "t = " << c.t;
    EXPECT_EQ(RecordedGL().MatrixMode, static_cast<GLenum>(GL_MODELVIEW));

    const auto LookAt = RecordedGL().CallsNamed("gluLookAt");
    ASSERT_EQ(LookAt.size(), 1u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(LookAt[0].Arg(i), c.Eye[i], c.Tolerance) << c.t;
    const double CentreAndUp[6] = {0.3, -0.3, 0, 0, 1, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(LookAt[0].Arg(3 + i), CentreAndUp[i]);

    // Camera, replay, identity, then the pixel projection again.
    std::vector<std::string> Order;
    for (const TGLCall &call : RecordedGL().Calls)
      if (call.Is("gluLookAt") || call.Is("glCallList") || call.Is("glLoadIdentity") ||
          call.Is("glOrtho") || call.Is("glPopMatrix"))
        Order.push_back(call.Name);
    const std::vector<std::string> Expected = {"glPopMatrix", "glPopMatrix",    "gluLookAt",
                                               "glCallList",  "glLoadIdentity", "glLoadIdentity",
                                               "glOrtho",     "glLoadIdentity"};
    EXPECT_EQ(Order, Expected) << "t = " << c.t;
    EXPECT_EQ(RecordedGL().CallsNamed("glCallList")[0].Arg(0), Carried.Lists.Attractor);
  }
}
