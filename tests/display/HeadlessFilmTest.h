// The fixture headless pixel tests share: a surfaceless Mesa context of
// Width x Height with the film set up in it as the runner does, once per
// test suite.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "HeadlessGL.h"
#include "HeadlessPlatform.h"
#include "UMTypes.h"
#include "film/FilmSetup.h"

template <int Width, int Height>
class THeadlessFilmTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    SetPlatform(&Headless);
    std::string Error;
    Gl = THeadlessGL::Create(Width, Height, Error).release();
    ASSERT_NE(Gl, nullptr) << Error;
    ASSERT_TRUE(SetUpFilm(Width, Height));
  }
  static void TearDownTestSuite() {
    TearDownFilm();
    delete Gl;
    Gl = nullptr;
    SetPlatform(nullptr);
  }

  static int Red(int X, int Y) { return Gl->ReadPixel(X, Y).R; }

  static inline THeadlessPlatform Headless;
  static inline THeadlessGL *Gl = nullptr;
};
