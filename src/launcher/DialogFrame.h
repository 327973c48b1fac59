// The frame a window manager draws for a fixed-size dialog.
#pragma once

#include <FL/Fl_Window.H>

// Sets the shown window's Motif window-manager hints: it may be moved and
// closed, not resized, minimised or maximised; its frame has a border, a
// title and a window menu, and no minimise or maximise box. FLTK itself only
// says "no resizing or maximising" and leaves the boxes to the window
// manager; some (weston's, for XWayland) then draw a maximise box on a window
// that cannot grow, and shorten the title to make room for it.
void SetDialogFrameHints(Fl_Window &Dialog);

// The shown window's centre in the desktop's coordinates, read from the X
// server: a window manager that frames the window leaves FLTK's own
// position relative to the frame. False when the window is not shown.
bool DialogCentreOnDesktop(const Fl_Window &Dialog, int &X, int &Y);
