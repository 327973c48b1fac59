// The screen configuration of an X server as XRandR describes it: the
// screen's size and, for each CRTC, the mode it scans out, where, turned
// how, and to which outputs. A snapshot taken before a mode change puts the
// desktop back exactly, whoever changed it.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <vector>

struct TCrtcSetting {
  RRCrtc Crtc = 0;
  int X = 0, Y = 0;
  RRMode Mode = 0;
  Rotation Orientation = RR_Rotate_0;
  std::vector<RROutput> Outputs;

  bool operator==(const TCrtcSetting &Other) const;
};

struct TScreenConfig {
  int Width = 0, Height = 0;
  int WidthMm = 0, HeightMm = 0;
  std::vector<TCrtcSetting> Crtcs;
};

// False when the server has no usable XRandR (1.2 or later).
bool ReadScreenConfig(Display *Dpy, TScreenConfig &Config);
// Sets every CRTC and the screen size back to Config. CRTCs that already
// match are left alone, so a configuration already in place costs nothing
// and makes no flicker.
bool ApplyScreenConfig(Display *Dpy, const TScreenConfig &Config);
