#include "runner/sound/Fmod.h"

FSOUND_HANDLE MusicStream = 0;

// Placeholders until the sound layer is built.
float FSOUND_GetVersion() { return 3.74f; }
bool FSOUND_Init(int, int, unsigned) { return true; }
int FSOUND_GetError() { return 0; }
void FSOUND_Close() {}
FSOUND_HANDLE FSOUND_Stream_Open(const char *, unsigned, int, int) { return 1; }
FSOUND_HANDLE FSOUND_DSP_GetFFTUnit() { return 1; }
bool FSOUND_DSP_SetActive(FSOUND_HANDLE, bool) { return true; }
bool FSOUND_Stream_Play(int, FSOUND_HANDLE) { return true; }
bool FSOUND_SetVolume(int, int) { return true; }
bool FSOUND_GetCurrentLevels(int, float *, float *) { return false; }
bool FSOUND_Stream_Stop(FSOUND_HANDLE) { return true; }
bool FSOUND_Stream_Close(FSOUND_HANDLE) { return true; }
const char *FmodErrorText(int) { return "Unknown error"; }
