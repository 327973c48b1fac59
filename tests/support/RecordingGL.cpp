// The GL 1.5 prototypes, so the entry points below are checked against them.
#define GL_GLEXT_PROTOTYPES 1
#include "RecordingGL.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

TRecordingGL &TRecordingGL::Get() {
  static TRecordingGL Instance;
  return Instance;
}

void TRecordingGL::Reset() {
  const bool keepRecording = Recording;
  *this = TRecordingGL();
  Recording = keepRecording;
  // A new context: dithering and multisampling on, everything we use off.
  Enabled = {GL_DITHER};
}

std::vector<TGLCall> TRecordingGL::CallsNamed(const char *Name) const {
  std::vector<TGLCall> found;
  for (const TGLCall &call : Calls)
    if (call.Is(Name)) found.push_back(call);
  return found;
}

size_t TRecordingGL::CountCalls(const char *Name) const {
  return static_cast<size_t>(
      std::count_if(Calls.begin(), Calls.end(), [&](const TGLCall &c) { return c.Is(Name); }));
}

size_t TRecordingGL::VertexCount() const {
  size_t n = 0;
  for (const TGLPrimitive &p : Primitives) n += p.Vertices.size();
  return n;
}

std::vector<TGLCall> &TRecordingGL::CallSink() {
  return CompilingList ? Lists[CompilingList].Calls : Calls;
}

std::vector<TGLPrimitive> &TRecordingGL::PrimitiveSink() {
  return CompilingList ? Lists[CompilingList].Primitives : Primitives;
}

void TRecordingGL::Record(const char *Name, std::initializer_list<double> Args) {
  if (!Recording) return;
  TGLCall call;
  call.Name = Name;
  for (double a : Args) {
    if (call.ArgCount == static_cast<int>(call.Args.size())) break;
    call.Args[static_cast<size_t>(call.ArgCount++)] = a;
  }
  CallSink().push_back(call);
}

void TRecordingGL::BeginPrimitive(GLenum Mode) {
  InsideBegin = true;
  if (!Recording) return;
  TGLPrimitive p;
  p.Mode = Mode;
  p.Textured = Enabled.count(GL_TEXTURE_2D) != 0;
  p.Texture = BoundTexture;
  p.LineWidth = LineWidth;
  PrimitiveSink().push_back(std::move(p));
}

void TRecordingGL::AddVertex(double X, double Y, double Z) {
  if (!Recording || !InsideBegin) return;
  TGLVertex v;
  v.X = X;
  v.Y = Y;
  v.Z = Z;
  v.R = Color[0];
  v.G = Color[1];
  v.B = Color[2];
  v.A = Color[3];
  v.S = TexCoord[0];
  v.T = TexCoord[1];
  PrimitiveSink().back().Vertices.push_back(v);
}

void TRecordingGL::EndPrimitive() { InsideBegin = false; }

namespace {
// Element Index of an enabled float array, as Size floats.
const float *ArrayElement(const TRecordingGL &Gl, const TGLArray &Array, GLint Index) {
  const unsigned char *Base = static_cast<const unsigned char *>(Array.Pointer);
  if (Array.Buffer) {
    auto Found = Gl.Buffers.find(Array.Buffer);
    if (Found == Gl.Buffers.end()) return nullptr;
    Base = Found->second.data() + reinterpret_cast<uintptr_t>(Array.Pointer);
  }
  if (!Base || Array.Type != GL_FLOAT) return nullptr;
  const GLsizei Stride =
      Array.Stride ? Array.Stride : static_cast<GLsizei>(Array.Size * sizeof(float));
  return reinterpret_cast<const float *>(Base + static_cast<size_t>(Index) * Stride);
}
}  // namespace

// As GL draws arrays: element i's colour and texture coordinate become
// current, then its vertex is issued (the colour stays at the last element's).
void TRecordingGL::DrawArrays(GLenum Mode, GLint First, GLsizei Count) {
  BeginPrimitive(Mode);
  for (GLint i = First; i < First + Count; ++i) {
    if (ColorArray.Enabled)
      if (const float *c = ArrayElement(*this, ColorArray, i))
        for (int k = 0; k < 4; ++k) Color[k] = k < ColorArray.Size ? c[k] : 1.f;
    if (TexCoordArray.Enabled)
      if (const float *t = ArrayElement(*this, TexCoordArray, i))
        for (int k = 0; k < 2; ++k) TexCoord[k] = t[k];
    if (!VertexArray.Enabled) continue;
    if (const float *v = ArrayElement(*this, VertexArray, i))
      AddVertex(v[0], v[1], VertexArray.Size > 2 ? v[2] : 0);
  }
  EndPrimitive();
}

