// A single-selection list box that behaves like the desktop's own: rows of
// a fixed height, a typed letter selects the next row starting with it (and
// is not taken as another control's accelerator), and once a row is
// selected a click can move the selection but never clear it. Home and End
// select the first and the last row, Page Up and Page Down move a page (the
// rows in view, less one so that a row stays in sight), as Up and Down do
// one row.
#pragma once

#include <FL/Fl_Hold_Browser.H>

class TListBox : public Fl_Hold_Browser {
public:
  TListBox(int X, int Y, int W, int H, int RowHeight);
  int handle(int Event) override;
  // The selected row, counted from 0; -1 when none is.
  int SelectedRow() const { return value() - 1; }
  void SelectRow(int Row) { select(Row + 1); }
  int RowHeight() const { return Height; }

protected:
  int item_height(void *Item) const override;

private:
  bool SelectByLetter(char Letter);
  // The row counted from 1 (clamped to the list) selected and scrolled into
  // view.
  void MoveTo(int Line);
  int RowsInView() const;

  int Height;
};
