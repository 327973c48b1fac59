#include "launcher/SettingsDialog.h"

#include <FL/Fl.H>

#include <chrono>
#include <thread>

#include "UMOgl.h"
#include "UMTypes.h"
#include "launcher/DialogFlags.h"
#include "launcher/DialogFrame.h"
#include "launcher/DialogIcon.h"
#include "launcher/DialogScale.h"
#include "launcher/TForm1.h"
#include "platform/Platform.h"
#include "platform/SdlSignals.h"

namespace {
// Short enough to answer a key at once, long enough to leave the processor
// idle while the viewer decides.
constexpr auto PollSleep = std::chrono::milliseconds(15);

// Closes and destroys the dialog however the section that uses it is left.
// Once the dialog is finished its close handler lets the window hide; the
// flush takes it off the screen before the render window opens.
class TDialogCloser {
public:
  explicit TDialogCloser(TForm1 *Dialog) : Form(Dialog) {}
  ~TDialogCloser() {
    Form->Close();
    Fl::flush();
    delete Form;
  }
  TDialogCloser(const TDialogCloser &) = delete;
  TDialogCloser &operator=(const TDialogCloser &) = delete;

private:
  TForm1 *Form;
};

void FillList(TForm1 &Form) {
  FillDisplayModes();
  for (const TDisplayMode &Mode : DisplayModes) Form.ListBox1->add(DisplayModeText(Mode).c_str());
}

void StoreChoice(const TForm1 &Form) {
  const TDisplayMode Mode = SelectedMode(Form);
  Ogl->ModeWidth = static_cast<uint32_t>(Mode.Width);
  Ogl->ModeHeight = static_cast<uint32_t>(Mode.Height);
  Ogl->ModeBits = static_cast<uint32_t>(Mode.Bits);
  RunState().Fullscreen = Form.CheckBox1->value() != 0;
  // The run's window and boxes go to the monitor the dialog stood on.
  int CentreX = 0, CentreY = 0;
  if (HasPlatform() && DialogCentreOnDesktop(Form, CentreX, CentreY))
    Platform().SetHomeScreen(CentreX, CentreY);
}
}  // namespace

TDisplayMode SelectedMode(const TForm1 &Form) {
  int Row = Form.ListBox1->SelectedRow();
  if (Row < 0 || Row >= static_cast<int>(DisplayModes.size())) Row = DefaultModeRow;
  return DisplayModes[static_cast<size_t>(Row)];
}

void PollDialog(TForm1 &Form) {
  Fl::check();
  // A stop signal closes the dialog the way its close button does.
  if (StopSignal() != 0 && !DialogClosed) Form.Close();
  std::this_thread::sleep_for(PollSleep);
}

void ShowDisplaySettings() {
  auto *Form1 = new TForm1(DialogScale());
  const TDialogCloser Closer(Form1);
  Form1->label("Display settings");
  Form1->OnClose(FormClose);
  Form1->Button1->callback(Button1Click);
  Form1->Button2->callback(Button2Click);
  FillList(*Form1);
  Form1->ListBox1->SelectRow(DefaultModeRow);
  // The class name ties the dialog to the desktop entry's icon.
  Form1->xclass("quillmoor");
  SetDialogIcon(*Form1);
  Form1->show();
  DialogClosed = false;
  OkPressed = false;
  do PollDialog(*Form1);
  while (!DialogClosed);
  StoreChoice(*Form1);
}
