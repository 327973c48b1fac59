// Opening and closing SDL's audio device with a deadline. A sound server
// that stops answering (stopped, a socket that accepts and stays silent,
// PipeWire with no sink to link to) leaves SDL's calls waiting for ever, so
// each runs on a helper thread and the caller waits for it only so long.
// A helper that overruns is left behind, detached (joining it could hang
// too); from then on the device counts as abandoned: the process makes no
// further audio calls into SDL, and at its end quits SDL without its audio,
// whose shutdown would wait on the same stuck thread.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

// How long the device may take to open, and to close.
constexpr int OpenDeadlineMs = 5000;
constexpr int CloseDeadlineMs = 1000;

struct TDeviceOpening {
  SDL_AudioDeviceID Device = 0;  // 0: it failed or did not answer in time
  SDL_AudioSpec Obtained{};
  std::string Failure;  // the cause, for standard error
};

// Starts SDL's audio subsystem and opens the default output device with
// Wanted, giving up after DeadlineMs. On a failure in time the subsystem is
// given back.
TDeviceOpening OpenAudioDeviceWithin(const SDL_AudioSpec &Wanted, int DeadlineMs);

// Closes the device (none: 0) and, with ReleaseAudio, gives back SDL's
// audio subsystem (all of SDL when audio was its only user). False when the
// close did not end within DeadlineMs: the device is then abandoned.
bool CloseAudioDeviceWithin(SDL_AudioDeviceID Device, int DeadlineMs, bool ReleaseAudio = true);

// An open of the default output device, with SDL's audio subsystem already
// up, on a helper thread the caller does not wait for: it starts one, then
// looks now and then whether it has ended. For a device that comes back
// while the film goes on.
class TBackgroundOpen {
public:
  // Starts an open with Wanted unless one is under way.
  void Start(const SDL_AudioSpec &Wanted);
  bool UnderWay() const { return Under != nullptr; }
  // True once the open under way has ended, with its outcome in Result
  // (the device opened paused, or 0 and the cause).
  bool Ended(TDeviceOpening &Result);
  // Leaves an open still under way to itself: the device counts as
  // abandoned.
  void GiveUp();

private:
  struct TState;
  std::shared_ptr<TState> Under;
};

// Tells the waits what asks the program to end (a stop signal): a wait looks
// at it now and then and, when it answers true, ends at once as at its
// deadline.
void SetSoundWaitInterrupt(bool (*Interrupted)());

// True once a wait on the device was given up.
bool SoundDeviceAbandoned();

// Quits SDL as a program's end does, leaving out its audio when the device
// was abandoned.
void QuitSdlWithoutWaitingForSound();
