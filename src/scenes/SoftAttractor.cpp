#include "scenes/SoftAttractor.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "scenes/GreyFrame.h"
#include "scenes/SoftLines.h"
#include "scenes/ViewPicture.h"

namespace {
constexpr int64_t StepCount = 60000;
constexpr float Opacity = 0.1f;
constexpr float SceneLineWidth = 2.1f;

TStrips Segments;
TGreyCanvas Canvas;
TViewPicture Picture;

// A point in clip space with its shade (grey level times the fog factor).
struct TClipPoint {
  float X, Y, Z, W, Shade;
};

TClipPoint Lerp(const TClipPoint &A, const TClipPoint &B, float K) {
  return {A.X + (B.X - A.X) * K, A.Y + (B.Y - A.Y) * K, A.Z + (B.Z - A.Z) * K,
          A.W + (B.W - A.W) * K, A.Shade + (B.Shade - A.Shade) * K};
}

// Cuts the segment to the side of the plane where Distance >= 0; false when
// nothing is left.
template <typename TDistance>
bool ClipTo(TClipPoint &A, TClipPoint &B, TDistance Distance) {
  const float Da = Distance(A), Db = Distance(B);
  if (Da < 0 && Db < 0) return false;
  if (Da < 0) A = Lerp(A, B, Da / (Da - Db));
  if (Db < 0) B = Lerp(B, A, Db / (Db - Da));
  return true;
}

// The view volume, as GL clips lines before drawing them.
bool ClipToVolume(TClipPoint &A, TClipPoint &B) {
  return ClipTo(A, B, [](const TClipPoint &P) { return P.W + P.Z; }) &&
         ClipTo(A, B, [](const TClipPoint &P) { return P.W - P.Z; }) &&
         ClipTo(A, B, [](const TClipPoint &P) { return P.W + P.X; }) &&
         ClipTo(A, B, [](const TClipPoint &P) { return P.W - P.X; }) &&
         ClipTo(A, B, [](const TClipPoint &P) { return P.W + P.Y; }) &&
         ClipTo(A, B, [](const TClipPoint &P) { return P.W - P.Y; });
}

struct TTransform {
  float ModelView[16], Projection[16];
  float FogStart, FogEnd;
  int Width, Height;
};

TClipPoint ToClip(const TTransform &T, const TAttractorPoint &P, float Grey) {
  const float *M = T.ModelView;
  const float Ex = M[0] * P.X + M[4] * P.Y + M[8] * P.Z + M[12];
  const float Ey = M[1] * P.X + M[5] * P.Y + M[9] * P.Z + M[13];
  const float Ez = M[2] * P.X + M[6] * P.Y + M[10] * P.Z + M[14];
  const float Ew = M[3] * P.X + M[7] * P.Y + M[11] * P.Z + M[15];
  const float *Q = T.Projection;
  TClipPoint C;
  C.X = Q[0] * Ex + Q[4] * Ey + Q[8] * Ez + Q[12] * Ew;
  C.Y = Q[1] * Ex + Q[5] * Ey + Q[9] * Ez + Q[13] * Ew;
  C.Z = Q[2] * Ex + Q[6] * Ey + Q[10] * Ez + Q[14] * Ew;
  C.W = Q[3] * Ex + Q[7] * Ey + Q[11] * Ez + Q[15] * Ew;
  // Linear fog towards black on the eye-space depth.
  const float Fog = std::clamp((T.FogEnd - std::fabs(Ez)) / (T.FogEnd - T.FogStart), 0.f, 1.f);
  C.Shade = Grey * Fog;
  return C;
}

// The strip's segments in view pixels (y downward), one strip each.
void CollectSegments(const TTransform &T) {
  const std::vector<TAttractorPoint> &Points = AttractorPoints();
  Segments.Clear();
  const float HalfW = T.Width / 2.f, HalfH = T.Height / 2.f;
  TClipPoint Previous{};
  for (size_t i = 0; i < Points.size(); ++i) {
    const float Grey = static_cast<Single>(1 - Extended(i) / Extended(StepCount));
    const TClipPoint Current = ToClip(T, Points[i], Grey);
    if (i > 0) {
      TClipPoint A = Previous, B = Current;
      if (ClipToVolume(A, B)) {
        const float Shade = std::clamp((A.Shade + B.Shade) / 2, 0.f, 1.f);
        Segments.Begin(Opacity, static_cast<uint8_t>(Shade * 255 + 0.5f));
        for (const TClipPoint *P : {&A, &B})
          Segments.Add((P->X / P->W + 1) * HalfW, T.Height - (P->Y / P->W + 1) * HalfH);
      }
    }
    Previous = Current;
  }
}

}  // namespace

const std::vector<TAttractorPoint> &AttractorPoints() {
  static const std::vector<TAttractorPoint> Points = [] {
    // The Euler steps of BuildAttractorList, in the same precision.
    constexpr Single Sigma = 3, Rho = 20, Beta = 1.2f, Dt = 0.01f;
    std::vector<TAttractorPoint> Out;
    Out.reserve(StepCount + 1);
    Single x = 0, y = 0.5f, z = 10;
    for (int64_t i = 0; i <= StepCount; ++i) {
      const Extended X = x, Y = y, Z = z;
      x = static_cast<Single>((-Sigma * X * Dt + X) + Sigma * Y * Dt);
      y = static_cast<Single>(((Rho * X * Dt + Y) - Y * Dt) - Z * X * Dt);
      z = static_cast<Single>((-Beta * Z * Dt + Z) + X * Y * Dt);
      Out.push_back({static_cast<Single>(0.2L * x), static_cast<Single>(0.2L * y),
                     static_cast<Single>(0.2L * z)});
    }
    return Out;
  }();
  return Points;
}

void DrawSoftAttractor() {
  TTransform T;
  glGetFloatv(GL_MODELVIEW_MATRIX, T.ModelView);
  glGetFloatv(GL_PROJECTION_MATRIX, T.Projection);
  glGetFloatv(GL_FOG_START, &T.FogStart);
  glGetFloatv(GL_FOG_END, &T.FogEnd);
  TViewPicture::ViewportSize(T.Width, T.Height);
  CollectSegments(T);
  ReadGreyFrame(Canvas, T.Width, T.Height);
  DrawSmoothStrips(Canvas, Segments, SceneLineWidth);
  Picture.FillGrey(Canvas.Pixels.data(), T.Width, T.Height);
  Picture.Show();
}
