// Textures: the five grey bitmaps carried in the executable, the generated
// glow, and the uploads of pixel buffers as GL textures.
#pragma once

#include <cstdint>

#include "BitmapResource.h"
#include "UMTypes.h"

extern TTexture CountdownTex;
extern TTexture TitleTex;
extern TTexture DiscTex;
extern TTexture CreditsTex;
extern TTexture VignetteTex;
extern TTexture GlowTex;
extern TTexture FieldTex;

// Where a bitmap's PNG bytes come from: the bitmaps embedded in the program
// (EmbeddedBitmap) unless a caller hands in others.
using TBitmapSource = TBitmapBytes (*)(int32_t ResId);

// Loads bitmap ResId (2..6) as a white RGBA texture whose alpha is the grey
// level (or, with AlphaResId >= 0, colour from ResId and alpha from
// AlphaResId) and uploads it. Returns false, with Tex left empty, when a
// bitmap is missing or cannot be decoded, after telling the viewer in a
// "Quillmoor" message box.
bool LoadResourceTexture(int32_t ResId, int32_t AlphaResId, TTexture &Tex, bool Clamp,
                         TBitmapSource Source = EmbeddedBitmap);
// Upload Tex's pixels (3 or 4 bytes each) under a new texture name, which
// becomes Tex.TexId and stays bound. Clamp sets both wrap modes to GL_CLAMP.
void UploadRGB(TTexture &Tex, bool Clamp);
void UploadRGBA(TTexture &Tex, bool Clamp);
// Fills the Data of a square texture (Width x Width pixels) with the radial
// glow: 255 at the centre, fading to 0 at half the width.
void MakeGlowTexture(TTexture &Tex);

// The start-up set-up of all seven textures, in the film's order. Returns
// false (after the viewer has been told) when a bitmap is damaged.
bool SetUpTextures(TBitmapSource Source = EmbeddedBitmap);
// Empties every texture's Data, in the film's release order.
void ReleaseTextures();
