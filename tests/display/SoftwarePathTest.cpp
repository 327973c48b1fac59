// The software-renderer paths against the plain GL drawing, both rendered by
// real Mesa (llvmpipe) headless at 1024 x 768: the pictures of the unchanging
// tree are the GL frame byte for byte; everything else looks the same (mean
// difference at most 0.5/255, at most 0.1% of pixels off by more than 32).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "HeadlessFilmTest.h"
#include "UMTypes.h"
#include "platform/RendererKind.h"
#include "scenes/DiscStamps.h"
#include "scenes/Timeline.h"
#include "scenes/TreePicture.h"
#include "scenes/ViewPicture.h"

namespace {

class SoftwarePath : public THeadlessFilmTest<1024, 768> {
protected:
  void TearDown() override { SetRenderPath(RenderPathBefore); }

  static std::vector<uint8_t> FrameAt(int64_t Time, TRenderPath Path) {
    SetRenderPath(Path);
    DrawScene(TFrameInputs{Time, 0, 0});
    return Gl->ReadFrame();
  }

  TRenderPath RenderPathBefore = RenderPath();
};

struct TDifference {
  double MeanPerChannel = 0;  // in 1/255 steps
  double FarOffShare = 0;     // of pixels with a channel off by more than 32
};

TDifference Compare(const std::vector<uint8_t> &A, const std::vector<uint8_t> &B) {
  TDifference D;
  const size_t Pixels = A.size() / 4;
  size_t FarOff = 0;
  double Sum = 0;
  for (size_t i = 0; i < Pixels; ++i) {
    int Largest = 0;
    for (int c = 0; c < 3; ++c) {  // alpha is never shown
      const int Off = std::abs(int(A[i * 4 + c]) - int(B[i * 4 + c]));
      Sum += Off;
      if (Off > Largest) Largest = Off;
    }
    if (Largest > 32) ++FarOff;
  }
  D.MeanPerChannel = Sum / double(Pixels * 3);
  D.FarOffShare = double(FarOff) / double(Pixels);
  return D;
}

}  // namespace

TEST_F(SoftwarePath, TreePicturesAreTheGlFrameByteForByte) {
  // The list's tree under the blob field, its last instant, the grown tree
  // on its first instants and under the fade and the discs (before the
  // organism's lines, which are the film's own).
  for (int64_t Time : {49689, 50500, 51688, 59097, 59200, 60700}) {
    const std::vector<uint8_t> Plain = FrameAt(Time, TRenderPath::Hardware);
    FrameAt(Time, TRenderPath::Software);  // takes the picture
    EXPECT_TRUE(FrameAt(Time, TRenderPath::Software) == Plain) << "t = " << Time;
  }
}

TEST_F(SoftwarePath, TreePicturesTakenAheadInSlicesAreTheGlFrameByteForByte) {
  TViewPicture::ForgetAll();  // as in a new context: both pictures to take
  SetRenderPath(TRenderPath::Software);
  RandSeed = 77;
  int Slices = 1;
  // Each call takes a slice; far more calls than any tree needs means the
  // pictures are never finished.
  while (!PrepareTreePictures()) ASSERT_LT(++Slices, 10000) << "the tree pictures are never ready";
  EXPECT_GT(Slices, 2);  // the whole tree never in one frame
  EXPECT_EQ(RandSeed, 77u);
  for (int64_t Time : {50500, 59200}) {
    const std::vector<uint8_t> Plain = FrameAt(Time, TRenderPath::Hardware);
    EXPECT_TRUE(FrameAt(Time, TRenderPath::Software) == Plain) << "t = " << Time;
  }
}

TEST_F(SoftwarePath, DiscsLeftOutPastTheFadeWouldChangeNoColour) {
  // The software path skips the discs past 63096, where the plain drawing
  // stamps them black over the black clear: no colour changes. Over white
  // they cover most of the view, so the check sees them.
  SetRenderPath(TRenderPath::Hardware);
  for (int64_t Time : {63097, 64000, 64999}) {
    for (float Background : {0.f, 1.f}) {
      glClearColor(Background, Background, Background, 0.5f);
      glClear(GL_COLOR_BUFFER_BIT);
      DrawDiscStamps(Time);
      const std::vector<uint8_t> Frame = Gl->ReadFrame();
      size_t Changed = 0;
      const uint8_t Clear = Background == 0 ? 0 : 255;
      for (size_t i = 0; i < Frame.size(); i += 4)
        Changed += Frame[i] != Clear || Frame[i + 1] != Clear || Frame[i + 2] != Clear;
      if (Background == 0)
        EXPECT_EQ(Changed, 0u) << "t = " << Time;
      else
        EXPECT_GT(Changed, Frame.size() / 4 / 2) << "t = " << Time;
    }
  }
}

TEST_F(SoftwarePath, LooksLikeThePlainGlDrawingAcrossTheFilm) {
  for (int64_t Time :
       {1000,  8000,  15000, 21000, 23000, 25000, 27500, 29000, 30500, 40000, 49689, 50500,
        51689, 53000, 55000, 57000, 59096, 59200, 61000, 62500, 63000, 64000, 66000, 67999}) {
    const std::vector<uint8_t> Plain = FrameAt(Time, TRenderPath::Hardware);
    const TDifference D = Compare(Plain, FrameAt(Time, TRenderPath::Software));
    std::printf("t = %6lld: mean difference %.3f/255, %.4f%% of pixels off by more than 32\n",
                static_cast<long long>(Time), D.MeanPerChannel, D.FarOffShare * 100);
    EXPECT_LE(D.MeanPerChannel, 0.5) << "t = " << Time;
    EXPECT_LE(D.FarOffShare, 0.001) << "t = " << Time;
  }
}
