#include "launcher/DialogFrame.h"

#include <FL/x.H>

namespace {
// The fields of _MOTIF_WM_HINTS (flags, functions, decorations, input mode,
// status) and the bits used here.
enum : unsigned long {
  HintFunctions = 1,
  HintDecorations = 2,
  FunctionMove = 4,
  FunctionClose = 32,
  DecorBorder = 2,
  DecorTitle = 8,
  DecorMenu = 16
};
}  // namespace

void SetDialogFrameHints(Fl_Window &Dialog) {
  if (!fl_display || !Dialog.shown()) return;
  const unsigned long Hints[5] = {HintFunctions | HintDecorations, FunctionMove | FunctionClose,
                                  DecorBorder | DecorTitle | DecorMenu, 0, 0};
  const Atom MotifHints = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(fl_display, fl_xid(&Dialog), MotifHints, MotifHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char *>(Hints), 5);
  XFlush(fl_display);
}

bool DialogCentreOnDesktop(const Fl_Window &Dialog, int &X, int &Y) {
  const Window Own = fl_xid(&Dialog);
  if (!fl_display || !Own) return false;
  ::Window Child = 0;
  return XTranslateCoordinates(fl_display, Own, RootWindow(fl_display, fl_screen), Dialog.w() / 2,
                               Dialog.h() / 2, &X, &Y, &Child) != 0;
}
