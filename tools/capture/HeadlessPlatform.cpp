#include "HeadlessPlatform.h"

#include <EGL/egl.h>
#include <GL/gl.h>

#include <cstdio>

bool THeadlessPlatform::QueryPerformanceFrequency(int64_t &Frequency) {
  Frequency = 1000;
  return true;
}

bool THeadlessPlatform::QueryPerformanceCounter(int64_t &Value) {
  Value = Counter;
  return true;
}

// Nobody can answer: a yes/no question gets "no", the safe refusal.
TMessageResult THeadlessPlatform::MessageBox(const char *Text, const char *Caption, TMessageIcon,
                                             TMessageButtons Buttons) {
  std::string Line = std::string(Caption) + ": " + Text;
  std::fprintf(stderr, "%s\n", Line.c_str());
  Messages.push_back(Line);
  return Buttons == TMessageButtons::YesNo ? TMessageResult::No : TMessageResult::Ok;
}

void THeadlessPlatform::SwapBuffers() { glFinish(); }

void *THeadlessPlatform::GetProcAddress(const char *Name) {
  return reinterpret_cast<void *>(eglGetProcAddress(Name));
}
