#include "launcher/CommandLine.h"

#include <cstdio>
#include <cstring>

#ifndef QUILLMOOR_VERSION
#define QUILLMOOR_VERSION "unknown"
#endif

const char *QuillmoorUsage() {
  return R"(Usage: quillmoor [--help | --version]

A self-running real-time audio-visual demo: a display-settings dialog, a
countdown leader, then a 110-second film of procedural OpenGL scenes played
to its music. Escape or closing the window ends it early.

Options:
  --help, -h   print this text and exit
  --version    print the version and exit

Music:
  The demo plays music.mp3 from its working folder. The installed quillmoor
  command changes into the folder of the bundled music first
  (/usr/share/quillmoor with the Debian package), so it starts from anywhere.

Environment:
  QUILLMOOR_RENDER_PATH=software|hardware
               draw the heaviest lines with the demo's own code or with GL
               calls (default: software on Mesa's llvmpipe and softpipe)
  QUILLMOOR_GL_CALLS=immediate
               hand GL plain GL 1.1 calls instead of vertex arrays
  QUILLMOOR_FULLSCREEN=switch|scaled
               switch: change the display's real mode to the chosen one;
               scaled (the default): draw the film at the chosen mode and
               scale it into the monitor at its own mode, with black bars
  SDL_AUDIODRIVER=dummy
               play silently (for a machine with no sound device)
  SDL_VIDEODRIVER=wayland
               use SDL's own Wayland driver instead of X11 (through XWayland)
  DISPLAY, WAYLAND_DISPLAY
               the display the dialog and the film open on

Exit status: 0 after a run or a Close, 1 after a failure shown in a box,
128 + the signal's number when a signal ended it, 2 for a bad argument.
)";
}

TCommandLineAction ReadCommandLine(int Count, const char *const Args[], int &ExitStatus) {
  ExitStatus = 0;
  if (Count < 2) return TCommandLineAction::RunDialog;
  const char *First = Args[1];
  if (Count == 2 && (std::strcmp(First, "--help") == 0 || std::strcmp(First, "-h") == 0)) {
    std::fputs(QuillmoorUsage(), stdout);
    return TCommandLineAction::Exit;
  }
  if (Count == 2 && std::strcmp(First, "--version") == 0) {
    std::printf("quillmoor %s\n", QUILLMOOR_VERSION);
    return TCommandLineAction::Exit;
  }
  // The first argument that is neither, or one too many.
  const char *Unknown = Count == 2 ? First : Args[2];
  std::fprintf(stderr, "quillmoor: unknown argument '%s'\n\n%s", Unknown, QuillmoorUsage());
  ExitStatus = 2;
  return TCommandLineAction::Exit;
}
