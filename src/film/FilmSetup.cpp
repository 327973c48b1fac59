#include "film/FilmSetup.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTextures.h"
#include "film/Precompute.h"

void SetFilmView() {
  Ogl->ViewWidth = Ogl->ModeWidth;
  Ogl->ViewHeight = Ogl->ModeHeight;
}

bool InitFilmContext(int32_t Width, int32_t Height) {
  Ogl->Resize(Width, Height);
  return Ogl->InitGL();
}

void StartFilmPicture() { glLineWidth(2.1f); }

bool SetUpFilm(int32_t Width, int32_t Height, void (*Leader)(void *Context), void *LeaderContext) {
  if (!Ogl) Ogl = new TOgl;
  Ogl->ModeWidth = static_cast<uint32_t>(Width);
  Ogl->ModeHeight = static_cast<uint32_t>(Height);
  Ogl->ModeBits = 32;
  SetFilmView();
  if (!InitFilmContext(Width, Height) || !Precompute()) return false;
  if (Leader) Leader(LeaderContext);
  StartFilmPicture();
  return true;
}

void TearDownFilm() {
  ReleaseTextures();
  delete Ogl;
  Ogl = nullptr;
}
