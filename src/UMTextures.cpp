#include "UMTextures.h"

#include <GL/gl.h>

#include <cmath>
#include <string>

#include "UMMath.h"
#include "platform/Platform.h"

TTexture CountdownTex;
TTexture TitleTex;
TTexture DiscTex;
TTexture CreditsTex;
TTexture VignetteTex;
TTexture GlowTex;
TTexture FieldTex;

namespace {

void ReportBitmapFailure(int32_t ResId, const std::string &Reason) {
  const std::string Text =
      "The built-in bitmap " + std::to_string(ResId) + " cannot be loaded (" + Reason + ").";
  Platform().MessageBox(Text.c_str(), "Quillmoor", TMessageIcon::Error, TMessageButtons::Ok);
}

// Decodes bitmap ResId; a missing or damaged one is reported to the viewer.
bool LoadBitmap(TBitmapSource Source, int32_t ResId, TGreyBitmap &Bitmap) {
  const TBitmapBytes Png = Source(ResId);
  if (!Png.Data) {
    ReportBitmapFailure(ResId, "it is missing from the program");
    return false;
  }
  std::string Error;
  if (!DecodeGreyPng(Png, Bitmap, Error)) {
    ReportBitmapFailure(ResId, Error);
    return false;
  }
  return true;
}

void Upload(TTexture &Tex, bool Clamp, GLint Components, GLenum Format) {
  GLuint Name = 0;
  glGenTextures(1, &Name);
  glBindTexture(GL_TEXTURE_2D, Name);
  glTexImage2D(GL_TEXTURE_2D, 0, Components, Tex.Width, Tex.Height, 0, Format, GL_UNSIGNED_BYTE,
               Tex.Data.data());
  if (Clamp) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  Tex.TexId = Name;
}

void Empty(TTexture &Tex) { std::vector<uint8_t>().swap(Tex.Data); }

}  // namespace

bool LoadResourceTexture(int32_t ResId, int32_t AlphaResId, TTexture &Tex, bool Clamp,
                         TBitmapSource Source) {
  Tex = TTexture();
  TGreyBitmap Colour, Alpha;
  if (!LoadBitmap(Source, ResId, Colour)) return false;
  const bool HasAlpha = AlphaResId >= 0;
  if (HasAlpha) {
    if (!LoadBitmap(Source, AlphaResId, Alpha)) return false;
    // The alpha rows are read with the colour bitmap's size: a smaller alpha
    // bitmap would be read past its end.
    if (Alpha.Width < Colour.Width || Alpha.Height < Colour.Height) {
      ReportBitmapFailure(AlphaResId, "it is smaller than bitmap " + std::to_string(ResId));
      return false;
    }
  }

  Tex.Width = Colour.Width;
  Tex.Height = Colour.Height;
  Tex.BytesPerPixel = 4;
  Tex.Data.resize(static_cast<size_t>(Tex.Width) * static_cast<size_t>(Tex.Height) * 4);
  for (int32_t y = 0; y < Tex.Height; ++y) {
    for (int32_t x = 0; x < Tex.Width; ++x) {
      const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(Tex.Width) + x) * 4;
      // A grey pixel's red, green and blue bytes all equal its level.
      const uint8_t Grey = Colour.Grey[static_cast<size_t>(y) * Colour.Width + x];
      if (HasAlpha) {
        Tex.Data[i] = Tex.Data[i + 1] = Tex.Data[i + 2] = Grey;
        Tex.Data[i + 3] = Alpha.Grey[static_cast<size_t>(y) * Alpha.Width + x];
      } else {
        // White, with the grey level as coverage: drawn in a colour under
        // GL_MODULATE the image becomes a stencil of that colour.
        Tex.Data[i] = Tex.Data[i + 1] = Tex.Data[i + 2] = 255;
        Tex.Data[i + 3] = Grey;
      }
    }
  }
  UploadRGBA(Tex, Clamp);
  return true;
}

void UploadRGB(TTexture &Tex, bool Clamp) { Upload(Tex, Clamp, 3, GL_RGB); }

void UploadRGBA(TTexture &Tex, bool Clamp) { Upload(Tex, Clamp, 4, GL_RGBA); }

void MakeGlowTexture(TTexture &Tex) {
  const int32_t Size = Tex.Width;
  const size_t Needed = static_cast<size_t>(Size) * static_cast<size_t>(Size) *
                        static_cast<size_t>(Tex.BytesPerPixel);
  // Never write past the buffer, whatever size it was given.
  if (Tex.Data.size() < Needed) Tex.Data.resize(Needed);

  const Extended Half = static_cast<Extended>(Size) / 2;
  for (int32_t y = 0; y < Size; ++y) {
    for (int32_t x = 0; x < Size; ++x) {
      const Extended Dx = x - Half, Dy = y - Half;
      const Single Distance = static_cast<Single>(std::sqrt(Dx * Dx + Dy * Dy));
      uint8_t Value = 0;
      // Inside the radius v stays below 255 (254 at most for the 256 glow),
      // so 255 - v never wraps.
      if (Distance < Half) Value = static_cast<uint8_t>(255 - Round(Distance / (Half + 1) * 256));
      const size_t Pixel = (static_cast<size_t>(y) * static_cast<size_t>(Size) + x) *
                           static_cast<size_t>(Tex.BytesPerPixel);
      for (int32_t c = 0; c < Tex.BytesPerPixel; ++c) Tex.Data[Pixel + c] = Value;
    }
  }
}

bool SetUpTextures(TBitmapSource Source) {
  // The blob field fills and uploads this one every frame.
  FieldTex.Width = 512;
  FieldTex.Height = 512;
  FieldTex.BytesPerPixel = 3;
  FieldTex.Data.assign(512 * 512 * 3, 0);
  // Its texture is made on the blob field's first frame, in this context.
  FieldTex.TexId = 0;

  GlowTex.Width = 256;
  GlowTex.Height = 256;
  GlowTex.BytesPerPixel = 4;
  GlowTex.Data.assign(256 * 256 * 4, 0);
  MakeGlowTexture(GlowTex);
  UploadRGBA(GlowTex, true);

  return LoadResourceTexture(2, -1, TitleTex, true, Source) &&
         LoadResourceTexture(3, -1, DiscTex, true, Source) &&
         LoadResourceTexture(4, -1, CreditsTex, true, Source) &&
         LoadResourceTexture(5, -1, VignetteTex, true, Source) &&
         LoadResourceTexture(6, -1, CountdownTex, true, Source);
}

void ReleaseTextures() {
  Empty(FieldTex);
  Empty(TitleTex);
  Empty(DiscTex);
  Empty(GlowTex);
  Empty(CreditsTex);
  Empty(VignetteTex);
  Empty(CountdownTex);
}
