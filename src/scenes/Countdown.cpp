// The film leader shown before the music starts: a crosshair and two rings on white, a shadow
// sweeping once round the centre every second, the digits 5, 4, 3, 2, an occasional scratch and
// dark bands at the top and bottom.
#include "scenes/Countdown.h"

#include <GL/gl.h>

#include <cmath>

#include "UMMath.h"
#include "UMOgl.h"
#include "UMTextures.h"
#include "scenes/Quads.h"

namespace {
constexpr Single ThinLine = 2.1f;
constexpr Single RingLine = 3.5f;
constexpr int CircleSteps = 360;
constexpr Extended SweepRadius = 400;
constexpr Extended DigitHalfSize = 160;
constexpr Single BandHeight = 150;

struct TLeaderView {
  Extended cx, cy;  // centre of the view
  Single W, H;      // the view's edges
};

void DrawCrosshair(const TLeaderView &v) {
  glLineWidth(ThinLine);
  glColor4f(0, 0, 0, 0.4f);
  glBegin(GL_LINES);
  glVertex2f(0, static_cast<Single>(v.cy));
  glVertex2f(v.W, static_cast<Single>(v.cy));
  glVertex2f(static_cast<Single>(v.cx), 0);
  glVertex2f(static_cast<Single>(v.cx), v.H);
  glEnd();
}

// Two closed circles of radius 200 and 155, each starting right of the centre.
void DrawRings(const TLeaderView &v) {
  glLineWidth(RingLine);
  glColor4f(0, 0, 0, 0.7f);
  for (int i = 0; i <= 1; ++i) {
    const Extended R = 200 - 45 * i;
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j <= CircleSteps; ++j) {
      const Extended a = Extended(j) / CircleSteps * 2 * Pi;
      glVertex2f(static_cast<Single>(v.cx + R * std::cos(a)),
                 static_cast<Single>(v.cy + R * std::sin(a)));
    }
    glEnd();
  }
}

// A shadow fanning clockwise from 12 o'clock over the fraction of a turn that the current
// second has run; it has no area on a whole second. Dark at the centre, clear at its rim.
void DrawSweep(const TLeaderView &v, uint32_t Ms) {
  glBegin(GL_TRIANGLE_FAN);
  glColor4f(0, 0, 0, 0.4f);
  glVertex2f(static_cast<Single>(v.cx), static_cast<Single>(v.cy));
  glColor4f(0, 0, 0, 0);
  for (int j = 0; j <= CircleSteps; ++j) {
    const Extended a = Extended(j) / CircleSteps * (Ms % 1000) / 1000 * 2 * Pi;
    glVertex2f(static_cast<Single>(v.cx + SweepRadius * std::sin(a)),
               static_cast<Single>(v.cy - SweepRadius * std::cos(a)));
  }
  glEnd();
}

// One quarter of the digit strip per second: 5, 4, 3, 2. From 4000 ms on the quad samples past
// the strip's clamped right edge, which is transparent, so no digit shows.
void DrawDigit(const TLeaderView &v, uint32_t Ms) {
  glEnable(GL_TEXTURE_2D);
  glColor4f(0, 0, 0, 1);
  glBindTexture(GL_TEXTURE_2D, CountdownTex.TexId);
  const Single s0 = static_cast<Single>((Ms / 1000) * 0.25L);
  const Single s1 = static_cast<Single>(s0 + 0.25L);
  const TRect Square{
      static_cast<Single>(v.cx - DigitHalfSize), static_cast<Single>(v.cy - DigitHalfSize),
      static_cast<Single>(v.cx + DigitHalfSize), static_cast<Single>(v.cy + DigitHalfSize)};
  DrawTexturedQuad(Square, s0, 0, s1, 1);
}

// About one frame in four: a vertical line at a random column. The generator is not reseeded,
// so which frames show a scratch depends on the frame timing; a frame draws one or two values.
void DrawScratch(const TLeaderView &v, uint32_t Ms) {
  const int32_t draw = Random(4);
  if (static_cast<int32_t>(Ms & 3) != draw) return;
  glLineWidth(ThinLine);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0, 0, 0, 0.6f);
  const Single x = static_cast<Single>(Random(static_cast<int32_t>(Ogl->ViewWidth)));
  glBegin(GL_LINES);
  glVertex2f(x, 0);
  glVertex2f(x, v.H);
  glEnd();
  glEnable(GL_TEXTURE_2D);
}

// 150-pixel bands darkening towards the top and bottom edges.
void DrawBands(const TLeaderView &v) {
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glColor4f(0, 0, 0, 0.4f);
  glVertex2f(0, 0);
  glVertex2f(v.W, 0);
  glColor4f(0, 0, 0, 0);
  glVertex2f(v.W, BandHeight);
  glVertex2f(0, BandHeight);
  glVertex2f(0, v.H - BandHeight);
  glVertex2f(v.W, v.H - BandHeight);
  glColor4f(0, 0, 0, 0.4f);
  glVertex2f(v.W, v.H);
  glVertex2f(0, v.H);
  glEnd();
}
}  // namespace

// Relies on the pixel projection, blending on, depth test and lighting off and the white clear
// colour. Leaves texturing on, CountdownTex bound, the colour (0, 0, 0, 0.4) and the line width
// 2.1 after a scratch, 3.5 otherwise.
void DrawCountdown(uint32_t Ms) {
  const TLeaderView v{Extended(Ogl->ViewWidth) / 2, Extended(Ogl->ViewHeight) / 2,
                      static_cast<Single>(Ogl->ViewWidth), static_cast<Single>(Ogl->ViewHeight)};
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_TEXTURE_2D);
  DrawCrosshair(v);
  DrawRings(v);
  DrawSweep(v, Ms);
  DrawDigit(v, Ms);
  DrawScratch(v, Ms);
  DrawBands(v);
  glEnable(GL_TEXTURE_2D);
}
