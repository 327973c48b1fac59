// The opening (t <= 22147): a sine wave travelling left across the middle of the view, the
// title banner riding on it, a white ribbon hiding the banner right of a rolling wheel, and a
// white veil that hides the title again from 15 s on.
#include "scenes/Opening.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>

#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"

Single WaveHeight(int64_t t, Single U) {
  // The amplitude eases in over the first five seconds, so the wave rises out of a flat line.
  const Single A =
      t < 5000 ? CosineInterpolate(0, 20, static_cast<Single>(Extended(t) / 5000)) : Single(20);
  // One wavelength spans the view; the phase moves one view width to the left every 3 s.
  const Extended phase = Extended(t % 3000) / 3000 + U;
  return static_cast<Single>(A * std::sin(phase * 2 * Pi));
}

namespace {
constexpr int BannerColumns = 32;  // the banner is a strip of 33 vertex pairs
constexpr int WaveColumns = 64;    // the ribbon and the wave line sample 65 columns
constexpr int RimSegments = 30;
constexpr int Spokes = 10;
constexpr Extended WheelRadius = 40;
constexpr Extended HubRadius = 30;

// The title texture stretched over the band 5 to 75 pixels above the wave, from 0.15 W to 0.85 W.
void DrawBanner(int64_t t, Extended W, Extended H) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, TitleTex.TexId);
  glBegin(GL_TRIANGLE_STRIP);
  glColor4f(0, 0, 0, 1);
  for (int i = 0; i <= BannerColumns; ++i) {
    const Extended s = Extended(i) / BannerColumns;
    const Single f = static_cast<Single>(s * 0.7L + 0.15L);
    const Single h = WaveHeight(t, f);
    glTexCoord2f(static_cast<Single>(s), 0);
    glVertex2f(static_cast<Single>(W * f), static_cast<Single>(H / 2 - h - 75));
    glTexCoord2f(static_cast<Single>(s), 1);
    glVertex2f(static_cast<Single>(W * f), static_cast<Single>(H / 2 - h - 5));
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

// An opaque white strip over the same band, from the grid column at or left of the wheel's
// centre X to the right edge: the wheel seems to uncover the title as it rolls.
void DrawRibbon(int64_t t, Extended W, Extended H, Single X) {
  glBegin(GL_TRIANGLE_STRIP);
  glColor4f(1, 1, 1, 1);
  // Negative while the wheel is left of the view: the ribbon then starts beyond the left edge.
  const int64_t k0 = Trunc(X / W * WaveColumns);
  for (int64_t i = k0; i <= WaveColumns; ++i) {
    const Extended u = Extended(i) / WaveColumns;
    const Single h = WaveHeight(t, static_cast<Single>(u));
    glVertex2f(static_cast<Single>(u * W), static_cast<Single>(H / 2 - h - 5));
    glVertex2f(static_cast<Single>(u * W), static_cast<Single>(H / 2 - h - 75));
  }
  glEnd();
}

// A full-height white quad over the banner's columns whose left edge fades in over 15..22 s and
// its right edge over 20..22 s. The ramps run slightly past 1 until 22147; GL clamps colours.
void DrawVeil(Extended W, Extended H, int64_t t) {
  const Single a1 = t <= 15000 ? Single(0) : static_cast<Single>(Extended(t - 15000) / 7000);
  const Single a2 = t <= 20000 ? Single(0) : static_cast<Single>(Extended(t - 20000) / 2000);
  const Single left = static_cast<Single>(0.15L * W);
  const Single right = static_cast<Single>(0.85L * W);
  glBegin(GL_QUADS);
  glColor4f(1, 1, 1, a1);
  glVertex2f(left, 0);
  glColor4f(1, 1, 1, a2);
  glVertex2f(right, 0);
  glColor4f(1, 1, 1, a2);
  glVertex2f(right, static_cast<Single>(H));
  glColor4f(1, 1, 1, a1);
  glVertex2f(left, static_cast<Single>(H));
  glEnd();
}

void CirclePoint(Single X, Extended yc, Extended radius, Extended angle) {
  glVertex2f(static_cast<Single>(X + radius * std::cos(angle)),
             static_cast<Single>(yc + radius * std::sin(angle)));
}

// A white disc with a black rim, an inner circle and ten spokes, resting 1 pixel above the wave.
// The turn X / 40 makes its rim advance exactly as far as its centre: it rolls.
void DrawWheel(int64_t t, Extended W, Extended H, Single X) {
  const Single hc = WaveHeight(t, static_cast<Single>(X / W));
  const Extended yc = H / 2 - hc - 41;
  const Extended turn = X / WheelRadius;
  auto rimAngle = [&](int i) { return turn + Extended(i) / RimSegments * 2 * Pi; };
  auto spokeAngle = [&](int i) { return turn + Extended(i) / Spokes * 2 * Pi; };

  glColor4f(1, 1, 1, 1);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(X, static_cast<Single>(yc));
  for (int i = 0; i <= RimSegments; ++i) CirclePoint(X, yc, WheelRadius, rimAngle(i));
  glEnd();

  glColor4f(0, 0, 0, 1);
  for (const Extended radius : {WheelRadius, HubRadius}) {
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= RimSegments; ++i) CirclePoint(X, yc, radius, rimAngle(i));
    glEnd();
  }
  // Spokes 0 and 10 coincide: ten visible spokes.
  glBegin(GL_LINES);
  for (int i = 0; i <= Spokes; ++i) {
    CirclePoint(X, yc, WheelRadius, spokeAngle(i));
    CirclePoint(X, yc, HubRadius, spokeAngle(i));
  }
  glEnd();
}

void DrawWaveLine(int64_t t, Extended W, Extended H) {
  glColor4f(0, 0, 0, 1);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= WaveColumns; ++i) {
    const Extended u = Extended(i) / WaveColumns;
    const Single h = WaveHeight(t, static_cast<Single>(u));
    glVertex2f(static_cast<Single>(u * W), static_cast<Single>(H / 2 - h));
  }
  glEnd();
}
}  // namespace

// Relies on the pixel projection, blending on and texturing off; leaves texturing off and the
// colour black. Makes no Random call.
void DrawOpening(int64_t t) {
  const Extended W = Ogl->ViewWidth;
  const Extended H = Ogl->ViewHeight;
  const Single p = static_cast<Single>(Extended(t) / 22147);
  // The wheel's centre: from just outside the left edge at 0 ms to outside the right at 22147.
  const Single X = static_cast<Single>((W + 200) * p - 40);

  DrawBanner(t, W, H);
  DrawRibbon(t, W, H, X);
  DrawVeil(W, H, t);
  DrawWheel(t, W, H, X);
  DrawWaveLine(t, W, H);
}
