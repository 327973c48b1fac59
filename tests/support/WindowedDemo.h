// The demo's executable started under the X server and taken through its
// settings dialog into a windowed run: the sequence the end-to-end display
// tests share before they watch the film.
#pragma once

#include <string>
#include <vector>

#include "display/DemoProcess.h"

// The window sizes the dialog is driven to: its default row and its first.
enum class TWindowedSize { Default1024x768, Small640x480 };

// Starts Program in Folder with Environment added, waits for the settings
// dialog, unticks fullscreen, picks Size and presses OK, then waits for the
// render window of that size. Returns the window, or 0 after recording a
// test failure that says which step did not happen.
unsigned long StartWindowedDemo(TDemoProcess &Demo, const std::string &Program,
                                const std::string &Folder,
                                const std::vector<std::string> &Environment, TWindowedSize Size);
