// The scene timeline: one complete frame of the film from DemoTime alone.
#pragma once

// Clears, draws the ten time windows in order, the vignette, and flushes.
// Always returns true.
bool DrawScene();
