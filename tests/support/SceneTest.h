// The fixture scene tests share: a fresh recording GL and a 1024 x 768 view
// installed as Ogl, put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "UMOgl.h"
#include "UMTypes.h"

class TSceneTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordedGL().Reset();
    View.ViewWidth = 1024;
    View.ViewHeight = 768;
    SavedOgl = Ogl;
    Ogl = &View;
  }
  void TearDown() override {
    Ogl = SavedOgl;
    DemoTime = 0;
  }

  TOgl View;

private:
  TOgl *SavedOgl = nullptr;
};
