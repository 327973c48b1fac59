#include "launcher/DialogFlags.h"

bool OkPressed = false;
bool DialogClosed = false;

void Button1Click(Fl_Widget *) {
  OkPressed = true;
  DialogClosed = true;
}

void Button2Click(Fl_Widget *) { DialogClosed = true; }

void FormClose(Fl_Widget *, TCloseAction &Action) {
  if (!DialogClosed) Action = TCloseAction::None;
  DialogClosed = true;
}
