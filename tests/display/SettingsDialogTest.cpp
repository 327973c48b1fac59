// The display-settings dialog in this process: its layout at both sizes,
// what the entry's wait leaves behind for each way of finishing the dialog,
// the close rule, the list's keyboard and mouse behaviour, and the dpi
// read from the desktop's resources.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "DemoProcess.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "launcher/DialogFlags.h"
#include "launcher/DialogScale.h"
#include "launcher/SettingsDialog.h"
#include "launcher/TForm1.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  }
};

struct TPlace {
  const char *Name;
  int X, Y, W, H;
  std::string Caption;
};

TEST_F(SettingsDialogTest, ControlsSitAtTheirPixelPlacesAtBothSizes) {
  for (const int Scale : {1, 2}) {
    SCOPED_TRACE("scale " + std::to_string(Scale));
    TForm1 Form(Scale);
    EXPECT_EQ(Form.w(), 201 * Scale);
    EXPECT_EQ(Form.h(), 257 * Scale);
    const std::pair<Fl_Widget *, TPlace> Places[] = {
        {Form.Label1, {"Label1", 8, 8, 53, 13, "&Resolution:"}},
        {Form.ListBox1, {"ListBox1", 8, 24, 185, 169, ""}},
        {Form.CheckBox1, {"CheckBox1", 8, 200, 89, 17, "&Fullscreen"}},
        {Form.Button1, {"Button1", 24, 224, 73, 25, "&OK"}},
        {Form.Button2, {"Button2", 104, 224, 73, 25, "&Close"}},
    };
    for (const auto &[Control, Place] : Places) {
      SCOPED_TRACE(Place.Name);
      EXPECT_EQ(Control->x(), Place.X * Scale);
      EXPECT_EQ(Control->y(), Place.Y * Scale);
      EXPECT_EQ(Control->w(), Place.W * Scale);
      EXPECT_EQ(Control->h(), Place.H * Scale);
      EXPECT_EQ(Control->label() ? std::string(Control->label()) : "", Place.Caption);
      EXPECT_EQ(Control->labelsize(), 11 * Scale);
    }
    // Tab order is child order; the label takes no focus.
    EXPECT_EQ(Form.find(Form.ListBox1), 1);
    EXPECT_EQ(Form.find(Form.Button2), 4);
    EXPECT_EQ(Form.ListBox1->RowHeight(), 13 * Scale);
    EXPECT_EQ(Form.CheckBox1->value(), 1);
  }
}

// What the viewer does once the dialog is up, and what the entry then reads.
struct TFinishCase {
  const char *Name;
  std::function<void(TForm1 &)> Act;
  bool Ok;
  uint32_t Width, Height, Bits;
  bool Fullscreen;
};

TForm1 *ShownDialog() {
  for (Fl_Window *Window = Fl::first_window(); Window; Window = Fl::next_window(Window))
    if (auto *Form = dynamic_cast<TForm1 *>(Window)) return Form;
  return nullptr;
}

TEST_F(SettingsDialogTest, TheWaitEndsWithTheChoiceStoredForEachWayOfFinishing) {
  const TFinishCase Cases[] = {
      {"OK at once", [](TForm1 &Form) { Form.Button1->do_callback(); }, true, 1024, 768, 32, true},
      {"row 0, windowed, OK",
       [](TForm1 &Form) {
         Form.ListBox1->SelectRow(0);
         Form.CheckBox1->value(0);
         Form.Button1->do_callback();
       },
       true, 640, 480, 32, false},
      {"row 11, Close",
       [](TForm1 &Form) {
         Form.ListBox1->SelectRow(11);
         Form.Button2->do_callback();
       },
       false, 1600, 1200, 16, true},
      // The first close is refused: the window stays until the entry hides it.
      {"title-bar close",
       [](TForm1 &Form) {
         Form.Close();
         EXPECT_TRUE(Form.shown());
       },
       false, 1024, 768, 32, true},
  };
  for (const TFinishCase &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Ogl = new TOgl;
    RunState().Fullscreen = true;
    static const TFinishCase *Current;
    static std::string Caption;
    static int Rows, Selected;
    Current = &Case;
    Fl::add_timeout(0.05, [](void *) {
      TForm1 *Form = ShownDialog();
      ASSERT_NE(Form, nullptr);
      Caption = Form->label();
      Rows = Form->ListBox1->size();
      Selected = Form->ListBox1->SelectedRow();
      Current->Act(*Form);
    });
    ShowDisplaySettings();
    EXPECT_EQ(Caption, "Display settings");
    EXPECT_EQ(Rows, 12);
    EXPECT_EQ(Selected, DefaultModeRow);
    EXPECT_EQ(OkPressed, Case.Ok);
    EXPECT_TRUE(DialogClosed);
    EXPECT_EQ(Ogl->ModeWidth, Case.Width);
    EXPECT_EQ(Ogl->ModeHeight, Case.Height);
    EXPECT_EQ(Ogl->ModeBits, Case.Bits);
    EXPECT_EQ(RunState().Fullscreen, Case.Fullscreen);
    EXPECT_EQ(ShownDialog(), nullptr);
    delete Ogl;
    Ogl = nullptr;
  }
}

