// The calls the runner makes beyond the platform seam: the sound layer and the
// film. RunDemo is handed them as a table; the demo passes the real ones,
// tests recording fakes that reach the sound layer's failure paths and see
// which pass drew what.
#pragma once

#include <cstdint>

#include "scenes/FilmTiming.h"
#include "sound/Fmod.h"

struct TSoundCalls {
  float (*FSOUND_GetVersion)();
  bool (*FSOUND_Init)(int MixRate, int MaxSoftwareChannels, unsigned Flags);
  int (*FSOUND_GetError)();
  void (*FSOUND_Close)();
  FSOUND_HANDLE (*FSOUND_Stream_Open)(const char *Name, unsigned Mode, int Offset, int Length);
  FSOUND_HANDLE (*FSOUND_DSP_GetFFTUnit)();
  bool (*FSOUND_DSP_SetActive)(FSOUND_HANDLE Unit, bool Active);
  bool (*FSOUND_Stream_Play)(int Channel, FSOUND_HANDLE Stream);
  bool (*FSOUND_SetVolume)(int Channel, int Volume);
  bool (*FSOUND_Stream_Stop)(FSOUND_HANDLE Stream);
  bool (*FSOUND_Stream_Close)(FSOUND_HANDLE Stream);
  bool (*FSOUND_Stream_Follow)(FSOUND_HANDLE Stream, int64_t DemoTime);
  bool (*FSOUND_GetCurrentLevels)(int Channel, float *Left, float *Right);
};

struct TFilmCalls {
  bool (*Precompute)();
  void (*DrawCountdown)(uint32_t Ms);
  bool (*DrawScene)(const TFrameInputs &Frame);
};

struct TRunnerCalls {
  TSoundCalls Sound;
  TFilmCalls Film;
};

// The real sound layer and film.
const TRunnerCalls &RealRunnerCalls();
