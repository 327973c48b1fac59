// The calls the runner makes beyond the platform seam: the sound layer and the
// film. The demo uses the real ones; tests put recording fakes in their place
// to reach the sound layer's failure paths and to see which pass drew what.
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

// The calls in use; they start as the real ones.
extern TSoundCalls Sound;
extern TFilmCalls Film;

// Puts the real sound layer and film back.
void UseRealSoundAndFilm();