TEST(DialogFlagsTest, TheFirstCloseIsRefusedUntilTheDialogIsFinished) {
  struct {
    bool ClosedBefore;
    TCloseAction Expected;
  } const Cases[] = {{false, TCloseAction::None}, {true, TCloseAction::Hide}};
  for (const auto &Case : Cases) {
    DialogClosed = Case.ClosedBefore;
    TCloseAction Action = TCloseAction::Hide;
    FormClose(nullptr, Action);
    EXPECT_EQ(Action, Case.Expected) << "closed before: " << Case.ClosedBefore;
    EXPECT_TRUE(DialogClosed);
  }
}

TEST_F(SettingsDialogTest, WithNoRowSelectedTheDefaultModeIsRead) {
  FillDisplayModes();
  TForm1 Form;
  for (const TDisplayMode &Mode : DisplayModes) Form.ListBox1->add(DisplayModeText(Mode).c_str());
  Form.ListBox1->deselect();
  const TDisplayMode Mode = SelectedMode(Form);
  EXPECT_EQ(Mode.Width, 1024);
  EXPECT_EQ(Mode.Height, 768);
  EXPECT_EQ(Mode.Bits, 32);
}

// Events delivered straight to the list, as FLTK would after the window
// system reported them.
class ListBoxTest : public SettingsDialogTest {
protected:
  void SetUp() override {
    SettingsDialogTest::SetUp();
    if (IsSkipped()) return;
    FillDisplayModes();
    for (const TDisplayMode &Mode : DisplayModes) Form.ListBox1->add(DisplayModeText(Mode).c_str());
    Form.ListBox1->SelectRow(DefaultModeRow);
    Form.label("List box test");
    Form.show();
    Fl::check();
  }
  // A key with no text (Home, End, Page Up, Page Down).
  void Press(int Key) {
    Fl::e_text = const_cast<char *>("");
    Fl::e_length = 0;
    Fl::e_keysym = Key;
    Fl::e_state = 0;
    Form.ListBox1->handle(FL_KEYBOARD);
  }
  void Type(const char *Text, int State = 0) {
    Fl::e_text = const_cast<char *>(Text);
    Fl::e_length = 1;
    Fl::e_keysym = Text[0];
    Fl::e_state = State;
    Form.ListBox1->handle(FL_KEYBOARD);
  }
  TForm1 Form;
};

TEST_F(ListBoxTest, ATypedCharacterSelectsTheNextRowStartingWithIt) {
  struct {
    const char *Key;
    int Row;
  } const Steps[] = {{"1", 3}, {"1", 4}, {"6", 6}, {"6", 0}, {"x", 0}};
  for (const auto &Step : Steps) {
    Type(Step.Key);
    EXPECT_EQ(Form.ListBox1->SelectedRow(), Step.Row) << "after " << Step.Key;
  }
}

// Home and End go to the ends; a page is the rows in view less one, and the
// selected row is scrolled into view. The dialog's list shows all 12 rows
// (a page of 11); a list of 30 rows showing 5 pages by 4.
TEST_F(ListBoxTest, HomeEndAndThePageKeysMoveTheSelectionAndKeepItInView) {
  struct TStep {
    int Key;
    int Row;
  };
  // Drawn first, as a list is before the viewer can press a key: drawing
  // settles which scroll bars take room from the rows.
  Form.redraw();
  Fl::flush();
  const TStep DialogSteps[] = {{FL_End, 11},    {FL_Home, 0},    {FL_Page_Down, 11},
                               {FL_Page_Up, 0}, {FL_Page_Up, 0}, {FL_Page_Down, 11}};
  for (const TStep &Step : DialogSteps) {
    Press(Step.Key);
    EXPECT_EQ(Form.ListBox1->SelectedRow(), Step.Row) << "key " << Step.Key;
  }

  TListBox Long(0, 0, 100, 5 * 13 + 4, 13);
  Form.add(Long);
  for (int i = 0; i < 30; ++i) Long.add(std::to_string(i).c_str());
  Long.SelectRow(0);
  Form.redraw();
  Fl::flush();
  const TStep LongSteps[] = {{FL_Page_Down, 4}, {FL_Page_Down, 8}, {FL_End, 29},
                             {FL_Page_Up, 25},  {FL_Home, 0},      {FL_Page_Up, 0}};
  for (const TStep &Step : LongSteps) {
    Fl::e_text = const_cast<char *>("");
    Fl::e_length = 0;
    Fl::e_keysym = Step.Key;
    Fl::e_state = 0;
    Long.handle(FL_KEYBOARD);
    Fl::flush();  // the scroll takes effect when the list is drawn
    EXPECT_EQ(Long.SelectedRow(), Step.Row) << "key " << Step.Key;
    const int Line = Long.SelectedRow() + 1;
    EXPECT_TRUE(Line >= Long.topline() && Line < Long.topline() + 5)
        << "key " << Step.Key << ": row " << Line << " out of view from " << Long.topline();
  }
  Form.remove(Long);
}

