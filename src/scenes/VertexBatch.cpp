#include "scenes/VertexBatch.h"

#include <algorithm>
#include <cstring>

#include "platform/GlArrayCalls.h"

void TArrayBuffer::Bind() {
  const TGlArrayCalls &Gl = *GlArrayCalls();
  if (Name == 0 || Generation != Gl.Generation) {
    // A name from an earlier context went with it.
    Gl.GenBuffers(1, &Name);
    Generation = Gl.Generation;
    StoredBytes = 0;
    HasKey = false;
  }
  Gl.BindBuffer(GL_ARRAY_BUFFER, Name);
}

void TArrayBuffer::Store(const void *Data, size_t Bytes, GLenum Usage) {
  const TGlArrayCalls &Gl = *GlArrayCalls();
  Bind();
  HasKey = false;
  if (Bytes != StoredBytes) {
    Gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Bytes), Data, Usage);
    StoredBytes = Bytes;
    return;
  }
  Gl.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(Bytes), Data);
}

bool TArrayBuffer::Holds(const TKey &Key) const {
  const TGlArrayCalls *Gl = GlArrayCalls();
  return Gl && HasKey && StoredKey == Key && Name != 0 && Generation == Gl->Generation;
}

void TArrayBuffer::Stored(const TKey &Key) {
  StoredKey = Key;
  HasKey = true;
}

void TVertexBatch::Clear() {
  Positions.clear();
  Colors.clear();
  TexCoords.clear();
  Textured = false;
  Modes.clear();
  Firsts.clear();
  Counts.clear();
}

void TVertexBatch::Begin(GLenum Mode) {
  Modes.push_back(Mode);
  Firsts.push_back(static_cast<GLint>(Positions.size() / 2));
}

void TVertexBatch::Color(Single R, Single G, Single B, Single A) {
  Current[0] = R;
  Current[1] = G;
  Current[2] = B;
  Current[3] = A;
}

void TVertexBatch::End() {
  Counts.push_back(static_cast<GLsizei>(Positions.size() / 2) - Firsts.back());
}

void TVertexBatch::TexturedQuad(Single Left, Single Top, Single Right, Single Bottom, Single S0,
                                Single T0, Single S1, Single T1) {
  Begin(GL_QUADS);
  TexCoord(S0, T0);
  Vertex(Left, Top);
  TexCoord(S1, T0);
  Vertex(Right, Top);
  TexCoord(S1, T1);
  Vertex(Right, Bottom);
  TexCoord(S0, T1);
  Vertex(Left, Bottom);
  End();
}

void TVertexBatch::Draw() {
  if (!Modes.empty()) {
    if (GlArrayCalls())
      DrawArrays();
    else
      DrawImmediate();
  }
  // GL leaves the current colour undefined after a colour array; the
  // plain calls left it at the last one set.
  glColor4f(Current[0], Current[1], Current[2], Current[3]);
  if (Textured) glTexCoord2f(CurrentTex[0], CurrentTex[1]);
  Clear();
}

// Positions then colours in one buffer. Its size only grows, in powers of
// two, so frames of different sizes write over one storage (a driver may
// keep every storage it made until the draws from it are done).
void TVertexBatch::DrawArrays() {
  const TGlArrayCalls &Gl = *GlArrayCalls();
  const size_t ColorsAt = Positions.size();
  const size_t TexCoordsAt = ColorsAt + Colors.size();
  const size_t Floats = TexCoordsAt + (Textured ? TexCoords.size() : 0);
  size_t Capacity = std::max<size_t>(Uploaded.size(), 1024);
  while (Capacity < Floats) Capacity *= 2;
  Uploaded.resize(Capacity);
  std::copy(Positions.begin(), Positions.end(), Uploaded.begin());
  std::copy(Colors.begin(), Colors.end(), Uploaded.begin() + static_cast<ptrdiff_t>(ColorsAt));
  if (Textured)
    std::copy(TexCoords.begin(), TexCoords.end(),
              Uploaded.begin() + static_cast<ptrdiff_t>(TexCoordsAt));
  Buffer.Store(Uploaded.data(), Uploaded.size() * sizeof(Single), GL_STREAM_DRAW);
  const auto At = [](size_t Float) {
    return reinterpret_cast<const GLvoid *>(Float * sizeof(Single));
  };
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, nullptr);
  glColorPointer(4, GL_FLOAT, 0, At(ColorsAt));
  if (Textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, At(TexCoordsAt));
  }
  for (size_t Run = 0; Run < Modes.size();) {
    size_t End = Run + 1;
    while (End < Modes.size() && Modes[End] == Modes[Run]) ++End;
    if (End - Run == 1)
      glDrawArrays(Modes[Run], Firsts[Run], Counts[Run]);
    else
      Gl.MultiDrawArrays(Modes[Run], &Firsts[Run], &Counts[Run], static_cast<GLsizei>(End - Run));
    Run = End;
  }
  if (Textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  Gl.BindBuffer(GL_ARRAY_BUFFER, 0);
}

// A colour call wherever the colour changes, as the scenes made them, and a
// texture coordinate before every vertex of a textured batch.
void TVertexBatch::DrawImmediate() const {
  const Single *Last = nullptr;
  for (size_t p = 0; p < Modes.size(); ++p) {
    const size_t First = static_cast<size_t>(Firsts[p]);
    const size_t Stop = First + static_cast<size_t>(Counts[p]);
    const Single *c = First < Stop ? &Colors[First * 4] : nullptr;
    if (c && (!Last || std::memcmp(c, Last, 4 * sizeof(Single)) != 0)) {
      glColor4f(c[0], c[1], c[2], c[3]);
      Last = c;
    }
    glBegin(Modes[p]);
    for (size_t v = First; v < Stop; ++v) {
      c = &Colors[v * 4];
      if (std::memcmp(c, Last, 4 * sizeof(Single)) != 0) {
        glColor4f(c[0], c[1], c[2], c[3]);
        Last = c;
      }
      if (Textured) glTexCoord2f(TexCoords[v * 2], TexCoords[v * 2 + 1]);
      glVertex2f(Positions[v * 2], Positions[v * 2 + 1]);
    }
    glEnd();
  }
}
