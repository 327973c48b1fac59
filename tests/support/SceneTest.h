// The fixture scene tests share: a fresh recording GL, whose array and buffer
// calls the scenes find as they find a real context's, and a 1024 x 768 view
// installed as Ogl, put back afterwards. The recording GL records an array
// draw as the primitives it draws, so the tests hold whichever calls a scene
// makes.
#pragma once

#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "platform/GlArrayCalls.h"

// A fresh recording is a fresh context: buffer objects made before are gone,
// so the scenes look the array calls up again (when they use them).
inline void ResetRecording() {
  RecordedGL().Reset();
  if (GlArrayCalls()) LoadGlArrayCalls(RecordingGLProcAddress);
}

class TSceneTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordedGL().Reset();
    LoadGlArrayCalls(RecordingGLProcAddress);
    View.ViewWidth = 1024;
    View.ViewHeight = 768;
    SavedOgl = Ogl;
    Ogl = &View;
  }
  void TearDown() override {
    Ogl = SavedOgl;
    LoadGlArrayCalls(nullptr);
  }

  TOgl View;

private:
  TOgl *SavedOgl = nullptr;
};
