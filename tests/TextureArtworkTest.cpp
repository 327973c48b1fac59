// The five embedded bitmaps: sizes, grey levels and layout that the scenes
// rely on when they place and tint them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "BitmapResource.h"

namespace {

TGreyBitmap Decoded(int32_t ResId) {
  TGreyBitmap Bitmap;
  std::string Error;
  EXPECT_TRUE(DecodeGreyPng(EmbeddedBitmap(ResId), Bitmap, Error)) << "bitmap " << ResId << Error;
  return Bitmap;
}

int Level(const TGreyBitmap &B, int X, int Y) {
  return B.Grey[static_cast<size_t>(Y) * B.Width + X];
}

// The smallest rectangle holding every pixel of at least Threshold within
// columns X0..X1 (inclusive).
struct TBox {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
};
TBox InkBox(const TGreyBitmap &B, int Threshold, int X0 = 0, int X1 = -1) {
  if (X1 < 0) X1 = B.Width - 1;
  TBox Box;
  for (int Y = 0; Y < B.Height; ++Y)
    for (int X = X0; X <= X1; ++X)
      if (Level(B, X, Y) >= Threshold) {
        Box.Left = std::min(Box.Left, X);
        Box.Right = std::max(Box.Right, X);
        Box.Top = std::min(Box.Top, Y);
        Box.Bottom = std::max(Box.Bottom, Y);
      }
  return Box;
}

}  // namespace

TEST(TextureArtwork, EveryBitmapHasItsSize) {
  struct {
    int32_t Id, Width, Height;
  } Cases[] = {{2, 512, 64}, {3, 256, 256}, {4, 512, 256}, {5, 512, 512}, {6, 1024, 256}};
  for (const auto &c : Cases) {
    const TGreyBitmap B = Decoded(c.Id);
    EXPECT_EQ(B.Width, c.Width) << "bitmap " << c.Id;
    EXPECT_EQ(B.Height, c.Height) << "bitmap " << c.Id;
  }
  EXPECT_EQ(EmbeddedBitmap(1).Data, nullptr);
  EXPECT_EQ(EmbeddedBitmap(7).Data, nullptr);
}

TEST(TextureArtwork, TitleIsMidGreyWithinItsBox) {
  const TGreyBitmap B = Decoded(2);
  // Row 0 is the top: a flipped title would reach rows 9..46.
  const TBox Box = InkBox(B, 1);
  EXPECT_GE(Box.Left, 14);
  EXPECT_LE(Box.Right, 497);
  EXPECT_GE(Box.Top, 17);
  EXPECT_LE(Box.Bottom, 54);
  EXPECT_GT(Box.Right - Box.Left, 440) << "the title spans the width";

  int Max = 0;
  long Sum = 0, Solid = 0;
  for (uint8_t G : B.Grey) {
    Max = std::max<int>(Max, G);
    if (G >= 64) Sum += G, ++Solid;
  }
  EXPECT_LE(Max, 201);
  ASSERT_GT(Solid, 0);
  EXPECT_NEAR(double(Sum) / Solid, 140, 25) << "mean grey of the letters";
}

TEST(TextureArtwork, DiscTouchesTheEdgesWithAnAntialiasedRim) {
  const TGreyBitmap B = Decoded(3);
  const TBox Box = InkBox(B, 1);
  EXPECT_EQ(Box.Left, 1);
  EXPECT_EQ(Box.Top, 1);
  EXPECT_EQ(Box.Right, 254);
  EXPECT_EQ(Box.Bottom, 254);
  EXPECT_EQ(Level(B, 128, 128), 255);
  EXPECT_EQ(Level(B, 0, 0), 0);
  EXPECT_EQ(Level(B, 255, 255), 0);
  // The rim has intermediate levels along the diagonal.
  bool Partial = false;
  for (int i = 0; i < 128; ++i) Partial |= Level(B, i, i) > 0 && Level(B, i, i) < 255;
  EXPECT_TRUE(Partial);
}

