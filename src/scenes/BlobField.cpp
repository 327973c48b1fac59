// The blob field (28561 < t <= 51688): ten blobs glide along cubic paths over
// a 512 x 512 grid; their merged values are thresholded into dark outlines on
// white, uploaded as FieldTex and stretched over the view. Near the end a
// white ramp climbs from the bottom edge.
#include "scenes/BlobField.h"

#include <GL/gl.h>

#include <cstddef>

#include "UMOgl.h"
#include "UMTextures.h"
#include "UMTypes.h"
#include "scenes/CarriedState.h"
#include "scenes/Quads.h"

namespace {
constexpr int BlobCount = 10;

// The grid the blobs merge into; rebuilt from nothing on every frame.
TFieldValues FieldValues;

// Drops the oldest control point and draws a new last one (X, then Y).
void AdvanceBlob(TBlob &Blob) {
  for (int k = 0; k < 3; ++k) {
    Blob.X[k] = Blob.X[k + 1];
    Blob.Y[k] = Blob.Y[k + 1];
  }
  Blob.X[3] = static_cast<Single>(Random(512));
  Blob.Y[3] = static_cast<Single>(Random(512));
}

// Moves every blob along its path and merges it into the grid. When the
// phase has wrapped since the previous call, every blob first advances once
// (blob 0 first), however many periods have passed.
void AddBlobs(TBlobFieldState &Field) {
  const Single BlobPhase = Field.Phase;
  const bool Wrapped = BlobPhase < Field.PrevPhase;
  for (TBlob &Blob : Field.Blobs) {
    if (Wrapped) AdvanceBlob(Blob);
    const Single bx = CubicInterpolate(Blob.X[0], Blob.X[1], Blob.X[2], Blob.X[3], BlobPhase);
    const Single by = CubicInterpolate(Blob.Y[0], Blob.Y[1], Blob.Y[2], Blob.Y[3], BlobPhase);
    AddBlob(FieldValues, bx, by, Blob.Radius, Blob.Diamond);
  }
}

// FieldTex is sized at start-up; sizing it here too keeps a call before the
// set-up from writing past its pixels.
void EnsureFieldTexSize() {
  if (FieldTex.Width == FieldSize && FieldTex.Height == FieldSize && FieldTex.BytesPerPixel == 3 &&
      FieldTex.Data.size() == std::size_t(FieldSize) * FieldSize * 3)
    return;
  FieldTex.Width = FieldTex.Height = FieldSize;
  FieldTex.BytesPerPixel = 3;
  FieldTex.Data.assign(std::size_t(FieldSize) * FieldSize * 3, 0);
}

// FieldTex is made on the scene's first frame and its pixels replaced in
// place on every later one, so the driver keeps one texture and never
// allocates another.
void UploadField() {
  if (FieldTex.TexId == 0) {
    UploadRGB(FieldTex, true);
    return;
  }
  glBindTexture(GL_TEXTURE_2D, FieldTex.TexId);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, FieldTex.Width, FieldTex.Height, GL_RGB, GL_UNSIGNED_BYTE,
                  FieldTex.Data.data());
}

// Grid row 0 is the bottom of the view: the top vertices carry t = 1.
void DrawFieldQuad(Single Alpha) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FieldTex.TexId);
  glColor4f(1, 1, 1, Alpha);
  DrawTexturedQuad(ViewRect(), 0, 1, 1, 0);
  glDisable(GL_TEXTURE_2D);
}
}  // namespace

void InitBlobs() {
  std::vector<TBlob> &Blobs = Carried.Field.Blobs;
  Blobs.assign(BlobCount, TBlob());
  RandSeed = 9191;
  for (int i = 0; i < BlobCount; ++i) {
    TBlob &Blob = Blobs[static_cast<std::size_t>(i)];
    for (int k = 0; k < 4; ++k) {
      Blob.X[k] = static_cast<Single>(Random(512));
      Blob.Y[k] = static_cast<Single>(Random(512));
    }
    Blob.Radius = static_cast<Single>(Random(170) + 51.2L);
    Blob.Diamond = i % 2 == 0;
  }
}

// Relies on the pixel projection, blending and the modulate environment;
// leaves texturing disabled. Draws 20 values from the generator in a frame
// where the blobs advance, without reseeding it.
void DrawBlobField(int64_t t, Single Alpha, Single Wipe) {
  ClearField(FieldValues);
  TBlobFieldState &Field = Carried.Field;
  Field.Phase = static_cast<Single>((t % 2000) / 2000.0L);
  AddBlobs(Field);
  ApplyWipe(FieldValues, Wipe);
  Field.PrevPhase = Field.Phase;
  EnsureFieldTexSize();
  ShadeField(FieldValues, FieldTex);
  UploadField();
  DrawFieldQuad(Alpha);
}
