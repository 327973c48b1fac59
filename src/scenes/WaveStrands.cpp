// Sixteen black strands that split from the opening's wave (22147 < t <= 30561):
// the same travelling sine, but every vertex with its own random amplitude and
// every strand but the first with its own random opacity. The generator is
// reseeded every frame, so the strands keep their shapes.
#include "scenes/WaveStrands.h"

#include <GL/gl.h>

#include <cmath>

#include "UMOgl.h"
#include "UMTypes.h"

namespace {
constexpr int StrandCount = 16;
constexpr int VerticesPerStrand = 65;

// Strands 1..15 draw a target opacity (0.001..1) and fade into it over 3000 ms.
Single StrandOpacity(int64_t t) {
  const int32_t r = Random(1000);
  const Single Target = static_cast<Single>((r + 1) / 1000.0L);
  if (t < 25147) return CosineInterpolate(0, Target, static_cast<Single>((t - 22147) / 3000.0L));
  return Target;
}
}  // namespace

Single StrandAmplitude(int32_t M, int64_t t) {
  if (t < 27147) return CosineInterpolate(20, M, static_cast<Single>((t - 22147) / 5000.0L));
  return static_cast<Single>(M);
}

// Relies on the pixel projection and blending; changes only the colour.
void DrawWaveStrands(int64_t t) {
  const Extended W = Ogl->ViewWidth;
  const Extended H = Ogl->ViewHeight;
  // The opening wave's phase: one wavelength across the view, moving left by
  // one view width every 3000 ms.
  const Extended Phase = (t % 3000) / 3000.0L;
  RandSeed = 8181;
  for (int k = 0; k < StrandCount; ++k) {
    const Single Opacity = k == 0 ? 1 : StrandOpacity(t);
    glColor4f(0, 0, 0, Opacity);
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j < VerticesPerStrand; ++j) {
      const Extended u = j / 64.0L;
      const int32_t m = Random(50) + 10;
      const Single A = StrandAmplitude(m, t);
      const Single e = static_cast<Single>(A * std::sin((Phase + u) * 2 * Pi));
      glVertex2f(static_cast<Single>(u * W), static_cast<Single>(H / 2 - e));
    }
    glEnd();
  }
}
