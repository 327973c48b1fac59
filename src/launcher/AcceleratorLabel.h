// A static label whose "&" letter is underlined and works as an
// accelerator: the key (with Alt, or alone when the focused control does not
// use it) moves the focus to the control the label names.
#pragma once

#include <FL/Fl_Box.H>

class TAcceleratorLabel : public Fl_Box {
public:
  TAcceleratorLabel(int X, int Y, int W, int H, const char *Caption);
  // The control that takes the focus on the accelerator.
  void Target(Fl_Widget *Control) { FocusTarget = Control; }
  int handle(int Event) override;

private:
  Fl_Widget *FocusTarget = nullptr;
};