namespace {
TRecordingGL &G() { return TRecordingGL::Get(); }

void SetColor(float r, float g, float b, float a) {
  if (G().Recording) ++G().ColorCalls;
  G().Color[0] = r;
  G().Color[1] = g;
  G().Color[2] = b;
  G().Color[3] = a;
}
}  // namespace

// The entry points, with the C linkage and signatures of <GL/gl.h>.
extern "C" {

void glBegin(GLenum mode) {
  G().Record("glBegin", {double(mode)});
  G().BeginPrimitive(mode);
}
void glEnd() {
  G().Record("glEnd", {});
  G().EndPrimitive();
}
void glVertex2f(GLfloat x, GLfloat y) { G().AddVertex(x, y, 0); }
void glVertex2d(GLdouble x, GLdouble y) { G().AddVertex(x, y, 0); }
void glVertex2i(GLint x, GLint y) { G().AddVertex(x, y, 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { G().AddVertex(x, y, z); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { G().AddVertex(x, y, z); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { SetColor(r, g, b, 1); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { SetColor(r, g, b, a); }
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) {
  SetColor(float(r), float(g), float(b), float(a));
}
void glTexCoord2f(GLfloat s, GLfloat t) {
  if (G().Recording) ++G().TexCoordCalls;
  G().TexCoord[0] = s;
  G().TexCoord[1] = t;
}
void glTexCoord2d(GLdouble s, GLdouble t) {
  if (G().Recording) ++G().TexCoordCalls;
  G().TexCoord[0] = float(s);
  G().TexCoord[1] = float(t);
}

void glEnable(GLenum cap) {
  G().Record("glEnable", {double(cap)});
  G().Enabled.insert(cap);
}
void glDisable(GLenum cap) {
  G().Record("glDisable", {double(cap)});
  G().Enabled.erase(cap);
}
GLboolean glIsEnabled(GLenum cap) { return G().Enabled.count(cap) ? GL_TRUE : GL_FALSE; }

void glClear(GLbitfield mask) { G().Record("glClear", {double(mask)}); }
void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
  G().Record("glScissor", {double(x), double(y), double(width), double(height)});
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
  G().Record("glClearColor", {r, g, b, a});
  G().ClearColor[0] = r;
  G().ClearColor[1] = g;
  G().ClearColor[2] = b;
  G().ClearColor[3] = a;
}
void glClearDepth(GLclampd depth) { G().Record("glClearDepth", {depth}); }
void glFlush() { G().Record("glFlush", {}); }
void glFinish() { G().Record("glFinish", {}); }
GLenum glGetError() { return GL_NO_ERROR; }

void glMatrixMode(GLenum mode) {
  G().Record("glMatrixMode", {double(mode)});
  G().MatrixMode = mode;
}
void glLoadIdentity() { G().Record("glLoadIdentity", {}); }
void glPushMatrix() {
  G().Record("glPushMatrix", {});
  if (G().MatrixMode == GL_PROJECTION) {
    ++G().ProjectionDepth;
    G().MaxProjectionDepth = std::max(G().MaxProjectionDepth, G().ProjectionDepth);
  } else {
    ++G().ModelViewDepth;
  }
}
void glPopMatrix() {
  G().Record("glPopMatrix", {});
  if (G().MatrixMode == GL_PROJECTION)
    --G().ProjectionDepth;
  else
    --G().ModelViewDepth;
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  G().Record("glOrtho", {l, r, b, t, n, f});
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { G().Record("glTranslatef", {x, y, z}); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
  G().Record("glRotatef", {a, x, y, z});
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) { G().Record("glScalef", {x, y, z}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
  G().Record("glViewport", {double(x), double(y), double(w), double(h)});
}

void glShadeModel(GLenum mode) { G().Record("glShadeModel", {double(mode)}); }
void glDepthFunc(GLenum func) { G().Record("glDepthFunc", {double(func)}); }
void glHint(GLenum target, GLenum mode) { G().Record("glHint", {double(target), double(mode)}); }
void glPolygonMode(GLenum face, GLenum mode) {
  G().Record("glPolygonMode", {double(face), double(mode)});
}
void glLightfv(GLenum light, GLenum pname, const GLfloat *p) {
  G().Record("glLightfv", {double(light), double(pname), p[0], p[1], p[2], p[3]});
}
void glMaterialfv(GLenum face, GLenum pname, const GLfloat *p) {
  if (pname == GL_SHININESS)
    G().Record("glMaterialfv", {double(face), double(pname), p[0]});
  else
    G().Record("glMaterialfv", {double(face), double(pname), p[0], p[1], p[2], p[3]});
}
void glFogi(GLenum pname, GLint param) { G().Record("glFogi", {double(pname), double(param)}); }
void glFogf(GLenum pname, GLfloat param) { G().Record("glFogf", {double(pname), param}); }
void glFogfv(GLenum pname, const GLfloat *p) {
  G().Record("glFogfv", {double(pname), p[0], p[1], p[2], p[3]});
}
void glBlendFunc(GLenum s, GLenum d) { G().Record("glBlendFunc", {double(s), double(d)}); }
void glTexEnvi(GLenum target, GLenum pname, GLint param) {
  G().Record("glTexEnvi", {double(target), double(pname), double(param)});
}
void glTexGeni(GLenum coord, GLenum pname, GLint param) {
  G().Record("glTexGeni", {double(coord), double(pname), double(param)});
}
void glLineWidth(GLfloat width) {
  G().Record("glLineWidth", {width});
  G().LineWidth = width;
}
void glPixelStorei(GLenum pname, GLint param) {
  G().Record("glPixelStorei", {double(pname), double(param)});
}

void glGenTextures(GLsizei n, GLuint *names) {
  for (GLsizei i = 0; i < n; ++i) {
    names[i] = G().NextTextureName++;
    G().LiveTextures.insert(names[i]);
  }
  G().Record("glGenTextures", {double(n)});
}
void glDeleteTextures(GLsizei n, const GLuint *names) {
  for (GLsizei i = 0; i < n; ++i) {
    G().LiveTextures.erase(names[i]);
    if (G().BoundTexture == names[i]) G().BoundTexture = 0;
  }
  G().Record("glDeleteTextures", {double(n)});
}
GLboolean glIsTexture(GLuint name) { return G().LiveTextures.count(name) ? GL_TRUE : GL_FALSE; }
void glBindTexture(GLenum target, GLuint name) {
  G().Record("glBindTexture", {double(target), double(name)});
  G().BoundTexture = name;
}
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const GLvoid *) {
  G().Record("glTexImage2D", {double(target), double(level), double(internal), double(w), double(h),
                              double(border), double(format), double(type)});
}
void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h,
                     GLenum format, GLenum type, const GLvoid *) {
  G().Record("glTexSubImage2D", {double(target), double(level), double(x), double(y), double(w),
                                 double(h), double(format), double(type)});
}
void glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                         GLsizei w, GLsizei h) {
  G().Record("glCopyTexSubImage2D", {double(target), double(level), double(xoffset),
                                     double(yoffset), double(x), double(y), double(w), double(h)});
}
void glTexParameteri(GLenum target, GLenum pname, GLint param) {
  G().Record("glTexParameteri", {double(target), double(pname), double(param)});
}

GLuint glGenLists(GLsizei range) {
  const GLuint first = G().NextListName;
  G().NextListName += static_cast<GLuint>(range);
  G().Record("glGenLists", {double(range)});
  return first;
}
void glNewList(GLuint list, GLenum mode) {
  G().Record("glNewList", {double(list), double(mode)});
  G().CompilingList = list;
  G().Lists[list] = TGLList();
}
void glEndList() {
  G().CompilingList = 0;
  G().Record("glEndList", {});
}
void glCallList(GLuint list) { G().Record("glCallList", {double(list)}); }
void glDeleteLists(GLuint list, GLsizei range) {
  G().Record("glDeleteLists", {double(list), double(range)});
}

// A renderer name no driver has: the film takes its plain GL path. The
// version is one with buffer objects and multiple draws.
const GLubyte *glGetString(GLenum name) {
  static const GLubyte Renderer[] = "Recording GL";
  static const GLubyte Version[] = "1.5 Recording";
  return name == GL_RENDERER ? Renderer : name == GL_VERSION ? Version : nullptr;
}

// Client arrays.
namespace {
TGLArray *ClientArray(GLenum Array) {
  switch (Array) {
    case GL_VERTEX_ARRAY:
      return &G().VertexArray;
    case GL_COLOR_ARRAY:
      return &G().ColorArray;
    case GL_TEXTURE_COORD_ARRAY:
      return &G().TexCoordArray;
    default:
      return nullptr;
  }
}
void SetPointer(TGLArray &Array, GLint Size, GLenum Type, GLsizei Stride, const GLvoid *Pointer) {
  Array.Size = Size;
  Array.Type = Type;
  Array.Stride = Stride;
  Array.Pointer = Pointer;
  Array.Buffer = G().BoundArrayBuffer;
}
}  // namespace

void glEnableClientState(GLenum array) {
  G().Record("glEnableClientState", {double(array)});
  if (TGLArray *a = ClientArray(array)) a->Enabled = true;
}
void glDisableClientState(GLenum array) {
  G().Record("glDisableClientState", {double(array)});
  if (TGLArray *a = ClientArray(array)) a->Enabled = false;
}
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
  SetPointer(G().VertexArray, size, type, stride, pointer);
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
  SetPointer(G().ColorArray, size, type, stride, pointer);
}
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid *pointer) {
  SetPointer(G().TexCoordArray, size, type, stride, pointer);
}
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
  G().Record("glDrawArrays", {double(mode), double(first), double(count)});
  ++G().ArrayDraws;
  G().DrawArrays(mode, first, count);
}
void glMultiDrawArrays(GLenum mode, const GLint *first, const GLsizei *count, GLsizei drawcount) {
  G().Record("glMultiDrawArrays", {double(mode), double(drawcount)});
  ++G().ArrayDraws;
  for (GLsizei i = 0; i < drawcount; ++i) G().DrawArrays(mode, first[i], count[i]);
}

