// Textures: the five grey bitmaps carried in the executable, the generated
// glow, and the uploads of pixel buffers as GL textures.
#pragma once

#include <cstdint>

#include "UMTypes.h"

extern TTexture CountdownTex;
extern TTexture TitleTex;
extern TTexture DiscTex;
extern TTexture CreditsTex;
extern TTexture VignetteTex;
extern TTexture GlowTex;
extern TTexture FieldTex;

// Loads bitmap ResId (2..6) as a white RGBA texture whose alpha is the grey
// level (or, with AlphaResId >= 0, colour from ResId and alpha from
// AlphaResId) and uploads it. Returns false, with Tex left empty, when the
// bitmap is missing or cannot be decoded.
bool LoadResourceTexture(int32_t ResId, int32_t AlphaResId, TTexture &Tex, bool Clamp);
void UploadRGB(TTexture &Tex, bool Clamp);
void UploadRGBA(TTexture &Tex, bool Clamp);
// Fills the already-sized Data of a square texture with the radial glow.
void MakeGlowTexture(TTexture &Tex);

// The start-up set-up of all seven textures, in the film's order. Returns
// false (after the viewer has been told) when an embedded bitmap is damaged.
bool SetUpTextures();
// Empties every texture's Data, in the film's release order.
void ReleaseTextures();
