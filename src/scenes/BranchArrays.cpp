#include "scenes/BranchArrays.h"

#include <cstring>

#include "platform/GlArrayCalls.h"

namespace {
// Everything the tree's vertices are made from.
TArrayBuffer::TKey VertexKey(const TBranchArguments &a) {
  TArrayBuffer::TKey Key{};
  std::memcpy(Key.data(), &a, sizeof a);
  return Key;
}
static_assert(sizeof(TBranchArguments) <= sizeof(TArrayBuffer::TKey), "key too small");

// The shape (top length and seed) and the alphas (over the full length).
TArrayBuffer::TKey ColorKey(const TBranchArguments &a) {
  TArrayBuffer::TKey Key{};
  std::memcpy(&Key[0], &a.Length, sizeof(Single));
  std::memcpy(&Key[1], &a.FullLength, sizeof(Single));
  Key[2] = a.Seed;
  return Key;
}

// The colours of the tree drawn last, and where each strip starts.
struct TTreeColors {
  TArrayBuffer Buffer;
  std::vector<GLint> Firsts;
  std::vector<GLsizei> Counts;
  Single LastAlpha = 0;
};

TTreeColors &Colors() {
  static TTreeColors Kept;
  return Kept;
}

// Binds the colour buffer, storing the tree's colours first where needed.
void BindColors(TBranchTree &Tree) {
  TTreeColors &c = Colors();
  const size_t Arcs = Tree.ArcCount();
  const TArrayBuffer::TKey Key = ColorKey(Tree.Arguments());
  const bool Kept = c.Buffer.Holds(Key) && c.Firsts.size() == Arcs;
  c.Buffer.Bind();
  if (Kept) return;
  c.Firsts.resize(Arcs);
  c.Counts.assign(Arcs, ArcPoints);
  std::vector<Single> Rgba(Arcs * ArcPoints * 4, 0);
  for (size_t a = 0; a < Arcs; ++a) {
    c.Firsts[a] = static_cast<GLint>(a * ArcPoints);
    const Single Alpha = Tree.Alpha(a);
    for (int i = 0; i < ArcPoints; ++i) Rgba[(a * ArcPoints + i) * 4 + 3] = Alpha;
  }
  c.Buffer.Store(Rgba.data(), Rgba.size() * sizeof(Single), GL_STATIC_DRAW);
  c.LastAlpha = Arcs > 0 ? Tree.Alpha(Arcs - 1) : 0;
  c.Buffer.Stored(Key);
}

// One call for every strip: the vertex pointer set while Vertices was bound,
// the colour pointer while the colours are.
void DrawStrips(TArrayBuffer &Vertices) {
  const TGlArrayCalls &Gl = *GlArrayCalls();
  TTreeColors &c = Colors();
  Vertices.Bind();
  glVertexPointer(2, GL_FLOAT, 0, nullptr);
  c.Buffer.Bind();
  glColorPointer(4, GL_FLOAT, 0, nullptr);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  Gl.MultiDrawArrays(GL_LINE_STRIP, c.Firsts.data(), c.Counts.data(),
                     static_cast<GLsizei>(c.Firsts.size()));
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  Gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  // The colour the plain calls leave: the last arc's.
  glColor4f(0, 0, 0, c.LastAlpha);
}

// The arcs' points, x and y side by side, in drawing order: each arc as the
// helper thread finishes it.
void Interleave(TBranchTree &Tree, Single *Out) {
  for (size_t a = 0; a < Tree.ArcCount(); ++a) {
    const TArcPoints &Points = Tree.Arc(a);
    for (int i = 0; i < ArcPoints; ++i) {
      *Out++ = Points.X[i];
      *Out++ = Points.Y[i];
    }
  }
}

void StoreTreeVertices(TBranchTree &Tree, TArrayBuffer &Vertices) {
  const TArrayBuffer::TKey Key = VertexKey(Tree.Arguments());
  if (Vertices.Holds(Key)) return;
  // Interleaved in memory of our own that stays from frame to frame, then
  // copied in (mapping the buffer would wait for the GPU to finish the
  // previous frame's draws from it).
  static std::vector<Single> Points;
  Points.resize(Tree.ArcCount() * ArcPoints * 2);
  Interleave(Tree, Points.data());
  Vertices.Store(Points.data(), Points.size() * sizeof(Single), GL_STREAM_DRAW);
  Vertices.Stored(Key);
}
}  // namespace

void StoreTree(TBranchTree &Tree, TArrayBuffer &Vertices) {
  StoreTreeVertices(Tree, Vertices);
  BindColors(Tree);
}

void DrawTreeArrays(TBranchTree &Tree, TArrayBuffer &Vertices) {
  if (Tree.ArcCount() == 0) return;
  StoreTree(Tree, Vertices);
  DrawStrips(Vertices);
}

bool DrawStoredTree(const TBranchArguments &Arguments, TArrayBuffer &Vertices) {
  if (!GlArrayCalls() || !Vertices.Holds(VertexKey(Arguments)) ||
      !Colors().Buffer.Holds(ColorKey(Arguments)) || Colors().Firsts.empty())
    return false;
  DrawStrips(Vertices);
  return true;
}
