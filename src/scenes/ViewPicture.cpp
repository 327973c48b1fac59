#include "scenes/ViewPicture.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "platform/RendererKind.h"

namespace {
int PowerOfTwoAtLeast(int N) {
  int P = 1;
  while (P < N) P *= 2;
  return P;
}
}  // namespace

bool DrawInSoftware() {
  if (!SoftwarePath()) return false;
  int Width = 0, Height = 0;
  TViewPicture::ViewportSize(Width, Height);
  return Width > 0 && Height > 0 && uint32_t(Width) == Ogl->ViewWidth &&
         uint32_t(Height) == Ogl->ViewHeight;
}

void TViewPicture::ViewportSize(int &Width, int &Height) {
  GLint Viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, Viewport);
  Width = Viewport[2];
  Height = Viewport[3];
}

// A power-of-two texture, as OpenGL 1.1 asks; the picture takes its lower left.
void TViewPicture::Allocate(int Width, int Height) {
  if (Holds(Width, Height)) return;
  if (Generation != CurrentGeneration) Texture = 0;  // a name of a context that is gone
  Generation = CurrentGeneration;
  if (Texture == 0) {
    GLuint Name = 0;
    glGenTextures(1, &Name);
    Texture = Name;
  }
  W = Width;
  H = Height;
  TextureW = PowerOfTwoAtLeast(Width);
  TextureH = PowerOfTwoAtLeast(Height);
  glBindTexture(GL_TEXTURE_2D, Texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, TextureW, TextureH, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               nullptr);
  // Nearest texels: each pixel centre falls on its own texel's centre.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

void TViewPicture::CopyFromFrame() {
  int Width = 0, Height = 0;
  ViewportSize(Width, Height);
  Allocate(Width, Height);
  glBindTexture(GL_TEXTURE_2D, Texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, Width, Height);
  TopRowFirst = false;
}

void TViewPicture::CopyRegionFromFrame(int X, int Y, int Width, int Height) {
  if (Width <= 0 || Height <= 0) return;
  glBindTexture(GL_TEXTURE_2D, Texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, X, Y, X, Y, Width, Height);
  TopRowFirst = false;
}

void TViewPicture::FillGrey(const uint8_t *Grey, int Width, int Height) {
  Allocate(Width, Height);
  glBindTexture(GL_TEXTURE_2D, Texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Width, Height, GL_LUMINANCE, GL_UNSIGNED_BYTE, Grey);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  TopRowFirst = true;
}

void TViewPicture::Show() const { ShowPart(0, 0, W, H); }

void TViewPicture::ShowRegion(int X, int Y, int Width, int Height) const {
  if (Width <= 0 || Height <= 0) return;
  ShowPart(X, Y, X + Width, Y + Height);
}

void TViewPicture::ShowPart(int Left, int Bottom, int Right, int Top) const {
  const bool Fog = glIsEnabled(GL_FOG);
  glDisable(GL_BLEND);
  if (Fog) glDisable(GL_FOG);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, Texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  // The quad's edges lie on pixel edges, so every pixel centre inside falls
  // on its own texel's centre. The texture's row 0 is the frame's bottom row
  // for a copied frame and its top row for grey pictures.
  const GLfloat S0 = GLfloat(Left) / GLfloat(TextureW), S1 = GLfloat(Right) / GLfloat(TextureW);
  const GLfloat T0 =
      TopRowFirst ? GLfloat(H - Bottom) / GLfloat(TextureH) : GLfloat(Bottom) / GLfloat(TextureH);
  const GLfloat T1 =
      TopRowFirst ? GLfloat(H - Top) / GLfloat(TextureH) : GLfloat(Top) / GLfloat(TextureH);
  const GLfloat X0 = Left == 0 ? -1 : 2 * GLfloat(Left) / GLfloat(W) - 1;
  const GLfloat X1 = Right == W ? 1 : 2 * GLfloat(Right) / GLfloat(W) - 1;
  const GLfloat Y0 = Bottom == 0 ? -1 : 2 * GLfloat(Bottom) / GLfloat(H) - 1;
  const GLfloat Y1 = Top == H ? 1 : 2 * GLfloat(Top) / GLfloat(H) - 1;
  glBegin(GL_QUADS);
  glTexCoord2f(S0, T0);
  glVertex2f(X0, Y0);
  glTexCoord2f(S1, T0);
  glVertex2f(X1, Y0);
  glTexCoord2f(S1, T1);
  glVertex2f(X1, Y1);
  glTexCoord2f(S0, T1);
  glVertex2f(X0, Y1);
  glEnd();

  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisable(GL_TEXTURE_2D);
  if (Fog) glEnable(GL_FOG);
  glEnable(GL_BLEND);
}
