// A run of primitives gathered as arrays (positions, a colour per vertex and,
// for textured ones, texture coordinates) and handed to GL together: one draw call per run of
// primitives of the same mode where the context has the array entry points, else the same
// primitives made with glBegin / glColor / glVertex / glEnd. Either way GL
// sees the same primitives, vertices and colours in the same order.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "UMMath.h"

// A buffer object of the current context, made on first use and again after
// the array entry points are looked up for a new context.
class TArrayBuffer {
public:
  // What a buffer's contents were made from, bit for bit.
  using TKey = std::array<uint32_t, 6>;

  // Binds it to GL_ARRAY_BUFFER, making it first where needed.
  void Bind();
  // Binds it and stores Bytes from Data. Storage of the same size is
  // written over rather than made anew: a driver that makes new storage for
  // every upload touches fresh memory each frame. (Writing part of a larger
  // storage is left alone: Mesa 22's no-op driver overruns its copy then.)
  void Store(const void *Data, size_t Bytes, GLenum Usage);
  // Whether it holds what was stored under Key in this context.
  bool Holds(const TKey &Key) const;
  void Stored(const TKey &Key);

private:
  GLuint Name = 0;
  uint32_t Generation = 0;
  size_t StoredBytes = 0;  // size of the storage made
  TKey StoredKey{};
  bool HasKey = false;
};

class TVertexBatch {
public:
  // Forgets the primitives, keeping the storage.
  void Clear();
  void Begin(GLenum Mode);
  void Color(Single R, Single G, Single B, Single A);
  // The texture coordinate of the vertices that follow; a batch given one
  // draws with texture coordinates.
  void TexCoord(Single S, Single T) {
    CurrentTex[0] = S;
    CurrentTex[1] = T;
    Textured = true;
  }
  void Vertex(Single X, Single Y) {
    Positions.push_back(X);
    Positions.push_back(Y);
    Colors.insert(Colors.end(), Current, Current + 4);
    TexCoords.insert(TexCoords.end(), CurrentTex, CurrentTex + 2);
  }
  void End();
  // One GL_QUADS quad of texture coordinates S0..S1 by T0..T1, its corners
  // in the order the scenes draw them (top-left first, clockwise).
  void TexturedQuad(Single Left, Single Top, Single Right, Single Bottom, Single S0, Single T0,
                    Single S1, Single T1);

  // Draws the primitives and clears the batch. Leaves the current colour
  // (and texture coordinate) at the last one set, client arrays disabled
  // and no buffer bound.
  void Draw();

private:
  void DrawArrays();
  void DrawImmediate() const;

  std::vector<Single> Positions;  // x, y per vertex
  std::vector<Single> Colors;     // r, g, b, a per vertex
  std::vector<Single> TexCoords;  // s, t per vertex
  std::vector<GLenum> Modes;      // per primitive
  std::vector<GLint> Firsts;
  std::vector<GLsizei> Counts;
  std::vector<Single> Uploaded;  // positions, colours, coordinates, slack
  Single Current[4] = {1, 1, 1, 1};
  Single CurrentTex[2] = {0, 0};
  bool Textured = false;
  TArrayBuffer Buffer;
};
