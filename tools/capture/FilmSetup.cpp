#include "FilmSetup.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTextures.h"
#include "runner/Precompute.h"

bool SetUpFilm(int Width, int Height) {
  if (!Ogl) Ogl = new TOgl;
  Ogl->ModeWidth = static_cast<uint32_t>(Width);
  Ogl->ModeHeight = static_cast<uint32_t>(Height);
  Ogl->ModeBits = 32;
  Ogl->ViewWidth = Ogl->ModeWidth;
  Ogl->ViewHeight = Ogl->ModeHeight;
  // The render window's part: viewport and perspective, then the initial state.
  Ogl->Resize(Width, Height);
  Ogl->InitGL();
  if (!Precompute()) return false;
  // The runner sets the line width every scene starts from after the countdown.
  glLineWidth(2.1f);
  return true;
}

void TearDownFilm() {
  ReleaseTextures();
  delete Ogl;
  Ogl = nullptr;
}
