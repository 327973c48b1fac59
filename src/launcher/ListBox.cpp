#include "launcher/ListBox.h"

#include <FL/Fl.H>

#include <cctype>

TListBox::TListBox(int X, int Y, int W, int H, int RowHeight)
    : Fl_Hold_Browser(X, Y, W, H), Height(RowHeight) {}

int TListBox::item_height(void *) const { return Height; }

int TListBox::handle(int Event) {
  const int Before = value();
  if (Event == FL_KEYBOARD && Fl::event_length() == 1 &&
      !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META)) &&
      std::isprint(static_cast<unsigned char>(Fl::event_text()[0]))) {
    SelectByLetter(Fl::event_text()[0]);
    return 1;
  }
  const int Used = Fl_Hold_Browser::handle(Event);
  // A click below the last row deselects in FLTK; the desktop's list keeps
  // its row.
  if (Before > 0 && value() == 0) select(Before);
  return Used;
}

bool TListBox::SelectByLetter(char Letter) {
  const int Rows = size();
  const int Folded = std::tolower(static_cast<unsigned char>(Letter));
  for (int Step = 1; Step <= Rows; ++Step) {
    const int Line = (value() - 1 + Step + Rows) % Rows + 1;
    const char *Text = text(Line);
    if (Text != nullptr && std::tolower(static_cast<unsigned char>(Text[0])) == Folded) {
      select(Line);
      return true;
    }
  }
  return false;
}