TEST(TextureArtwork, CreditsHaveTwoLinesAndOrnamentsDownToTheBottom) {
  const TGreyBitmap B = Decoded(4);
  auto RowHasInk = [&](int Y) {
    for (int X = 0; X < B.Width; ++X)
      if (Level(B, X, Y) > 128) return true;
    return false;
  };
  EXPECT_TRUE(RowHasInk(B.Height - 1)) << "ornaments run to the bottom edge";
  // Two lines of lettering: bands of inked rows at least 15 rows tall (the
  // ornamental rules across the picture are only a few rows thick).
  int Bands = 0, Run = 0;
  for (int Y = 0; Y < B.Height; ++Y) {
    int Ink = 0;
    for (int X = 0; X < B.Width; ++X) Ink += Level(B, X, Y) > 128;
    Run = Ink > 20 ? Run + 1 : 0;
    if (Run == 15) ++Bands;
  }
  EXPECT_EQ(Bands, 2);
}

TEST(TextureArtwork, VignetteFramesABlackCentre) {
  const TGreyBitmap B = Decoded(5);
  struct {
    int X, Y, Grey;
  } Cases[] = {
      {0, 0, 105},   {511, 0, 105},  {0, 511, 105}, {511, 511, 105},  // corners
      {0, 255, 85},  {511, 256, 85}, {255, 0, 85},  {256, 511, 85},   // edge midpoints
      {73, 255, 0},  {438, 256, 0},  {255, 73, 0},  {256, 438, 0},    // 73 px in
      {256, 256, 0}, {120, 120, 0},
  };
  for (const auto &c : Cases) EXPECT_EQ(Level(B, c.X, c.Y), c.Grey) << c.X << ", " << c.Y;
  // Falling steadily from the edge inward.
  for (int X = 1; X < 73; ++X) EXPECT_LE(Level(B, X, 255), Level(B, X - 1, 255)) << X;
}

TEST(TextureArtwork, CountdownDigitsAreCentredInTheirQuarters) {
  const TGreyBitmap B = Decoded(6);
  for (int Quarter = 0; Quarter < 4; ++Quarter) {
    SCOPED_TRACE("digit " + std::to_string(5 - Quarter));
    const TBox Solid = InkBox(B, 250, Quarter * 256, Quarter * 256 + 255);
    EXPECT_NEAR(Solid.Right - Solid.Left + 1, 128, 4);
    EXPECT_NEAR(Solid.Bottom - Solid.Top + 1, 195, 4);
    EXPECT_NEAR((Solid.Left + Solid.Right) / 2.0, Quarter * 256 + 127.5, 2);
    EXPECT_NEAR((Solid.Top + Solid.Bottom) / 2.0, 127.5, 2);
    // The glow reaches beyond the strokes but fades out before the quarter's edge.
    const TBox Glow = InkBox(B, 8, Quarter * 256, Quarter * 256 + 255);
    EXPECT_LT(Glow.Left, Solid.Left - 4);
    EXPECT_GT(Glow.Left, Quarter * 256);
    EXPECT_GT(Glow.Right, Solid.Right + 4);
    EXPECT_LT(Glow.Right, Quarter * 256 + 255);
  }
  // The glow never bleeds into a neighbouring quarter, and the strip's last
  // column is transparent: from 4000 ms the leader samples only that column.
  for (int X : {0, 255, 256, 511, 512, 767, 768, 1023})
    for (int Y = 0; Y < 256; ++Y) ASSERT_EQ(Level(B, X, Y), 0) << X << ", " << Y;
  // The 5's flat top bar lies near the top: row 0 is the image's top row.
  int TopBar = 0;
  for (int X = 0; X < 256; ++X) TopBar += Level(B, X, 40) >= 250;
  EXPECT_GT(TopBar, 80);
}
