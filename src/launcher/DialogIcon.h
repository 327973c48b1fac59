// The display-settings dialog's icon: the desktop entry's, set before the
// dialog is shown so the window manager reads it with the first map
// (_NET_WM_ICON on X11).
#pragma once

class Fl_Window;

// Gives Dialog the desktop icon; a failure only costs the icon and is
// reported on standard error.
void SetDialogIcon(Fl_Window &Dialog);