// Buffer objects, their storage kept so draws can read it back.
void glGenBuffers(GLsizei n, GLuint *buffers) {
  for (GLsizei i = 0; i < n; ++i) {
    buffers[i] = G().NextBufferName++;
    G().Buffers[buffers[i]];
  }
  G().Record("glGenBuffers", {double(n)});
}
void glDeleteBuffers(GLsizei n, const GLuint *buffers) {
  for (GLsizei i = 0; i < n; ++i) {
    G().Buffers.erase(buffers[i]);
    if (G().BoundArrayBuffer == buffers[i]) G().BoundArrayBuffer = 0;
  }
  G().Record("glDeleteBuffers", {double(n)});
}
void glBindBuffer(GLenum target, GLuint buffer) {
  G().Record("glBindBuffer", {double(target), double(buffer)});
  if (target == GL_ARRAY_BUFFER) G().BoundArrayBuffer = buffer;
}
void glBufferData(GLenum target, GLsizeiptr size, const void *data, GLenum usage) {
  G().Record("glBufferData", {double(target), double(size), double(usage)});
  if (target != GL_ARRAY_BUFFER || !G().BoundArrayBuffer) return;
  std::vector<unsigned char> &Storage = G().Buffers[G().BoundArrayBuffer];
  Storage.assign(static_cast<size_t>(size), 0);
  if (data) std::memcpy(Storage.data(), data, static_cast<size_t>(size));
}
void glBufferSubData(GLenum target, GLintptr offset, GLsizeiptr size, const void *data) {
  G().Record("glBufferSubData", {double(target), double(offset), double(size)});
  if (target != GL_ARRAY_BUFFER || !G().BoundArrayBuffer) return;
  std::vector<unsigned char> &Storage = G().Buffers[G().BoundArrayBuffer];
  if (static_cast<size_t>(offset + size) <= Storage.size())
    std::memcpy(Storage.data() + offset, data, static_cast<size_t>(size));
}

