#include "launcher/AcceleratorLabel.h"

#include <FL/Fl.H>

TAcceleratorLabel::TAcceleratorLabel(int X, int Y, int W, int H, const char *Caption)
    : Fl_Box(X, Y, W, H, Caption) {
  // Plain boxes draw "&" literally and ignore it as a shortcut.
  set_flag(SHORTCUT_LABEL);
  // The text may run past the box: the sans face is wider than the
  // dialog's original font.
  align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
}

int TAcceleratorLabel::handle(int Event) {
  if (Event == FL_SHORTCUT && FocusTarget != nullptr && test_shortcut()) {
    FocusTarget->take_focus();
    return 1;
  }
  return Fl_Box::handle(Event);
}
