// Shows the film's picture on whatever the screen has. The film is always
// drawn at the chosen mode's size and colour depth. Where the window shows
// it pixel for pixel (a window of the mode's size, a monitor switched to the
// mode) the film draws straight into the window's buffers; otherwise into a
// framebuffer of its own, which the presenter then scales into the window's
// drawable (a monitor at its own mode, a window of any size) with its shape
// kept, centred, black around it. The scenes never learn the drawable's
// size, and a size change changes only where the picture is shown.
//
// Why not always through the framebuffer: a driver may rasterise into its
// own framebuffers with the other vertical orientation (llvmpipe does), and
// a few pixels then come out one level apart from the window's. Drawn
// straight, the frames are exactly what the window always showed.
//
// Where the context has no framebuffer objects the film always draws
// straight into the window: Begin says so, and the window must then have
// the mode's size.
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
  // the window's 8-bit colour above) and a depth buffer as deep as the
  // window's. The window's own buffers stay bound. False, with nothing made,
  // when the context cannot make one.
  bool Begin(TGlProcLookup Lookup, int Width, int Height, int Bits);

  // Before a frame is drawn, for a drawable of DrawableWidth x
  // DrawableHeight pixels: binds the window's own buffers when they show
  // the film as it is (the film's size, and colours as deep as the mode's),
  // else the film's framebuffer.
  void BeginFrame(int DrawableWidth, int DrawableHeight);

  // The film's finished picture into the window's drawable: when it was
  // drawn into the film's framebuffer, the largest area of the film's shape,
  // centred, gets the picture scaled with linear filtering (copied pixel for
  // pixel when the sizes agree), black around it. Nothing to do when it was
  // drawn straight into the window, or for an empty drawable (a minimised
  // window). Leaves the window's own buffers bound.
  void Present(int DrawableWidth, int DrawableHeight);

  // Deletes the framebuffer while the context is still current; the
  // window's own buffers are bound again.
  void End();

  // Whether the film has a framebuffer of its own, and whether the frame
  // being drawn goes into it.
  bool Offscreen() const { return Framebuffer != 0; }
  bool DrawsOffscreen() const { return FrameOffscreen; }
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
  // The window's colours are deeper than the mode's (a 16-bit mode on a
  // 24-bit desktop): the film always draws into its own framebuffer.
  bool DeeperWindow = false;
  bool FrameOffscreen = false;
  TPictureArea Area;
};

// Whether a context that reports Version (GL_VERSION) and Extensions
// (GL_EXTENSIONS) has the framebuffer objects the presenter uses.
bool HasFramebufferObjects(const char *Version, const char *Extensions);
