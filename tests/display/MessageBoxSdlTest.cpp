// The FLTK message boxes of the SDL backend: their buttons, the copy of every
// message on standard error, a box with nowhere to be shown, and the display
// connection opened with retries.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SdlMessageDisplay.h"
#include "platform/SdlPlatform.h"

namespace {

// Labels of the visible buttons of the box on screen, sorted; filled by
// CloseBox.
std::vector<std::string> SeenButtons;

// Runs inside the box's own event loop: notes its buttons, then closes it
// the way the window manager's close would.
void CloseBox(void *) {
  Fl_Window *Box = Fl::first_window();
  if (!Box) {
    Fl::repeat_timeout(0.05, CloseBox);
    return;
  }
  for (int i = 0; i < Box->children(); ++i) {
    auto *Button = dynamic_cast<Fl_Button *>(Box->child(i));
    if (Button && Button->visible() && Button->label()) SeenButtons.push_back(Button->label());
  }
  std::sort(SeenButtons.begin(), SeenButtons.end());
  Box->hide();
}

TEST(MessageBoxSdlTest, BoxesHaveTheirButtonsAndEchoOnStandardError) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  const struct {
    TMessageButtons Buttons;
    std::vector<std::string> Labels;
    TMessageResult Closed;
  } Cases[] = {
      {TMessageButtons::Ok, {"OK"}, TMessageResult::Ok},
      {TMessageButtons::YesNo, {"No", "Yes"}, TMessageResult::No},
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Labels.back());
    SeenButtons.clear();
    Fl::add_timeout(0.05, CloseBox);
    testing::internal::CaptureStderr();
    const TMessageResult Answer =
        SdlPlatform().MessageBox("Good bye.", "Quillmoor", TMessageIcon::Error, Case.Buttons);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Quillmoor: Good bye.\n");
    EXPECT_EQ(Answer, Case.Closed);
    EXPECT_EQ(SeenButtons, Case.Labels);
  }
}

// With no display to show it on, the message still reaches standard error,
// a question takes the answer that ends the run, and the process goes on
// (instead of ending inside the toolkit with status 1).
TEST(MessageBoxSdlDeathTest, WithoutADisplayTheMessageGoesToStandardError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("DISPLAY", ":1999", 1);
        const bool Answers =
            SdlPlatform().MessageBox("Window could not be created for some reason.", "Quillmoor",
                                     TMessageIcon::Error,
                                     TMessageButtons::Ok) == TMessageResult::Ok &&
            SdlPlatform().MessageBox("Use windowed mode?", "Quillmoor", TMessageIcon::Warning,
                                     TMessageButtons::YesNo) == TMessageResult::No;
        _exit(Answers ? 0 : 3);
      },
      testing::ExitedWithCode(0),
      "Quillmoor: Window could not be created for some reason.\nQuillmoor: Use windowed mode?");
}

int OpenCalls = 0;
int RefusedCalls = 0;

Display *RefuseSomeThenOpen(const char *Name) {
  ++OpenCalls;
  return OpenCalls <= RefusedCalls ? nullptr : XOpenDisplay(Name);
}

TEST(MessageBoxSdlTest, TheDisplayIsOpenedWithAFewTries) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  const struct {
    int Refused;
    bool Opened;
    int Calls;
  } Cases[] = {{0, true, 1}, {2, true, 3}, {4, true, 5}, {5, false, 5}};
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Refused);
    OpenCalls = 0;
    RefusedCalls = Case.Refused;
    Display *Connection = OpenDisplayWithRetry(RefuseSomeThenOpen, 5);
    EXPECT_EQ(Connection != nullptr, Case.Opened);
    EXPECT_EQ(OpenCalls, Case.Calls);
    if (Connection) XCloseDisplay(Connection);
  }
}

}  // namespace
