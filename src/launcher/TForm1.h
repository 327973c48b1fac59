// The display-settings dialog: a fixed-size window with the list of modes,
// the fullscreen check box and the OK and Close buttons, laid out in pixels
// at 96 dpi (times Scale). Its handlers are attached by the entry.
#pragma once

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>

#include "launcher/AcceleratorLabel.h"
#include "launcher/DialogFlags.h"
#include "launcher/ListBox.h"
#include "launcher/PushButton.h"

class TForm1 : public Fl_Double_Window {
public:
  // Client area 201 x 257 (times Scale), centred on the screen.
  explicit TForm1(int Scale = 1);

  // The close event: the title-bar close button or Alt+F4. The handler may
  // refuse it; otherwise the window hides.
  void OnClose(void (*Handler)(Fl_Widget *, TCloseAction &)) { CloseHandler = Handler; }
  // Asks the window to close, as the window system would.
  void Close();

  int handle(int Event) override;
  // Shows the window with a dialog's frame: title and close box only.
  void show() override;

  TAcceleratorLabel *Label1;
  TListBox *ListBox1;
  Fl_Check_Button *CheckBox1;
  Fl_Return_Button *Button1;  // default button: Enter presses it
  TPushButton *Button2;       // cancel button: Escape presses it

private:
  static void CloseRequested(Fl_Widget *Window, void *);

  void (*CloseHandler)(Fl_Widget *, TCloseAction &) = nullptr;
};
