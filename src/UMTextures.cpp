#include "UMTextures.h"

TTexture CountdownTex;
TTexture TitleTex;
TTexture DiscTex;
TTexture CreditsTex;
TTexture VignetteTex;
TTexture GlowTex;
TTexture FieldTex;

// Placeholders until the textures are built.
bool LoadResourceTexture(int32_t, int32_t, TTexture &, bool) { return true; }
void UploadRGB(TTexture &, bool) {}
void UploadRGBA(TTexture &, bool) {}
void MakeGlowTexture(TTexture &) {}
bool SetUpTextures() { return true; }
void ReleaseTextures() {}
