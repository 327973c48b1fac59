#include "runner/Precompute.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTextures.h"
#include "scenes/BlobField.h"
#include "scenes/DisplayLists.h"
#include "scenes/Profile.h"
#include "scenes/UAWorms.h"

bool Precompute() {
  BuildProfile();
  InitBlobs();
  BuildDisplayLists();
  if (!SetUpTextures()) return false;
  InitWormTracks();
  Ogl->BeginOrtho();
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  return true;
}
