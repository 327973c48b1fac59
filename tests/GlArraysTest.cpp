// The look-up of the array entry points and the batch that hands a frame's
// primitives to GL through them, or through the plain calls without them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "platform/GlArrayCalls.h"
#include "scenes/VertexBatch.h"

TEST(GlArrayCallsTest, NeedsVersionOnePointFive) {
  const struct {
    const char *Version;
    bool Has;
  } Cases[] = {{"4.5 (Compatibility Profile) Mesa 22.3.6", true},
               {"1.5 Recording", true},
               {"2.1 Mesa", true},
               {"1.4", false},
               {"1.1.0", false},
               {"", false},
               {nullptr, false},
               {"OpenGL ES 3.2", false}};
  for (const auto &c : Cases)
    EXPECT_EQ(HasGl15(c.Version), c.Has) << (c.Version ? c.Version : "null");
}

namespace {
void *AllButBufferData(const char *Name) {
  return std::strcmp(Name, "glBufferData") == 0 ? nullptr : RecordingGLProcAddress(Name);
}
}  // namespace

TEST(GlArrayCallsTest, UsedOnlyWhenAllAreFoundAndNotRefused) {
  RecordedGL().Reset();
  LoadGlArrayCalls(RecordingGLProcAddress);
  ASSERT_NE(GlArrayCalls(), nullptr);
  const uint32_t First = GlArrayCalls()->Generation;
  LoadGlArrayCalls(RecordingGLProcAddress);
  EXPECT_NE(GlArrayCalls()->Generation, First);  // a new context's names

  LoadGlArrayCalls(AllButBufferData);
  EXPECT_EQ(GlArrayCalls(), nullptr);
  LoadGlArrayCalls(nullptr);
  EXPECT_EQ(GlArrayCalls(), nullptr);
  setenv(GlCallsVariable, "immediate", 1);
  LoadGlArrayCalls(RecordingGLProcAddress);
  EXPECT_EQ(GlArrayCalls(), nullptr);
  // Any other value is said and left out, not taken as a refusal.
  setenv(GlCallsVariable, "imediate", 1);
  testing::internal::CaptureStderr();
  LoadGlArrayCalls(RecordingGLProcAddress);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("QUILLMOOR_GL_CALLS=imediate"),
            std::string::npos);
  EXPECT_NE(GlArrayCalls(), nullptr);
  unsetenv(GlCallsVariable);
}

class VertexBatchTest : public TSceneTest {
protected:
  // Two strips in different colours, a fan, then lines whose colour changes
  // half way: the runs of one mode and the colour changes both ways.
  static void Gather(TVertexBatch &Batch) {
    Batch.Color(1, 1, 1, 0.25f);
    Batch.Begin(GL_LINE_STRIP);
    Batch.Vertex(0, 0);
    Batch.Vertex(10, 5);
    Batch.End();
    Batch.Color(0, 0, 0, 0.5f);
    Batch.Begin(GL_LINE_STRIP);
    Batch.Vertex(3, 4);
    Batch.Vertex(7, 8);
    Batch.Vertex(9, 1);
    Batch.End();
    Batch.Begin(GL_TRIANGLE_FAN);
    Batch.Vertex(1, 1);
    Batch.Vertex(2, 1);
    Batch.Vertex(2, 2);
    Batch.End();
    Batch.Begin(GL_LINES);
    Batch.Vertex(0, 1);
    Batch.Color(1, 0, 0, 1);
    Batch.Vertex(5, 6);
    Batch.End();
  }

  static std::string Describe(const std::vector<TGLPrimitive> &Primitives) {
    std::string Out;
    for (const TGLPrimitive &p : Primitives) {
      Out += std::to_string(p.Mode) + ":";
      for (const TGLVertex &v : p.Vertices)
        Out += " (" + std::to_string(v.X) + "," + std::to_string(v.Y) + " " + std::to_string(v.R) +
               std::to_string(v.G) + std::to_string(v.B) + std::to_string(v.A) + ")";
      Out += "\n";
    }
    return Out;
  }
};

TEST_F(VertexBatchTest, ArraysAndPlainCallsDrawTheSame) {
  TVertexBatch Batch;
  std::string Drawn[2];
  for (int Arrays = 0; Arrays < 2; ++Arrays) {
    LoadGlArrayCalls(Arrays ? RecordingGLProcAddress : nullptr);
    ResetRecording();
    Gather(Batch);
    Batch.Draw();
    Drawn[Arrays] = Describe(RecordedGL().Primitives);
    // The colour is left at the last one set, as the plain calls leave it.
    EXPECT_EQ(RecordedGL().Color[0], 1);
    EXPECT_EQ(RecordedGL().Color[1], 0);
    EXPECT_EQ(RecordedGL().Color[3], 1);
    if (Arrays) {
      // One call per run of a mode: the two strips together.
      EXPECT_EQ(RecordedGL().CountCalls("glBegin"), 0u);
      EXPECT_EQ(RecordedGL().CountCalls("glMultiDrawArrays"), 1u);
      EXPECT_EQ(RecordedGL().CountCalls("glDrawArrays"), 2u);
      EXPECT_FALSE(RecordedGL().VertexArray.Enabled || RecordedGL().ColorArray.Enabled);
      EXPECT_EQ(RecordedGL().BoundArrayBuffer, 0u);
    } else {
      EXPECT_EQ(RecordedGL().CountCalls("glBegin"), 4u);
    }
  }
  EXPECT_EQ(Drawn[0], Drawn[1]);
  EXPECT_EQ(RecordedGL().Primitives.size(), 4u);

  // Drawn again (a smaller frame into the same buffer), nothing of the
  // first frame is left over.
  ResetRecording();
  Batch.Begin(GL_LINES);
  Batch.Vertex(4, 4);
  Batch.Vertex(5, 5);
  Batch.End();
  Batch.Draw();
  ASSERT_EQ(RecordedGL().Primitives.size(), 1u);
  EXPECT_EQ(RecordedGL().Primitives[0].Vertices.size(), 2u);
}
