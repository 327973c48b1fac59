#include "launcher/Entry.h"

#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "launcher/DialogFlags.h"
#include "launcher/SettingsDialog.h"
#include "platform/Platform.h"
#include "platform/Randomize.h"
#include "runner/RunDemo.h"
#include "runner/RunnerCalls.h"

bool RunLauncher() {
  bool Ok = true;
  Randomize();
  Ogl = new TOgl;
  ShowDisplaySettings();
  if (OkPressed) {
    RunDemo(RealRunnerCalls());
    Ok = !RunDemoFailed();
    // The runner hid the pointer for the film.
    Platform().ShowCursor(true);
    // Field, title, disc, glow, credits, vignette, countdown.
    ReleaseTextures();
  }
  delete Ogl;
  Ogl = nullptr;
  return Ok;
}
