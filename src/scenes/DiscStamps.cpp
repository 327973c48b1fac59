// Two black discs stamped over the fading branches (59097 < t < 65000), the
// second 235 ms after the first: each springs up to 0.3 W within 200 ms, snaps
// back to a smaller size and grows slowly from there.
#include "scenes/DiscStamps.h"

#include <GL/gl.h>

#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/Quads.h"
#include "scenes/ViewPicture.h"

namespace {
// Spring-up: an eased rise from nothing to 0.3 W over the 200 ms after Start.
// Then, one millisecond later, it restarts from Base x W and grows by 0.1 W
// per second. The product W x (t - End) is an integer, divided afterwards.
Single HalfSize(int64_t t, Extended W, int64_t Start, Extended Base) {
  const int64_t End = Start + 200;
  if (t <= End) return CosineInterpolate(0, static_cast<Single>(0.3L * W), (t - Start) / 200.0L);
  const int64_t Grown = static_cast<int64_t>(W) * (t - End);
  return static_cast<Single>(Grown / 10000.0L + Base * W);
}

// One textured quad of DiscTex centred at (cx, cy) with half-size r.
void DrawDisc(Single cx, Single cy, Single r) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, DiscTex.TexId);
  glColor4f(0, 0, 0, 1);
  const TRect Square{static_cast<Single>(Extended(cx) - r), static_cast<Single>(Extended(cy) - r),
                     static_cast<Single>(Extended(cx) + r), static_cast<Single>(Extended(cy) + r)};
  DrawTexturedQuad(Square, 0, 0, 1, 1);
  glDisable(GL_TEXTURE_2D);
}
}  // namespace

Single Disc1HalfSize(int64_t t, Extended W) { return HalfSize(t, W, 59097, 0.18L); }
Single Disc2HalfSize(int64_t t, Extended W) { return HalfSize(t, W, 59332, 0.22L); }

// Relies on the pixel projection, blending and the modulate environment;
// leaves texturing disabled.
void DrawDiscStamps(int64_t t) {
  if (t >= 65000) return;
  // Past 63096 nothing lies under the discs but the black clear, which black
  // over black leaves as it is: software renderers skip the two quads, each
  // as large as the view by then.
  if (t > 63096 && DrawInSoftware()) return;
  const Extended W = Ogl->ViewWidth;
  const Extended H = Ogl->ViewHeight;
  if (t > 59097)
    DrawDisc(static_cast<Single>(0.32L * W), static_cast<Single>(0.58L * H), Disc1HalfSize(t, W));
  if (t > 59332)
    DrawDisc(static_cast<Single>(0.65L * W), static_cast<Single>(0.40L * H), Disc2HalfSize(t, W));
}
