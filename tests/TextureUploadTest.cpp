// Texture generation, uploads, the start-up set-up and the handling of
// damaged bitmaps, through the recording GL.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "RecordingGL.h"
#include "ScriptedPlatform.h"
#include "UMTextures.h"
#include "platform/Platform.h"

namespace {

// Small grey PNGs made on the spot, served by an injected bitmap source.
std::vector<uint8_t> EncodeGrey(int Width, int Height, const std::vector<uint8_t> &Grey) {
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  Image.width = static_cast<png_uint_32>(Width);
  Image.height = static_cast<png_uint_32>(Height);
  Image.format = PNG_FORMAT_GRAY;
  png_alloc_size_t Size = 0;
  png_image_write_to_memory(&Image, nullptr, &Size, 0, Grey.data(), 0, nullptr);
  std::vector<uint8_t> Png(Size);
  png_image_write_to_memory(&Image, Png.data(), &Size, 0, Grey.data(), 0, nullptr);
  return Png;
}

std::vector<uint8_t> ServedPngs[8];

TBitmapBytes ServeTestPng(int32_t ResId) {
  if (ResId < 0 || ResId >= 8 || ServedPngs[ResId].empty()) return {};
  return {ServedPngs[ResId].data(), ServedPngs[ResId].size()};
}

class TextureTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordedGL().Reset();
    SetPlatform(&Messages);
    // Other tests in this process may have left the globals filled.
    for (TTexture *Tex :
         {&FieldTex, &GlowTex, &TitleTex, &DiscTex, &CreditsTex, &VignetteTex, &CountdownTex})
      *Tex = TTexture();
  }
  void TearDown() override {
    for (auto &Png : ServedPngs) Png.clear();
    ReleaseTextures();
    SetPlatform(nullptr);
  }
  TScriptedPlatform Messages;
};

const uint8_t *PixelOf(const TTexture &Tex, int X, int Y) {
  return &Tex.Data[(static_cast<size_t>(Y) * Tex.Width + X) * Tex.BytesPerPixel];
}

}  // namespace

TEST_F(TextureTest, GlowFadesFromTheCentreToNothingAtHalfTheWidth) {
  TTexture Glow;
  Glow.Width = Glow.Height = 256;
  Glow.BytesPerPixel = 4;
  Glow.Data.assign(256 * 256 * 4, 77);
  MakeGlowTexture(Glow);

  struct {
    int X, Y;
    uint8_t Value;
  } Cases[] = {
      {128, 128, 255},  // centre
      {0, 128, 0},      // distance 128: outside
      {255, 128, 3},    // distance 127: v = Round(252.03) = 252
      {192, 128, 128},  // distance 64: v = Round(127.008) = 127
      {128, 192, 128},  // the same, down the column
      {1, 113, 1},      // distance 127.88, just inside 128: v = 254
  };
  for (const auto &c : Cases)
    for (int Channel = 0; Channel < 4; ++Channel)
      EXPECT_EQ(PixelOf(Glow, c.X, c.Y)[Channel], c.Value)
          << "pixel (" << c.X << ", " << c.Y << ") channel " << Channel;
  for (int X = 0; X < 256; ++X) {
    EXPECT_EQ(PixelOf(Glow, X, 0)[3], 0) << "row 0, column " << X;
    EXPECT_EQ(PixelOf(Glow, 0, X)[3], 0) << "column 0, row " << X;
  }
}

