#include "platform/SdlScreenConfig.h"

bool TCrtcSetting::operator==(const TCrtcSetting &Other) const {
  return Crtc == Other.Crtc && X == Other.X && Y == Other.Y && Mode == Other.Mode &&
         Orientation == Other.Orientation && Outputs == Other.Outputs;
}

namespace {

bool HasRandr12(Display *Connection) {
  int EventBase = 0, ErrorBase = 0, Major = 0, Minor = 0;
  return XRRQueryExtension(Connection, &EventBase, &ErrorBase) &&
         XRRQueryVersion(Connection, &Major, &Minor) && (Major > 1 || (Major == 1 && Minor >= 2));
}

bool ReadCrtcs(Display *Connection, XRRScreenResources *Resources,
               std::vector<TCrtcSetting> &Crtcs) {
  Crtcs.clear();
  for (int i = 0; i < Resources->ncrtc; ++i) {
    XRRCrtcInfo *Info = XRRGetCrtcInfo(Connection, Resources, Resources->crtcs[i]);
    if (!Info) return false;
    TCrtcSetting Setting;
    Setting.Crtc = Resources->crtcs[i];
    Setting.X = Info->x;
    Setting.Y = Info->y;
    Setting.Mode = Info->mode;
    Setting.Orientation = Info->rotation;
    Setting.Outputs.assign(Info->outputs, Info->outputs + Info->noutput);
    XRRFreeCrtcInfo(Info);
    Crtcs.push_back(Setting);
  }
  return true;
}

void SetCrtc(Display *Connection, XRRScreenResources *Resources, const TCrtcSetting &Setting) {
  XRRSetCrtcConfig(Connection, Resources, Setting.Crtc, CurrentTime, Setting.X, Setting.Y,
                   Setting.Mode, Setting.Orientation,
                   const_cast<RROutput *>(Setting.Outputs.data()),
                   static_cast<int>(Setting.Outputs.size()));
}

}  // namespace

bool ReadScreenConfig(Display *Dpy, TScreenConfig &Config) {
  if (!HasRandr12(Dpy)) return false;
  const int ScreenNumber = DefaultScreen(Dpy);
  Config.Width = DisplayWidth(Dpy, ScreenNumber);
  Config.Height = DisplayHeight(Dpy, ScreenNumber);
  Config.WidthMm = DisplayWidthMM(Dpy, ScreenNumber);
  Config.HeightMm = DisplayHeightMM(Dpy, ScreenNumber);
  XRRScreenResources *Resources = XRRGetScreenResourcesCurrent(Dpy, RootWindow(Dpy, ScreenNumber));
  if (!Resources) return false;
  const bool Read = ReadCrtcs(Dpy, Resources, Config.Crtcs);
  XRRFreeScreenResources(Resources);
  return Read;
}

// The order xrandr itself follows: CRTCs that change are switched off, the
// screen takes its size (which any CRTC still on must fit), then the CRTCs
// take their settings. The server is grabbed meanwhile so no client sees a
// half-made configuration.
bool ApplyScreenConfig(Display *Dpy, const TScreenConfig &Config) {
  if (!HasRandr12(Dpy)) return false;
  const int ScreenNumber = DefaultScreen(Dpy);
  const Window Root = RootWindow(Dpy, ScreenNumber);
  XGrabServer(Dpy);
  XRRScreenResources *Resources = XRRGetScreenResourcesCurrent(Dpy, Root);
  std::vector<TCrtcSetting> Current;
  const bool Read = Resources && ReadCrtcs(Dpy, Resources, Current);
  if (Read) {
    std::vector<const TCrtcSetting *> Changing;
    for (const TCrtcSetting &Wanted : Config.Crtcs)
      for (const TCrtcSetting &Now : Current)
        if (Now.Crtc == Wanted.Crtc && !(Now == Wanted)) Changing.push_back(&Wanted);
    for (const TCrtcSetting *Setting : Changing) {
      TCrtcSetting Off;
      Off.Crtc = Setting->Crtc;
      SetCrtc(Dpy, Resources, Off);
    }
    if (DisplayWidth(Dpy, ScreenNumber) != Config.Width ||
        DisplayHeight(Dpy, ScreenNumber) != Config.Height)
      XRRSetScreenSize(Dpy, Root, Config.Width, Config.Height, Config.WidthMm, Config.HeightMm);
    for (const TCrtcSetting *Setting : Changing) SetCrtc(Dpy, Resources, *Setting);
  }
  if (Resources) XRRFreeScreenResources(Resources);
  XUngrabServer(Dpy);
  XSync(Dpy, False);
  return Read;
}
