#include "launcher/Entry.h"

#include <cstdint>
#include <cstdio>

#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "launcher/DialogFlags.h"
#include "launcher/SettingsDialog.h"
#include "platform/Platform.h"
#include "platform/Randomize.h"
#include "runner/RunDemo.h"
#include "runner/RunnerCalls.h"
#include "scenes/FilmTiming.h"
#include "sound/Mp3Source.h"

namespace {
// The film runs its full length whatever the music's: a shorter track leaves
// the end silent and the organism, which moves with the music, flat. Said
// on standard error; the run goes on.
void WarnOfShortMusic(const char *Path) {
  const int64_t Length = Mp3LengthMs(Path);
  if (Length < 0 || Length >= FilmLength) return;
  std::fprintf(stderr, "Quillmoor: %s lasts %.1f s, shorter than the film's %.0f s\n", Path,
               static_cast<double>(Length) / 1000.0, static_cast<double>(FilmLength) / 1000.0);
  std::fflush(stderr);
}
}  // namespace

bool RunLauncher() {
  bool Ok = true;
  Randomize();
  Ogl = new TOgl;
  ShowDisplaySettings();
  if (OkPressed) {
    WarnOfShortMusic("music.mp3");  // the file the runner plays
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
