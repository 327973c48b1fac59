// A recording implementation of the GL 1.1 and GLU entry points the film
// calls. Tests link it in place of libGL, so they can assert the calls,
// primitives, vertices and colours a function emits without a GL context.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TGLCall {
  const char *Name = "";
  std::array<double, 10> Args{};
  int ArgCount = 0;

  double Arg(int i) const { return Args.at(static_cast<size_t>(i)); }
  bool Is(const char *OtherName) const { return std::string(Name) == OtherName; }
};

struct TGLVertex {
  double X = 0, Y = 0, Z = 0;
  float R = 1, G = 1, B = 1, A = 1;
  float S = 0, T = 0;
};

struct TGLPrimitive {
  GLenum Mode = 0;
  std::vector<TGLVertex> Vertices;
  bool Textured = false;  // GL_TEXTURE_2D enabled at glBegin
  GLuint Texture = 0;     // texture bound at glBegin
  float LineWidth = 1;
};

// One client array: its layout as the pointer call gave it, and the buffer
// object bound to GL_ARRAY_BUFFER then (0: Pointer is an address).
struct TGLArray {
  bool Enabled = false;
  GLint Size = 0;
  GLenum Type = 0;
  GLsizei Stride = 0;
  const GLvoid *Pointer = nullptr;
  GLuint Buffer = 0;
};

// What one display list recorded while it was compiled.
struct TGLList {
  std::vector<TGLCall> Calls;
  std::vector<TGLPrimitive> Primitives;
};

class TRecordingGL {
public:
  static TRecordingGL &Get();

  // Forgets every call, primitive, list and texture; GL state back to the
  // defaults of a new context.
  void Reset();

  // When false, entry points only track state (matrix depths, current colour,
  // names) and record nothing: for benchmarks of the film's own code.
  bool Recording = true;

  // Top-level calls (calls compiled into a list go to that list instead).
  std::vector<TGLCall> Calls;
  std::vector<TGLPrimitive> Primitives;
  std::map<GLuint, TGLList> Lists;

  // Tracked state.
  GLenum MatrixMode = GL_MODELVIEW;
  int ProjectionDepth = 1;
  int ModelViewDepth = 1;
  int MaxProjectionDepth = 1;
  std::set<GLenum> Enabled;
  float Color[4] = {1, 1, 1, 1};
  float TexCoord[2] = {0, 0};
  float ClearColor[4] = {0, 0, 0, 0};
  float LineWidth = 1;
  GLuint BoundTexture = 0;
  std::set<GLuint> LiveTextures;  // generated and not deleted
  GLuint NextTextureName = 1;
  GLuint NextListName = 1;
  GLuint CompilingList = 0;  // 0 when not compiling
  bool InsideBegin = false;

  // Vertex arrays and buffer objects: an array draw is recorded as the
  // primitives it draws, each vertex taken from the enabled arrays.
  TGLArray VertexArray, ColorArray, TexCoordArray;
  std::map<GLuint, std::vector<unsigned char>> Buffers;  // live buffer objects
  GLuint BoundArrayBuffer = 0;
  GLuint NextBufferName = 1;
  size_t ArrayDraws = 0;  // glDrawArrays and glMultiDrawArrays calls

  // Calls that set the current colour or texture coordinate while recording
  // (they are not kept as calls): for counting what a frame hands to GL.
  size_t ColorCalls = 0;
  size_t TexCoordCalls = 0;

  // Convenience queries.
  std::vector<TGLCall> CallsNamed(const char *Name) const;
  size_t CountCalls(const char *Name) const;
  size_t VertexCount() const;

  // Internal: used by the entry points.
  void Record(const char *Name, std::initializer_list<double> Args);
  void BeginPrimitive(GLenum Mode);
  void AddVertex(double X, double Y, double Z);
  void EndPrimitive();
  void DrawArrays(GLenum Mode, GLint First, GLsizei Count);

private:
  TRecordingGL() = default;
  std::vector<TGLCall> &CallSink();
  std::vector<TGLPrimitive> &PrimitiveSink();
};

inline TRecordingGL &RecordedGL() { return TRecordingGL::Get(); }

// The recording GL's entry points beyond GL 1.1 by name (glMultiDrawArrays and
// the buffer-object calls), as a context's proc-address look-up gives them.
void *RecordingGLProcAddress(const char *Name);
