#include "platform/SdlMessageDisplay.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include "platform/SdlWindowLoss.h"

#include <chrono>
#include <thread>

Display *OpenDisplayWithRetry(TDisplayOpener Open, int Attempts) {
  for (int Attempt = 0; Attempt < Attempts; ++Attempt) {
    if (Attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Display *Connection = Open(nullptr)) return Connection;
  }
  return nullptr;
}

bool FltkDisplayReady() {
  if (fl_display) return true;
  Display *Connection = OpenDisplayWithRetry();
  if (!Connection) return false;
  fl_open_display(Connection);
  EndOnDisplayLoss();
  return fl_display != nullptr;
}
