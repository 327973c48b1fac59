#include "launcher/DialogIcon.h"

#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <string>

#include "BitmapResource.h"

void SetDialogIcon(Fl_Window &Dialog) {
  TRgbaBitmap Icon;
  std::string Error;
  if (!DecodeRgbaPng(EmbeddedIcon(DesktopIconId), Icon, Error)) {
    std::fprintf(stderr, "Quillmoor: the dialog icon: %s\n", Error.c_str());
    return;
  }
  // The window keeps a copy of the image, so this one may go.
  const Fl_RGB_Image Image(Icon.Rgba.data(), Icon.Width, Icon.Height, 4);
  Dialog.icon(&Image);
}
