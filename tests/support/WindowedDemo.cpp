#include "support/WindowedDemo.h"

#include <gtest/gtest.h>

unsigned long StartWindowedDemo(TDemoProcess &Demo, const std::string &Program,
                                const std::string &Folder,
                                const std::vector<std::string> &Environment, TWindowedSize Size) {
  if (!Demo.Start(Program, Folder, Environment)) {
    ADD_FAILURE() << "could not start " << Program;
    return 0;
  }
  const unsigned long Dialog = WaitForWindow("^Display settings$", 30);
  if (Dialog == 0) {
    ADD_FAILURE() << "no settings dialog";
    return 0;
  }
  // Alt+F unticks fullscreen; the list opens on 1024x768, two rows below
  // 640x480.
  const bool Small = Size == TWindowedSize::Small640x480;
  if (!TypeInto(Dialog, Small ? "alt+f Tab Tab alt+r Up Up Return" : "alt+f Return")) {
    ADD_FAILURE() << "could not answer the settings dialog";
    return 0;
  }
  const TWindowSize Wanted = Small ? TWindowSize{640, 480} : TWindowSize{1024, 768};
  const unsigned long Window = WaitForWindow("^Quillmoor$", 40, &Wanted);
  if (Window == 0)
    ADD_FAILURE() << "no " << Wanted.Width << "x" << Wanted.Height << " render window";
  return Window;
}
