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
  if (Event == FL_KEYBOARD && size() > 0 && !(Fl::event_state() & (FL_ALT | FL_CTRL | FL_META))) {
    const int Current = value() > 0 ? value() : 1;
    const int Page = RowsInView() > 1 ? RowsInView() - 1 : 1;
    switch (Fl::event_key()) {
      case FL_Home:
        MoveTo(1);
        return 1;
      case FL_End:
        MoveTo(size());
        return 1;
      case FL_Page_Up:
        MoveTo(Current - Page);
        return 1;
      case FL_Page_Down:
        MoveTo(Current + Page);
        return 1;
      default:
        break;
    }
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
      MoveTo(Line);
      return true;
    }
  }
  return false;
}

void TListBox::MoveTo(int Line) {
  if (Line < 1) Line = 1;
  if (Line > size()) Line = size();
  // As Up and Down do: the one row selected and scrolled into view.
  select_only(find_line(Line), 0);
}

// The rows the list's inside has room for. The rows are short, so no
// horizontal scroll bar takes room from them.
int TListBox::RowsInView() const {
  const int Inside = h() - Fl::box_dh(box() ? box() : FL_DOWN_BOX);
  return Height > 0 && Inside >= Height ? Inside / Height : 1;
}
