// The SDL2 backend of the platform seam (message boxes through FLTK).
#pragma once

#include "platform/Platform.h"

// The process-wide SDL backend.
TPlatform &SdlPlatform();
