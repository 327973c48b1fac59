// The organisms' lines on software renderers while their fills are
// invisible (alpha 0, before 68000): the outline strips and spokes the driver
// would be given, in the same order, drawn as smoothed lines by the film's
// own code over the frame so far (grey: white and black only have been
// blended into it) and shown as one quad. The driver's smoothed lines cost
// it most of these frames; ours cost a fraction of that and look the same
// (within the software path's look limits, not byte for byte).
#pragma once

#include "scenes/SoftLines.h"

// The organisms' lines of the frame, gathered in drawing order (white, each
// strip with its opacity); cleared by DrawSoftOrganismLines.
TStrips &SoftOrganismStrips();

// Blends the gathered lines into the frame drawn so far and shows it.
// Relies on the pixel projection; leaves the GL state as it found it.
void DrawSoftOrganismLines();
