// The program's steps from start to end: seed the generator, create the
// view object, ask for the display settings, run the demo if the viewer
// confirmed, then give back what the run took. False when the run ended on a
// failure the viewer was shown.
#pragma once

bool RunLauncher();