void glGetFloatv(GLenum pname, GLfloat *params) {
  const bool Matrix = pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX;
  for (int i = 0; i < (Matrix ? 16 : 1); ++i) params[i] = Matrix && i % 5 == 0 ? 1.f : 0.f;
}
void glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid *) {}

void glGetIntegerv(GLenum pname, GLint *params) {
  switch (pname) {
    case GL_PROJECTION_STACK_DEPTH:
      *params = G().ProjectionDepth;
      break;
    case GL_MODELVIEW_STACK_DEPTH:
      *params = G().ModelViewDepth;
      break;
    case GL_TEXTURE_BINDING_2D:
      *params = static_cast<GLint>(G().BoundTexture);
      break;
    default:
      *params = 0;
      break;
  }
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
  G().Record("gluPerspective", {fovy, aspect, zNear, zFar});
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz,
               GLdouble ux, GLdouble uy, GLdouble uz) {
  G().Record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}

}  // extern "C"

void *RecordingGLProcAddress(const char *Name) {
  static const std::map<std::string, void *> Entries = {
      {"glMultiDrawArrays", reinterpret_cast<void *>(&glMultiDrawArrays)},
      {"glGenBuffers", reinterpret_cast<void *>(&glGenBuffers)},
      {"glDeleteBuffers", reinterpret_cast<void *>(&glDeleteBuffers)},
      {"glBindBuffer", reinterpret_cast<void *>(&glBindBuffer)},
      {"glBufferData", reinterpret_cast<void *>(&glBufferData)},
      {"glBufferSubData", reinterpret_cast<void *>(&glBufferSubData)},
  };
  auto Found = Entries.find(Name);
  return Found == Entries.end() ? nullptr : Found->second;
}