TEST_F(TextureTest, UploadsTakeANewNameEachAndSetFiltersAndWrapping) {
  struct {
    bool Rgba, Clamp;
  } Cases[] = {{false, true}, {false, false}, {true, true}, {true, false}};
  for (const auto &c : Cases) {
    SCOPED_TRACE(std::string(c.Rgba ? "RGBA" : "RGB") + (c.Clamp ? ", clamped" : ", repeated"));
    RecordedGL().Reset();
    TTexture Tex;
    Tex.Width = 4;
    Tex.Height = 2;
    Tex.BytesPerPixel = c.Rgba ? 4 : 3;
    Tex.Data.assign(4 * 2 * Tex.BytesPerPixel, 9);
    for (int Upload = 0; Upload < 2; ++Upload) (c.Rgba ? UploadRGBA : UploadRGB)(Tex, c.Clamp);

    const auto &Calls = RecordedGL().Calls;
    std::vector<std::string> Expected = {"glGenTextures", "glBindTexture", "glTexImage2D"};
    if (c.Clamp) Expected.insert(Expected.end(), {"glTexParameteri", "glTexParameteri"});
    Expected.insert(Expected.end(), {"glTexParameteri", "glTexParameteri"});
    ASSERT_EQ(Calls.size(), 2 * Expected.size());
    for (size_t i = 0; i < Calls.size(); ++i)
      EXPECT_EQ(Calls[i].Name, Expected[i % Expected.size()]) << "call " << i;

    // The second upload: a fresh name, bound, and kept in TexId.
    const size_t Second = Expected.size();
    EXPECT_EQ(Tex.TexId, 2u);
    EXPECT_EQ(RecordedGL().BoundTexture, 2u);
    EXPECT_EQ(RecordedGL().LiveTextures.size(), 2u);
    EXPECT_EQ(Calls[Second + 1].Arg(1), 2);

    const TGLCall &Image = Calls[Second + 2];
    const GLenum Format = c.Rgba ? GL_RGBA : GL_RGB;
    const double Args[] = {GL_TEXTURE_2D,   0, double(Tex.BytesPerPixel), 4, 2, 0, double(Format),
                           GL_UNSIGNED_BYTE};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Image.Arg(i), Args[i]) << "glTexImage2D argument " << i;

    size_t Parameter = Second + 3;
    if (c.Clamp) {
      EXPECT_EQ(Calls[Parameter].Arg(1), GL_TEXTURE_WRAP_S);
      EXPECT_EQ(Calls[Parameter++].Arg(2), GL_CLAMP);
      EXPECT_EQ(Calls[Parameter].Arg(1), GL_TEXTURE_WRAP_T);
      EXPECT_EQ(Calls[Parameter++].Arg(2), GL_CLAMP);
    }
    EXPECT_EQ(Calls[Parameter].Arg(1), GL_TEXTURE_MIN_FILTER);
    EXPECT_EQ(Calls[Parameter++].Arg(2), GL_LINEAR);
    EXPECT_EQ(Calls[Parameter].Arg(1), GL_TEXTURE_MAG_FILTER);
    EXPECT_EQ(Calls[Parameter].Arg(2), GL_LINEAR);
  }
}

TEST_F(TextureTest, SetUpBuildsTheSevenTexturesInOrder) {
  ASSERT_TRUE(SetUpTextures());
  EXPECT_TRUE(Messages.MessageBoxes.empty());

  struct {
    const char *Name;
    const TTexture &Tex;
    int Width, Height, BytesPerPixel;
    uint32_t TexId;
  } Cases[] = {
      {"FieldTex", FieldTex, 512, 512, 3, 0},          {"GlowTex", GlowTex, 256, 256, 4, 1},
      {"TitleTex", TitleTex, 512, 64, 4, 2},           {"DiscTex", DiscTex, 256, 256, 4, 3},
      {"CreditsTex", CreditsTex, 512, 256, 4, 4},      {"VignetteTex", VignetteTex, 512, 512, 4, 5},
      {"CountdownTex", CountdownTex, 1024, 256, 4, 6},
  };
  for (const auto &c : Cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Tex.Width, c.Width);
    EXPECT_EQ(c.Tex.Height, c.Height);
    EXPECT_EQ(c.Tex.BytesPerPixel, c.BytesPerPixel);
    EXPECT_EQ(c.Tex.Data.size(), size_t(c.Width) * c.Height * c.BytesPerPixel);
    EXPECT_EQ(c.Tex.TexId, c.TexId);
  }
  for (uint8_t Byte : FieldTex.Data) ASSERT_EQ(Byte, 0);
  // Every upload of the set-up clamps.
  size_t Clamps = 0;
  for (const TGLCall &Call : RecordedGL().CallsNamed("glTexParameteri"))
    if (Call.Arg(2) == GL_CLAMP) ++Clamps;
  EXPECT_EQ(Clamps, 12u);

  ReleaseTextures();
  for (const auto &c : Cases) EXPECT_TRUE(c.Tex.Data.empty()) << c.Name;
}

