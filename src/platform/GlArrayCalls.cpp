#include "platform/GlArrayCalls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
TGlArrayCalls Calls;
bool Loaded = false;
uint32_t Lookups = 0;

template <typename TEntry>
bool Find(TGlProcLookup Lookup, const char *Name, TEntry &Entry) {
  Entry = reinterpret_cast<TEntry>(Lookup(Name));
  return Entry != nullptr;
}

// Any value but "immediate" (or none) is said on standard error and left
// out, so a typing slip is not taken silently as the automatic choice.
bool ImmediateForced() {
  const char *Forced = std::getenv(GlCallsVariable);
  if (!Forced || !*Forced) return false;
  if (std::strcmp(Forced, "immediate") == 0) return true;
  std::fprintf(stderr,
               "Quillmoor: %s=%s is not \"immediate\"; the calls are chosen from the driver\n",
               GlCallsVariable, Forced);
  return false;
}
}  // namespace

bool HasGl15(const char *Version) {
  // "major.minor" first, whatever follows ("4.5 (Compatibility Profile) Mesa").
  int Major = 0, Minor = 0;
  if (!Version || std::sscanf(Version, "%d.%d", &Major, &Minor) != 2) return false;
  return Major > 1 || (Major == 1 && Minor >= 5);
}

void LoadGlArrayCalls(TGlProcLookup Lookup) {
  Calls = TGlArrayCalls();
  Calls.Generation = ++Lookups;
  Loaded = false;
  if (!Lookup || ImmediateForced()) return;
  if (!HasGl15(reinterpret_cast<const char *>(glGetString(GL_VERSION)))) return;
  Loaded = Find(Lookup, "glMultiDrawArrays", Calls.MultiDrawArrays) &&
           Find(Lookup, "glGenBuffers", Calls.GenBuffers) &&
           Find(Lookup, "glDeleteBuffers", Calls.DeleteBuffers) &&
           Find(Lookup, "glBindBuffer", Calls.BindBuffer) &&
           Find(Lookup, "glBufferData", Calls.BufferData) &&
           Find(Lookup, "glBufferSubData", Calls.BufferSubData);
}

const TGlArrayCalls *GlArrayCalls() { return Loaded ? &Calls : nullptr; }
