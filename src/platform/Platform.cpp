#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

namespace {
TPlatform *CurrentBackend = nullptr;
TWindowSystem *CurrentWindows = nullptr;

[[noreturn]] void Missing(const char *What) {
  std::fprintf(stderr, "quillmoor: no %s was set\n", What);
  std::abort();
}
}  // namespace

TPlatform &Platform() {
  if (!CurrentBackend) Missing("platform backend");
  return *CurrentBackend;
}

TWindowSystem &WindowSystem() {
  if (!CurrentWindows) Missing("window system");
  return *CurrentWindows;
}

bool HasPlatform() { return CurrentBackend != nullptr; }

void *PlatformGlEntry(const char *Name) {
  return CurrentBackend ? CurrentBackend->GetProcAddress(Name) : nullptr;
}

void SetPlatform(TPlatform *Backend, TWindowSystem *Windows) {
  CurrentBackend = Backend;
  CurrentWindows = Windows;
}
