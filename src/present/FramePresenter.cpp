#include "present/FramePresenter.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename TEntry>
bool Find(TGlProcLookup Lookup, const char *Name, TEntry &Entry) {
  Entry = reinterpret_cast<TEntry>(Lookup(Name));
  return Entry != nullptr;
}

bool LoadFramebufferCalls(TGlProcLookup Lookup, TFramebufferCalls &Gl) {
  return Find(Lookup, "glGenFramebuffers", Gl.GenFramebuffers) &&
         Find(Lookup, "glDeleteFramebuffers", Gl.DeleteFramebuffers) &&
         Find(Lookup, "glBindFramebuffer", Gl.BindFramebuffer) &&
         Find(Lookup, "glCheckFramebufferStatus", Gl.CheckFramebufferStatus) &&
         Find(Lookup, "glGenRenderbuffers", Gl.GenRenderbuffers) &&
         Find(Lookup, "glDeleteRenderbuffers", Gl.DeleteRenderbuffers) &&
         Find(Lookup, "glBindRenderbuffer", Gl.BindRenderbuffer) &&
         Find(Lookup, "glRenderbufferStorage", Gl.RenderbufferStorage) &&
         Find(Lookup, "glFramebufferRenderbuffer", Gl.FramebufferRenderbuffer) &&
         Find(Lookup, "glBlitFramebuffer", Gl.BlitFramebuffer);
}

// A whole word of the space-separated extension list.
bool HasExtension(const char *Extensions, const char *Name) {
  const size_t Length = std::strlen(Name);
  for (const char *At = Extensions; At && (At = std::strstr(At, Name)) != nullptr; At += Length) {
    const bool Starts = At == Extensions || At[-1] == ' ';
    const bool Ends = At[Length] == '\0' || At[Length] == ' ';
    if (Starts && Ends) return true;
  }
  return false;
}

// The depth buffer the window's pixel format has, so that the film's depth
// tests come out as they would in the window itself.
GLenum WindowDepthFormat() {
  GLint Bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &Bits);
  return Bits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
}

// The window's 8-bit colour, with an alpha channel where the window has one:
// the kept pictures of the software path copy the frame's alpha with its
// colour, so a frame drawn without one would differ.
GLenum WindowColourFormat() {
  GLint Bits = 0;
  glGetIntegerv(GL_ALPHA_BITS, &Bits);
  return Bits > 0 ? GL_RGBA8 : GL_RGB8;
}

}  // namespace

bool HasFramebufferObjects(const char *Version, const char *Extensions) {
  int Major = 0;
  if (Version && std::sscanf(Version, "%d", &Major) == 1 && Major >= 3) return true;
  return HasExtension(Extensions, "GL_ARB_framebuffer_object");
}

bool TFramePresenter::Begin(TGlProcLookup Lookup, int Width, int Height, int Bits) {
  End();
  if (!Lookup || Width <= 0 || Height <= 0) return false;
  if (!HasFramebufferObjects(reinterpret_cast<const char *>(glGetString(GL_VERSION)),
                             reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS))))
    return false;
  if (!LoadFramebufferCalls(Lookup, Gl)) return false;
  FilmWidth = Width;
  FilmHeight = Height;
  const GLenum Depth = WindowDepthFormat();
  GLint WindowGreen = 0;
  glGetIntegerv(GL_GREEN_BITS, &WindowGreen);
  DeeperWindow = Bits <= 16 && WindowGreen > 6;
  const bool Made = Bits > 16 ? MakeTarget(WindowColourFormat(), Depth)
                              // 5-6-5 where the driver has it as a format of
                              // its own, else the nearest it offers.
                              : MakeTarget(GL_RGB565, Depth) || MakeTarget(GL_RGB5, Depth);
  if (Made) Gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
  return Made;
}

void TFramePresenter::BeginFrame(int DrawableWidth, int DrawableHeight) {
  if (!Offscreen()) return;
  const bool AsItIs = !DeeperWindow && DrawableWidth == FilmWidth && DrawableHeight == FilmHeight;
  FrameOffscreen = !AsItIs;
  Gl.BindFramebuffer(GL_FRAMEBUFFER, FrameOffscreen ? Framebuffer : 0);
}

