// A push button that Enter presses while it has the focus, as on the
// desktop's own dialogs: the focused button stands in for the default one.
#pragma once

#include <FL/Fl_Button.H>

class TPushButton : public Fl_Button {
public:
  TPushButton(int X, int Y, int W, int H, const char *Caption);
  int handle(int Event) override;
};
