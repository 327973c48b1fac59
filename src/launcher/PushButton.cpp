#include "launcher/PushButton.h"

#include <FL/Fl.H>

TPushButton::TPushButton(int X, int Y, int W, int H, const char *Caption)
    : Fl_Button(X, Y, W, H, Caption) {}

int TPushButton::handle(int Event) {
  const bool Enter = Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter;
  if (Event == FL_KEYBOARD && Enter && Fl::focus() == this &&
      !(Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META))) {
    do_callback();
    return 1;
  }
  return Fl_Button::handle(Event);
}
