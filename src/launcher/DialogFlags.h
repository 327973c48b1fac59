// The two flags through which the dialog's handlers tell the entry that the
// viewer has finished with it, and the handlers that set them. None of the
// handlers hides the dialog: the entry does that once it has read the
// controls.
#pragma once

// True once OK has been pressed.
extern bool OkPressed;
// True once the dialog has been finished in any way: OK, Close, or closing
// the window.
extern bool DialogClosed;

// What the close event may do with the window.
enum class TCloseAction { None, Hide };

class Fl_Widget;

// Click of Button1 (OK).
void Button1Click(Fl_Widget *Sender);
// Click of Button2 (Close).
void Button2Click(Fl_Widget *Sender);
// The dialog is about to close. While the dialog has not been finished the
// close is refused (the window stays), so the entry still reads the
// controls before it hides the window itself; either way the dialog counts
// as finished afterwards.
void FormClose(Fl_Widget *Sender, TCloseAction &Action);
