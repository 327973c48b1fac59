// Modal message boxes through FLTK: they need no SDL window, so they work
// before the render window exists and after it is gone.
#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_ask.H>

#include "platform/SdlPlatform.h"

namespace {
// FLTK has one icon per kind of box; the colour tells an error from a
// warning.
void ColourIcon(TMessageIcon Icon) {
  Fl_Widget *Widget = fl_message_icon();
  Widget->labelcolor(Icon == TMessageIcon::Error ? FL_RED : FL_DARK_YELLOW);
}
}  // namespace

TMessageResult TSdlPlatform::MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                                        TMessageButtons Buttons) {
  if (MessageBoxHandler) return MessageBoxHandler(Text, Caption, Icon, Buttons);
  fl_message_title(Caption);
  ColourIcon(Icon);
  TMessageResult Answer = TMessageResult::Ok;
  if (Buttons == TMessageButtons::YesNo) {
    // The rightmost button answers Escape and closing the box: No.
    Answer = fl_choice("%s", fl_no, fl_yes, nullptr, Text) == 1 ? TMessageResult::Yes
                                                                : TMessageResult::No;
  } else {
    fl_alert("%s", Text);
  }
  // Take the closed box off the screen now, not at FLTK's next call.
  Fl::flush();
  return Answer;
}
