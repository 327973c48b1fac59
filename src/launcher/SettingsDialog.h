// Shows the display-settings dialog, waits for the viewer, and stores the
// choice in Ogl and Fullscreen.
#pragma once

#include "launcher/DisplayModes.h"

class TForm1;

// The row the list starts with: 1024x768, 32bit.
constexpr int DefaultModeRow = 2;

// Creates the dialog, fills and shows it, polls it until the viewer has
// finished with it, reads the chosen mode and the fullscreen box into Ogl
// and Fullscreen, then closes and destroys it. Afterwards OkPressed tells
// whether the viewer confirmed.
void ShowDisplaySettings();

// The mode of the list's selected row; the default row's when no row is
// selected, so the table is never read outside its rows.
TDisplayMode SelectedMode(const TForm1 &Form);

// One pass of the wait: handles every waiting window message, then sleeps.
void PollDialog(TForm1 &Form);