TEST_F(TextureTest, BitmapsBecomeWhiteTexturesWithTheGreyAsAlpha) {
  ASSERT_TRUE(SetUpTextures());
  for (const TTexture *Tex : {&TitleTex, &DiscTex, &CreditsTex, &VignetteTex, &CountdownTex})
    for (size_t i = 0; i < Tex->Data.size(); i += 4)
      ASSERT_TRUE(Tex->Data[i] == 255 && Tex->Data[i + 1] == 255 && Tex->Data[i + 2] == 255)
          << "texture " << Tex->TexId << " byte " << i;
  EXPECT_EQ(PixelOf(VignetteTex, 0, 0)[3], 105);
  EXPECT_EQ(PixelOf(VignetteTex, 511, 511)[3], 105);
  EXPECT_EQ(PixelOf(DiscTex, 128, 128)[3], 255);
  EXPECT_EQ(PixelOf(DiscTex, 0, 0)[3], 0);
}

TEST_F(TextureTest, AnAlphaBitmapGivesColourFromOneAndCoverageFromTheOther) {
  ServedPngs[2] = EncodeGrey(2, 2, {10, 20, 30, 40});
  ServedPngs[3] = EncodeGrey(3, 2, {1, 2, 3, 4, 5, 6});
  TTexture Tex;
  ASSERT_TRUE(LoadResourceTexture(2, 3, Tex, true, ServeTestPng));
  const std::vector<uint8_t> Expected = {10, 10, 10, 1, 20, 20, 20, 2,
                                         30, 30, 30, 4, 40, 40, 40, 5};
  EXPECT_EQ(Tex.Data, Expected);

  // An alpha bitmap narrower than the colour one is refused, not overread.
  EXPECT_FALSE(LoadResourceTexture(3, 2, Tex, true, ServeTestPng));
  ASSERT_EQ(Messages.MessageBoxes.size(), 1u);
  EXPECT_TRUE(Tex.Data.empty());
}

TEST_F(TextureTest, ADamagedOrMissingBitmapIsReportedAndEndsTheSetUp) {
  const std::vector<uint8_t> Good = EncodeGrey(4, 4, std::vector<uint8_t>(16, 200));
  struct {
    const char *Name;
    std::vector<uint8_t> Png;
  } Cases[] = {
      {"missing", {}},
      {"not a PNG", {'B', 'M', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"truncated", std::vector<uint8_t>(Good.begin(), Good.begin() + 40)},
      {"damaged data",
       [&] {
         auto Png = Good;
         for (size_t i = 41; i < Png.size() - 12; ++i) Png[i] ^= 0x5A;
         return Png;
       }()},
  };
  for (const auto &c : Cases) {
    SCOPED_TRACE(c.Name);
    Messages.MessageBoxes.clear();
    RecordedGL().Reset();
    for (int Id = 2; Id <= 6; ++Id) ServedPngs[Id] = Good;
    ServedPngs[4] = c.Png;  // the credits

    EXPECT_FALSE(SetUpTextures(ServeTestPng));
    ASSERT_EQ(Messages.MessageBoxes.size(), 1u);
    EXPECT_EQ(Messages.MessageBoxes[0].Caption, "Quillmoor");
    EXPECT_EQ(Messages.MessageBoxes[0].Icon, TMessageIcon::Error);
    EXPECT_NE(Messages.MessageBoxes[0].Text.find("bitmap 4"), std::string::npos)
        << Messages.MessageBoxes[0].Text;
    EXPECT_TRUE(CreditsTex.Data.empty());
    EXPECT_EQ(CreditsTex.TexId, 0u);
    // Nothing after the damaged bitmap was loaded.
    EXPECT_TRUE(VignetteTex.Data.empty());
    EXPECT_EQ(RecordedGL().CountCalls("glTexImage2D"), 3u);
  }
}
