// The scene timeline: one complete frame of the film from its inputs alone.
#pragma once

#include <cstdint>

#include "UMMath.h"
#include "scenes/Attractor.h"
#include "scenes/BlobField.h"
#include "scenes/Branches.h"
#include "scenes/DiscStamps.h"
#include "scenes/FilmTiming.h"
#include "scenes/Finale.h"
#include "scenes/Opening.h"
#include "scenes/Organism.h"
#include "scenes/UAWorms.h"
#include "scenes/WaveStrands.h"

// The effects the timeline's stretches call: the real ones by default. A test
// passes its own to watch the calls and their arguments without depending on
// the drawings.
struct TTimelineEffects {
  void (*DrawOpening)(int64_t) = ::DrawOpening;
  void (*DrawWaveStrands)(int64_t) = ::DrawWaveStrands;
  void (*DrawAttractorWindow)(int64_t) = ::DrawAttractorWindow;
  void (*DrawBranches)(Single, Single, Single, Single, Single) = ::DrawBranches;
  void (*DrawBlobField)(int64_t, Single, Single) = ::DrawBlobField;
  void (*DrawDiscStamps)(int64_t) = ::DrawDiscStamps;
  void (*DrawOrganismWindow)(int64_t, Single, Single) = ::DrawOrganismWindow;
  void (*DrawWorms)(uint32_t, Single) = ::DrawWorms;
  void (*DrawMosaicFade)(Single) = ::DrawMosaicFade;
  void (*DrawFinale)(Single) = ::DrawFinale;
};

// Clears, draws the stretches that hold Frame.Time in their order, the
// vignette, and flushes. Always returns true. The caller presents the frame.
bool DrawScene(const TFrameInputs &Frame);
// The same through the given effects.
bool DrawScene(const TFrameInputs &Frame, const TTimelineEffects &Effects);
