// Modal message boxes through FLTK: they need no SDL window, so they work
// before the render window exists and after it is gone. Every message also
// goes to standard error, so it is never lost: with no display to show a box
// on, in a log, or when nobody is looking at the screen.
#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <cstdio>

#include "platform/SdlMessageDisplay.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlSignals.h"

namespace {
const char OkLabel[] = "OK";
// How often a box on the screen looks for a stop signal.
constexpr double SignalCheckSeconds = 0.1;

// A stop signal closes the box as its close button would (for a question:
// No, the answer that ends the run). FLTK's box waits in its own loop, which
// a signal does not end, so the box looks for one as long as it is up.
void CloseOnStopSignal(void *) {
  if (StopSignal() != 0) {
    if (Fl_Window *Box = Fl::modal()) Box->do_callback();
  }
  Fl::repeat_timeout(SignalCheckSeconds, CloseOnStopSignal);
}

// FLTK has one icon per kind of box; the colour tells an error from a
// warning.
void ColourIcon(TMessageIcon Icon) {
  Fl_Widget *Widget = fl_message_icon();
  Widget->labelcolor(Icon == TMessageIcon::Error ? FL_RED : FL_DARK_YELLOW);
}
}  // namespace

TMessageResult TSdlPlatform::MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                                        TMessageButtons Buttons) {
  std::fprintf(stderr, "%s: %s\n", Caption, Text);
  std::fflush(stderr);
  // Nobody can answer a box that cannot be shown: a question takes the
  // answer that ends the run.
  const TMessageResult Unanswered =
      Buttons == TMessageButtons::YesNo ? TMessageResult::No : TMessageResult::Ok;
  // After a stop signal the run ends: nobody is asked anything more.
  if (StopSignal() != 0 || !FltkDisplayReady()) return Unanswered;
  fl_message_title(Caption);
  ColourIcon(Icon);
  TMessageResult Answer = TMessageResult::Ok;
  Fl::add_timeout(SignalCheckSeconds, CloseOnStopSignal);
  if (Buttons == TMessageButtons::YesNo) {
    // The rightmost button answers Escape and closing the box: No.
    Answer = fl_choice("%s", fl_no, fl_yes, nullptr, Text) == 1 ? TMessageResult::Yes
                                                                : TMessageResult::No;
  } else {
    // One button that acknowledges the message: "OK", where FLTK's alert
    // would say "Close".
    const char *AlertLabel = fl_close;
    fl_close = OkLabel;
    fl_alert("%s", Text);
    fl_close = AlertLabel;
  }
  Fl::remove_timeout(CloseOnStopSignal);
  // Take the closed box off the screen now, not at FLTK's next call.
  Fl::flush();
  return Answer;
}
