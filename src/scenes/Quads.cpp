#include "scenes/Quads.h"

#include <GL/gl.h>

#include "UMOgl.h"

TRect ViewRect() {
  return TRect{0, 0, static_cast<Single>(Ogl->ViewWidth), static_cast<Single>(Ogl->ViewHeight)};
}

void DrawQuad(const TRect &R) {
  glBegin(GL_QUADS);
  glVertex2f(R.Left, R.Top);
  glVertex2f(R.Right, R.Top);
  glVertex2f(R.Right, R.Bottom);
  glVertex2f(R.Left, R.Bottom);
  glEnd();
}

void DrawTexturedQuad(const TRect &R, Single S0, Single T0, Single S1, Single T1) {
  glBegin(GL_QUADS);
  glTexCoord2f(S0, T0);
  glVertex2f(R.Left, R.Top);
  glTexCoord2f(S1, T0);
  glVertex2f(R.Right, R.Top);
  glTexCoord2f(S1, T1);
  glVertex2f(R.Right, R.Bottom);
  glTexCoord2f(S0, T1);
  glVertex2f(R.Left, R.Bottom);
  glEnd();
}
