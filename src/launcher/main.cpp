// The program's entry: seed the generator, create the view object, run the
// demo in the chosen mode, then give back everything the run took.
#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "platform/Platform.h"
#include "platform/Randomize.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"
#include "runner/RunDemo.h"

namespace {
// Until the display-settings dialog exists the demo runs in its default
// mode, in a window.
void ChooseDisplayMode() {
  Ogl->ModeWidth = 1024;
  Ogl->ModeHeight = 768;
  Ogl->ModeBits = 32;
  Fullscreen = false;
}
}  // namespace

int main() {
  TSdlPlatform &Backend = SdlPlatform();
  SetPlatform(&Backend, &Backend);

  Randomize();
  Ogl = new TOgl;
  ChooseDisplayMode();

  RunDemo();
  Platform().ShowCursor(true);
  ReleaseTextures();
  delete Ogl;
  Ogl = nullptr;

  Backend.Shutdown();
  const int Signal = StopSignal();
  return Signal != 0 ? 128 + Signal : 0;
}
