// The scene timeline: one complete frame of the film from DemoTime alone.
#pragma once

#include <cstdint>

#include "UMMath.h"
#include "scenes/Attractor.h"
#include "scenes/BlobField.h"
#include "scenes/Branches.h"
#include "scenes/DiscStamps.h"
#include "scenes/Finale.h"
#include "scenes/Opening.h"
#include "scenes/Organism.h"
#include "scenes/UAWorms.h"
#include "scenes/WaveStrands.h"

// Clears, draws the scenes whose time spans hold DemoTime in order, the vignette, and flushes.
// Always returns true.
bool DrawScene();

// The effects DrawScene calls, the real ones unless a test swaps an entry to
// watch the calls and their arguments without depending on the drawings.
struct TTimelineEffects {
  void (*DrawOpening)() = ::DrawOpening;
  void (*DrawWaveStrands)() = ::DrawWaveStrands;
  void (*DrawAttractorWindow)() = ::DrawAttractorWindow;
  void (*DrawBranches)(Single, Single, Single, Single, Single) = ::DrawBranches;
  void (*DrawBlobField)(Single, Single) = ::DrawBlobField;
  void (*DrawDiscStamps)() = ::DrawDiscStamps;
  void (*DrawOrganismWindow)() = ::DrawOrganismWindow;
  void (*DrawWorms)(uint32_t, Single) = ::DrawWorms;
  void (*DrawMosaicFade)(Single) = ::DrawMosaicFade;
  void (*DrawFinale)(Single) = ::DrawFinale;
};

extern TTimelineEffects TimelineEffects;