bool TFramePresenter::MakeTarget(GLenum ColourFormat, GLenum DepthFormat) {
  Gl.GenFramebuffers(1, &Framebuffer);
  Gl.GenRenderbuffers(1, &ColourBuffer);
  Gl.GenRenderbuffers(1, &DepthBuffer);
  Gl.BindRenderbuffer(GL_RENDERBUFFER, ColourBuffer);
  Gl.RenderbufferStorage(GL_RENDERBUFFER, ColourFormat, FilmWidth, FilmHeight);
  Gl.BindRenderbuffer(GL_RENDERBUFFER, DepthBuffer);
  Gl.RenderbufferStorage(GL_RENDERBUFFER, DepthFormat, FilmWidth, FilmHeight);
  Gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
  Gl.BindFramebuffer(GL_FRAMEBUFFER, Framebuffer);
  Gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, ColourBuffer);
  Gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, DepthBuffer);
  if (Gl.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  End();
  // A refused format leaves an error behind; nothing of the film reads it,
  // but a later look must not find it.
  while (glGetError() != GL_NO_ERROR) {
  }
  return false;
}

void TFramePresenter::ClearBars(int DrawableWidth, int DrawableHeight) {
  // Beside the picture, or above and below it; empty where it fills the
  // drawable. Only the bars are cleared: on a software rasteriser a clear
  // of the whole drawable costs as much as a good part of the scaling.
  const TPictureArea Bars[2] = {
      Area.X > 0 ? TPictureArea{0, 0, Area.X, DrawableHeight}
                 : TPictureArea{0, 0, DrawableWidth, Area.Y},
      Area.X > 0 ? TPictureArea{Area.X + Area.Width, 0, DrawableWidth - Area.X - Area.Width,
                                DrawableHeight}
                 : TPictureArea{0, Area.Y + Area.Height, DrawableWidth,
                                DrawableHeight - Area.Y - Area.Height},
  };
  // The clear colour and the scissor are the film's (or the capture's):
  // borrowed for the bars, then given back.
  GLfloat FilmClear[4];
  GLint FilmScissor[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, FilmClear);
  glGetIntegerv(GL_SCISSOR_BOX, FilmScissor);
  const GLboolean Scissored = glIsEnabled(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_SCISSOR_TEST);
  for (const TPictureArea &Bar : Bars) {
    if (Bar.Width <= 0 || Bar.Height <= 0) continue;
    glScissor(Bar.X, Bar.Y, Bar.Width, Bar.Height);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glScissor(FilmScissor[0], FilmScissor[1], FilmScissor[2], FilmScissor[3]);
  if (!Scissored) glDisable(GL_SCISSOR_TEST);
  glClearColor(FilmClear[0], FilmClear[1], FilmClear[2], FilmClear[3]);
}

void TFramePresenter::Present(int DrawableWidth, int DrawableHeight) {
  if (!FrameOffscreen || DrawableWidth <= 0 || DrawableHeight <= 0) return;
  Area = FitPicture(FilmWidth, FilmHeight, DrawableWidth, DrawableHeight);
  Gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  ClearBars(DrawableWidth, DrawableHeight);
  const bool SameSize = Area.Width == FilmWidth && Area.Height == FilmHeight;
  Gl.BlitFramebuffer(0, 0, FilmWidth, FilmHeight, Area.X, Area.Y, Area.X + Area.Width,
                     Area.Y + Area.Height, GL_COLOR_BUFFER_BIT, SameSize ? GL_NEAREST : GL_LINEAR);
  // The window's buffers stay bound until the next frame is begun: a
  // read-back after the frame sees what the drawable shows.
  Gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
}

void TFramePresenter::End() {
  if (Framebuffer != 0) {
    Gl.BindFramebuffer(GL_FRAMEBUFFER, 0);
    Gl.DeleteFramebuffers(1, &Framebuffer);
  }
  if (ColourBuffer != 0) Gl.DeleteRenderbuffers(1, &ColourBuffer);
  if (DepthBuffer != 0) Gl.DeleteRenderbuffers(1, &DepthBuffer);
  Framebuffer = ColourBuffer = DepthBuffer = 0;
  FrameOffscreen = false;
}
