#include "platform/SdlMessageDisplay.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <chrono>
#include <thread>

#include "platform/SdlWindowLoss.h"

// FLTK 1.3 keeps its user-interface options (arrow-key focus, visible focus,
// text drag and drop, tooltips, the GTK file chooser) in two private
// statics: the values and a flag saying they were read. The first time any
// option is asked for (a widget taking the focus is enough) it reads them
// from its preference files, the system's (/etc/fltk/fltk.org/fltk.prefs)
// and the user's (~/.fltk/fltk.org/fltk.prefs); the read adds an "options"
// group and writes both files back, making their folders as it goes. The
// library reaches both statics through its global offset table, so they are
// named here by their linker names.
extern unsigned char FltkOptions[Fl::OPTION_LAST] asm("_ZN2Fl8options_E");
extern unsigned char FltkOptionsRead asm("_ZN2Fl13options_read_E");

namespace {

// The program keeps no settings and writes no files: the options are given
// FLTK's own defaults (what it uses when no file sets them) and marked read,
// so the preference files are never opened.
void SettleFltkOptionsWithoutPreferences() {
  if (FltkOptionsRead) return;
  FltkOptions[Fl::OPTION_ARROW_FOCUS] = 0;
  FltkOptions[Fl::OPTION_VISIBLE_FOCUS] = 1;
  FltkOptions[Fl::OPTION_DND_TEXT] = 1;
  FltkOptions[Fl::OPTION_SHOW_TOOLTIPS] = 1;
  FltkOptions[Fl::OPTION_FNFC_USES_GTK] = 1;
  FltkOptionsRead = 1;
}

}  // namespace

Display *OpenDisplayWithRetry(TDisplayOpener Open, int Attempts) {
  for (int Attempt = 0; Attempt < Attempts; ++Attempt) {
    if (Attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Display *Connection = Open(nullptr)) return Connection;
  }
  return nullptr;
}

bool FltkDisplayReady() {
  SettleFltkOptionsWithoutPreferences();
  if (fl_display) return true;
  Display *Connection = OpenDisplayWithRetry();
  if (!Connection) return false;
  fl_open_display(Connection);
  EndOnDisplayLoss();
  return fl_display != nullptr;
}
