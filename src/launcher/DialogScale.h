// How large the dialog is drawn: its layout is in pixels at 96 dpi, so on a
// screen set up for 144 dpi or more (the desktop's Xft.dpi) it is laid out
// at twice the size to stay readable.
#pragma once

// The dpi that an X resource string (as the server's RESOURCE_MANAGER
// property holds it) gives for Xft.dpi, or 0 when it gives none.
double XftDpiFromResources(const char *Resources);

// 2 from 144 dpi on, else 1.
int DialogScaleForDpi(double Dpi);

// The scale for the display FLTK has opened.
int DialogScale();
