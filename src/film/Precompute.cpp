#include "film/Precompute.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTextures.h"
#include "platform/GlArrayCalls.h"
#include "platform/Platform.h"
#include "platform/RendererKind.h"
#include "scenes/BlobField.h"
#include "scenes/CarriedState.h"
#include "scenes/DisplayLists.h"
#include "scenes/Profile.h"
#include "scenes/UAWorms.h"
#include "scenes/ViewPicture.h"

bool Precompute() {
  DecideRenderPath();
  LoadGlArrayCalls(&PlatformGlEntry);
  TViewPicture::ForgetAll();
  // Every run starts from the record the steps below fill, whatever a run
  // before it left.
  Carried = TCarriedState();
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
