#include "runner/RunDemo.h"

// Placeholder until the runner is built.
int32_t RunDemo() { return 0; }
