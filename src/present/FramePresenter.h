// Shows the film's picture on whatever the screen has. The film is always
// drawn at the chosen mode's size and colour depth, into a framebuffer of
// its own; each frame the presenter scales that picture into the window's
// drawable (a monitor at its own mode, a window of any size) with its shape
// kept, centred, black around it. The scenes never learn the drawable's
// size, and a size change changes only where the picture is shown.
//
// Where the context has no framebuffer objects the film draws straight into
// the window, as it did before there was a presenter: Begin says so, and the
// window must then have the mode's size.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/GlArrayCalls.h"
#include "platform/PictureFit.h"

// The framebuffer-object entry points beyond GL 1.1 (GL 3.0, or
// GL_ARB_framebuffer_object on older contexts).
struct TFramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
  PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
};

class TFramePresenter {
public:
  TFramePresenter() = default;
  TFramePresenter(const TFramePresenter &) = delete;
  TFramePresenter &operator=(const TFramePresenter &) = delete;

  // With the window's context current: makes the film's framebuffer,
  // Width x Height with the colour of Bits (5-6-5 for 16 bits or fewer,
  // 8-8-8 above) and a depth buffer as deep as the window's, and binds it,
  // so that everything drawn from here on goes into it. False, with nothing
  // made and the window's own buffers still bound, when the context cannot
  // make one.
  bool Begin(TGlProcLookup Lookup, int Width, int Height, int Bits);

  // The film's finished picture into the window's drawable of
  // DrawableWidth x DrawableHeight pixels: the largest area of the film's
  // shape, centred, the picture scaled into it with linear filtering (copied
  // pixel for pixel when the sizes agree), black around it. The film's
  // framebuffer is bound again afterwards. Does nothing without one, or for
  // an empty drawable (a minimised window).
  void Present(int DrawableWidth, int DrawableHeight);

  // Deletes the framebuffer while the context is still current; the
  // window's own buffers are bound again.
  void End();

  // Whether the film draws into a framebuffer of its own.
  bool Offscreen() const { return Framebuffer != 0; }
  // Where the last Present put the picture, counted from the drawable's
  // bottom-left corner.
  const TPictureArea &PictureArea() const { return Area; }

private:
  bool MakeTarget(GLenum ColourFormat, GLenum DepthFormat);
  void ClearBars(int DrawableWidth, int DrawableHeight);

  TFramebufferCalls Gl;
  GLuint Framebuffer = 0;
  GLuint ColourBuffer = 0;
  GLuint DepthBuffer = 0;
  int FilmWidth = 0;
  int FilmHeight = 0;
  TPictureArea Area;
};

// Whether a context that reports Version (GL_VERSION) and Extensions
// (GL_EXTENSIONS) has the framebuffer objects the presenter uses.
bool HasFramebufferObjects(const char *Version, const char *Extensions);