// The frame's hints: move and close only; border, title and menu, no
// minimise or maximise box; and a fixed size.
TEST_F(ListBoxTest, TheDialogAsksForAFixedFrameWithoutMinimiseOrMaximiseBox) {
  const std::string Id =
      Output("timeout 10 xdotool search --sync --name '^List box test$' | head -1");
  ASSERT_FALSE(Id.empty());
  const std::string Hints =
      Output("xprop -id " + Id.substr(0, Id.find('\n')) + " _MOTIF_WM_HINTS WM_NORMAL_HINTS");
  EXPECT_NE(Hints.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x24, 0x1a, 0x0, 0x0"),
            std::string::npos)
      << Hints;
  EXPECT_NE(Hints.find("minimum size: 201 by 257"), std::string::npos) << Hints;
  EXPECT_NE(Hints.find("maximum size: 201 by 257"), std::string::npos) << Hints;
}

// A real click from the window system, while this thread handles events.
TEST_F(ListBoxTest, AClickBelowTheLastRowKeepsTheSelection) {
  TListBox &List = *Form.ListBox1;
  const std::string Click =
      "timeout 10 xdotool search --sync --name '^List box test$' mousemove --sync --window %1 " +
      std::to_string(List.x() + 20) + " " + std::to_string(List.y() + List.h() - 5) + " click 1";
  std::atomic<bool> Clicked{false};
  int ClickStatus = -1;
  std::thread Mouse([&] {
    ClickStatus = std::system(Click.c_str());
    Clicked = true;
  });
  while (!Clicked) Fl::wait(0.01);  // xdotool's timeout bounds it
  Mouse.join();
  ASSERT_EQ(ClickStatus, 0) << "the click did not happen";
  for (int i = 0; i < 10; ++i) Fl::wait(0.01);
  EXPECT_EQ(List.SelectedRow(), DefaultModeRow);
}

TEST(DialogScaleTest, TwiceTheSizeFrom144DpiOn) {
  struct {
    const char *Resources;
    double Dpi;
    int Scale;
  } const Cases[] = {
      {nullptr, 0, 1},
      {"", 0, 1},
      {"Xft.antialias:\t1\n", 0, 1},
      {"Xft.dpi:\t96\n", 96, 1},
      {"Xft.antialias:\t1\nXft.dpi:\t143.9\n", 143.9, 1},
      {"Xft.dpi:\t144\n", 144, 2},
      {"Xft.dpi: 192\n", 192, 2},
      {"Xft.dpi:\tlarge\n", 0, 1},
  };
  for (const auto &Case : Cases) {
    const char *Shown = Case.Resources ? Case.Resources : "(none)";
    const double Dpi = XftDpiFromResources(Case.Resources);
    EXPECT_DOUBLE_EQ(Dpi, Case.Dpi) << Shown;
    EXPECT_EQ(DialogScaleForDpi(Dpi), Case.Scale) << Shown;
  }
}

TEST(DisplayModesTest, TwelveRowsWithTheirListTexts) {
  FillDisplayModes();
  ASSERT_EQ(DisplayModes.size(), 12u);
  struct {
    size_t Row;
    const char *Text;
  } const Cases[] = {{0, "640x480, 32bit"}, {2, "1024x768, 32bit"},   {5, "1600x1200, 32bit"},
                     {6, "640x480, 16bit"}, {10, "1400x1050, 16bit"}, {11, "1600x1200, 16bit"}};
  for (const auto &Case : Cases)
    EXPECT_EQ(DisplayModeText(DisplayModes[Case.Row]), Case.Text) << "row " << Case.Row;
}

}  // namespace
