#include "launcher/TForm1.h"

#include <FL/Fl.H>

#include "launcher/DialogFrame.h"

namespace {
constexpr int ClientWidth = 201;
constexpr int ClientHeight = 257;
constexpr Fl_Fontsize FontPixels = 11;
constexpr int ListRowHeight = 13;

// The control's font and colours: a sans face at 11 pixels in the window
// text colour, as the dialog's own font would be at 96 dpi.
void Style(Fl_Widget *Control, int Scale) {
  Control->labelfont(FL_HELVETICA);
  Control->labelsize(FontPixels * Scale);
  Control->labelcolor(FL_FOREGROUND_COLOR);
}
}  // namespace

TForm1::TForm1(int Scale) : Fl_Double_Window(ClientWidth * Scale, ClientHeight * Scale) {
  const auto S = [Scale](int Pixels) { return Pixels * Scale; };
  color(FL_BACKGROUND_COLOR);

  // Children in tab order; the label takes no focus.
  Label1 = new TAcceleratorLabel(S(8), S(8), S(53), S(13), "&Resolution:");
  ListBox1 = new TListBox(S(8), S(24), S(185), S(169), S(ListRowHeight));
  ListBox1->textfont(FL_HELVETICA);
  ListBox1->textsize(FontPixels * Scale);
  ListBox1->color(FL_BACKGROUND2_COLOR);
  Label1->Target(ListBox1);
  CheckBox1 = new Fl_Check_Button(S(8), S(200), S(89), S(17), "&Fullscreen");
  CheckBox1->value(1);
  Button1 = new Fl_Return_Button(S(24), S(224), S(73), S(25), "&OK");
  Button2 = new TPushButton(S(104), S(224), S(73), S(25), "&Close");
  end();
  for (int k = 0; k < children(); ++k) Style(child(k), Scale);

  // A dialog frame: fixed size, no minimise or maximise box, centred on
  // the monitor that holds the pointer (not across two monitors' seam).
  size_range(w(), h(), w(), h());
  int ScreenX = 0, ScreenY = 0, ScreenWidth = 0, ScreenHeight = 0;
  Fl::screen_xywh(ScreenX, ScreenY, ScreenWidth, ScreenHeight);
  position(ScreenX + (ScreenWidth - w()) / 2, ScreenY + (ScreenHeight - h()) / 2);
  callback(CloseRequested);
}

void TForm1::show() {
  Fl_Double_Window::show();
  SetDialogFrameHints(*this);
}

int TForm1::handle(int Event) {
  // Escape presses the cancel button instead of closing the window.
  if (Event == FL_SHORTCUT && Fl::event_key() == FL_Escape) {
    if (Button2->active()) Button2->do_callback();
    return 1;
  }
  return Fl_Double_Window::handle(Event);
}

void TForm1::Close() { CloseRequested(this, nullptr); }

void TForm1::CloseRequested(Fl_Widget *Window, void *) {
  auto *Form = static_cast<TForm1 *>(Window);
  TCloseAction Action = TCloseAction::Hide;
  if (Form->CloseHandler != nullptr) Form->CloseHandler(Form, Action);
  if (Action == TCloseAction::Hide) Form->hide();
}
