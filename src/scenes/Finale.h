// The mosaic fade over the worms and the closing picture.
#pragma once

#include "UMMath.h"

void DrawMosaicFade(Single Progress);
void DrawFinale(Single Progress);
