#include "HeadlessGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace {

// A display on Mesa's surfaceless platform: rendering without any window
// system. Falls back to the default display (for drivers that lack the
// platform extension but can still make pbuffers).
EGLDisplay OpenSurfacelessDisplay() {
  const char *ClientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (ClientExtensions && std::strstr(ClientExtensions, "EGL_MESA_platform_surfaceless")) {
    auto GetPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (GetPlatformDisplay)
      return GetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  }
  return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

std::string EglFailure(const char *Step) {
  char Code[16];
  std::snprintf(Code, sizeof Code, "0x%04X", static_cast<unsigned>(eglGetError()));
  return std::string(Step) + " failed (EGL error " + Code + ")";
}

}  // namespace

std::unique_ptr<THeadlessGL> THeadlessGL::Create(int Width, int Height, std::string &Error) {
  if (Width <= 0 || Height <= 0) {
    Error = "the frame size must be positive";
    return nullptr;
  }
  std::unique_ptr<THeadlessGL> Gl(new THeadlessGL);
  Gl->FrameWidth = Width;
  Gl->FrameHeight = Height;

  EGLDisplay Display = OpenSurfacelessDisplay();
  if (Display == EGL_NO_DISPLAY) {
    Error = EglFailure("eglGetPlatformDisplayEXT");
    return nullptr;
  }
  if (!eglInitialize(Display, nullptr, nullptr)) {
    Error = EglFailure("eglInitialize");
    return nullptr;
  }
  Gl->Display = Display;  // from here on the destructor terminates it

  const EGLint ConfigAttributes[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_DEPTH_SIZE,
                                     16,
                                     EGL_NONE};
  EGLConfig Config = nullptr;
  EGLint ConfigCount = 0;
  if (!eglChooseConfig(Display, ConfigAttributes, &Config, 1, &ConfigCount) || ConfigCount < 1) {
    Error = "no EGL configuration with RGBA8, depth and pbuffers";
    return nullptr;
  }

  const EGLint SurfaceAttributes[] = {EGL_WIDTH, Width, EGL_HEIGHT, Height, EGL_NONE};
  Gl->Surface = eglCreatePbufferSurface(Display, Config, SurfaceAttributes);
  if (Gl->Surface == EGL_NO_SURFACE) {
    Error = EglFailure("eglCreatePbufferSurface");
    return nullptr;
  }

  // The film is fixed-function GL 1.1: ask for the desktop API with the
  // default (compatibility) profile.
  if (!eglBindAPI(EGL_OPENGL_API)) {
    Error = EglFailure("eglBindAPI");
    return nullptr;
  }
  Gl->Context = eglCreateContext(Display, Config, EGL_NO_CONTEXT, nullptr);
  if (Gl->Context == EGL_NO_CONTEXT) {
    Error = EglFailure("eglCreateContext");
    return nullptr;
  }
  if (!eglMakeCurrent(Display, Gl->Surface, Gl->Surface, Gl->Context)) {
    Error = EglFailure("eglMakeCurrent");
    return nullptr;
  }
  return Gl;
}

THeadlessGL::~THeadlessGL() {
  if (!Display) return;
  eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (Context) eglDestroyContext(Display, Context);
  if (Surface) eglDestroySurface(Display, Surface);
  eglTerminate(Display);
}

std::vector<uint8_t> THeadlessGL::ReadFrame() const {
  std::vector<uint8_t> TopDown;
  ReadFrame(TopDown);
  return TopDown;
}

void THeadlessGL::ReadFrame(std::vector<uint8_t> &TopDown) const {
  const size_t RowBytes = static_cast<size_t>(FrameWidth) * 4;
  BottomUp.resize(RowBytes * static_cast<size_t>(FrameHeight));
  TopDown.resize(BottomUp.size());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, BottomUp.data());
  for (int Row = 0; Row < FrameHeight; ++Row) {
    const size_t From = static_cast<size_t>(FrameHeight - 1 - Row) * RowBytes;
    std::memcpy(&TopDown[static_cast<size_t>(Row) * RowBytes], &BottomUp[From], RowBytes);
  }
}

THeadlessGL::TPixel THeadlessGL::ReadPixel(int X, int Y) const {
  uint8_t Rgba[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(X, FrameHeight - 1 - Y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, Rgba);
  return {Rgba[0], Rgba[1], Rgba[2], Rgba[3]};
}
