// The frame drawn so far, read back as grey levels for the software path's
// own lines to draw over.
#pragma once

#include "scenes/SoftLines.h"

// Reads the viewport's Width x Height pixels into Canvas, top row first. The
// frames this serves are grey, so the red channel is the picture.
void ReadGreyFrame(TGreyCanvas &Canvas, int Width, int Height);
