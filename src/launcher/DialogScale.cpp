#include "launcher/DialogScale.h"

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xresource.h>

#include <cstdlib>

double XftDpiFromResources(const char *Resources) {
  if (Resources == nullptr) return 0.0;
  XrmInitialize();
  XrmDatabase Database = XrmGetStringDatabase(Resources);
  if (Database == nullptr) return 0.0;
  double Dpi = 0.0;
  char *Type = nullptr;
  XrmValue Value = {};
  if (XrmGetResource(Database, "Xft.dpi", "Xft.Dpi", &Type, &Value) && Value.addr != nullptr) {
    char *End = nullptr;
    Dpi = std::strtod(Value.addr, &End);
    if (End == Value.addr || !(Dpi > 0.0)) Dpi = 0.0;
  }
  XrmDestroyDatabase(Database);
  return Dpi;
}

int DialogScaleForDpi(double Dpi) { return Dpi >= 144.0 ? 2 : 1; }

int DialogScale() {
  fl_open_display();
  return DialogScaleForDpi(XftDpiFromResources(XResourceManagerString(fl_display)));
}
