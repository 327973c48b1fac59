#include "platform/SdlPlatform.h"

#include <cstdlib>

// Placeholder until the SDL backend is built.
TPlatform &SdlPlatform() { std::abort(); }
