// The sound layer: the calls the runner and the organism scene make to play
// "music.mp3" and read its output levels, over an SDL2 audio device with
// libmpg123 decoding.
#pragma once

#include <cstdint>

// A stream or DSP handle; 0 means none (a failed open).
using FSOUND_HANDLE = uint32_t;

float FSOUND_GetVersion();
bool FSOUND_Init(int MixRate, int MaxSoftwareChannels, unsigned Flags);
int FSOUND_GetError();
void FSOUND_Close();
FSOUND_HANDLE FSOUND_Stream_Open(const char *Name, unsigned Mode, int Offset, int Length);
FSOUND_HANDLE FSOUND_DSP_GetFFTUnit();
bool FSOUND_DSP_SetActive(FSOUND_HANDLE Unit, bool Active);
bool FSOUND_Stream_Play(int Channel, FSOUND_HANDLE Stream);
bool FSOUND_SetVolume(int Channel, int Volume);
// Left and right levels of channel 0 in [0, 1]; on failure they keep their
// previous values.
bool FSOUND_GetCurrentLevels(int Channel, float *Left, float *Right);
bool FSOUND_Stream_Stop(FSOUND_HANDLE Stream);
bool FSOUND_Stream_Close(FSOUND_HANDLE Stream);
// The play position of the stream in milliseconds: the moment of the music
// the viewer hears now, the device's latency taken into account. 0 for a dead
// handle.
int FSOUND_Stream_GetTime(FSOUND_HANDLE Stream);
// The film's clock reads DemoTime now (0 being the instant playback
// started). The stream keeps the music it plays within 40 ms of that clock
// from then on: it skips ahead after a stall, an underrun or a slow device,
// and holds silence when the device runs fast. False for a dead handle.
// Each call also watches the output: when its sound server has gone, that
// is said once on standard error, the stream plays on to no device, and the
// device is opened again every few seconds in the background; once it is
// back, the music goes on there at the film's time.
bool FSOUND_Stream_Follow(FSOUND_HANDLE Stream, int64_t FilmTime);

// Closes the device and forgets every stream, handle and error: the sound
// layer as it is when the program starts.
void ResetSoundSystem();

// The text for an error code; "Unknown error" outside 0..18.
const char *FmodErrorText(int Code);

// The stream the runner opened; 0 before the open and after a failed one.
extern FSOUND_HANDLE MusicStream;
