// The GL 1.4 and 1.5 entry points through which the film hands the driver
// whole arrays of vertices (one call for thousands of strips) instead of one
// call per vertex. They are not part of GL 1.1, so they are looked up for the
// context at run time; where the context lacks them (or the viewer asks for
// the plain calls) they stay unset and the film makes the GL 1.1 calls.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

struct TGlArrayCalls {
  PFNGLMULTIDRAWARRAYSPROC MultiDrawArrays = nullptr;
  PFNGLGENBUFFERSPROC GenBuffers = nullptr;
  PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;
  PFNGLBINDBUFFERPROC BindBuffer = nullptr;
  PFNGLBUFFERDATAPROC BufferData = nullptr;
  PFNGLBUFFERSUBDATAPROC BufferSubData = nullptr;
  // Counts the look-ups: buffer names made under an earlier one belong to a
  // context that may be gone, so their holders make new ones.
  uint32_t Generation = 0;
};

// Finds an entry point of the current context by name (SDL_GL_GetProcAddress,
// eglGetProcAddress); null when there is none.
using TGlProcLookup = void *(*)(const char *Name);

// Looks the entry points up for the context now current. They are used only
// when the context reports GL 1.5 or later, every one is found and
// QUILLMOOR_GL_CALLS is not "immediate"; otherwise none is. A null Lookup
// leaves none.
void LoadGlArrayCalls(TGlProcLookup Lookup);
// The entry points found by the last look-up, or null: make the GL 1.1
// calls (glBegin, glVertex, glEnd) instead.
const TGlArrayCalls *GlArrayCalls();

// Whether a context that reports Version (GL_VERSION) has GL 1.5.
bool HasGl15(const char *Version);

// The environment variable that forces the GL 1.1 calls ("immediate").
constexpr const char *GlCallsVariable = "QUILLMOOR_GL_CALLS";
