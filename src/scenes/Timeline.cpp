#include "scenes/Timeline.h"

// Placeholder until the timeline is built: draws nothing.
bool DrawScene() { return true; }
