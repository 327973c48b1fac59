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

bool ReadScreenConfig(Display *Connection, TScreenConfig &Config) {
  if (!HasRandr12(Connection)) return false;
  const int Screen = DefaultScreen(Connection);
  Config.Width = DisplayWidth(Connection, Screen);
  Config.Height = DisplayHeight(Connection, Screen);
  Config.WidthMm = DisplayWidthMM(Connection, Screen);
  Config.HeightMm = DisplayHeightMM(Connection, Screen);
  XRRScreenResources *Resources =
      XRRGetScreenResourcesCurrent(Connection, RootWindow(Connection, Screen));
  if (!Resources) return false;
  const bool Read = ReadCrtcs(Connection, Resources, Config.Crtcs);
  XRRFreeScreenResources(Resources);
  return Read;
}

// The order xrandr itself follows: CRTCs that change are switched off, the
// screen takes its size (which any CRTC still on must fit), then the CRTCs
// take their settings. The server is grabbed meanwhile so no client sees a
// half-made configuration.
bool ApplyScreenConfig(Display *Connection, const TScreenConfig &Config) {
  if (!HasRandr12(Connection)) return false;
  const int Screen = DefaultScreen(Connection);
  const Window Root = RootWindow(Connection, Screen);
  XGrabServer(Connection);
  XRRScreenResources *Resources = XRRGetScreenResourcesCurrent(Connection, Root);
  std::vector<TCrtcSetting> Current;
  const bool Read = Resources && ReadCrtcs(Connection, Resources, Current);
  if (Read) {
    std::vector<const TCrtcSetting *> Changing;
    for (const TCrtcSetting &Wanted : Config.Crtcs)
      for (const TCrtcSetting &Now : Current)
        if (Now.Crtc == Wanted.Crtc && !(Now == Wanted)) Changing.push_back(&Wanted);
    for (const TCrtcSetting *Setting : Changing) {
      TCrtcSetting Off;
      Off.Crtc = Setting->Crtc;
      SetCrtc(Connection, Resources, Off);
    }
    if (DisplayWidth(Connection, Screen) != Config.Width ||
        DisplayHeight(Connection, Screen) != Config.Height)
      XRRSetScreenSize(Connection, Root, Config.Width, Config.Height, Config.WidthMm,
                       Config.HeightMm);
    for (const TCrtcSetting *Setting : Changing) SetCrtc(Connection, Resources, *Setting);
  }
  if (Resources) XRRFreeScreenResources(Resources);
  XUngrabServer(Connection);
  XSync(Connection, False);
  return Read;
}
